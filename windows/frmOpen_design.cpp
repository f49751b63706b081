#include "windows/frmOpen_design.h"

#include "core/control_styles.h"

namespace lumaro {

const WindowDesign& frmOpenDesign() {
  using enum ControlKind;
  static const WindowDesign design{
      .attributes = {.name = "frmOpen",
               .caption = "Form1",
               .clientWidth = 90,
               .clientHeight = 90,
               .frame = FrameKind::None,
               .minimizeButton = false,
               .maximizeButton = false,
               .showInTaskbar = false,
               .placement = Placement::System},
      .controls =
          {
              // Lies almost wholly outside the tiny client area: the page runs
              // unseen.
              {"Web", Browser, {240, 165, 3300, 2430}, "", NamedStyle("聊天链接")},
          },
      // How long the window waits for its page to close itself before it
      // closes on its own, so that a chat page that never does cannot trap
      // the user.
      .timers = {{"tmrGiveUp", 30000, true}},
  };
  return design;
}

}  // namespace lumaro
