// The agent console's checks before its browser follows a link or posts a
// form, and pages that ask for a new window.
#include <gtest/gtest.h>

#include <cctype>

#include "agent/frmSys.h"
#include "build_config.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "forms/forms_fixture.h"
#include "windows/frmView.h"

namespace lumaro {
namespace {

class AgentGuardTest : public FormsTest {
 protected:
  AgentGuardTest() {
    gUserName = "agent7";
    ShowAgentConsole();
    window_ = ui.Find("frmSys");
    web_ = window_->Browser("web");
  }

  BeforeNavigateArgs Go(const std::string& url, const std::string& post = "") {
    return web_->FireBeforeNavigate2(url, post);
  }
  // A fresh page with these fields.
  FakeDocument& Page(const std::vector<std::pair<std::string, std::string>>& fields) {
    FakeDocument& doc = web_->NewDocument();
    for (const auto& [name, value] : fields) doc.AddElement(name, value);
    return doc;
  }
  // A filled-in account form (saveacount.asp / savepayacount.asp).
  FakeDocument& AccountPage(const std::string& name = "NewAgent") {
    return Page({{"lname", name},
                 {"lPWD1", "pw"},
                 {"lPWD2", "pw"},
                 {"lmobile", "13800000000"},
                 {"lqq", "10001"},
                 {"lman", "Li"}});
  }
  std::string CheckUserPrefix() const { return Base() + "checkUser.ASP?USER="; }

