// The console's checks before its browser follows a link or posts a form.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <utility>

#include "build_config.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "forms/forms_fixture.h"
#include "member/frmAdmin.h"

namespace lumaro {
namespace {

class GuardTest : public FormsTest {
 protected:
  GuardTest() {
    gUserName = "bob";
    ShowMemberConsole();
    window_ = ui.Find("frmAdmin");
    web_ = window_->Browser("web");
    auto& openers = MemberWindowOpeners();
    auto note = [this](const char* what, const std::string* target) {
      return [this, what, target](IWindow& owner) {
        opened_.push_back(what + *target);
        owners_.push_back(&owner);
      };
    };
    openers.siteChecker = note("checker:", &gCheckTarget);
    openers.memoViewer = note("memo:", &gMemoTarget);
    openers.visitorViewer = note("visitor:", &gVisitorTarget);
  }
  ~GuardTest() override { MemberWindowOpeners() = {}; }

  FakeDocument& Doc() { return web_->doc(); }
  BeforeNavigateArgs Go(const std::string& url, const std::string& post = "") {
    return web_->FireBeforeNavigate2(url, post);
  }
  // The texts of the boxes shown so far.
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& b : Boxes()) out.push_back(b.text);
    return out;
  }

  FakeWindow* window_;
  FakeBrowser* web_;
  std::vector<std::string> opened_;
  std::vector<IWindow*> owners_;  // the window each opener was given
};

