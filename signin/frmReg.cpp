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
#include "signin/frmlogin.h"

namespace lumaro {

namespace {

constexpr const char* kFailed = "注册失败，请稍后再试!";

std::string FormAddress() { return std::string(kServiceBase) + "edituser.asp"; }

ControlStyle Named(const std::string& name) {
  ControlStyle s;
  s.accessibleName = name;
  return s;
}

ControlStyle WhiteText(bool bold = false, double pointSize = 0) {
  ControlStyle s;
  s.color = PackRRGGBB(255, 255, 255);
  s.bold = bold;
  s.pointSize = pointSize;
  return s;
}

}  // namespace

frmReg::frmReg() {
  WindowSpec design;
  design.name = "frmReg";
  design.caption = "用户注册";
  design.clientWidth = 7740;
  design.clientHeight = 5340;
  design.background = "reg_background.svg";
  design.frame = FrameKind::FixedDialog;
  design.minimizeButton = false;
  design.maximizeButton = false;
  design.showInTaskbar = false;
  design.placement = Placement::CenterOwner;
  window_ = Desktop().ui->CreateWindow(design);
  IWindow& w = *window_;

  // The browser lies underneath the account box, so it is never seen.
  ControlStyle form = Named("注册表单");
  form.unseen = true;
  web = w.AddBrowser("web", {3825, 855, 165, 285}, form);

  ControlStyle button;
  button.image = "button_large.svg";
  button.accessibleName = "注册";
  cmdOk = w.AddPicture("cmdOk", {2400, 4440, 1275, 405}, button);
  button.accessibleName = "取消";
  cmdExit = w.AddPicture("cmdExit", {3705, 4440, 1275, 405}, button);
  ControlStyle strip;
  strip.image = "reg_strip.svg";
  Image2 = w.AddPicture("Image2", {45, 4950, 7680, 450}, strip);

  Label16 = w.AddLabel("Label16", {2565, 300, 1875, 435}, "新用户注册", WhiteText(true, 18));
  w.AddLabel("Label1", {1815, 930, 360, 195}, "帐号", WhiteText());
  w.AddLabel("Label6", {1815, 1395, 720, 195}, "常用邮箱", WhiteText());
  w.AddLabel("Label2", {1815, 1845, 360, 195}, "密码", WhiteText());
  w.AddLabel("Label3", {1815, 2340, 720, 195}, "确认密码", WhiteText());
  w.AddLabel("Label5", {1815, 2880, 240, 195}, "QQ", WhiteText());
  w.AddLabel("Label7", {1815, 3405, 720, 195}, "联系电话", WhiteText());
  w.AddLabel("Label10", {1815, 3870, 360, 195}, "姓名", WhiteText());
  // Required-field marks (a control array in the original design: indexes
  // 0, 4, 1, 3) beside the account, e-mail, confirmation and QQ rows, and
  // Label13 beside the password row.
  w.AddLabel("Label12_0", {4770, 945, 360, 195}, "必填", WhiteText());
  w.AddLabel("Label12_4", {4770, 1395, 360, 195}, "必填", WhiteText());
  w.AddLabel("Label12_1", {4755, 2355, 360, 195}, "必填", WhiteText());
  w.AddLabel("Label12_3", {4740, 2880, 360, 195}, "必填", WhiteText());
  w.AddLabel("Label13", {4755, 1860, 360, 195}, "必填", WhiteText());

  // Text boxes in their tab order.
  // Each box is named after the caption beside it.
  ControlStyle secret;
  secret.password = true;
  txtuser = w.AddTextBox("txtuser", {2670, 855, 1860, 330}, Named("帐号"));
  txtEmail = w.AddTextBox("txtEmail", {2670, 1290, 1860, 330}, Named("常用邮箱"));
  secret.accessibleName = "密码";
  txtpass = w.AddTextBox("txtpass", {2670, 1755, 1860, 330}, secret);
  secret.accessibleName = "确认密码";
  txtPASS2 = w.AddTextBox("txtPASS2", {2670, 2250, 1860, 330}, secret);
  txtQQ = w.AddTextBox("txtQQ", {2670, 2775, 1860, 330}, Named("QQ"));
  txtMobile = w.AddTextBox("txtMobile", {2670, 3315, 1860, 330}, Named("联系电话"));
  txtMan = w.AddTextBox("txtMan", {2670, 3810, 1860, 330}, Named("姓名"));

  // Captions on the light button picture: in the default text colour, as on
  // the login window's buttons (white would vanish on the picture). They
  // follow the boxes in the Tab order.
  ControlStyle hand;
  hand.handCursor = true;
  hand.tabStop = true;
  Label14 = w.AddLabel("Label14", {2895, 4545, 360, 195}, "注册", hand);
  Label15 = w.AddLabel("Label15", {4155, 4560, 360, 195}, "取消", hand);

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
