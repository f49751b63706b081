#include "windows/frmViewMemo_design.h"

#include "core/control_styles.h"

namespace lumaro {

const WindowDesign& frmViewMemoDesign() {
  using enum ControlKind;
  static const WindowDesign design{
      .spec = {.name = "frmViewMemo",
               .caption = "查看详情",
               .clientWidth = 7020,
               .clientHeight = 6285,
               .frame = FrameKind::FixedDialog,
               .minimizeButton = false,
               .maximizeButton = false,
               .showInTaskbar = false,
               .placement = Placement::CenterScreen},
      .controls =
          {
              {"web1", Browser, {30, 15, 6915, 6210}, "", PageBrowserStyle().Named("备注")},
          },
  };
  return design;
}

}  // namespace lumaro
