#include "signin/frmReg_design.h"

#include "core/control_styles.h"

namespace lumaro {

const WindowDesign& frmRegDesign() {
  using enum ControlKind;
  static const WindowDesign design{
      .attributes = {.name = "frmReg",
               .caption = "用户注册",
               .clientWidth = 7740,
               .clientHeight = 5340,
               .background = "reg_background.svg",
               .frame = FrameKind::FixedDialog,
               .minimizeButton = false,
               .maximizeButton = false,
               .showInTaskbar = false,
               .placement = Placement::CenterOwner},
      .controls =
          {
              // The browser lies underneath the account box, so it is never seen.
              {"web", Browser, {3825, 855, 165, 285}, "",
               UnseenBrowserStyle("注册表单")},

              {"cmdOk", Picture, {2400, 4440, 1275, 405}, "",
               PictureStyle("button_large.svg").Named("注册")},
              {"cmdExit", Picture, {3705, 4440, 1275, 405}, "",
               PictureStyle("button_large.svg").Named("取消")},
              {"Image2", Picture, {45, 4950, 7680, 450}, "", PictureStyle("reg_strip.svg")},

              {"Label16", Label, {2565, 300, 1875, 435}, "新用户注册",
               TextStyle(kWhite).WithFont(18, true)},
              {"Label1", Label, {1815, 930, 360, 195}, "帐号", TextStyle(kWhite)},
              {"Label6", Label, {1815, 1395, 720, 195}, "常用邮箱", TextStyle(kWhite)},
              {"Label2", Label, {1815, 1845, 360, 195}, "密码", TextStyle(kWhite)},
              {"Label3", Label, {1815, 2340, 720, 195}, "确认密码", TextStyle(kWhite)},
              {"Label5", Label, {1815, 2880, 240, 195}, "QQ", TextStyle(kWhite)},
              {"Label7", Label, {1815, 3405, 720, 195}, "联系电话", TextStyle(kWhite)},
              {"Label10", Label, {1815, 3870, 360, 195}, "姓名", TextStyle(kWhite)},
              // Required-field marks (a control array in the original design:
              // indexes 0, 4, 1, 3) beside the account, e-mail, confirmation
              // and QQ rows, and Label13 beside the password row.
              {"Label12_0", Label, {4770, 945, 360, 195}, "必填", TextStyle(kWhite)},
              {"Label12_4", Label, {4770, 1395, 360, 195}, "必填", TextStyle(kWhite)},
              {"Label12_1", Label, {4755, 2355, 360, 195}, "必填", TextStyle(kWhite)},
              {"Label12_3", Label, {4740, 2880, 360, 195}, "必填", TextStyle(kWhite)},
              {"Label13", Label, {4755, 1860, 360, 195}, "必填", TextStyle(kWhite)},

              // Text boxes in their tab order, each named after the caption
              // beside it.
              {"txtuser", TextBox, {2670, 855, 1860, 330}, "", NamedStyle("帐号")},
              {"txtEmail", TextBox, {2670, 1290, 1860, 330}, "", NamedStyle("常用邮箱")},
              {"txtpass", TextBox, {2670, 1755, 1860, 330}, "", NamedStyle("密码").AsPassword()},
              {"txtPASS2", TextBox, {2670, 2250, 1860, 330}, "",
               NamedStyle("确认密码").AsPassword()},
              {"txtQQ", TextBox, {2670, 2775, 1860, 330}, "", NamedStyle("QQ")},
              {"txtMobile", TextBox, {2670, 3315, 1860, 330}, "", NamedStyle("联系电话")},
              {"txtMan", TextBox, {2670, 3810, 1860, 330}, "", NamedStyle("姓名")},

              // Captions on the light button picture: in the default text
              // colour, as on the login window's buttons (white would vanish
              // on the picture). They follow the boxes in the Tab order.
              {"Label14", Label, {2895, 4545, 360, 195}, "注册", ClickableStyle()},
              {"Label15", Label, {4155, 4560, 360, 195}, "取消", ClickableStyle()},
          },
  };
  return design;
}

}  // namespace lumaro
