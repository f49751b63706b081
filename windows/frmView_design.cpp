#include "windows/frmView_design.h"

#include "core/control_styles.h"

namespace lumaro {

const WindowDesign& frmViewDesign() {
  using enum ControlKind;
  static const WindowDesign design{
      .attributes = {.name = "frmView",
               .caption = "详细信息浏览",
               .clientWidth = 10200,
               .clientHeight = 7995,
               .frame = FrameKind::Sizable,
               .maximizeButton = false,
               .placement = Placement::CenterOwner,
               // The frame the window's resize handler takes off its outer
               // size: the page fills the client area exactly.
               .frameWidth = 120,
               .frameHeight = 500},
      .controls =
          {
              // Fills the client area; the resize handler keeps it so.
              {"web", Browser, {0, 0, 10200, 7995}, "", PageBrowserStyle().Named("详细信息")},
          },
  };
  return design;
}

}  // namespace lumaro
