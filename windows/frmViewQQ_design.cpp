#include "windows/frmViewQQ_design.h"

#include "core/control_styles.h"

namespace lumaro {

const WindowDesign& frmViewQQDesign() {
  using enum ControlKind;
  static const WindowDesign design{
      .attributes = {.name = "frmViewQQ",
               .caption = "访客详情",
               .clientWidth = 14985,
               .clientHeight = 8265,
               .frame = FrameKind::Sizable,
               .placement = Placement::CenterScreen,
               // The frame the window's resize handler takes off its outer
               // size: the page fills the client area exactly.
               .frameWidth = 150,
               .frameHeight = 500},
      .controls =
          {
              // Created first, so that Web covers it. The exports it loads are
              // saved without asking: the user never sees its page to answer
              // from.
              {"webData", Browser, {3435, 2265, 2025, 2520}, "",
               ControlStyle{.accessibleName = "导出", .unseen = true, .savesDownloads = true}},
              // Fills the client area; the resize handler keeps it so.
              {"Web", Browser, {0, 0, 14985, 8265}, "", PageBrowserStyle().Named("访客详情")},
          },
  };
  return design;
}

}  // namespace lumaro
