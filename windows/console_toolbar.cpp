#include "windows/console_toolbar.h"

#include <utility>

#include "core/control_styles.h"

namespace lumaro {

std::vector<ControlDesign> ConsoleToolbarDesign() {
  using enum ControlKind;
  return {
      {"lblEdit", Label, {8355, 915, 1470, 315}, "", ClickableStyle("修改资料")},
      {"lblHome", Label, {9885, 930, 915, 315}, "", ClickableStyle("首页")},
      {"lblBack", Label, {10860, 930, 855, 300}, "", ClickableStyle("后退")},
      {"lblGo", Label, {11745, 960, 885, 300}, "", ClickableStyle("前进")},
      {"lblReFresh", Label, {12660, 960, 930, 255}, "", ClickableStyle("刷新")},
      {"lblExit", Label, {13575, 960, 915, 285}, "", ClickableStyle("退出").WithTooltip("退出")},
      {"lblSearch", Label, {6750, 1335, 1260, 375}, "", ClickableStyle("搜索").Hidden()},
  };
}

void ConsoleToolbar::Wire(const DesignedControls& controls, IWindow& window, IBrowser& web,
                          std::function<void()> goHome, std::function<void()> editUser) {
  lblEdit = controls.Label("lblEdit");
  lblHome = controls.Label("lblHome");
  lblBack = controls.Label("lblBack");
  lblGo = controls.Label("lblGo");
  lblReFresh = controls.Label("lblReFresh");
  lblExit = controls.Label("lblExit");
  lblSearch = controls.Label("lblSearch");

  lblEdit->onClick = std::move(editUser);
  lblHome->onClick = goHome;
  window.onGoHome = std::move(goHome);
  lblBack->onClick = [&web] { web.GoBack(); };
  lblGo->onClick = [&web] { web.GoForward(); };
  lblReFresh->onClick = [&web] { web.Refresh(); };
  lblExit->onClick = [&window] { window.Close(); };
}

}  // namespace lumaro
