#include "member/frmAdmin_design.h"

#include "core/control_styles.h"
#include "windows/console_toolbar.h"

namespace lumaro {

const WindowDesign& frmAdminDesign() {
  using enum ControlKind;
  static const WindowDesign design = [] {
    WindowDesign d{
        .attributes = {.name = "frmAdmin",
                 .clientWidth = 15045,
                 .clientHeight = 10395,
                 .background = "console_skin.svg",
                 .frame = FrameKind::Sizable,
                 .minimizeButton = true,
                 .maximizeButton = true,
                 .placement = Placement::CenterScreen},
        .controls =
            {
                {"web", Browser, {3015, 2190, 11655, 7770}, "", PageBrowserStyle()},

                // Pictures over parts of the skin, below the labels.
                {"Image1", Picture, {3150, 1275, 5715, 450}, "", PictureStyle("blue_bar.svg")},
                {"picture2", Picture, {495, 2325, 2415, 825}, "",
                 PictureStyle("panel_gradient.svg", true)},
                {"Image5", Picture, {465, 3210, 2415, 375}, "", PictureStyle("menu_bar.svg")},
                {"Image2", Picture, {465, 3690, 2415, 375}, "", PictureStyle("menu_bar.svg")},
                {"Image3", Picture, {465, 4155, 2415, 375}, "", PictureStyle("menu_bar.svg")},
                {"Image6", Picture, {330, 9210, 2640, 840}, "", PictureStyle("light_panel.svg")},

                {"lblTop", Label, {3180, 930, 4980, 300}, "", TextStyle(kWhite)},
                {"lblUser", Label, {1440, 1560, 1200, 255}, "", TextStyle(kWhite)},
                {"lblTip", Label, {3285, 1815, 1575, 360}, "欢迎界面：",
                 TextStyle(kNavy).WithFont(13.5, true)},
                {"lblSubTip", Label, {4755, 1890, 45, 240}, "", TextStyle(kRed)},

                {"lblItem1", Label, {1005, 2415, 720, 240}, "基本信息", MenuEntryStyle(kNavy)},
                {"lblitem3", Label, {1005, 2769, 720, 240}, "修改密码", MenuEntryStyle(kNavy)},
                {"lblitem2", Label, {930, 3255, 1725, 360}, "网站访客", MenuEntryStyle(kWhite)},
                {"lblitem6", Label, {930, 3750, 720, 240}, "在线充值", MenuEntryStyle(kWhite)},
                {"lblItem7", Label, {930, 4215, 720, 240}, "充值记录", MenuEntryStyle(kWhite)},
                {"lblItem8", Label, {2715, 4020, 720, 240}, "推广赚钱",
                 MenuEntryStyle(kNavy).Hidden()},
            },
        .timers = {{"Timer1", 5000, true}, {"tmrHand", 60000, true}, {"tmrTest", 500, false}},
    };
    std::vector<ControlDesign> toolbar = ConsoleToolbarDesign();
    d.controls.insert(d.controls.end(), toolbar.begin(), toolbar.end());
    // Nothing on the screen shows where this one is, and it does something
    // for one account only: the keyboard passes it by.
    d.controls.push_back({"Label1", ControlKind::Label, {14280, 10440, 855, 375}, "",
                          UnmarkedSpotStyle("广告")});
    return d;
  }();
  return design;
}

}  // namespace lumaro