  FakeWindow* window_;
  FakeBrowser* web_;
};

// One navigation: the page's fields, the address, the post body and what
// the guard must do.
struct GuardCase {
  const char* what;
  std::vector<std::pair<std::string, std::string>> fields;
  const char* url;
  const char* post;
  bool cancel;
  const char* message;  // "" when nothing is shown
  MsgIcon icon;
  const char* focused;  // "" when the caret stays
};

TEST_F(AgentGuardTest, EachFailedCheckShowsItsMessageFocusesAndCancels) {
  const MsgIcon I = MsgIcon::Information, N = MsgIcon::None;
  const std::vector<std::pair<std::string, std::string>> account = {
      {"lname", "a"}, {"lPWD1", "p"}, {"lPWD2", "p"}, {"lmobile", "1"}, {"lqq", "2"}, {"lman", "m"}};
  auto without = [&](const std::string& field, const std::string& value) {
    auto fields = account;
    for (auto& f : fields)
      if (f.first == field) f.second = value;
    return fields;
  };
  Reply(CheckUserPrefix(), "yes");
  std::vector<GuardCase> cases = {
      // Rule 1: opening days.
      {"days ok", {{"num", "30"}}, "http://s/saveclientpay.asp", "", false, "", N, ""},
      {"days empty", {{"num", ""}}, "http://s/saveclientpay.asp", "", true, "请输入开通天数!", I, ""},
      {"days not numeric", {{"num", "3x"}}, "http://s/saveclientpay.asp", "", true, "请输入数字!", I,
       ""},
      {"days blank", {{"num", " "}}, "http://s/saveclientpay.asp", "", true, "请输入数字!", I, ""},
      {"days with spaces, sign, point and exponent", {{"num", " -1.5e2 "}},
       "http://s/SaveClientPay.ASP", "", false, "", N, ""},
      // Rule 2: keyword queries.
      {"keyword only", {{"q", "a"}}, "http://s/saveword.asp", "types=2&transtype=3", false, "", N,
       ""},
      {"keyword missing", {{"q", ""}, {"q2", "b"}}, "http://s/saveword.asp", "types=1&transtype=3",
       true, "请输入要查询的关键字!", N, "q"},
      {"guide word missing", {{"q", ""}, {"q2", "b"}}, "http://s/saveword.asp",
       "types=3&transtype=3", true, "请输入要查询的引导词!", N, "q"},
      {"target word missing", {{"q", "a"}, {"q2", ""}}, "http://s/saveword.asp",
       "types=3&transtype=3", true, "请输入要查询的目标词!", N, "q2"},
      {"both words", {{"q", "a"}, {"q2", "b"}}, "http://s/saveword.asp", "TYPES=0&transtype=3",
       false, "", N, ""},
      {"no types value", {{"q", "a"}}, "http://s/saveword.asp", "transtype=3", true, "提交失败", N,
       ""},
      {"plain link", {{"q", "a"}}, "http://s/saveword.asp?id=1", "", true, "提交失败", N, ""},
      {"types not a number", {{"q", "a"}}, "http://s/saveword.asp", "types=x1&transtype=3", true,
       "提交失败", N, ""},
      // Rule 3: password change.
      {"password ok", {{"oldpwd", "a"}, {"newpwd1", "b"}, {"newpwd2", "b"}},
       "http://s/savepwd.asp", "", false, "", N, ""},
      {"no old password", {{"oldpwd", ""}, {"newpwd1", "b"}, {"newpwd2", "b"}},
       "http://s/savepwd.asp", "", true, "请输入原始密码!", N, "oldpwd"},
      {"no new password", {{"oldpwd", "a"}, {"newpwd1", ""}, {"newpwd2", "b"}},
       "http://s/savepwd.asp", "", true, "请输入新密码!", N, "newpwd1"},
      {"no confirmation", {{"oldpwd", "a"}, {"newpwd1", "b"}, {"newpwd2", ""}},
       "http://s/savepwd.asp", "", true, "请输入确认密码!", N, "newpwd2"},
      {"passwords differ in case", {{"oldpwd", "a"}, {"newpwd1", "b"}, {"newpwd2", "B"}},
       "http://s/savepwd.asp", "", true, "两次输入密码不一致，请重新输入!", N, ""},
      // Rule 4: new accounts.
      {"account ok", account, "http://s/saveacount.asp", "", false, "", N, ""},
      {"no name", without("lname", ""), "http://s/saveacount.asp", "", true, "请输入用户名!", N,
       "lname"},
      {"no password", without("lPWD1", ""), "http://s/savepayacount.asp", "", true, "请输入密码!",
       N, "lPWD1"},
      {"no confirmation", without("lPWD2", ""), "http://s/saveacount.asp", "", true,
       "请输入确认密码!", N, "lPWD2"},
      {"passwords differ", without("lPWD2", "P"), "http://s/saveacount.asp", "", true,
       "请两次输入密码不一致，请重输!", N, "lPWD2"},
      {"no mobile", without("lmobile", ""), "http://s/saveacount.asp", "", true, "请输入手机号码!",
       N, "lmobile"},
      {"no messenger number", without("lqq", ""), "http://s/saveacount.asp", "", true,
       "请输入常用的QQ号码!", N, "lqq"},
      {"no contact", without("lman", ""), "http://s/saveacount.asp", "", true, "请输入联系人!", N,
       "lman"},
      {"blank name is not empty", without("lname", " "), "http://s/saveacount.asp", "", false, "",
       N, ""},
      // Rule 5: settings.
      {"settings ok", {{"price", "0.5"}, {"num", "7"}}, "http://s/saveset.asp", "", false, "", N,
       ""},
      {"no price", {{"price", ""}, {"num", "7"}}, "http://s/saveset.asp", "", true, "请输入单价!", I,
       ""},
      {"price not numeric", {{"price", "1,5"}, {"num", "7"}}, "http://s/saveset.asp", "", true,
       "请输入数字！", I, ""},
      {"no trial days", {{"price", "1"}, {"num", ""}}, "http://s/saveset.asp", "", true,
       "请输入试用天数!", I, ""},
      {"trial days not numeric", {{"price", "1"}, {"num", "1e999"}}, "http://s/saveset.asp", "",
       true, "请输入数字！", I, ""},
      // Pattern anywhere in the address, in any case.
      {"pattern in the query", {{"price", ""}}, "http://s/list.asp?next=SAVESET.ASP", "", true,
       "请输入单价!", I, ""},
      {"other pages pass", {}, "http://s/manaproxy.asp?t=1", "", false, "", N, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDocument& doc = Page(c.fields);
    env.dialogs.shown.clear();
    BeforeNavigateArgs args = Go(c.url, c.post);
    EXPECT_EQ(args.cancel, c.cancel);
    if (*c.message) {
      ASSERT_EQ(Boxes().size(), 1u);
      EXPECT_EQ(Boxes()[0].text, c.message);
      EXPECT_EQ(Boxes()[0].icon, c.icon);
      EXPECT_EQ(Boxes()[0].title, std::string(kNoticeTitle));
      EXPECT_EQ(Boxes()[0].buttons, MsgButtons::Ok);
    } else {
      EXPECT_TRUE(Boxes().empty());
    }
    EXPECT_EQ(doc.FocusedName(), c.focused);
  }
  EXPECT_TRUE(BrowserOpens().empty());
}

TEST_F(AgentGuardTest, PageQueriesRunFromTheFormAreWithheldSilently) {
  struct Case {
    const char* post;
    bool cancel;
  } cases[] = {{"types=1&transtype=1", true},
               {"types=2&transtype=2", true},
               {"types=3&transtype=2", true},
               {"types=1&transtype=3", false},
               {"types=1&transtype=12", false},
               {"types=1", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.post);
    Page({{"q", "a"}, {"q2", "b"}});
    EXPECT_EQ(Go("http://s/saveword.asp", c.post).cancel, c.cancel);
  }
  EXPECT_TRUE(Boxes().empty());

  // A withheld query still goes through the later rules.
  FakeDocument& doc = Page({{"q", "a"}, {"oldpwd", ""}, {"newpwd1", "x"}, {"newpwd2", "x"}});
  EXPECT_TRUE(Go("http://s/saveword.asp?back=savepwd.asp", "types=1&transtype=1").cancel);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "请输入原始密码!");
  EXPECT_EQ(doc.FocusedName(), "oldpwd");
}

TEST_F(AgentGuardTest, OnlyTheAnswerNoRefusesANewAccountName) {
  struct Case {
    const char* reply;  // nullptr: the request fails
    bool taken;
  } cases[] = {{"no", true},   {"NO", true},  {"No", true},   {"no ", false}, {"", false},
               {"yes", false}, {"non", false}, {nullptr, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply ? c.reply : "(failed)");
    if (c.reply) {
      Reply(CheckUserPrefix(), c.reply);
    } else {
      FakeReply failed;
      failed.fail = true;
      env.http.Reply(CheckUserPrefix(), failed);
    }
    env.dialogs.shown.clear();
    env.http.sent.clear();
    FakeDocument& doc = AccountPage("New Agent&Co");
    BeforeNavigateArgs args = Go("http://s/saveacount.asp");
    // The name is lower-cased and encoded; the stamp follows it.
    std::vector<std::string> expected = {CheckUserPrefix() +
                                         "%6E%65%77%20%61%67%65%6E%74%26%63%6F&t=" + TimerStamp()};
    EXPECT_EQ(Requests(), expected);
    EXPECT_EQ(args.cancel, c.taken);
    if (c.taken) {
      ASSERT_EQ(Boxes().size(), 1u);
      EXPECT_EQ(Boxes()[0].text, "输入的帐号已被其它用户使用，请重新指定其它帐号!");
      EXPECT_EQ(Boxes()[0].icon, MsgIcon::None);
      EXPECT_EQ(doc.FocusedName(), "lname");
    } else {
      EXPECT_TRUE(Boxes().empty());
    }
    // The form posts the name as typed.
    EXPECT_EQ(doc.Value("lname"), "New Agent&Co");
  }
  // A check that fails before the end asks the service nothing.
  env.http.sent.clear();
  Page({{"lname", "x"}, {"lPWD1", "a"}, {"lPWD2", "b"}});
  Go("http://s/saveacount.asp");
  EXPECT_TRUE(Requests().empty());
}

TEST_F(AgentGuardTest, RunTimeFailuresEndInTheRecoveryMessage) {
  Reply(CheckUserPrefix(), "yes");
  // The page has no "lqq" field.
  FakeDocument& doc = AccountPage();
  doc.RemoveElement("lqq");
  BeforeNavigateArgs args = Go("http://s/saveacount.asp");
  EXPECT_TRUE(args.cancel);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes().back().text, "提交失败");
  EXPECT_EQ(Boxes().back().icon, MsgIcon::None);
  EXPECT_TRUE(Requests().empty());

