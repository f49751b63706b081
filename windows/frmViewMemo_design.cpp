#include "windows/frmViewMemo_design.h"

#include "core/control_styles.h"

namespace lumaro {

const WindowDesign& frmViewMemoDesign() {
  using enum ControlKind;
  static const WindowDesign design{
      .attributes = FixedDialogAttributes("frmViewMemo", "查看详情", 7020, 6285),
      .controls =
          {
              {"web1", Browser, {30, 15, 6915, 6210}, "", PageBrowserStyle().Named("备注")},
          },
  };
  return design;
}

}  // namespace lumaro
