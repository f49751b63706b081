#include "windows/frmCheckCode_design.h"

#include "core/control_styles.h"

namespace lumaro {

const WindowDesign& frmCheckCodeDesign() {
  using enum ControlKind;
  static const WindowDesign design{
      .attributes = FixedDialogAttributes("frmCheckCode", "正在检查网站", 6075, 3690),
      .controls =
          {
              // Added before the panel, so the panel covers it.
              {"web1", Browser, {1635, 570, 4620, 1365}, "", UnseenBrowserStyle("网站页面")},
              {"Picture1", Panel, {0, 60, 9810, 2340}},
              {"Label1", Label, {630, 390, 1575, 195}, "正在检测，请等待...",
               ControlStyle{}.InPanel("Picture1")},
              {"pbar", ProgButton, {540, 1065, 5250, 420}, "",
               NamedStyle("检测进度").InPanel("Picture1")},
              {"Command1", ProgButton, {1275, 2790, 1185, 465}},
              {"cmdStop", ProgButton, {3585, 2790, 1185, 465}},
          },
      .timers = {{"tmrDraw", 100, true}, {"tmrT", 1000, false}},
  };
  return design;
}

}  // namespace lumaro
