#include "signin/frmReg.h"

#include <exception>

#include "build_config.h"
#include "core/desktop.h"
#include "core/form_text.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "core/md5.h"
#include "core/notice.h"
#include "core/shared_window.h"
#include "core/url_helpers.h"
#include "signin/frmReg_design.h"
#include "signin/frmlogin.h"

namespace lumaro {

namespace {

constexpr const char* kFailed = "注册失败，请稍后再试!";

std::string FormAddress() { return std::string(kServiceBase) + "edituser.asp"; }

}  // namespace

frmReg::frmReg() {
  DesignedControls controls = CreateDesignedWindow(frmRegDesign(), window_);
  IWindow& w = *window_;
  web = controls.Browser("web");
  cmdOk = controls.Picture("cmdOk");
  cmdExit = controls.Picture("cmdExit");
  Image2 = controls.Picture("Image2");
  Label16 = controls.Label("Label16");
  txtuser = controls.TextBox("txtuser");
  txtEmail = controls.TextBox("txtEmail");
  txtpass = controls.TextBox("txtpass");
  txtPASS2 = controls.TextBox("txtPASS2");
  txtQQ = controls.TextBox("txtQQ");
  txtMobile = controls.TextBox("txtMobile");
  txtMan = controls.TextBox("txtMan");
  Label14 = controls.Label("Label14");
  Label15 = controls.Label("Label15");

  cmdOk->onClick = [this] { cmdOk_Click(); };
  Label14->onClick = [this] { cmdOk_Click(); };
  cmdExit->onClick = [this] { cmdExit_Click(); };
  Label15->onClick = [this] { cmdExit_Click(); };
  web->onDocumentComplete = [this](const std::string& url) { web_DocumentComplete(url); };
  w.onClosed = [this] { closed_ = true; };

  Form_Load();
}

void frmReg::ShowModal(IWindow* owner) { window_->ShowModal(owner); }

void frmReg::Form_Load() { web->Navigate2(FormAddress()); }

void frmReg::cmdOk_Click() { Register(); }

void frmReg::cmdExit_Click() { window_->Close(); }

void frmReg::Refuse(const std::string& message, ITextBox* box) {
  ShowNotice(message, MsgIcon::None);
  // Closed while the message was up: the boxes are no longer the user's.
  if (box && !closed_) box->SetFocus();
}

void frmReg::Failed() {
  ShowNotice(kFailed, MsgIcon::Information);
  if (closed_) return;
  try {
    web->Navigate2(FormAddress());
  } catch (const std::exception&) {
  }
}

void frmReg::Register() {
  // One click, one registration: the clicks of a burst that come while the
  // post is under way find nothing to do.
  if (posting_) return;
  const unsigned run = ++registerRuns_;
  try {
    if (txtuser->Text().empty()) return Refuse("请输入用户名", nullptr);

    // While the availability request waits, window events keep running: the
    // user may close the window or click again. A click made meanwhile runs
    // this action anew and posts the form itself, so this run stops there.
    const std::string answer = HttpGet(
        std::string(kServiceBase) + "checkUser.ASP?USER=" + UrlEncode(LowerCaseText(txtuser->Text())),
        true);
    if (closed_ || run != registerRuns_) return;
    if (LowerCaseText(answer) == "no")
      return Refuse("输入的帐号已被其它用户使用，请重新指定其它帐号!", txtuser);

    if (txtpass->Text().empty()) return Refuse("请输入密码!", txtpass);
    if (txtPASS2->Text().empty()) return Refuse("请输入确认密码!", txtPASS2);
    if (txtpass->Text() != txtPASS2->Text()) return Refuse("两次输入的密码不同！", txtpass);
    if (txtQQ->Text().empty()) return Refuse("请输入QQ号码!", txtQQ);
    if (txtEmail->Text().empty()) return Refuse("请输入邮箱帐号!", txtEmail);
    if (txtMobile->Text().empty()) return Refuse("请输入常用的联系手机号码！", txtMobile);
    if (CharacterCount(txtMobile->Text()) != 11)
      return Refuse("请输入正确的联系手机号码!", txtMobile);

    const std::string token = DigestToken(gOemCode);
    // The post is under way from the first field written.
    posting_ = true;
    // Every field is set before the post, so a page that lacks one fails
    // here and nothing is posted.
    IDocument& doc = web->Document();
    const std::pair<const char*, std::string> fields[] = {
        {"act", "new"},
        {"lName", txtuser->Text()},
        {"lpwd", txtpass->Text()},
        {"lqq", txtQQ->Text()},
        {"lemail", txtEmail->Text()},
        {"lmobile", txtMobile->Text()},
        {"ltel", ""},
        {"lcompany", ""},
        {"lman", txtMan->Text()},
        {"lnetType", ""},
        {"luserType", "2"},
        {"lver", "2"},
        {"lCode", ""},
        {"lvcode", token},
    };
    for (const auto& [name, value] : fields) doc.SetValue(name, value);
    doc.SubmitFirstForm();
  } catch (const std::exception&) {
    // The hidden page was no usable form: an error page left by a load that
    // failed while the service could not be reached, or a page without the
    // fields. A fresh form lets a later try work with the text still in the
    // boxes; without it the window could never register again.
    posting_ = false;
    Failed();
  }
}

void frmReg::web_DocumentComplete(const std::string& url) {
  if (LowerCaseText(url).find("usersave.asp") != std::string::npos) JudgeAnswer();
  // Whatever page has completed, the post made before it has had its answer
  // or will have none: the next click registers again.
  posting_ = false;
}

void frmReg::JudgeAnswer() {
  // The body's markup as the service sent it: "ok" alone is success, and
  // anything else, markup and blanks included, is shown as it stands.
  std::string body;
  try {
    body = web->Document().BodyInnerHtml();
  } catch (const std::exception&) {
    // An answer without a readable body: nothing to judge; offer the form again.
    Failed();
    return;
  }
  if (body == "ok") {
    ShowNotice("注册成功,请返回登录系统！  请牵记您的用户名及密码", MsgIcon::None);
    // The account exists now, whether or not this window is still open.
    if (frmlogin* login = frmlogin::OpenInstance()) {
      login->txtuser->SetText(txtuser->Text());
      login->txtpass->SetText("");
    }
    window_->Close();
    return;
  }
  ShowNotice(body, MsgIcon::Information);
  if (closed_) return;
  web->Navigate2(FormAddress());
}

}  // namespace lumaro
