#include "agent/frmSys.h"

#include <cmath>
#include <exception>
#include <optional>

#include "build_config.h"
#include "core/address_kinds.h"
#include "core/desktop.h"
#include "core/form_text.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "core/notice.h"
#include "core/shared_window.h"
#include "core/startup.h"
#include "core/url_helpers.h"

namespace lumaro {

namespace {

constexpr int kClientWidth = 11400;
constexpr int kClientHeight = 10395;
constexpr int kOuterWidth = 15150;
constexpr int kOuterHeight = 11340;

constexpr uint32_t kWhite = PackRRGGBB(255, 255, 255);
constexpr uint32_t kRed = PackRRGGBB(255, 0, 0);
// The desktop's selection colour, used for the menu entries on light panels
// and for the page title.
constexpr uint32_t kHighlight = PackRRGGBB(0, 120, 215);

ControlStyle Text(uint32_t color) {
  ControlStyle s;
  s.color = color;
  return s;
}

// A menu label; the ones with the hand cursor are clicked, and Tab reaches
// them.
ControlStyle MenuEntry(uint32_t color, bool hand = true, const std::string& parent = "") {
  ControlStyle s;
  s.color = color;
  s.handCursor = hand;
  s.tabStop = hand;
  s.parent = parent;
  return s;
}

// A caption-less label over a button drawn by the skin, named after what it
// does.
ControlStyle HotSpot(const std::string& purpose) {
  ControlStyle s;
  s.handCursor = true;
  s.tabStop = true;
  s.accessibleName = purpose;
  return s;
}

// A picture; one with a purpose is a button that Tab reaches.
ControlStyle Picture(const std::string& asset, const std::string& purpose = "") {
  ControlStyle s;
  s.image = asset;
  s.accessibleName = purpose;
  s.tabStop = !purpose.empty();
  return s;
}

// Leading and trailing blanks removed (tabs and other white space stay).
std::string TrimBlanks(const std::string& text) {
  size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  size_t e = text.find_last_not_of(' ');
  return text.substr(b, e - b + 1);
}

}  // namespace

bool IsNumericText(const std::string& text) {
  double value = 0;
  return ReadWholeNumber(text, &value) && std::isfinite(value);
}

void ShowAgentConsole() { frmSys::Instance().Show(); }


frmSys::frmSys() {
  WindowSpec design;
  design.name = "frmSys";
  design.clientWidth = kClientWidth;
  design.clientHeight = kClientHeight;
  design.background = "agent_skin.svg";
  design.frame = FrameKind::Sizable;
  design.minimizeButton = true;
  design.maximizeButton = true;
  design.placement = Placement::CenterScreen;
  window_ = Desktop().ui->CreateWindow(design);
  IWindow& w = *window_;

  ControlStyle page;
  page.accessibleName = "网页";
  page.pageKeys = true;  // reload, history, zoom, find and print keys
  web = w.AddBrowser("web", {3015, 2205, 11655, 7770}, page);

  // Pictures and panels over parts of the skin, below the labels.
  Image6 = w.AddPicture("Image6", {3180, 1275, 5715, 450}, Picture("blue_bar.svg"));
  Image1 = w.AddPicture("Image1", {450, 2430, 2415, 375}, Picture("menu_bar.svg"));
  Picture2 = w.AddPanel("Picture2", {450, 2805, 2430, 885}, Picture("agent_panel.svg"));
  Image2 = w.AddPicture("Image2", {450, 3705, 2415, 375}, Picture("menu_bar.svg"));
  Image3 = w.AddPicture("Image3", {435, 4110, 2415, 375}, Picture("menu_bar.svg"));
  Image5 = w.AddPicture("Image5", {450, 4485, 2415, 375}, Picture("menu_bar.svg"));
  Image7 = w.AddPicture("Image7", {435, 4500, 2415, 375}, Picture("menu_bar.svg"));
  Picture1 = w.AddPanel("Picture1", {435, 4875, 2430, 885}, Picture("agent_panel.svg"));
  img8 = w.AddPicture("img8", {420, 5775, 2415, 375}, Picture("menu_bar.svg"));
  Image4 = w.AddPicture("Image4", {375, 8460, 1215, 345}, Picture("consult_button.svg", "在线咨询"));
  Image8 = w.AddPicture("Image8", {1710, 8460, 1215, 345}, Picture("consult_button.svg", "在线咨询"));
  Image9 = w.AddPicture("Image9", {330, 9150, 2640, 840}, Picture("light_panel.svg"));

  lblTop = w.AddLabel("lblTop", {3180, 930, 4980, 300}, "", Text(kWhite));
  lblUser = w.AddLabel("lblUser", {1440, 1560, 1200, 255}, "", Text(kWhite));
  ControlStyle title = Text(kHighlight);
  title.bold = true;
  title.pointSize = 13.5;
  lblTip = w.AddLabel("lblTip", {3285, 1815, 1575, 360}, "欢迎界面：", title);
  lblSubTip = w.AddLabel("lblSubTip", {4755, 1890, 45, 240}, "", Text(kRed));

  // The leading blanks of the white captions leave room for the icon at the
  // left end of the menu bar.
  lbl1 = w.AddLabel("lbl1", {450, 2415, 2325, 420}, "          基本信息管理",
                    MenuEntry(kWhite, false));
  lblItem1 = w.AddLabel("lblItem1", {525, 150, 870, 255}, "密码修改",
                        MenuEntry(kHighlight, true, "Picture2"));
  lblItem2 = w.AddLabel("lblItem2", {510, 495, 930, 285}, "操作日志",
                        MenuEntry(kHighlight, true, "Picture2"));
  ControlStyle inPicture2;
  inPicture2.parent = "Picture2";
  lblItem4 = w.AddLabel("lblItem4", {450, 1200, 1035, 300}, "", inPicture2);
  lbl2 = w.AddLabel("lbl2", {450, 3750, 2430, 405}, "          开通代理", MenuEntry(kWhite));
  lbl3 = w.AddLabel("lbl3", {435, 4110, 2415, 390}, "          代理管理", MenuEntry(kWhite));
  Label1 = w.AddLabel("Label1", {450, 4515, 2415, 405}, "         访客管理", MenuEntry(kWhite));
  lbl7 = w.AddLabel("lbl7", {450, 4515, 2415, 405}, "          主页信息管理",
                    MenuEntry(kWhite, false));
  Label4 = w.AddLabel("Label4", {525, 150, 870, 255}, "新增信息",
                      MenuEntry(kHighlight, true, "Picture1"));
  Label3 = w.AddLabel("Label3", {510, 495, 930, 285}, "管理信息",
                      MenuEntry(kHighlight, true, "Picture1"));
  ControlStyle inPicture1;
  inPicture1.parent = "Picture1";
  Label2 = w.AddLabel("Label2", {450, 1200, 1035, 300}, "", inPicture1);
  ControlStyle versionEntry = MenuEntry(kWhite, false);
  versionEntry.tabStop = true;
  lbl8 = w.AddLabel("lbl8", {420, 5805, 2415, 405}, "         版本设置", versionEntry);

  lblEdit = w.AddLabel("lblEdit", {8355, 915, 1470, 315}, "", HotSpot("修改资料"));
  lblHome = w.AddLabel("lblHome", {9885, 930, 915, 315}, "", HotSpot("首页"));
  lblBack = w.AddLabel("lblBack", {10860, 930, 855, 300}, "", HotSpot("后退"));
  lblGo = w.AddLabel("lblGo", {11745, 960, 885, 300}, "", HotSpot("前进"));
  lblReFresh = w.AddLabel("lblReFresh", {12660, 960, 930, 255}, "", HotSpot("刷新"));
  ControlStyle exitStyle = HotSpot("退出");
  exitStyle.tooltip = "退出";
  lblExit = w.AddLabel("lblExit", {13575, 960, 915, 285}, "", exitStyle);
  ControlStyle searchStyle = HotSpot("搜索");
  searchStyle.visible = false;
  lblSearch = w.AddLabel("lblSearch", {6750, 1335, 1260, 375}, "", searchStyle);

  tmrHand = w.AddTimer("tmrHand", 60000, true);

  lblItem1->onClick = [this] { OpenMenuPage("基本信息", "changepwd.asp?t="); };
  lblItem2->onClick = [this] { OpenMenuPage("操作日志", "listLog.asp?t="); };
  lbl2->onClick = [this] { OpenMenuPage(TrimBlanks(lbl2->Text()), "AddAcount.asp?t="); };
  lbl3->onClick = [this] { OpenMenuPage(TrimBlanks(lbl3->Text()), "manaproxy.asp?t="); };
  Label1->onClick = [this] { OpenMenuPage("访客管理", "manaClient.asp?t=", /*navigate2=*/true); };
  Label4->onClick = [this] { OpenMenuPage("新增信息", "addinfo.asp?t="); };
  Label3->onClick = [this] { OpenMenuPage("管理信息", "manainfo.asp?t="); };
  lblEdit->onClick = [this] { OpenMenuPage("修改用户信息", "editUser.asp?t="); };
  lblHome->onClick = [this] { ShowWelcomePage(); };
  w.onGoHome = [this] { ShowWelcomePage(); };  // Alt+Home, as 首页
  lblBack->onClick = [this] { web->GoBack(); };   // no earlier page: nothing happens
  lblGo->onClick = [this] { web->GoForward(); };  // no later page: nothing happens
  lblReFresh->onClick = [this] { web->Refresh(); };
  lblExit->onClick = [this] { window_->Close(); };
  Image4->onClick = [this] { Image4_Click(); };
  Image8->onClick = [this] { Image8_Click(); };
  lbl8->onClick = [this] { lbl8_Click(); };

  tmrHand->onTick = [this] { tmrHand_Timer(); };

  web->onBeforeNavigate2 = [this](BeforeNavigateArgs& args) { web_BeforeNavigate2(args); };
  web->onNewWindow2 = [this](NewWindowArgs& args) { web_NewWindow2(args); };

  w.onResize = [this] { Form_Resize(); };
  w.onClosed = [this] { closed_ = true; };

  Form_Load();
}

void frmSys::Show() {
  // The fixed size is in place before the window first appears, so that it
  // is centred at that size rather than at its design size.
  if (!window_->IsOpen()) Form_Resize();
  window_->Show();
}

void frmSys::Form_Load() {
  window_->SetCaption(gAppCaption);
  lblUser->SetText(gUserName);
  // Nothing shows these again, in any edition: a mistyped version number
  // would send every client of the edition to the update window.
  Image7->SetVisible(false);
  Picture1->SetVisible(false);
  lbl7->SetVisible(false);
  img8->SetVisible(false);
  lbl8->SetVisible(false);
  lblTop->SetText(std::string("欢迎登录") + std::string(kProductTitle) + "代理平台系统");
  web->SetSilent(true);
  ShowWelcomePage();
}

void frmSys::ShowWelcomePage() {
  lblTip->SetText("欢迎界面");
  lblSubTip->SetText(std::string("小提示：您现在使用的是") + std::string(kProductTitle) +
                     "代理管理平台，如有任何疑问请联系客服");
  web->Navigate(std::string(kServiceBase) + "proxyDefault.asp?oem=1&t=" + TimerStamp());
}

void frmSys::OpenMenuPage(const std::string& title, const std::string& page, bool navigate2) {
  lblTip->SetText(title);
  lblSubTip->SetText("");
  const std::string address = std::string(kServiceBase) + page + TimerStamp();
  if (navigate2)
    web->Navigate2(address);
  else
    web->Navigate(address);
}

void frmSys::Form_Resize() {
  // Each assignment fails while the window is minimized or maximized; the
  // other one is still made.
  window_->SetOuterWidth(kOuterWidth);
  window_->SetOuterHeight(kOuterHeight);
}

void frmSys::tmrHand_Timer() {
  // Composed only. Sending it through HttpGet would abandon any fetch that
  // is waiting at the moment the timer fires (they share one request).
  keepAliveAddress_ = std::string(kServiceBase) + "hand.asp?t=" + TimerStamp();
}

void frmSys::Image4_Click() { OpenChatLink(); }
void frmSys::Image8_Click() { OpenChatLink(); }

void frmSys::OpenChatLink() {
  const std::string address = std::string(kChatLinkBase) + "/msgrd?v=3&uin=" + gOemSupportQQ +
                              "&site=qq&menu=yes";
  // The number comes from the service's reply as it is; an address it has
  // made into anything but a chat link (a control character) is not handed
  // on.
  if (!IsChatLink(address)) return;
  try {
    // Nothing is shown when the desktop's browser cannot be started.
    Desktop().shell->OpenInBrowser(address);
  } catch (const std::exception&) {
  }
}

void frmSys::lbl8_Click() {
  std::optional<std::string> answer =
      Desktop().dialogs->InputBox("请输入新的程序版本号：", "版本设定", VersionText());
  // Closed while the box was up: nothing is set.
  if (closed_ || !answer || answer->empty()) return;
  const std::string stamp = TimerStamp();
  // The answer is percent-encoded: a blank or "&" in it would otherwise cut
  // or change the query.
  const std::string reply = HttpGet(
      std::string(kServiceBase) + "SetVer.asp?ver=" + UrlEncode(*answer) + "&t=" + stamp, false);
  if (closed_) return;
  if (reply.find("ok") != std::string::npos)
    ShowNotice("版本设定成功！", MsgIcon::None);
  else
    ShowNotice("版醒设定失败！", MsgIcon::None);
}

}  // namespace lumaro