  // A field that cannot take the focus: its message, then the recovery.
  env.dialogs.shown.clear();
  Page({{"oldpwd", ""}}).AddElement("oldpwd", std::string(), /*focusable=*/false);
  EXPECT_TRUE(Go("http://s/savepwd.asp").cancel);
  std::vector<std::string> texts = env.dialogs.Texts();
  EXPECT_EQ(texts, (std::vector<std::string>{"请输入原始密码!", "提交失败"}));

  // No page loaded at all.
  env.dialogs.shown.clear();
  web_->doc().SetLoaded(false);
  EXPECT_TRUE(Go("http://s/saveset.asp").cancel);
  EXPECT_EQ(env.dialogs.Texts(), std::vector<std::string>{"提交失败"});
  // Links the guard does not check need no page.
  env.dialogs.shown.clear();
  EXPECT_FALSE(Go("http://s/listLog.asp").cancel);
  EXPECT_TRUE(Boxes().empty());
}

// The address with "wpa.qq.com" standing for the messenger's chat-link host.
std::string WithChatHost(std::string address) {
  const std::string placeholder = "wpa.qq.com";
  for (size_t at = address.find(placeholder); at != std::string::npos;
       at = address.find(placeholder, at + kChatLinkHost.size()))
    address.replace(at, placeholder.size(), kChatLinkHost);
  return address;
}

std::string Upper(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return s;
}

// Only the messenger's chat links themselves go to the desktop's browser,
// unchanged; an address that merely carries the host somewhere, or names
// another program's scheme, is a navigation like any other: a page cannot
// hand the desktop a share, a file or a mail with an attachment this way.
TEST_F(AgentGuardTest, OnlyChatLinksGoToTheDesktopBrowserAsDelivered) {
  struct Case {
    std::string url;
    bool chat;
  } cases[] = {
      {WithChatHost("http://wpa.qq.com/msgrd?v=3&uin=12345&site=qq&menu=yes"), true},
      {WithChatHost("https://wpa.qq.com/msgrd?V=3&Uin=12345&Site=QQ&menu=yes"), true},
      {Upper(WithChatHost("http://wpa.qq.com/msgrd?v=3&uin=12345")), true},
      {Upper(WithChatHost("https://wpa.qq.com/msgrd?v=3&uin=12345")), true},
      {WithChatHost("Http://Wpa.QQ.com/MsgRd"), true},
      {WithChatHost("http://wpa.qq.com/msgrd#menu"), true},
      {WithChatHost("http://wpa.qq.com:80/msgrd?uin=1"), true},
      {WithChatHost("https://wpa.qq.com:443/msgrd?uin=1"), true},
      // Other schemes, whatever host they name.
      {WithChatHost("smb://wpa.qq.com/share/msgrd"), false},
      {WithChatHost("sftp://wpa.qq.com/etc/passwd"), false},
      {WithChatHost("mailto:support@wpa.qq.com?attach=/etc/passwd"), false},
      {WithChatHost("file:///tmp/wpa.qq.com/msgrd"), false},
      {WithChatHost("ftp://wpa.qq.com/msgrd"), false},
      {WithChatHost("tencent://message/?uin=1&site=wpa.qq.com"), false},
      {WithChatHost("javascript:location='http://wpa.qq.com/msgrd'"), false},
      // The host elsewhere than in the host part.
      {WithChatHost("http://evil.example/wpa.qq.com/msgrd?uin=1"), false},
      {WithChatHost("http://evil.example/msgrd?next=http://wpa.qq.com/msgrd"), false},
      {WithChatHost("http://evil.example/msgrd#wpa.qq.com"), false},
      {WithChatHost("http://wpa.qq.com@evil.example/msgrd"), false},
      {WithChatHost("http://wpa.qq.com:80@evil.example/msgrd"), false},
      {WithChatHost("http://evil.example\\@wpa.qq.com/msgrd"), false},
      {WithChatHost("http://me@wpa.qq.com/msgrd"), false},
      // Look-alike hosts, other ports, other paths.
      {WithChatHost("http://wpa.qq.com.evil.example/msgrd?uin=1"), false},
      {WithChatHost("http://evilwpa.qq.com/msgrd"), false},
      {WithChatHost("http://wpa.qq.com./msgrd"), false},
      {WithChatHost("http://wpa.qq.com:8080/msgrd"), false},
      {WithChatHost("https://wpa.qq.com:80/msgrd"), false},
      {WithChatHost("http://wpa.qq.com/other?uin=1"), false},
      {WithChatHost("http://wpa.qq.com/msgrd/../x"), false},
      {WithChatHost("http://wpa.qq.com/msgrd.asp"), false},
      {WithChatHost("http:wpa.qq.com/msgrd"), false},
      {WithChatHost("http://wpa.qq.com/msgrd?uin=1\nx"), false},
      {WithChatHost(" http://wpa.qq.com/msgrd"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    env.shell.opened.clear();
    BeforeNavigateArgs args = Go(c.url);
    EXPECT_EQ(args.cancel, c.chat);
    if (c.chat) {
      EXPECT_EQ(BrowserOpens(), std::vector<std::string>{c.url});
    } else {
      EXPECT_TRUE(BrowserOpens().empty());
    }
  }
  EXPECT_TRUE(ChatAppOpens().empty());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(web_->calls().size(), 1u);  // only the welcome page
}

TEST_F(AgentGuardTest, AChatLinkNoBrowserTakesIsStillCancelledSilently) {
  const std::string link = WithChatHost("http://wpa.qq.com/msgrd?v=3&uin=1");
  FailShell();
  EXPECT_TRUE(Go(link).cancel);
  EXPECT_EQ(BrowserOpens(), std::vector<std::string>{link});
  ThrowingShell();
  EXPECT_TRUE(Go(link).cancel);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(AgentGuardTest, NewWindowsOpenInTheSharedDetailViewer) {
  NewWindowArgs first = web_->FireNewWindow2();
  FakeWindow* viewer = ui.Find("frmView");
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(first.target, viewer->Browser("web"));
  EXPECT_FALSE(first.cancel);
  EXPECT_TRUE(viewer->IsOpen());
  EXPECT_EQ(viewer->showCount(), 1);
  EXPECT_EQ(viewer->modalCount(), 0);

  // A second request while the viewer is open goes into the same window.
  NewWindowArgs second = web_->FireNewWindow2();
  EXPECT_EQ(second.target, first.target);
  EXPECT_EQ(ui.CreatedCount("frmView"), 1);

  // Once closed, the next request builds a new viewer.
  viewer->UserClose();
  NewWindowArgs third = web_->FireNewWindow2();
  EXPECT_EQ(ui.CreatedCount("frmView"), 2);
  EXPECT_EQ(third.target, ui.Find("frmView")->Browser("web"));
  EXPECT_TRUE(Boxes().empty());
}

TEST(AgentNumericText, ReadsPlainDecimalNumbersOnly) {
  struct Case {
    const char* text;
    bool numeric;
  } cases[] = {{"7", true},    {"-3", true},    {"+0.5", true},  {".5", true},  {"5.", true},
               {"1e3", true},  {"2E-2", true},  {" 12 ", true},  {"\t1", true}, {"", false},
               {"  ", false},  {"1 2", false},  {"12a", false},  {"e3", false}, {"-", false},
               {"1e", false},  {"0x10", false}, {"inf", false},  {"nan", false},
               {"1,000", false}, {"1e999", false}, {"１２", false}};
  for (const auto& c : cases) EXPECT_EQ(IsNumericText(c.text), c.numeric) << '"' << c.text << '"';
}

}  // namespace
}  // namespace lumaro