TEST_F(GuardTest, NativeWindowsOpenInPlaceOfTheirPages) {
  struct Case {
    const char* url;
    const char* opened;  // "" when nothing opens
    bool cancel;
  } cases[] = {
      {"http://s/checkcode.asp?id=42&x=1", "checker:42", true},
      {"http://s/CHECKCODE.ASP?ID=7", "checker:7", true},
      {"http://s/checkcode.asp", "checker:", true},
      {"http://s/list.asp?next=checkcode.asp&id=9", "checker:9", true},
      {"http://s/viewmemo.asp?id=3&T=x", "memo:http://s/viewmemo.asp?id=3&T=x", true},
      {"http://s/viewqq.asp?id=55", "visitor:55", true},
      {"http://s/base.asp?t=1", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    opened_.clear();
    BeforeNavigateArgs args = Go(c.url);
    EXPECT_EQ(args.cancel, c.cancel);
    if (*c.opened) {
      EXPECT_EQ(opened_, std::vector<std::string>{c.opened});
      // Opened over the console whose link it was.
      EXPECT_EQ(owners_, std::vector<IWindow*>{window_});
    } else {
      EXPECT_TRUE(opened_.empty());
    }
    owners_.clear();
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(GuardTest, SiteDeleteAsksFirst) {
  AnswerNext(MsgResult::No);
  EXPECT_TRUE(Go("http://s/delnet.asp?id=1").cancel);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "确定要删除当前网站吗?");
  EXPECT_EQ(Boxes()[0].title, std::string(kNoticeTitle));
  EXPECT_EQ(Boxes()[0].icon, MsgIcon::Information);
  EXPECT_EQ(Boxes()[0].buttons, MsgButtons::YesNo);

  AnswerNext(MsgResult::Yes);
  EXPECT_FALSE(Go("http://s/delnet.asp?id=1").cancel);
}

// A message box as the member sees it: its text and its icon.
struct Shown {
  std::string text;
  MsgIcon icon;
  bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& box, std::ostream* out) {
  *out << box.text << (box.icon == MsgIcon::Information ? " (information)" : " (plain)");
}

// One form post: the page's fields, the address, the post body and what
// the guard must do.
struct FormCase {
  const char* what;
  std::vector<std::pair<const char*, const char*>> fields;
  const char* url;
  const char* post;
  bool cancel;
  std::vector<Shown> messages;
  const char* focused;  // "" when the caret stays
};

TEST_F(GuardTest, FormPostsAreCheckedBeforeTheyGo) {
  const std::string q20(20, 'x'), q21(21, 'x');
  const std::string cn20 = [] {
    std::string s;
    for (int i = 0; i < 20; ++i) s += "词";
    return s;
  }();
  const MsgIcon I = MsgIcon::Information, N = MsgIcon::None;
  std::vector<FormCase> cases = {
      // Site form.
      {"site ok", {{"n", "Mine"}, {"u", "HTTP://x.cn"}}, "http://s/savenet.asp", "", false, {}, ""},
      {"site no name", {{"n", ""}, {"u", "http://x"}}, "http://s/saveadd2.asp", "", true,
       {{"网站名称不能为空!", I}}, "n"},
      {"site bare prefix", {{"n", "a"}, {"u", "http://"}}, "http://s/savenet.asp", "", true,
       {{"网站网址不能为空!", I}}, "u"},
      {"site empty address", {{"n", "a"}, {"u", ""}}, "http://s/savenet.asp", "", true,
       {{"网站网址不能为空!", I}}, "u"},
      {"site secure scheme", {{"n", "a"}, {"u", "https://x"}}, "http://s/savenet.asp", "", true,
       {{"请输入符合规范的网址!", I}}, "u"},
      {"site no scheme", {{"n", "a"}, {"u", "www.x.cn"}}, "http://s/savenet.asp", "", true,
       {{"请输入符合规范的网址!", I}}, "u"},
      {"site blank name is not empty", {{"n", " "}, {"u", "http://x"}}, "http://s/savenet.asp",
       "", false, {}, ""},
      // Keyword queries.
      {"keyword 20", {{"q", q20.c_str()}}, "http://s/saveword.asp", "types=1&transtype=3", false,
       {}, ""},
      {"keyword 20 Chinese", {{"q", cn20.c_str()}}, "http://s/saveword.asp",
       "types=2&transtype=3", false, {}, ""},
      {"keyword 21", {{"q", q21.c_str()}}, "http://s/saveword.asp", "types=1&transtype=3", true,
       {{"输入的关键字太长!", N}}, "q"},
      {"keyword empty", {{"q", ""}}, "http://s/saveword.asp", "types=2&transtype=3", true,
       {{"请输入要查询的关键字!", N}}, "q"},
      {"lead word empty", {{"q", ""}, {"q2", "b"}}, "http://s/saveword.asp", "types=3&transtype=3",
       true, {{"请输入要查询的引导词!", N}}, "q"},
      {"lead word long", {{"q", q21.c_str()}, {"q2", "b"}}, "http://s/saveword.asp",
       "types=0&transtype=3", true, {{"输入的引导词太长!", N}}, "q"},
      {"target word empty", {{"q", "a"}, {"q2", ""}}, "http://s/saveword.asp",
       "types=3&transtype=3", true, {{"请输入要查询的目标词!", N}}, "q2"},
      {"target word long", {{"q", "a"}, {"q2", q21.c_str()}}, "http://s/saveword.asp",
       "types=3&transtype=3", true, {{"输入的目标词太长!", N}}, "q2"},
      {"types missing", {{"q", "a"}}, "http://s/saveword.asp", "transtype=3", true,
       {{"提交失败", N}}, ""},
      {"types not a number", {{"q", "a"}}, "http://s/saveword.asp", "types=x&transtype=1", true,
       {{"提交失败", N}}, ""},
      {"variant 1.5 is no keyword query", {{"q", "a"}, {"q2", ""}}, "http://s/saveword.asp",
       "types=1.5&transtype=3", true, {{"请输入要查询的目标词!", N}}, "q2"},
      {"variant 2.0 is the keyword query", {{"q", "a"}, {"q2", ""}}, "http://s/saveword.asp",
       "types=2.0&transtype=3", false, {}, ""},
      {"test run", {{"q", "a"}}, "http://s/saveword.asp", "types=1&transtype=2", true,
       {{"测试完成!", N}}, ""},
      {"query stops silently", {{"q", "a"}}, "http://s/saveword.asp", "types=1&transtype=1", true,
       {}, ""},
      {"delete skips the checks", {}, "http://s/saveword.asp", "transtype=4", false, {}, ""},
      {"module save missing hours", {{"ttype", "c1"}}, "http://s/saveword.asp", "transtype=5",
       true, {{"提交失败", N}}, ""},
      // Password change.
      {"password ok", {{"oldpwd", "a"}, {"newpwd1", "Bb"}, {"newpwd2", "Bb"}},
       "http://s/savepwd.asp", "", false, {}, ""},
      {"no old password", {{"oldpwd", ""}, {"newpwd1", "b"}, {"newpwd2", "b"}},
       "http://s/savepwd.asp", "", true, {{"请输入原始密码!", N}}, "oldpwd"},
      {"no new password", {{"oldpwd", "a"}, {"newpwd1", ""}, {"newpwd2", "b"}},
       "http://s/savepwd.asp", "", true, {{"请输入新密码!", N}}, "newpwd1"},
      {"no confirmation", {{"oldpwd", "a"}, {"newpwd1", "b"}, {"newpwd2", ""}},
       "http://s/savepwd.asp", "", true, {{"请输入确认密码!", N}}, "newpwd2"},
      {"passwords differ in case", {{"oldpwd", "a"}, {"newpwd1", "b"}, {"newpwd2", "B"}},
       "http://s/savepwd.asp", "", true, {{"两次输入密码不一致，请重新输入!", N}}, ""},
      // Rank update and check requests never go.
      {"rank update with list", {{"id", "1"}}, "http://s/uppos.asp", "", true, {}, ""},
      {"rank update without list", {}, "http://s/uppos.asp", "", true,
       {{"请勾选需要更新的关键词!", I}}, ""},
      {"check request", {}, "http://s/docheck.asp?id=1", "", true, {}, ""},
      // Ad form.
      {"ad ok", {{"q", "a"}, {"q2", "b"}, {"urls", "c"}}, "http://s/savead.asp",
       "types=1&transtype=1", false, {}, ""},
      {"ad no source", {{"q", ""}, {"q2", "b"}, {"urls", "c"}}, "http://s/savead.asp",
       "types=2&transtype=3", true, {{"请输入来路!", N}}, "q"},
      {"ad no target", {{"q", "a"}, {"q2", ""}, {"urls", "c"}}, "http://s/savead.asp",
       "types=1&transtype=3", true, {{"请输入目标网页!", N}}, "q2"},
      {"ad no script", {{"q", "a"}, {"q2", "b"}, {"urls", ""}}, "http://s/savead.asp",
       "types=1&transtype=3", true, {{"请输入广告脚本!", N}}, "urls"},
      {"ad other variant unchecked", {{"q", ""}}, "http://s/savead.asp", "types=3&transtype=3",
       false, {}, ""},
      {"ad variant 1.5 unchecked", {{"q", ""}}, "http://s/savead.asp", "types=1.5&transtype=3",
       false, {}, ""},
      {"ad test", {{"q", "a"}, {"q2", "b"}, {"urls", "c"}}, "http://s/savead.asp",
       "types=1&transtype=2", true, {{"测试完成!", N}}, ""},
      {"system template", {{"ttype", "S1"}}, "http://s/savead.asp", "transtype=4", true,
       {{"系统模板，无法删除！", I}}, ""},
      {"own template", {{"ttype", "c12"}}, "http://s/savead.asp", "transtype=4", false, {}, ""},
      {"template C is not c", {{"ttype", "C12"}}, "http://s/savead.asp", "transtype=4", true,
       {{"系统模板，无法删除！", I}}, ""},
      {"missing field", {}, "http://s/savenet.asp", "", true, {{"提交失败", N}}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDocument& doc = web_->NewDocument();
    for (const auto& [name, value] : c.fields) doc.AddElement(name, std::string(value));
    size_t before = Boxes().size();
    BeforeNavigateArgs args = Go(c.url, c.post);
    EXPECT_EQ(args.cancel, c.cancel);
    std::vector<Shown> shown;
    for (size_t i = before; i < Boxes().size(); ++i) {
      shown.push_back({Boxes()[i].text, Boxes()[i].icon});
      EXPECT_EQ(Boxes()[i].title, std::string(kNoticeTitle));
      EXPECT_EQ(Boxes()[i].buttons, MsgButtons::Ok);
    }
    EXPECT_EQ(shown, c.messages);
    EXPECT_EQ(doc.FocusedName(), c.focused);
  }
}

TEST_F(GuardTest, MessageStylesFollowTheKindOfCheck) {
  web_->NewDocument().AddElement("n", std::string());
  web_->doc().AddElement("u", std::string("x"));
  Go("http://s/savenet.asp");
  web_->NewDocument().AddElement("oldpwd", std::string());
  Go("http://s/savepwd.asp");
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].icon, MsgIcon::Information);
  EXPECT_EQ(Boxes()[1].icon, MsgIcon::None);
  for (const auto& b : Boxes()) {
    EXPECT_EQ(b.title, std::string(kNoticeTitle));
    EXPECT_EQ(b.buttons, MsgButtons::Ok);
  }
}

TEST_F(GuardTest, FieldThatCannotTakeTheFocusEndsInTheRecovery) {
  FakeDocument& doc = web_->NewDocument();
  doc.AddElement("n", std::string(), /*focusable=*/false);
  doc.AddElement("u", std::string("http://x"));
  EXPECT_TRUE(Go("http://s/savenet.asp").cancel);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"网站名称不能为空!", "提交失败"}));
}

