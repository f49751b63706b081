// The real program against a stand-in service that misbehaves: nothing
// listening, error statuses, replies reset or cut short in mid-body, bodies
// that end inside a double-byte character, 10 MB replies, silence, and pages
// whose form fields have lost their names. Each window must keep its outcome,
// go on answering the user while a request waits, and keep what was typed.
#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "e2e/console_steps.h"

namespace e2e {
namespace {

using lumaro::service::Fault;
using Clock = std::chrono::steady_clock;

constexpr size_t kTenMegabytes = size_t(10) << 20;

constexpr const char* kUpdateTitle = "^版本升级$";
// The update window's "以后再说" button.
const PixelPoint kLater = UpdatePoint("Command2");

// One way for the service to misbehave: a fault of its pages, or the whole
// service stopped, so that connections are refused.
struct Trouble {
  const char* what;
  Fault fault;
  bool down = false;
};

Trouble With(const char* what, Fault::Kind kind, size_t bytes = 0) {
  Trouble t{what, {}};
  t.fault.kind = kind;
  t.fault.status = 500;
  t.fault.bytes = bytes;
  return t;
}
Trouble Down() { return {"nothing listening", {}, true}; }

const Trouble kStatus500 = With("status 500", Fault::Status);
const Trouble kReset = With("reset in mid-body", Fault::Reset);
const Trouble kCutShort = With("shorter than announced", Fault::Truncated);
const Trouble kCutCharacter = With("ends inside a character", Fault::CutCharacter);
const Trouble kEmpty = With("empty body", Fault::EmptyBody);
const Trouble kHuge = With("10 MB body", Fault::Huge, kTenMegabytes);
const Trouble kVast = With("400 MB body", Fault::Huge, size_t(400) << 20);

// The registration window's 注册 button.
const PixelPoint kRegister = RegistrationPoint("cmdOk");

// The first site's check link on the site list.
Node CheckLink(const Node& app) {
  return WaitForPageElement(app, ATSPI_ROLE_LINK, "代码检测", 10, "checkcode.asp?id=101");
}

class FaultInjection : public EndToEnd {
 protected:
  void Apply(const std::string& page, const Trouble& t) {
    if (t.down) {
      Service().Stop();
      stopped_ = true;
    } else {
      Service().SetFault(page, t.fault);
    }
  }
  // Back to normal service.
  void Lift() {
    if (stopped_) {
      ASSERT_TRUE(Service().Start()) << "the stand-in could not listen again";
      stopped_ = false;
    }
    Service().ClearFaults();
  }

  // Starts a client and opens the registration window from its login window;
  // returns once the window's hidden form has loaded.
  std::string OpenRegistration(ClientProcess& client) {
    client.Start();
    std::string login = WaitForWindow(kLoginTitle, 20);
    if (login.empty()) return "";
    Click(login, LoginPoint("lblReg"));
    std::string reg = WaitForWindow(kRegisterTitle, 10);
    if (!reg.empty() && !WaitForLoads("edituser.asp", 1)) return "";
    return reg;
  }

