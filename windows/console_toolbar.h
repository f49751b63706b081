// The toolbar both consoles share: caption-less labels over the buttons the
// consoles' skins draw, named after what they do.
#pragma once

#include <functional>
#include <vector>

#include "core/ui.h"
#include "core/window_design.h"

namespace lumaro {

// The toolbar's labels in creation order: 修改资料, 首页, 后退, 前进, 刷新,
// 退出 (with its tooltip) and the hidden 搜索. Tab reaches the shown ones.
std::vector<ControlDesign> ConsoleToolbarDesign();

struct ConsoleToolbar {
  ILabel* lblEdit = nullptr;
  ILabel* lblHome = nullptr;
  ILabel* lblBack = nullptr;
  ILabel* lblGo = nullptr;
  ILabel* lblReFresh = nullptr;
  ILabel* lblExit = nullptr;
  ILabel* lblSearch = nullptr;

  // Takes the labels from `controls` and gives them their clicks: 修改资料
  // calls `editUser`; 首页, and Alt+Home in `window`, call `goHome`; 后退,
  // 前进 and 刷新 act on `web` (where there is no page to go to, nothing
  // happens); 退出 closes `window`. 搜索 does nothing.
  void Wire(const DesignedControls& controls, IWindow& window, IBrowser& web,
            std::function<void()> goHome, std::function<void()> editUser);
};

}  // namespace lumaro