TEST_F(GuardTest, QueryActionClearsTheStopFlagAndAKeywordModulePostGoesOnAlone) {
  gStopWaiting = true;
  web_->NewDocument().AddElement("q", std::string("a"));
  EXPECT_TRUE(Go("http://s/saveword.asp", "types=1&transtype=1").cancel);
  EXPECT_FALSE(gStopWaiting);

  FakeDocument& doc = web_->NewDocument();
  for (int h = 0; h < 24; ++h) doc.AddElement("tmr" + std::to_string(h), std::string("1"));
  doc.AddElement("ttype", std::string("c3"));
  EXPECT_FALSE(Go("http://s/saveword.asp", "transtype=5").cancel);  // proceeds
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(Requests().empty());
}

// The ad form's module save is stopped as a post, so the schedule is sent
// on its own instead of being lost.
TEST_F(GuardTest, AdModuleSaveSendsTheScheduleInsteadOfThePost) {
  const std::string save = std::string(kServiceBase) + "savemodule.asp?";
  std::string hours;
  for (int h = 0; h < 24; ++h)
    hours += (h ? "&tmr" : "tmr") + std::to_string(h) + "=" + (h % 2 ? "%31" : "%30");
  struct Case {
    const char* ttype;
    const char* ids;
  } cases[] = {{"c12", "%31%32"}, {"s1", "0"}, {"C5", "0"}, {"xc", "%63"},
               {"模c1", "%63%31"},  // the first character goes whole, not its first byte
               {"c", ""}};
  Reply(save, "ok");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ttype);
    FakeDocument& doc = web_->NewDocument();
    for (int h = 0; h < 24; ++h) doc.AddElement("tmr" + std::to_string(h), std::string(h % 2 ? "1" : "0"));
    doc.AddElement("ttype", std::string(c.ttype));
    size_t before = Requests().size();
    EXPECT_TRUE(Go("http://s/savead.asp", "transtype=5").cancel);
    ASSERT_EQ(Requests().size(), before + 1);
    EXPECT_EQ(Requests().back(), save + hours + "&ids=" + c.ids);  // no time stamp
  }
  EXPECT_TRUE(Boxes().empty());

  // Not sent: the member is told, and the post stays stopped.
  FakeReply failure;
  failure.status = 500;
  env.http.Reply(save, failure);
  EXPECT_TRUE(Go("http://s/savead.asp", "transtype=5").cancel);
  EXPECT_EQ(Texts(), std::vector<std::string>{"提交失败"});
  // A missing switch sends nothing and ends in the recovery.
  web_->NewDocument().AddElement("ttype", std::string("c1"));
  size_t before = Requests().size();
  EXPECT_TRUE(Go("http://s/savead.asp", "transtype=5").cancel);
  EXPECT_EQ(Requests().size(), before);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"提交失败", "提交失败"}));
}