 private:
  bool stopped_ = false;
};

// ---------------------------------------------------------------------------
// Start-up: the version check and the reseller record.

TEST_F(FaultInjection, StartUpKeepsItsOutcomeWhateverTheStartRequestsMeet) {
  enum Outcome {
    kConnectionNotice,  // "连接服务器失败…", no reseller record asked for
    kRecordNotice,      // "网络异常退出!" after the reseller record
    kUpdateWindow,      // another version: the update window
    kQuietEnd,          // the program ends without a word
  };
  struct Case {
    const char* page;
    Trouble trouble;
    Outcome outcome;
  } cases[] = {
      {"GetVer.asp", Down(), kConnectionNotice},
      {"GetVer.asp", kStatus500, kConnectionNotice},
      {"GetVer.asp", kReset, kConnectionNotice},
      {"GetVer.asp", kCutShort, kConnectionNotice},
      {"GetVer.asp", kCutCharacter, kConnectionNotice},
      {"GetVer.asp", kEmpty, kUpdateWindow},
      {"GetVer.asp", kHuge, kConnectionNotice},  // past the largest reply kept
      {"GetVer.asp", kVast, kConnectionNotice},
      {"GetOEM.asp", kStatus500, kQuietEnd},
      {"GetOEM.asp", kReset, kQuietEnd},
      {"GetOEM.asp", kCutCharacter, kQuietEnd},
      {"GetOEM.asp", kEmpty, kRecordNotice},
      {"GetOEM.asp", kHuge, kQuietEnd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.page) + ": " + c.trouble.what);
    Service().ClearRequests();
    Apply(c.page, c.trouble);
    auto& client = NewClient();
    client.Start();
    switch (c.outcome) {
      case kConnectionNotice:
      case kRecordNotice:
        EXPECT_TRUE(Answer()) << "no message";
        EXPECT_TRUE(client.WaitExit(10).has_value()) << "the program went on after the message";
        EXPECT_EQ(CountRequests("GetOEM.asp"), c.outcome == kRecordNotice ? 1u : 0u);
        break;
      case kUpdateWindow: {
        std::string update = WaitForWindow(kUpdateTitle, 30);
        EXPECT_FALSE(update.empty()) << "no update window";
        EXPECT_EQ(CountRequests("GetOEM.asp"), 0u);
        Click(update, kLater);
        EXPECT_TRUE(client.WaitExit(10).has_value()) << "the update window did not end the program";
        break;
      }
      case kQuietEnd:
        // A message box would hold the program until it was answered.
        EXPECT_TRUE(client.WaitExit(30).has_value()) << "the program did not end by itself";
        EXPECT_EQ(CountRequests("GetOEM.asp"), 1u);
        break;
    }
    EXPECT_TRUE(FindWindows(kLoginTitle).empty()) << "a login window came up";
    Lift();
    client.Kill();
  }
}

// ---------------------------------------------------------------------------
// The login window.

TEST_F(FaultInjection, FailedSignInsAreRefusalsAndTheBoxesKeepTheirText) {
  auto& client = NewClient();
  client.Start();
  std::string login = WaitForWindow(kLoginTitle, 20);
  ASSERT_FALSE(login.empty()) << "no login window";

  const Trouble troubles[] = {kStatus500, kReset,  kCutShort, kCutCharacter,
                              kEmpty,     kHuge,   Down()};
  bool typed = false;
  size_t sent = 0;
  for (const Trouble& t : troubles) {
    SCOPED_TRACE(t.what);
    Apply("newlogin.asp", t);
    if (!typed) {
      SignInAs(login, "demo", "demo123");
      typed = true;
    } else {
      Click(login, LoginPoint("cmdLogin"));
    }
    EXPECT_TRUE(Answer()) << "no refusal";
    if (!t.down) {
      EXPECT_EQ(CountRequests("newlogin.asp"), ++sent);
    }
    EXPECT_TRUE(IsShown(kLoginTitle));
    EXPECT_FALSE(IsShown(kConsoleTitle));
    Lift();
  }
  // Nothing was typed since the first try: the boxes still hold it all.
  Click(login, LoginPoint("cmdLogin"));
  EXPECT_FALSE(WaitForWindow(kConsoleTitle, 20).empty()) << "the kept name and password failed";
  EXPECT_EQ(client.ReadFile("ini.txt"), "demo@@@@@@@@@@@@@@@@@@@@0\r\n");
}

// Real time: the sign-in request is given up after the fetch's 30-second
// limit, which cannot be shortened from outside the program.
TEST_F(FaultInjection, SilentSignInGivesUpAfterThirtySecondsWhileTheWindowTakesTyping) {
  auto& client = NewClient();
  client.Start();
  std::string login = WaitForWindow(kLoginTitle, 20);
  ASSERT_FALSE(login.empty()) << "no login window";

  Fault silence;
  silence.kind = Fault::Silence;
  Service().SetFault("newlogin.asp", silence);
  SignInAs(login, "dem", "demo123");
  ASSERT_TRUE(Service().WaitForRequest("newlogin.asp", 5)) << "no sign-in request";
  const auto sent = Clock::now();

  // While the request waits, the account box takes its last letter, and a
  // second click on the sign-in caption sends nothing more.
  Click(login, LoginPoint("txtuser"));
  PressKey("End");
  TypeText("o");
  Click(login, LoginPoint("cmdLogin"));
  EXPECT_FALSE(IsShown(kNoticeTitle)) << "the refusal came before the time limit";

  ASSERT_FALSE(WaitForWindow(kNoticeTitle, 45).empty()) << "no refusal after the time limit";
  const double waited = std::chrono::duration<double>(Clock::now() - sent).count();
  EXPECT_GE(waited, 29.0) << "gave up before the 30-second limit";
  EXPECT_EQ(CountRequests("newlogin.asp"), 1u);
  PressKey("Return");
  ASSERT_TRUE(WaitGone(kNoticeTitle, 5));
  EXPECT_TRUE(IsShown(kLoginTitle));

  // The name typed before and during the wait, and the password: all kept.
  Service().ClearFaults();
  Click(login, LoginPoint("cmdLogin"));
  EXPECT_FALSE(WaitForWindow(kConsoleTitle, 20).empty()) << "the kept name and password failed";
  EXPECT_EQ(client.ReadFile("ini.txt"), "demo@@@@@@@@@@@@@@@@@@@@0\r\n");
}

// ---------------------------------------------------------------------------
// The registration window.

TEST_F(FaultInjection, RegistrationGoesOnPastFailedChecksAndKeepsWhatWasTyped) {
  auto& client = NewClient();
  std::string reg = OpenRegistration(client);
  ASSERT_FALSE(reg.empty()) << "no registration window with its form";
  const Applicant a{"Faulty1", "f1@example.cn", "pw1one", "1234567", "13900003333", "Zhao"};
  FillRegistration(reg, a);

  // The availability check fails, which does not stop the registration, and
  // the service's answer page is no success (none of these answers lets the
  // service register anyone): the answer is shown, a fresh form is loaded,
  // and the boxes keep their text.
  struct Round {
    Trouble check, answer;
  } rounds[] = {
      {kStatus500, kStatus500},
      {kReset, kEmpty},
      {kCutShort, kStatus500},
      {kCutCharacter, kEmpty},
      {kHuge, kStatus500},
  };
  size_t forms = CountRequests("edituser.asp");
  size_t posts = 0;
  for (const Round& r : rounds) {
    SCOPED_TRACE(std::string(r.check.what) + " / " + r.answer.what);
    Apply("checkUser.ASP", r.check);
    Apply("usersave.asp", r.answer);
    Click(reg, kRegister);
    EXPECT_TRUE(WaitUntil([&] { return CountRequests("usersave.asp") == posts + 1; }, 10))
        << "a failed availability check stopped the post";
    ++posts;
    EXPECT_TRUE(Answer("Return", 15)) << "the service's answer was not shown";
    EXPECT_TRUE(WaitUntil([&] { return CountRequests("edituser.asp") == forms + 1; }, 10))
        << "no fresh form";
    ++forms;
    EXPECT_TRUE(WaitForLoads("edituser.asp", forms)) << "the fresh form did not load";
    EXPECT_TRUE(IsShown(kRegisterTitle));
    Lift();
  }
  // Every post carried the text typed once at the start.
  ASSERT_EQ(CountRequests("usersave.asp"), std::size(rounds));
  for (const auto& r : Service().Requests()) {
    if (r.path != "/usersave.asp") continue;
    EXPECT_EQ(r.Param("lName"), a.user);
    EXPECT_EQ(r.Param("lpwd"), a.password);
    EXPECT_EQ(r.Param("lemail"), a.email);
    EXPECT_EQ(r.Param("lqq"), a.qq);
    EXPECT_EQ(r.Param("lmobile"), a.mobile);
    EXPECT_EQ(r.Param("lman"), a.man);
  }

  // The same boxes, untouched since they were filled, now register.
  EXPECT_FALSE(Service().HasAccount(a.user));
  Click(reg, kRegister);
  EXPECT_TRUE(Answer()) << "no success message";
  EXPECT_TRUE(WaitGone(kRegisterTitle, 5)) << "the window stayed after the success";
  ASSERT_TRUE(Service().HasAccount(a.user));
  EXPECT_EQ(Service().PasswordOf(a.user), a.password);
}

TEST_F(FaultInjection, RegistrationRecoversFromALostServiceAFormWithoutItsFieldsAndACutAnswer) {
  auto& client = NewClient();
  std::string reg = OpenRegistration(client);
  ASSERT_FALSE(reg.empty()) << "no registration window with its form";
  const Applicant b{"Faulty2", "f2@example.cn", "pw2two", "7654321", "13900004444", "Qian"};
  FillRegistration(reg, b);
  // The availability check keeps failing; it never stops the registration.
  const Fault brokenCheck = kStatus500.fault;

  // Nothing listening: the check fails, and so does the post; what the
  // browser made of the failed post is shown, and the form cannot be
  // reloaded either: three connections refused (the check, the post, the
  // form) before the service comes back.
  const long refused = RefusedConnections();
  Apply("", Down());
  Click(reg, kRegister);
  EXPECT_TRUE(Answer("Return", 15)) << "the failed post went unanswered";
  EXPECT_TRUE(WaitUntil([&] { return RefusedConnections() >= refused + 3; }, 10))
      << "the form was not asked for again (" << RefusedConnections() - refused
      << " connections refused)";
  Lift();
  Service().SetFault("checkUser.ASP", brokenCheck);
  EXPECT_TRUE(IsShown(kRegisterTitle));

  // The service is back, but it serves a form whose mobile number field has
  // lost its name. The hidden page is no usable form, twice: nothing is
  // posted, "注册失败" is said, and a fresh form is fetched each time.
  Fault stripped;
  stripped.kind = Fault::MissingFields;
  stripped.fields = "lmobile";
  Service().SetFault("edituser.asp", stripped);
  const size_t forms = CountRequests("edituser.asp");
  const size_t loads = CountLoads("edituser.asp");
  for (int attempt = 1; attempt <= 2; ++attempt) {
    SCOPED_TRACE(attempt);
    Click(reg, kRegister);
    ASSERT_FALSE(WaitForWindow(kNoticeTitle, 10).empty()) << "no failure message";
    // The form fetched after this failure is whole again.
    if (attempt == 2) Service().SetFault("edituser.asp", Fault{});
    PressKey("Return");
    ASSERT_TRUE(WaitGone(kNoticeTitle, 5));
    EXPECT_TRUE(WaitUntil([&] { return CountRequests("edituser.asp") == forms + attempt; }, 10))
        << "no fresh form after the failure";
    EXPECT_TRUE(WaitForLoads("edituser.asp", loads + attempt)) << "the fresh form did not load";
  }
  EXPECT_EQ(CountRequests("usersave.asp"), 0u) << "a form without its fields was posted";

  // The service registers the account, but its "ok" arrives cut inside a
  // double-byte character: no success; the answer is shown, the form
  // reloaded, and the window stays with its text.
  Service().SetFault("usersave.asp", kCutCharacter.fault);
  Click(reg, kRegister);
  EXPECT_TRUE(WaitUntil([&] { return CountRequests("usersave.asp") == 1; }, 10));
  EXPECT_TRUE(Answer("Return", 15)) << "the cut answer was not shown";
  EXPECT_TRUE(WaitUntil([&] { return CountRequests("edituser.asp") == forms + 3; }, 10));
  EXPECT_TRUE(IsShown(kRegisterTitle)) << "a cut answer counted as success";
  EXPECT_TRUE(Service().HasAccount(b.user));
  for (const auto& r : Service().Requests()) {
    if (r.path != "/usersave.asp") continue;
    EXPECT_EQ(r.Param("lName"), b.user);
    EXPECT_EQ(r.Param("lpwd"), b.password);
    EXPECT_EQ(r.Param("lqq"), b.qq);
    EXPECT_EQ(r.Param("lemail"), b.email);
    EXPECT_EQ(r.Param("lmobile"), b.mobile);
    EXPECT_EQ(r.Param("lman"), b.man);
  }
}

// The answer page's text is shown as it came; 10 MB of it must neither hold
// the window while the hidden browser loads it nor take the program down
// while the message box lays it out.
TEST_F(FaultInjection, ATenMegabyteAnswerPageIsShownWhileTheWindowGoesOnTakingTyping) {
  auto& client = NewClient();
  std::string reg = OpenRegistration(client);
  ASSERT_FALSE(reg.empty()) << "no registration window with its form";
  const Applicant c{"Faulty3", "f3@example.cn", "pw3three", "2345678", "13900005555", "Sun"};
  FillRegistration(reg, c);
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);
  Node name = PageElement(AccessibleWindow(app, "用户注册"), ATSPI_ROLE_TEXT, "姓名");
  ASSERT_TRUE(name) << "no name box in the registration window";
  // The answer stops halfway until the test lets the rest go.
  Fault huge = kHuge.fault;
  huge.pauseHalfway = true;
  Service().SetFault("usersave.asp", huge);
  Click(reg, kRegister);
  ASSERT_TRUE(Service().WaitForRequest("usersave.asp", 10));

