// Checks made before the agent console's browser follows a link or posts a
// form: field validation of the agent forms, the availability of a new
// account name, the messenger's chat links handed to the desktop's browser
// (nothing else a page asks for goes there), and pages that ask for a new
// window sent into the shared detail viewer.
#include <cmath>
#include <exception>
#include <stdexcept>

#include "agent/frmSys.h"
#include "build_config.h"
#include "core/address_kinds.h"
#include "core/desktop.h"
#include "core/form_text.h"
#include "core/guard_post.h"
#include "core/http_fetch.h"
#include "core/notice.h"
#include "core/url_helpers.h"
#include "windows/frmView.h"

namespace lumaro {

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

void frmSys::web_BeforeNavigate2(BeforeNavigateArgs& args) {
  try {
    Guard(args);
  } catch (const std::exception&) {
    args.cancel = true;
    if (!closed_) ShowNotice("提交失败", MsgIcon::None);
  }
}

bool frmSys::ClosedMeanwhile(BeforeNavigateArgs& args) {
  if (!closed_) return false;
  args.cancel = true;
  return true;
}

bool frmSys::Reject(IDocument& doc, BeforeNavigateArgs& args, const std::string& message,
                    const std::string& field, MsgIcon icon) {
  ShowNotice(message, icon);
  args.cancel = true;
  if (ClosedMeanwhile(args)) return true;
  if (!field.empty()) doc.Focus(field);
  return true;
}

void frmSys::Guard(BeforeNavigateArgs& args) {
  // A navigation held while another handler of the console ran, and raised
  // after the console had closed, goes nowhere.
  if (ClosedMeanwhile(args)) return;
  const std::string address = LowerCaseText(args.url);
  IDocument& doc = web->Document();

  if (Contains(address, "saveclientpay.asp")) {
    if (CheckOpeningDays(doc, args)) return;
  }
  if (Contains(address, "saveword.asp")) {
    if (CheckKeywordQuery(doc, args)) return;
  }
  if (Contains(address, "savepwd.asp")) {
    if (CheckPasswordChange(doc, args)) return;
  }
  if (Contains(address, "saveacount.asp") || Contains(address, "savepayacount.asp")) {
    if (CheckNewAccount(doc, args)) return;
  }
  if (Contains(address, "saveset.asp")) {
    if (CheckSettings(doc, args)) return;
  }
  // Only a chat link itself goes to the desktop: an address that merely
  // carries the messenger's host somewhere else (in its path, query or user
  // part, or on another scheme or port) is loaded like any other.
  if (IsChatLink(args.url)) DivertChatLink(args);
}

bool frmSys::CheckOpeningDays(IDocument& doc, BeforeNavigateArgs& args) {
  const std::string num = doc.Value("num");
  if (num.empty()) return Reject(doc, args, "请输入开通天数!", "", MsgIcon::Information);
  if (!IsNumericText(num)) return Reject(doc, args, "请输入数字!", "", MsgIcon::Information);
  return false;
}

bool frmSys::CheckKeywordQuery(IDocument& doc, BeforeNavigateArgs& args) {
  const GuardPost post = ReadGuardPost(args.postText);
  const std::string& transtype = post.transtype;
  const double types = GuardPostNumber(post.types);
  if (types == 1 || types == 2) {
    if (doc.Value("q").empty()) return Reject(doc, args, "请输入要查询的关键字!", "q");
  } else {
    if (doc.Value("q").empty()) return Reject(doc, args, "请输入要查询的引导词!", "q");
    if (doc.Value("q2").empty()) return Reject(doc, args, "请输入要查询的目标词!", "q2");
  }
  // A query run from the page itself is withheld without a word; the
  // remaining rules are still tried.
  if (transtype == "1" || transtype == "2") args.cancel = true;
  return false;
}

bool frmSys::CheckPasswordChange(IDocument& doc, BeforeNavigateArgs& args) {
  if (doc.Value("oldpwd").empty()) return Reject(doc, args, "请输入原始密码!", "oldpwd");
  const std::string first = doc.Value("newpwd1");
  if (first.empty()) return Reject(doc, args, "请输入新密码!", "newpwd1");
  const std::string second = doc.Value("newpwd2");
  if (second.empty()) return Reject(doc, args, "请输入确认密码!", "newpwd2");
  if (first != second) return Reject(doc, args, "两次输入密码不一致，请重新输入!", "");
  return false;
}

bool frmSys::CheckNewAccount(IDocument& doc, BeforeNavigateArgs& args) {
  const std::string name = doc.Value("lname");
  if (name.empty()) return Reject(doc, args, "请输入用户名!", "lname");
  const std::string first = doc.Value("lPWD1");
  if (first.empty()) return Reject(doc, args, "请输入密码!", "lPWD1");
  const std::string second = doc.Value("lPWD2");
  if (second.empty()) return Reject(doc, args, "请输入确认密码!", "lPWD2");
  if (second != first) return Reject(doc, args, "请两次输入密码不一致，请重输!", "lPWD2");
  if (doc.Value("lmobile").empty()) return Reject(doc, args, "请输入手机号码!", "lmobile");
  if (doc.Value("lqq").empty()) return Reject(doc, args, "请输入常用的QQ号码!", "lqq");
  if (doc.Value("lman").empty()) return Reject(doc, args, "请输入联系人!", "lman");

  // Only the answer "no" blocks: a failed or empty answer lets the post go.
  const std::string reply = HttpGet(
      std::string(kServiceBase) + "checkUser.ASP?USER=" + UrlEncode(LowerCaseText(name)), true);
  if (ClosedMeanwhile(args)) return true;
  if (LowerCaseText(reply) == "no")
    return Reject(doc, args, "输入的帐号已被其它用户使用，请重新指定其它帐号!", "lname");
  return false;
}

bool frmSys::CheckSettings(IDocument& doc, BeforeNavigateArgs& args) {
  const std::string price = doc.Value("price");
  if (price.empty()) return Reject(doc, args, "请输入单价!", "", MsgIcon::Information);
  if (!IsNumericText(price)) return Reject(doc, args, "请输入数字！", "", MsgIcon::Information);
  const std::string num = doc.Value("num");
  if (num.empty()) return Reject(doc, args, "请输入试用天数!", "", MsgIcon::Information);
  if (!IsNumericText(num)) return Reject(doc, args, "请输入数字！", "", MsgIcon::Information);
  return false;
}

void frmSys::DivertChatLink(BeforeNavigateArgs& args) {
  args.cancel = true;
  try {
    // The address as the page gave it, not the lower-cased copy. Nothing is
    // shown when the desktop's browser cannot be started.
    Desktop().shell->OpenInBrowser(args.url);
  } catch (const std::exception&) {
  }
}

void frmSys::web_NewWindow2(NewWindowArgs& args) {
  // Opens the page in the shared detail viewer, shown modeless; any failure
  // on the way ends here silently.
  try {
    OpenInDetailViewer(args);
  } catch (const std::exception&) {
  }
}

}  // namespace lumaro
