#include "windows/frmUP_design.h"

#include "core/control_styles.h"

namespace lumaro {

const WindowDesign& frmUPDesign() {
  using enum ControlKind;
  static const WindowDesign design{
      .attributes = FixedDialogAttributes("frmUP", "版本升级", 8205, 3225),
      .controls =
          {
              {"PicM", Picture, {-45, -15, 1740, 3270}, "", PictureStyle("update_side.svg")},
              {"Label2", Label, {2355, 540, 4875, 435}, "检测到有最新功能的更新程序",
               TextStyle(PackRRGGBB(7, 137, 243)).WithFont(18, true)},
              {"Command1", ProgButton, {2505, 1605, 1800, 540}},
              {"Command2", ProgButton, {4845, 1620, 1800, 540}},
          },
  };
  return design;
}

}  // namespace lumaro
