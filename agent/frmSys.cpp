#include "agent/frmSys.h"

#include <cmath>
#include <exception>
#include <optional>

#include "agent/frmSys_design.h"
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

// The outer size the window is given on every resize.
constexpr int kOuterWidth = 15150;
constexpr int kOuterHeight = 11340;

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
  DesignedControls controls = CreateDesignedWindow(frmSysDesign(), window_);
  IWindow& w = *window_;
  web = controls.Browser("web");
  Image6 = controls.Picture("Image6");
  Image1 = controls.Picture("Image1");
  Picture2 = controls.Picture("Picture2");
  Image2 = controls.Picture("Image2");
  Image3 = controls.Picture("Image3");
  Image5 = controls.Picture("Image5");
  Image7 = controls.Picture("Image7");
  Picture1 = controls.Picture("Picture1");
  img8 = controls.Picture("img8");
  Image4 = controls.Picture("Image4");
  Image8 = controls.Picture("Image8");
  Image9 = controls.Picture("Image9");
  lblTop = controls.Label("lblTop");
  lblUser = controls.Label("lblUser");
  lblTip = controls.Label("lblTip");
  lblSubTip = controls.Label("lblSubTip");
  lbl1 = controls.Label("lbl1");
  lblItem1 = controls.Label("lblItem1");
  lblItem2 = controls.Label("lblItem2");
  lblItem4 = controls.Label("lblItem4");
  lbl2 = controls.Label("lbl2");
  lbl3 = controls.Label("lbl3");
  Label1 = controls.Label("Label1");
  lbl7 = controls.Label("lbl7");
  Label4 = controls.Label("Label4");
  Label3 = controls.Label("Label3");
  Label2 = controls.Label("Label2");
  lbl8 = controls.Label("lbl8");
  tmrHand = controls.Timer("tmrHand");

  lblItem1->onClick = [this] { OpenMenuPage("基本信息", "changepwd.asp?t="); };
  lblItem2->onClick = [this] { OpenMenuPage("操作日志", "listLog.asp?t="); };
  lbl2->onClick = [this] { OpenMenuPage(TrimBlanks(lbl2->Text()), "AddAcount.asp?t="); };
  lbl3->onClick = [this] { OpenMenuPage(TrimBlanks(lbl3->Text()), "manaproxy.asp?t="); };
  Label1->onClick = [this] { OpenMenuPage("访客管理", "manaClient.asp?t=", /*navigate2=*/true); };
  Label4->onClick = [this] { OpenMenuPage("新增信息", "addinfo.asp?t="); };
  Label3->onClick = [this] { OpenMenuPage("管理信息", "manainfo.asp?t="); };
  toolbar.Wire(controls, w, *web, [this] { ShowWelcomePage(); },
               [this] { OpenMenuPage("修改用户信息", "editUser.asp?t="); });
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