  // While the answer loads, the name box takes one more letter.
  Click(reg, RegistrationPoint("txtMan"));
  PressKey("End");
  TypeText("g");
  EXPECT_TRUE(WaitForText(name, c.man + "g")) << "the window did not take the typing";
  EXPECT_FALSE(IsShown(kNoticeTitle)) << "a message before the answer was in";
  Service().SetFault("usersave.asp", Fault{});  // the rest of the 10 MB

  EXPECT_TRUE(Answer("Return", 120)) << "the 10 MB answer was not shown";
  Screenshot("faults.registration-ten-megabytes");
  EXPECT_TRUE(IsShown(kRegisterTitle));
  EXPECT_TRUE(client.Running());
  EXPECT_TRUE(WaitUntil([&] { return CountRequests("edituser.asp") == 2; }, 10)) << "no fresh form";
  EXPECT_TRUE(WaitForLoads("edituser.asp", 2)) << "the fresh form did not load";

  Service().ClearFaults();
  Click(reg, kRegister);
  EXPECT_TRUE(Answer()) << "no success message";
  EXPECT_TRUE(WaitGone(kRegisterTitle, 5));
  ASSERT_TRUE(Service().HasAccount(c.user));
  const auto requests = Service().Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().path, "/usersave.asp");
  EXPECT_EQ(requests.back().Param("lman"), c.man + "g");
}