// Another handler sends a fetch of its own while the schedule is being
// sent (the two share one request): the save never gets its own answer and
// is reported as failed, not judged by the other fetch's answer.
TEST_F(GuardTest, AModuleSaveWhoseRequestAnotherFetchTookOverIsReportedAsFailed) {
  FakeDocument& doc = web_->NewDocument();
  for (int h = 0; h < 24; ++h) doc.AddElement("tmr" + std::to_string(h), std::string("1"));
  doc.AddElement("ttype", std::string("c3"));
  Reply(Base() + "queryFlag.asp", "ok");
  FakeReply slow;
  slow.looks = 3;
  slow.body = "ok";
  env.http.Reply(Base() + "savemodule.asp", slow);
  std::string other;
  bool sent = false;
  env.pump.onPump = [&] {
    if (env.pump.waits != 1 || std::exchange(sent, true)) return;
    other = HttpGet(Base() + "queryFlag.asp?id=1", true);
  };
  const double start = env.clock.now_;
  EXPECT_TRUE(Go("http://s/savead.asp", "transtype=5").cancel);
  env.pump.onPump = nullptr;
  EXPECT_EQ(other, "ok");
  EXPECT_EQ(Texts(), std::vector<std::string>{"提交失败"});
  EXPECT_LT(env.clock.now_ - start, 1.0) << "failed by the time limit, not at once";
}

