#include "agent/frmSys_design.h"

#include "core/control_styles.h"
#include "windows/console_toolbar.h"

namespace lumaro {

namespace {

// The desktop's selection colour, used for the menu entries on light panels
// and for the page title.
constexpr uint32_t kHighlight = PackRRGGBB(0, 120, 215);

}  // namespace

const WindowDesign& frmSysDesign() {
  using enum ControlKind;
  static const WindowDesign design = [] {
    WindowDesign d{
        .attributes = {.name = "frmSys",
                 .clientWidth = 11400,
                 .clientHeight = 10395,
                 .background = "agent_skin.svg",
                 .frame = FrameKind::Sizable,
                 .minimizeButton = true,
                 .maximizeButton = true,
                 .placement = Placement::CenterScreen},
        .controls =
            {
                {"web", Browser, {3015, 2205, 11655, 7770}, "", PageBrowserStyle()},

                // Pictures and panels over parts of the skin, below the labels.
                {"Image6", Picture, {3180, 1275, 5715, 450}, "", PictureStyle("blue_bar.svg")},
                {"Image1", Picture, {450, 2430, 2415, 375}, "", PictureStyle("menu_bar.svg")},
                {"Picture2", Panel, {450, 2805, 2430, 885}, "", PictureStyle("agent_panel.svg")},
                {"Image2", Picture, {450, 3705, 2415, 375}, "", PictureStyle("menu_bar.svg")},
                {"Image3", Picture, {435, 4110, 2415, 375}, "", PictureStyle("menu_bar.svg")},
                {"Image5", Picture, {450, 4485, 2415, 375}, "", PictureStyle("menu_bar.svg")},
                {"Image7", Picture, {435, 4500, 2415, 375}, "", PictureStyle("menu_bar.svg")},
                {"Picture1", Panel, {435, 4875, 2430, 885}, "", PictureStyle("agent_panel.svg")},
                {"img8", Picture, {420, 5775, 2415, 375}, "", PictureStyle("menu_bar.svg")},
                // The two consultation buttons: Tab reaches them.
                {"Image4", Picture, {375, 8460, 1215, 345}, "",
                 PictureStyle("consult_button.svg").Named("在线咨询").WithTabStop()},
                {"Image8", Picture, {1710, 8460, 1215, 345}, "",
                 PictureStyle("consult_button.svg").Named("在线咨询").WithTabStop()},
                {"Image9", Picture, {330, 9150, 2640, 840}, "", PictureStyle("light_panel.svg")},

                {"lblTop", Label, {3180, 930, 4980, 300}, "", TextStyle(kWhite)},
                {"lblUser", Label, {1440, 1560, 1200, 255}, "", TextStyle(kWhite)},
                {"lblTip", Label, {3285, 1815, 1575, 360}, "欢迎界面：",
                 TextStyle(kHighlight).WithFont(13.5, true)},
                {"lblSubTip", Label, {4755, 1890, 45, 240}, "", TextStyle(kRed)},

                // Menu labels: the ones with the hand cursor are clicked, and Tab
                // reaches them. The leading blanks of the white captions leave
                // room for the icon at the left end of the menu bar.
                {"lbl1", Label, {450, 2415, 2325, 420}, "          基本信息管理", TextStyle(kWhite)},
                {"lblItem1", Label, {525, 150, 870, 255}, "密码修改",
                 MenuEntryStyle(kHighlight).InPanel("Picture2")},
                {"lblItem2", Label, {510, 495, 930, 285}, "操作日志",
                 MenuEntryStyle(kHighlight).InPanel("Picture2")},
                {"lblItem4", Label, {450, 1200, 1035, 300}, "", ControlStyle{}.InPanel("Picture2")},
                {"lbl2", Label, {450, 3750, 2430, 405}, "          开通代理", MenuEntryStyle(kWhite)},
                {"lbl3", Label, {435, 4110, 2415, 390}, "          代理管理", MenuEntryStyle(kWhite)},
                {"Label1", Label, {450, 4515, 2415, 405}, "         访客管理", MenuEntryStyle(kWhite)},
                {"lbl7", Label, {450, 4515, 2415, 405}, "          主页信息管理", TextStyle(kWhite)},
                {"Label4", Label, {525, 150, 870, 255}, "新增信息",
                 MenuEntryStyle(kHighlight).InPanel("Picture1")},
                {"Label3", Label, {510, 495, 930, 285}, "管理信息",
                 MenuEntryStyle(kHighlight).InPanel("Picture1")},
                {"Label2", Label, {450, 1200, 1035, 300}, "", ControlStyle{}.InPanel("Picture1")},
                {"lbl8", Label, {420, 5805, 2415, 405}, "         版本设置",
                 TextStyle(kWhite).WithTabStop()},

            },
        .timers = {{"tmrHand", 60000, true}},
    };
    std::vector<ControlDesign> toolbar = ConsoleToolbarDesign();
    d.controls.insert(d.controls.end(), toolbar.begin(), toolbar.end());
    return d;
  }();
  return design;
}

}  // namespace lumaro
