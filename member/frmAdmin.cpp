#include "member/frmAdmin.h"

#include "build_config.h"
#include "core/desktop.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "core/shared_window.h"
#include "core/startup.h"
#include "core/url_helpers.h"

namespace lumaro {

namespace {

constexpr int kClientWidth = 15045;
constexpr int kClientHeight = 10395;
constexpr int kOuterWidth = 15150;
constexpr int kOuterHeight = 11340;

constexpr uint32_t kNavy = PackRRGGBB(0, 0, 128);
constexpr uint32_t kWhite = PackRRGGBB(255, 255, 255);
constexpr uint32_t kRed = PackRRGGBB(255, 0, 0);

ControlStyle Text(uint32_t color) {
  ControlStyle s;
  s.color = color;
  return s;
}

ControlStyle MenuEntry(uint32_t color) {
  ControlStyle s;
  s.color = color;
  s.handCursor = true;
  s.tabStop = true;
  return s;
}

// A caption-less label over a button drawn by the skin, named after what it
// does. The ones the skin shows are reached with Tab as well.
ControlStyle HotSpot(const std::string& purpose, bool shown = true) {
  ControlStyle s;
  s.handCursor = shown;
  s.tabStop = shown;
  s.accessibleName = purpose;
  return s;
}

ControlStyle Picture(const std::string& asset, bool stretch = false) {
  ControlStyle s;
  s.image = asset;
  s.stretch = stretch;
  return s;
}

}  // namespace

void ShowMemberConsole() { frmAdmin::Instance().Show(); }

frmAdmin::frmAdmin() {
  WindowSpec design;
  design.name = "frmAdmin";
  design.clientWidth = kClientWidth;
  design.clientHeight = kClientHeight;
  design.background = "console_skin.svg";
  design.frame = FrameKind::Sizable;
  design.minimizeButton = true;
  design.maximizeButton = true;
  design.placement = Placement::CenterScreen;
  window_ = Desktop().ui->CreateWindow(design);
  IWindow& w = *window_;

  ControlStyle page;
  page.accessibleName = "网页";
  page.pageKeys = true;  // reload, history, zoom, find and print keys
  web = w.AddBrowser("web", {3015, 2190, 11655, 7770}, page);

  // Pictures over parts of the skin, below the labels.
  Image1 = w.AddPicture("Image1", {3150, 1275, 5715, 450}, Picture("blue_bar.svg"));
  picture2 = w.AddPicture("picture2", {495, 2325, 2415, 825}, Picture("panel_gradient.svg", true));
  Image5 = w.AddPicture("Image5", {465, 3210, 2415, 375}, Picture("menu_bar.svg"));
  Image2 = w.AddPicture("Image2", {465, 3690, 2415, 375}, Picture("menu_bar.svg"));
  Image3 = w.AddPicture("Image3", {465, 4155, 2415, 375}, Picture("menu_bar.svg"));
  Image6 = w.AddPicture("Image6", {330, 9210, 2640, 840}, Picture("light_panel.svg"));

  lblTop = w.AddLabel("lblTop", {3180, 930, 4980, 300}, "", Text(kWhite));
  lblUser = w.AddLabel("lblUser", {1440, 1560, 1200, 255}, "", Text(kWhite));
  ControlStyle title = Text(kNavy);
  title.bold = true;
  title.pointSize = 13.5;
  lblTip = w.AddLabel("lblTip", {3285, 1815, 1575, 360}, "欢迎界面：", title);
  lblSubTip = w.AddLabel("lblSubTip", {4755, 1890, 45, 240}, "", Text(kRed));

  lblItem1 = w.AddLabel("lblItem1", {1005, 2415, 720, 240}, "基本信息", MenuEntry(kNavy));
  lblitem3 = w.AddLabel("lblitem3", {1005, 2769, 720, 240}, "修改密码", MenuEntry(kNavy));
  lblitem2 = w.AddLabel("lblitem2", {930, 3255, 1725, 360}, "网站访客", MenuEntry(kWhite));
  lblitem6 = w.AddLabel("lblitem6", {930, 3750, 720, 240}, "在线充值", MenuEntry(kWhite));
  lblItem7 = w.AddLabel("lblItem7", {930, 4215, 720, 240}, "充值记录", MenuEntry(kWhite));
  ControlStyle hiddenEntry = MenuEntry(kNavy);
  hiddenEntry.visible = false;
  lblItem8 = w.AddLabel("lblItem8", {2715, 4020, 720, 240}, "推广赚钱", hiddenEntry);

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
  // Nothing on the screen shows where this one is, and it does something for
  // one account only: the keyboard passes it by.
  Label1 = w.AddLabel("Label1", {14280, 10440, 855, 375}, "", HotSpot("广告", false));

  Timer1 = w.AddTimer("Timer1", 5000, true);
  tmrHand = w.AddTimer("tmrHand", 60000, true);
  tmrTest = w.AddTimer("tmrTest", 500, false);

  auto base = std::string(kServiceBase);
  lblItem1->onClick = [this] { OpenMenuPage("基本信息", "base.asp?t="); };
  lblitem3->onClick = [this] { OpenMenuPage("密码修改", "changePwd.asp?t="); };
  lblitem2->onClick = [this] { OpenMenuPage("网站访客", "Mananet.asp?t="); };
  lblitem6->onClick = [this] { OpenMenuPage("在线充值", "pay.asp?types=1&t="); };
  lblItem7->onClick = [this] { OpenMenuPage("充值记录", "listCharge.asp?t="); };
  lblItem8->onClick = [this] { OpenMenuPage("我的推广", "addword.asp?types=2&t="); };
  lblEdit->onClick = [this] { OpenMenuPage("修改用户信息", "editUser.asp?t="); };
  lblHome->onClick = [this] { ShowWelcomePage(); };
  w.onGoHome = [this] { ShowWelcomePage(); };  // Alt+Home, as 首页
  lblBack->onClick = [this] { web->GoBack(); };  // no earlier page: nothing happens
  lblGo->onClick = [this] { web->GoForward(); };  // no later page: nothing happens
  lblReFresh->onClick = [this] { web->Refresh(); };
  lblExit->onClick = [this] { window_->Close(); };
  Label1->onClick = [this, base] {
    if (gUserName == kSpecialAccount) web->Navigate2(base + "addAD.asp?t=" + TimerStamp());
  };

  Timer1->onTick = [this] { Timer1_Timer(); };
  tmrHand->onTick = [this] { tmrHand_Timer(); };
  tmrTest->onTick = [this] { tmrTest_Timer(); };

  web->onDocumentComplete = [this](const std::string& url) { web_DocumentComplete(url); };
  web->onBeforeNavigate2 = [this](BeforeNavigateArgs& args) { web_BeforeNavigate2(args); };
  web->onDocumentClick = [this] { m_doc_onclick(); };
  web->onDocumentKeyUp = [this] { m_doc_onkeyup(); };

  w.onResize = [this] { Form_Resize(); };
  w.onClosed = [this] { closed_ = true; };

  Form_Load();
}

void frmAdmin::Show() {
  // The fixed size is in place before the window first appears, so that it
  // is centred at that size rather than at its design size.
  if (!window_->IsOpen()) Form_Resize();
  window_->Show();
}

void frmAdmin::Form_Load() {
  window_->SetCaption(gAppCaption);
  lblUser->SetText(gUserName);
  lblTop->SetText(std::string("欢迎登录") + std::string(kProductTitle) + "管理系统");
  web->SetSilent(true);
  ShowWelcomePage();
}

void frmAdmin::ShowWelcomePage() {
  lblTip->SetText("欢迎界面");
  lblSubTip->SetText(std::string("小提示：您现在使用的是") + std::string(kProductTitle) +
                     "，如有任何疑问请联系客服");
  // The account name is percent-encoded: an "&", "#" or blank in it would
  // otherwise cut or change the query.
  web->Navigate(std::string(kServiceBase) + "Default.asp?types=" + std::to_string(kEditionId) +
                "&uName=" + UrlEncode(gUserName) + "&oem=1&t=" + TimerStamp());
}

void frmAdmin::OpenMenuPage(const std::string& title, const std::string& page) {
  lblTip->SetText(title);
  lblSubTip->SetText("");
  web->Navigate(std::string(kServiceBase) + page + TimerStamp());
}

void frmAdmin::Form_Resize() {
  // Each assignment fails while the window is minimized or maximized; the
  // other one is still made.
  window_->SetOuterWidth(kOuterWidth);
  window_->SetOuterHeight(kOuterHeight);
}

void frmAdmin::Timer1_Timer() { WriteShareLog(); }

void frmAdmin::tmrHand_Timer() {
  // Composed only. Sending it through HttpGet would abandon any fetch that
  // is waiting at the moment the timer fires (they share one request).
  keepAliveAddress_ = std::string(kServiceBase) + "hand.asp?t=" + TimerStamp();
}

void frmAdmin::tmrTest_Timer() { tmrTest->SetEnabled(false); }

void frmAdmin::web_DocumentComplete(const std::string& url) {
  // Every completed load, top page or frame, hands its document to the
  // recharge calculator.
  m_doc = &web->Document();
}

}  // namespace lumaro