// While the delete question is up, the page closes the console and goes on
// to a site check link. The delete handler ends there (a Yes would have
// gone on to the visitor viewer), and the link, held until that handler has
// returned, opens nothing over the closed console.
TEST_F(GuardTest, AConsoleClosedWhileTheDeleteQuestionIsUpEndsItsNavigationsQuietly) {
  AnswerNext(MsgResult::Yes);
  BeforeNavigateArgs held;
  env.dialogs.whileOpen = [&](const ShownMessage&) {
    window_->UserClose();
    held = web_->FireBeforeNavigate2("http://s/checkcode.asp?id=5");
  };
  EXPECT_TRUE(Go("http://s/delnet.asp?id=4&back=viewqq.asp").cancel);
  env.dialogs.whileOpen = nullptr;
  EXPECT_FALSE(held.cancel) << "decided while the delete handler ran";
  EXPECT_EQ(web_->decided().size(), 1u);

  env.pump.PumpEvents();
  ASSERT_EQ(web_->decided().size(), 2u);
  EXPECT_EQ(web_->decided().back().url, "http://s/checkcode.asp?id=5");
  EXPECT_TRUE(web_->decided().back().cancel);
  EXPECT_TRUE(opened_.empty());
  EXPECT_EQ(Texts(), std::vector<std::string>{"确定要删除当前网站吗?"});
}

TEST_F(GuardTest, LaterStepsStillRunAfterAnEarlierOneMatched) {
  // A delete confirmed with Yes whose address also names the check page is
  // still stopped by the last step.
  AnswerNext(MsgResult::Yes);
  EXPECT_TRUE(Go("http://s/delnet.asp?back=docheck.asp").cancel);
  // A keyword query that passed its checks goes on to the password checks.
  FakeDocument& doc = web_->NewDocument();
  doc.AddElement("q", std::string("a"));
  doc.AddElement("oldpwd", std::string());
  EXPECT_TRUE(Go("http://s/saveword.asp?to=savepwd.asp", "types=1&transtype=3").cancel);
  EXPECT_EQ(Texts().back(), "请输入原始密码!");
}