// ---------------------------------------------------------------------------
// The site code checker.

TEST_F(FaultInjection, CheckerStaysLiveThroughHeldAndFailedRequestsAndSucceedsOnceAnswered) {
  auto& client = NewClient();
  auto [console, app] = OpenSiteList(Service(), client);
  ASSERT_TRUE(app) << "no site list in the member console";

  // A poll held by the service: the bar runs on meanwhile, and the close box
  // closes the window in the middle of the wait.
  Fault silence;
  silence.kind = Fault::Silence;
  Service().SetFault("queryFlag.asp", silence);
  ASSERT_TRUE(PressOn(console, CheckLink(app)));
  std::string checker = WaitForWindow(kCheckerTitle, 10);
  ASSERT_FALSE(checker.empty()) << "no checker window";
  ASSERT_TRUE(Service().WaitForRequest("queryFlag.asp", 5));
  Node bar = PageElement(AccessibleWindow(app, "正在检查网站"), ATSPI_ROLE_PROGRESS_BAR, "检测进度");
  ASSERT_TRUE(bar) << "no progress bar in the checker";
  std::set<double> values;
  EXPECT_TRUE(WaitUntil(
      [&] {
        if (auto v = bar.Value()) values.insert(*v);
        return values.size() >= 3;
      },
      5))
      << "the bar stood still while the poll waited";
  EXPECT_EQ(CountRequests("queryFlag.asp"), 1u) << "a second poll while the first waits";
  ASSERT_TRUE(CloseByCloseBox(checker));
  EXPECT_TRUE(WaitGone(kCheckerTitle, 5)) << "the close box did not close the waiting checker";
  // The held answer ("ok" by now) goes out to a closed window: no message,
  // and no poll after it (the next would have followed a second later).
  Service().ClearFaults();
  ASSERT_TRUE(Service().WaitForAnswered("queryFlag.asp", 1, 5));
  EXPECT_TRUE(ConsoleTakesClicks(Service(), console, "mananet.asp"));
  EXPECT_FALSE(IsShown(kNoticeTitle)) << "the late answer was reported";
  EXPECT_FALSE(WaitUntil([&] { return CountRequests("queryFlag.asp") > 1; }, 2))
      << "polls went on after the close";

  // No usable site address: the hidden browser is handed the failure (or 10
  // MB of text) as an address, and the polls go on quietly. (The site has
  // reported by now; failing polls keep that from ending the check.)
  const Trouble addressTroubles[] = {kStatus500, kHuge};
  for (const Trouble& t : addressTroubles) {
    SCOPED_TRACE(std::string("site address: ") + t.what);
    Service().ClearRequests();
    Apply("GetNet.asp", t);
    Apply("queryFlag.asp", kEmpty);
    ASSERT_TRUE(PressOn(console, CheckLink(app)));
    checker = WaitForWindow(kCheckerTitle, 10);
    ASSERT_FALSE(checker.empty()) << "no checker window";
    EXPECT_TRUE(WaitUntil([&] { return CountRequests("queryFlag.asp") >= 2; }, 10));
    EXPECT_FALSE(IsShown(kNoticeTitle));
    ASSERT_TRUE(CloseByCloseBox(checker));
    EXPECT_TRUE(WaitGone(kCheckerTitle, 5));
    Lift();
  }

  // Each failed poll is followed by the next; none of them is a success.
  ASSERT_TRUE(PressOn(console, CheckLink(app)));
  checker = WaitForWindow(kCheckerTitle, 10);
  ASSERT_FALSE(checker.empty()) << "no checker window";
  const Trouble pollTroubles[] = {kStatus500, kReset, kCutShort, kCutCharacter, kEmpty, kHuge};
  for (const Trouble& t : pollTroubles) {
    SCOPED_TRACE(std::string("poll: ") + t.what);
    Apply("queryFlag.asp", t);
    const size_t polls = CountRequests("queryFlag.asp");
    EXPECT_TRUE(WaitUntil([&] { return CountRequests("queryFlag.asp") >= polls + 2; }, 10))
        << "the polls stopped";
    EXPECT_FALSE(IsShown(kNoticeTitle));
    EXPECT_TRUE(IsShown(kCheckerTitle));
  }
  // The site page has reported meanwhile; the answer is held back only by
  // the faults. Nothing listening: two polls refused, and the check goes on.
  EXPECT_TRUE(Service().Counted("101"));
  const long refused = RefusedConnections();
  Apply("queryFlag.asp", Down());
  EXPECT_TRUE(WaitUntil([&] { return RefusedConnections() >= refused + 2; }, 10))
      << "the polls stopped while nothing listened";
  EXPECT_FALSE(IsShown(kNoticeTitle));
  EXPECT_TRUE(IsShown(kCheckerTitle)) << "refused polls ended the check";
  Lift();
  EXPECT_TRUE(Answer()) << "no success once the service answered";
  EXPECT_TRUE(WaitGone(kCheckerTitle, 5));
  EXPECT_TRUE(IsShown(kConsoleTitle));
  EXPECT_TRUE(client.Running());
}

