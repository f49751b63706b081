#include "signin/frmlogin_design.h"

#include "core/control_styles.h"

namespace lumaro {

const WindowDesign& frmloginDesign() {
  using enum ControlKind;
  static const WindowDesign design{
      .attributes = {.name = "frmlogin",
               .caption = "登录",
               .clientWidth = 15045,
               .clientHeight = 9225,
               .background = "login_background.svg",
               .frame = FrameKind::FixedSingle,
               .minimizeButton = true,
               .maximizeButton = false,
               .placement = Placement::CenterScreen},
      // Creation order is the tab order: the user name box comes first.
      // Labels lie over the pictures they caption, so they are added after
      // them. The captions over the button pictures follow the boxes in the
      // Tab order (the pictures beneath them are clicked with the mouse only).
      .controls =
          {
              {"txtuser", TextBox, {2685, 5805, 2670, 345}, "", NamedStyle("帐号")},
              {"txtpass", TextBox, {2685, 6525, 2685, 315}, "", NamedStyle("密码").AsPassword()},
              {"chkWrite", CheckBox, {1620, 7080, 195, 195}, "", NamedStyle("记住密码")},
              {"Image2", Picture, {2895, 6930, 1425, 435}, "", PictureStyle("login_image2.svg")},
              {"Image3", Picture, {2280, 4770, 570, 300}, "", PictureStyle("login_image3.svg")},
              {"cmdLogin", Picture, {2640, 7425, 1185, 345}, "",
               PictureStyle("button.svg").Named("登录").WithHandCursor()},
              {"lblLogin", Label, {3045, 7515, 450, 195}, "登  录", ClickableStyle("登录")},
              {"cmdExit", Picture, {4110, 7425, 1185, 345}, "",
               PictureStyle("button.svg").Named("退出").WithHandCursor()},
              {"lblExit", Label, {4455, 7515, 450, 195}, "退  出", ClickableStyle("退出")},
              {"imgReg", Picture, {5715, 7410, 1275, 405}, "",
               PictureStyle("button_large.svg").Named("新用户注册")},
              {"lblReg", Label, {5940, 7515, 900, 195}, "新用户注册", ClickableStyle()},
              {"lblInfo", Label, {1560, 7890, 4635, 300}, "正在初始化，请稍候.....",
               TextStyle(kWhite)},
          },
      .timers = {{"tmrClear", 100, false}},
  };
  return design;
}

}  // namespace lumaro
