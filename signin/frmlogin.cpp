#include "signin/frmlogin.h"

#include <string_view>

#include "build_config.h"
#include "core/ansi.h"
#include "core/desktop.h"
#include "core/form_text.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "core/md5.h"
#include "core/notice.h"
#include "core/shared_window.h"
#include "core/startup.h"
#include "core/url_helpers.h"
#include "signin/frmReg.h"
#include "signin/frmlogin_design.h"

namespace lumaro {

namespace {

// The outer size the window is given on every resize.
constexpr int kOuterWidth = 15150;
constexpr int kOuterHeight = 9735;

constexpr const char* kReady = "可以登录";
constexpr const char* kSigningIn = "正在登录，请等待....";
constexpr const char* kRefused = "用户名或密码不正确，登录失败，请重试!";

}  // namespace

void ShowLoginWindow() { frmlogin::Instance().Show(); }

frmlogin::frmlogin() {
  DesignedControls controls = CreateDesignedWindow(frmloginDesign(), window_);
  IWindow& w = *window_;
  txtuser = controls.TextBox("txtuser");
  txtpass = controls.TextBox("txtpass");
  chkWrite = controls.CheckBox("chkWrite");
  Image2 = controls.Picture("Image2");
  Image3 = controls.Picture("Image3");
  cmdLogin = controls.Picture("cmdLogin");
  lblLogin = controls.Label("lblLogin");
  cmdExit = controls.Picture("cmdExit");
  lblExit = controls.Label("lblExit");
  imgReg = controls.Picture("imgReg");
  lblReg = controls.Label("lblReg");
  lblInfo = controls.Label("lblInfo");
  tmrClear = controls.Timer("tmrClear");

  cmdLogin->onClick = [this] { cmdLogin_Click(); };
  lblLogin->onClick = [this] { cmdLogin_Click(); };
  cmdExit->onClick = [this] { cmdExit_Click(); };
  lblExit->onClick = [this] { cmdExit_Click(); };
  imgReg->onClick = [this] { lblReg_Click(); };
  lblReg->onClick = [this] { lblReg_Click(); };
  tmrClear->onTick = [this] { tmrClear_Timer(); };
  w.onResize = [this] { Form_Resize(); };
  w.onClosed = [this] { closed_ = true; };

  Form_Load();
}

void frmlogin::Show() { window_->Show(); }

void frmlogin::Form_Load() {
  window_->SetCaption("登录" + EditionLabel(kEditionId));
  if (kEditionId != 2) {
    lblReg->SetVisible(false);
    imgReg->SetVisible(false);
  }
  LoadRememberedSignIn();
  tmrClear->SetEnabled(true);
}

bool SignInAccepted(const std::string& reply) {
  std::vector<std::string> fields = SplitText(reply, "||");
  return !fields.empty() && fields[0] == "ok";
}

std::optional<RememberedSignIn> ReadRememberedSignIn(const std::string& bytes) {
  std::string line = bytes.substr(0, bytes.find_first_of("\r\n"));
  if (line.empty()) return std::nullopt;
  std::vector<std::string> fields = SplitText(AnsiToUtf8(line), kIniSeparator);
  if (fields.size() != 3) return std::nullopt;
  RememberedSignIn signIn;
  signIn.user = fields[0];
  signIn.password = fields[1];
  double remembered = 0;
  if (ReadWholeNumber(fields[2], &remembered)) signIn.remembered = remembered == 1;
  return signIn;
}

std::string RememberedSignInLine(const std::string& user, const std::string& password,
                                 bool remember) {
  std::string line = user + kIniSeparator;
  if (remember)
    line += password + kIniSeparator + "1";
  else
    line += std::string(kIniSeparator) + "0";
  line += "\r\n";
  return Utf8ToAnsi(line);
}

void frmlogin::LoadRememberedSignIn() {
  std::optional<std::string> bytes = Desktop().files->ReadFile(IniFilePath());
  if (!bytes) return;
  std::optional<RememberedSignIn> signIn = ReadRememberedSignIn(*bytes);
  if (!signIn) return;
  txtuser->SetText(signIn->user);
  txtpass->SetText(signIn->password);
  if (!signIn->remembered) return;
  if (*signIn->remembered) {
    chkWrite->SetChecked(true);
  } else {
    chkWrite->SetChecked(false);
    txtpass->SetText("");
  }
}

void frmlogin::Form_Resize() {
  // Fails while the window is minimized or maximized; the next resize
  // tries again.
  window_->SetOuterWidth(kOuterWidth);
  window_->SetOuterHeight(kOuterHeight);
}

void frmlogin::tmrClear_Timer() {
  tmrClear->SetEnabled(false);
  lblInfo->SetText(kReady);
  lblLogin->SetVisible(true);
  cmdLogin->SetVisible(true);
  cmdLogin->SetEnabled(true);
}

void frmlogin::cmdLogin_Click() { SignIn(); }

void frmlogin::cmdExit_Click() { window_->Close(); }

void frmlogin::lblReg_Click() { frmReg::Instance().ShowModal(window_.get()); }

void frmlogin::SignIn() {
  // The label over the sign-in picture stays clickable while the request
  // waits; a second request would abandon the first one.
  if (signingIn_) return;
  IDialogs& dialogs = *Desktop().dialogs;
  const std::string user = txtuser->Text();
  if (user.empty()) {
    dialogs.MessageBox("请输入登录帐号", std::string(kApplicationTitle), MsgIcon::None,
                       MsgButtons::Ok);
    return;
  }
  const std::string password = txtpass->Text();
  if (password.empty()) {
    dialogs.MessageBox("请输入密码", std::string(kApplicationTitle), MsgIcon::None, MsgButtons::Ok);
    return;
  }

  cmdLogin->SetEnabled(false);
  lblInfo->SetText(kSigningIn);

  // The password is percent-encoded like the name: as typed, a "&", "#",
  // "+", "%" or blank in it would change the request.
  const std::string url = std::string(kServiceBase) + "newlogin.asp?user=" +
                          UrlEncode(UpperCaseText(user)) + "&pwd=" + UrlEncode(password) +
                          "&ver=" + std::to_string(kEditionId) + "&code=" + DigestToken(gOemCode);
  signingIn_ = true;
  const std::string reply = HttpGet(url, true);
  signingIn_ = false;

  // The user quit while the request was waiting: nothing more to do.
  if (closed_) return;

  if (!SignInAccepted(reply)) {
    ShowNotice(kRefused, MsgIcon::None);
    if (closed_) return;
    lblInfo->SetText(kRefused);
    cmdLogin->SetEnabled(true);
    return;
  }

  // An accepted sign-in goes on even when the file cannot be written.
  Desktop().files->WriteFile(IniFilePath(), RememberedSignInLine(user, password, chkWrite->Checked()),
                         /*ownerOnly=*/true);

  gUserName = user;
  // The member console, or the agent console in the administrator's and
  // agent's builds.
  ShowConsoleAfterSignIn();
  window_->Close();
}

}  // namespace lumaro