// Step 1 keeps the request pending while the checker is up; steps 2 and 4
// have already cancelled it when their viewer opens.
TEST_F(GuardTest, CheckerOpensBeforeTheCancelAndViewersAfterIt) {
  BeforeNavigateArgs args;
  std::vector<std::string> seen;
  auto& openers = MemberWindowOpeners();
  auto note = [&](const char* what) {
    return [&seen, &args, what](IWindow&) {
      seen.push_back(std::string(what) + (args.cancel ? ":cancelled" : ":pending"));
    };
  };
  openers.siteChecker = note("checker");
  openers.memoViewer = note("memo");
  openers.visitorViewer = note("visitor");
  for (const char* url : {"http://s/checkcode.asp?id=1", "http://s/viewmemo.asp?id=1",
                          "http://s/viewqq.asp?id=1"}) {
    args = BeforeNavigateArgs{};
    args.url = url;
    frmAdmin::Instance().web_BeforeNavigate2(args);
    EXPECT_TRUE(args.cancel) << url;
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"checker:pending", "memo:cancelled", "visitor:cancelled"}));
}

TEST_F(GuardTest, DeleteGoesOnOnlyOnYes) {
  struct Case {
    const char* what;
    std::optional<MsgResult> answer;  // nullopt: the box is closed unanswered
    bool cancel;
  } cases[] = {{"yes", MsgResult::Yes, false}, {"no", MsgResult::No, true},
               {"closed", std::nullopt, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    env.dialogs.answers.clear();
    if (c.answer) AnswerNext(*c.answer);
    size_t before = Boxes().size();
    EXPECT_EQ(Go("http://s/DelNet.asp?id=4").cancel, c.cancel);
    ASSERT_EQ(Boxes().size(), before + 1);  // one question, nothing after it
    EXPECT_EQ(Boxes().back().buttons, MsgButtons::YesNo);
  }
  EXPECT_TRUE(Requests().empty());

  // After a Yes the run goes on: a delete address that also names the
  // visitor page opens the visitor viewer and is stopped.
  AnswerNext(MsgResult::Yes);
  opened_.clear();
  EXPECT_TRUE(Go("http://s/delnet.asp?id=4&back=viewqq.asp").cancel);
  EXPECT_EQ(opened_, std::vector<std::string>{"visitor:4"});
  // After a No it ends there.
  AnswerNext(MsgResult::No);
  opened_.clear();
  EXPECT_TRUE(Go("http://s/delnet.asp?id=4&back=viewqq.asp").cancel);
  EXPECT_TRUE(opened_.empty());
}

// The form variant is converted only where the checks need it; what is not
// a number ends in the one recovery message with the post stopped.
TEST_F(GuardTest, FormVariantThatIsNoNumberEndsInTheRecovery) {
  struct Case {
    const char* url;
    const char* post;
    bool recovery;
  } cases[] = {
      {"http://s/saveword.asp", "transtype=3", true},
      {"http://s/saveword.asp", "types=&transtype=3", true},
      {"http://s/saveword.asp", "types=one&transtype=3", true},
      {"http://s/saveword.asp", "types=1e999&transtype=3", true},
      {"http://s/saveword.asp", "types=%31&transtype=3", true},  // as written, not decoded
      {"http://s/savead.asp", "transtype=3", true},
      {"http://s/savead.asp", "types=x&transtype=1", true},
      {"http://s/savead.asp", "types=x&transtype=4", false},   // no conversion for 4
      {"http://s/saveword.asp", "types=x&transtype=4", false},
      {"http://s/saveword.asp", "types= 2 &transtype=3", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.url) + " " + c.post);
    FakeDocument& doc = web_->NewDocument();
    for (const char* f : {"q", "q2", "urls"}) doc.AddElement(f, std::string("a"));
    doc.AddElement("ttype", std::string("c1"));
    size_t before = Boxes().size();
    BeforeNavigateArgs args = Go(c.url, c.post);
    std::vector<std::string> shown;
    for (size_t i = before; i < Boxes().size(); ++i) shown.push_back(Boxes()[i].text);
    if (c.recovery) {
      EXPECT_TRUE(args.cancel);
      EXPECT_EQ(shown, std::vector<std::string>{"提交失败"});
      EXPECT_EQ(Boxes().back().icon, MsgIcon::None);
      EXPECT_EQ(Boxes().back().title, std::string(kNoticeTitle));
    } else {
      EXPECT_FALSE(args.cancel);
      EXPECT_TRUE(shown.empty());
    }
  }
}

