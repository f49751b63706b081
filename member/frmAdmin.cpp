#include "member/frmAdmin.h"

#include "build_config.h"
#include "core/desktop.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "core/shared_window.h"
#include "core/startup.h"
#include "core/url_helpers.h"
#include "member/frmAdmin_design.h"

namespace lumaro {

namespace {

// The outer size the window is given on every resize.
constexpr int kOuterWidth = 15150;
constexpr int kOuterHeight = 11340;

}  // namespace

void ShowMemberConsole() { frmAdmin::Instance().Show(); }

frmAdmin::frmAdmin() {
  DesignedControls controls = CreateDesignedWindow(frmAdminDesign(), window_);
  IWindow& w = *window_;
  web = controls.Browser("web");
  Image1 = controls.Picture("Image1");
  picture2 = controls.Picture("picture2");
  Image5 = controls.Picture("Image5");
  Image2 = controls.Picture("Image2");
  Image3 = controls.Picture("Image3");
  Image6 = controls.Picture("Image6");
  lblTop = controls.Label("lblTop");
  lblUser = controls.Label("lblUser");
  lblTip = controls.Label("lblTip");
  lblSubTip = controls.Label("lblSubTip");
  lblItem1 = controls.Label("lblItem1");
  lblitem3 = controls.Label("lblitem3");
  lblitem2 = controls.Label("lblitem2");
  lblitem6 = controls.Label("lblitem6");
  lblItem7 = controls.Label("lblItem7");
  lblItem8 = controls.Label("lblItem8");
  Label1 = controls.Label("Label1");
  Timer1 = controls.Timer("Timer1");
  tmrHand = controls.Timer("tmrHand");
  tmrTest = controls.Timer("tmrTest");

  auto base = std::string(kServiceBase);
  lblItem1->onClick = [this] { OpenMenuPage("基本信息", "base.asp?t="); };
  lblitem3->onClick = [this] { OpenMenuPage("密码修改", "changePwd.asp?t="); };
  lblitem2->onClick = [this] { OpenMenuPage("网站访客", "Mananet.asp?t="); };
  lblitem6->onClick = [this] { OpenMenuPage("在线充值", "pay.asp?types=1&t="); };
  lblItem7->onClick = [this] { OpenMenuPage("充值记录", "listCharge.asp?t="); };
  lblItem8->onClick = [this] { OpenMenuPage("我的推广", "addword.asp?types=2&t="); };
  toolbar.Wire(controls, w, *web, [this] { ShowWelcomePage(); },
               [this] { OpenMenuPage("修改用户信息", "editUser.asp?t="); });
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
