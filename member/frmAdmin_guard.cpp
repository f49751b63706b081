// Checks made before the console's browser follows a link or posts a form:
// field validation of the service's member forms, delete confirmation, and
// native windows opened in place of some pages.
#include <cmath>
#include <exception>
#include <stdexcept>

#include "build_config.h"
#include "core/desktop.h"
#include "core/form_text.h"
#include "core/globals.h"
#include "core/guard_post.h"
#include "core/http_fetch.h"
#include "core/notice.h"
#include "core/url_helpers.h"
#include "member/frmAdmin.h"

namespace lumaro {

namespace {

constexpr size_t kMaxQueryLength = 20;

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// Reads the fields of a module form; a missing one throws.
void ReadModuleFields(IDocument& doc) {
  for (int hour = 0; hour < 24; ++hour) doc.Value("tmr" + std::to_string(hour));
  doc.Value("ttype");
}

// The address that saves the member's module schedule: the 24 hourly
// switches and, for one of the member's own templates (a type with a "c"),
// its number, else 0. Values are percent-encoded. A missing field throws.
std::string ModuleSaveAddress(IDocument& doc) {
  std::string url = std::string(kServiceBase) + "savemodule.asp?";
  for (int hour = 0; hour < 24; ++hour) {
    const std::string name = "tmr" + std::to_string(hour);
    url += (hour ? "&" : "") + name + "=" + UrlEncode(doc.Value(name));
  }
  const std::string type = doc.Value("ttype");
  url += "&ids=" + (Contains(type, "c") ? UrlEncode(WithoutFirstCharacter(type)) : std::string("0"));
  return url;
}

}  // namespace

MemberWindows& MemberWindowOpeners() {
  static MemberWindows openers;
  return openers;
}

void frmAdmin::OpenWindow(const std::function<void(IWindow&)>& opener) {
  // A copy: the opener may be replaced while its window is up.
  if (auto open = opener) open(*window_);
}

void frmAdmin::OpenSiteChecker(const std::string& id) {
  gCheckTarget = id;
  OpenWindow(MemberWindowOpeners().siteChecker);
}

void frmAdmin::web_BeforeNavigate2(BeforeNavigateArgs& args) {
  try {
    Guard(args);
  } catch (const std::exception&) {
    args.cancel = true;
    if (!closed_) ShowNotice("提交失败", MsgIcon::None);
  }
}

bool frmAdmin::ClosedMeanwhile(BeforeNavigateArgs& args) {
  if (!closed_) return false;
  args.cancel = true;
  return true;
}

bool frmAdmin::RejectAt(IDocument& doc, BeforeNavigateArgs& args, const std::string& field,
                        const std::string& message, bool information) {
  if (information)
    ShowNotice(message, MsgIcon::Information);
  else
    ShowNotice(message, MsgIcon::None);
  args.cancel = true;
  if (ClosedMeanwhile(args)) return true;
  doc.Focus(field);  // a field that cannot take the focus ends in the recovery
  return true;
}

void frmAdmin::Guard(BeforeNavigateArgs& args) {
  // A navigation held while another handler of the console ran, and raised
  // after the console had closed, goes nowhere and opens nothing.
  if (ClosedMeanwhile(args)) return;
  const std::string address = LowerCaseText(args.url);

  if (Contains(address, "checkcode.asp")) {
    // The request waits until the member has closed the checker.
    OpenSiteChecker(GetUrlParam(args.url, "id="));
    args.cancel = true;
    return;
  }
  if (Contains(address, "viewmemo.asp")) {
    args.cancel = true;
    gMemoTarget = args.url;
    OpenWindow(MemberWindowOpeners().memoViewer);
    return;
  }
  if (Contains(address, "delnet.asp")) {
    MsgResult answer = Desktop().dialogs->MessageBox("确定要删除当前网站吗?", std::string(kNoticeTitle),
                                                 MsgIcon::Information, MsgButtons::YesNo);
    if (ClosedMeanwhile(args)) return;
    if (answer != MsgResult::Yes) {
      args.cancel = true;
      return;
    }
  }
  if (Contains(address, "viewqq.asp")) {
    args.cancel = true;
    gVisitorTarget = GetUrlParam(args.url, "id=");
    OpenWindow(MemberWindowOpeners().visitorViewer);
    return;
  }

  IDocument& doc = web->Document();
  if (Contains(address, "saveadd2.asp") || Contains(address, "savenet.asp")) {
    if (CheckSiteForm(doc, args)) return;
  }
  if (Contains(address, "saveword.asp")) {
    if (CheckKeywordQuery(doc, args)) return;
  }
  if (Contains(address, "savepwd.asp")) {
    if (CheckPasswordChange(doc, args)) return;
  }
  if (Contains(address, "uppos.asp")) {
    if (CheckRankUpdate(doc, args)) return;
  }
  if (Contains(address, "savead.asp")) {
    if (CheckAdForm(doc, args)) return;
  }
  if (Contains(address, "docheck.asp")) args.cancel = true;
}

bool frmAdmin::CheckSiteForm(IDocument& doc, BeforeNavigateArgs& args) {
  if (doc.Value("n").empty()) return RejectAt(doc, args, "n", "网站名称不能为空!", true);
  const std::string url = doc.Value("u");
  const std::string lower = LowerCaseText(url);
  if (url.empty() || lower == "http://") return RejectAt(doc, args, "u", "网站网址不能为空!", true);
  if (lower.compare(0, 7, "http://") != 0)
    return RejectAt(doc, args, "u", "请输入符合规范的网址!", true);
  return false;
}

bool frmAdmin::CheckKeywordQuery(IDocument& doc, BeforeNavigateArgs& args) {
  const GuardPost post = ReadGuardPost(args.postText);
  const std::string& transtype = post.transtype;
  if (transtype != "5" && transtype != "4") {
    const double variant = GuardPostNumber(post.types);
    if (variant != 1 && variant != 2) {
      const std::string q = doc.Value("q");
      if (q.empty()) return RejectAt(doc, args, "q", "请输入要查询的引导词!", false);
      if (CharacterCount(q) > kMaxQueryLength)
        return RejectAt(doc, args, "q", "输入的引导词太长!", false);
      const std::string q2 = doc.Value("q2");
      if (q2.empty()) return RejectAt(doc, args, "q2", "请输入要查询的目标词!", false);
      if (CharacterCount(q2) > kMaxQueryLength)
        return RejectAt(doc, args, "q2", "输入的目标词太长!", false);
    } else {
      const std::string q = doc.Value("q");
      if (q.empty()) return RejectAt(doc, args, "q", "请输入要查询的关键字!", false);
      if (CharacterCount(q) > kMaxQueryLength)
        return RejectAt(doc, args, "q", "输入的关键字太长!", false);
    }
  }
  if (transtype == "1") {
    args.cancel = true;
    gStopWaiting = false;
  } else if (transtype == "2") {
    ShowNotice("测试完成!", MsgIcon::None);
    args.cancel = true;
    if (ClosedMeanwhile(args)) return true;
  } else if (transtype == "5") {
    // Module save: the fields must be there; the post goes on to the service.
    ReadModuleFields(doc);
  }
  return false;
}

bool frmAdmin::CheckPasswordChange(IDocument& doc, BeforeNavigateArgs& args) {
  if (doc.Value("oldpwd").empty()) return RejectAt(doc, args, "oldpwd", "请输入原始密码!", false);
  const std::string first = doc.Value("newpwd1");
  if (first.empty()) return RejectAt(doc, args, "newpwd1", "请输入新密码!", false);
  const std::string second = doc.Value("newpwd2");
  if (second.empty()) return RejectAt(doc, args, "newpwd2", "请输入确认密码!", false);
  if (first != second) {
    ShowNotice("两次输入密码不一致，请重新输入!", MsgIcon::None);
    args.cancel = true;
    return true;
  }
  return false;
}

bool frmAdmin::CheckRankUpdate(IDocument& doc, BeforeNavigateArgs& args) {
  args.cancel = true;
  if (!doc.Exists("id")) ShowNotice("请勾选需要更新的关键词!", MsgIcon::Information);
  return ClosedMeanwhile(args);
}

bool frmAdmin::CheckAdForm(IDocument& doc, BeforeNavigateArgs& args) {
  const GuardPost post = ReadGuardPost(args.postText);
  const std::string& transtype = post.transtype;
  if (transtype != "5" && transtype != "4") {
    const double variant = GuardPostNumber(post.types);
    if (variant == 1 || variant == 2) {
      if (doc.Value("q").empty()) return RejectAt(doc, args, "q", "请输入来路!", false);
      if (doc.Value("q2").empty()) return RejectAt(doc, args, "q2", "请输入目标网页!", false);
      if (doc.Value("urls").empty()) return RejectAt(doc, args, "urls", "请输入广告脚本!", false);
    }
  }
  if (transtype == "2") {
    ShowNotice("测试完成!", MsgIcon::None);
    args.cancel = true;
    if (ClosedMeanwhile(args)) return true;
  } else if (transtype == "4") {
    // A template whose type has no "c" is one of the system's own.
    if (!Contains(doc.Value("ttype"), "c")) {
      ShowNotice("系统模板，无法删除！", MsgIcon::Information);
      args.cancel = true;
      return true;
    }
  } else if (transtype == "5") {
    // The post is stopped, so the schedule goes to the service on its own,
    // at the address as assembled (no time stamp); the member hears of it
    // only when it could not be sent. A fetch started by another handler
    // while this one waits takes the request over: this save then reads as
    // failed, never as that fetch's answer.
    const std::string address = ModuleSaveAddress(doc);
    args.cancel = true;
    const std::string answer = HttpGet(address, false);
    if (ClosedMeanwhile(args)) return true;
    if (answer == "ERROR") ShowNotice("提交失败", MsgIcon::None);
  }
  return false;
}

}  // namespace lumaro