// ---------------------------------------------------------------------------
// The member console's guard.

// The ad page: the special account's, behind the console's unmarked hot spot
// at its bottom right (Label1 at twips 14280, 10440, 855 x 375).
const PixelPoint kAdSpot = MemberConsolePoint("Label1");

TEST_F(FaultInjection, GuardFailuresAreReportedAndLeaveThePageAsItWas) {
  auto& client = NewClient();
  std::string console = OpenConsole(Service(), client, "vyrd", "vyrd123");
  ASSERT_FALSE(console.empty()) << "no member console";
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);

  // The site list's add form without its address field: nothing is posted,
  // nothing loaded, and the name typed stays in its box.
  Fault stripped;
  stripped.kind = Fault::MissingFields;
  stripped.fields = "u";
  Service().SetFault("mananet.asp", stripped);
  ASSERT_TRUE(OpenMenuPage(Service(), console, kMenuSites));
  Node name = WaitForPageElement(app, ATSPI_ROLE_ENTRY, "网站名称：");
  ASSERT_TRUE(TypeInto(console, name, "abc"));
  const size_t loads = CountLoads("");
  PressKey("Return");
  EXPECT_TRUE(Answer()) << "no message for a form without its field";
  EXPECT_EQ(name.Text(), "abc") << "the page changed";
  EXPECT_EQ(CountLoads(""), loads) << "a page was loaded";
  EXPECT_EQ(CountRequests("saveadd2.asp"), 0u) << "the form was posted";
  Service().ClearFaults();

  // The module schedule goes to the service on its own; when no usable
  // answer comes back, the member is told.
  Click(console, kAdSpot);
  ASSERT_TRUE(WaitForLoads("addAD.asp", 1)) << "no ad page";
  struct Case {
    Trouble trouble;
    bool told;
  } cases[] = {
      {kStatus500, true}, {kReset, true},  {kCutCharacter, true}, {Down(), true},
      {kEmpty, false},    {kHuge, true},
  };
  size_t saves = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.trouble.what);
    Apply("savemodule.asp", c.trouble);
    ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_PUSH_BUTTON, "保存模板")));
    if (!c.trouble.down) {
      EXPECT_TRUE(WaitUntil([&] { return CountRequests("savemodule.asp") == saves + 1; }, 10));
      ++saves;
    }
    if (c.told) {
      EXPECT_TRUE(Answer()) << "no 提交失败";
    } else {
      // Once the answer is out and the console takes a click again, a
      // message would be up already.
      EXPECT_TRUE(Service().WaitForAnswered("savemodule.asp", saves, 10));
      EXPECT_TRUE(ConsoleTakesClicks(Service(), console, "addAD.asp"));
      EXPECT_FALSE(IsShown(kNoticeTitle)) << "a usable answer was reported as a failure";
    }
    Lift();
  }
  EXPECT_EQ(CountRequests("savead.asp"), 0u) << "the stopped post went out";
  EXPECT_TRUE(client.Running());
}

}  // namespace
}  // namespace e2e