// Every check that puts the caret into a field: when that field cannot take
// the focus, the member sees the check's message and then "提交失败".
TEST_F(GuardTest, EveryRejectedFieldThatCannotTakeTheFocusEndsInTheRecovery) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> fields;
    const char* url;
    const char* post;
    const char* field;  // the one that refuses the focus
    const char* message;
  } cases[] = {
      {{{"n", "a"}, {"u", "ftp://x"}}, "http://s/saveadd2.asp", "", "u", "请输入符合规范的网址!"},
      {{{"q", ""}}, "http://s/saveword.asp", "types=1&transtype=3", "q", "请输入要查询的关键字!"},
      {{{"q", "a"}, {"q2", ""}}, "http://s/saveword.asp", "types=7&transtype=3", "q2",
       "请输入要查询的目标词!"},
      {{{"oldpwd", "a"}, {"newpwd1", "b"}, {"newpwd2", ""}}, "http://s/savepwd.asp", "", "newpwd2",
       "请输入确认密码!"},
      {{{"q", "a"}, {"q2", "b"}, {"urls", ""}}, "http://s/savead.asp", "types=2&transtype=3",
       "urls", "请输入广告脚本!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    FakeDocument& doc = web_->NewDocument();
    for (const auto& [name, value] : c.fields)
      doc.AddElement(name, std::string(value), std::string(name) != c.field);
    size_t before = Boxes().size();
    EXPECT_TRUE(Go(c.url, c.post).cancel);
    ASSERT_EQ(Boxes().size(), before + 2);
    EXPECT_EQ(Boxes()[before].text, c.message);
    EXPECT_EQ(Boxes()[before + 1].text, "提交失败");
    EXPECT_EQ(Boxes()[before + 1].icon, MsgIcon::None);
  }
}

// Only the ad form's module save sends anything of its own; a keyword
// module save and the delete of one's own template are posted as they are.
TEST_F(GuardTest, ModulePostsThatProceedSendNothingMore) {
  struct Case {
    const char* url;
    const char* post;
    bool cancel;
    size_t sent;
  } cases[] = {
      {"http://s/saveword.asp", "transtype=5", false, 0},
      {"http://s/savead.asp", "transtype=4", false, 0},
      {"http://s/saveword.asp", "transtype=4", false, 0},
      {"http://s/savead.asp", "transtype=5", true, 1},
  };
  Reply(Base() + "savemodule.asp", "ok");
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.url) + " " + c.post);
    FakeDocument& doc = web_->NewDocument();
    for (int h = 0; h < 24; ++h) doc.AddElement("tmr" + std::to_string(h), std::string("1"));
    doc.AddElement("ttype", std::string("c7"));
    size_t before = Requests().size();
    EXPECT_EQ(Go(c.url, c.post).cancel, c.cancel);
    EXPECT_EQ(Requests().size() - before, c.sent);
  }
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace lumaro
