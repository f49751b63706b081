// The real program as a screen reader meets it: its windows' controls in the
// AT-SPI tree with their names and roles, reached with the keyboard, and
// clicked through the action that assistive tools offer. The program runs
// against the stand-in service on the built-in address.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "a11y/atspi_driver.h"
#include "build_config.h"
#include "stand_in.h"

namespace a11y {
namespace {

constexpr const char* kLoginTitle = "登录V6.0";
constexpr const char* kConsoleTitle = "LumaroV6.0";
constexpr const char* kRegisterTitle = "用户注册";
constexpr const char* kCheckerTitle = "正在检查网站";
constexpr const char* kUpdateTitle = "版本升级";

int ServicePort() {
  std::string_view base = lumaro::kServiceBase;
  size_t host = base.find("//");
  size_t colon = base.find(':', host == std::string_view::npos ? 0 : host + 2);
  return colon == std::string_view::npos ? 80
                                         : std::atoi(std::string(base.substr(colon + 1)).c_str());
}

class AccessibilityTree : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LANG", "C.UTF-8", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    // scripts/test.sh runs these tests in a D-Bus session of their own and
    // sets LUMARO_A11Y_REQUIRED: there a missing bus is a failure.
    const bool required = std::getenv("LUMARO_A11Y_REQUIRED") != nullptr;
    std::string missing;
    if (!std::getenv("DISPLAY")) missing = "no X display (run under xvfb-run)";
    if (missing.empty()) missing = AtspiUnavailableReason();
    if (!missing.empty()) {
      if (required) FAIL() << "accessibility cannot be checked: " << missing;
      GTEST_SKIP() << missing;
    }
    if (lumaro::kEditionId != 2)
      GTEST_SKIP() << "the member's build signs in to the member console";
    service_ = std::make_unique<lumaro::service::StandInService>(ServicePort());
    ASSERT_TRUE(service_->Start()) << "the stand-in service could not listen on " << ServicePort();
  }
  void TearDown() override {
    client_.reset();
    if (service_) service_->Stop();
  }

  // Starts the program and waits for its application and first window.
  Node StartClient(const std::string& title) {
    client_ = std::make_unique<Client>();
    client_->Start();
    app_ = WaitForApplication(client_->Pid(), 20);
    EXPECT_TRUE(app_) << "the program never appeared on the accessibility bus";
    if (!app_) return Node();
    EXPECT_EQ(app_.Name(), "lumaro");
    Node window = WaitForWindow(app_, title, 20);
    EXPECT_TRUE(window) << "no window '" << title << "' in the accessibility tree";
    return window;
  }

  // Signs in as a screen reader user may: fills the two boxes through the
  // text interface and clicks 登录 through its action.
  Node SignInThroughAssistiveTools() {
    Node login = StartClient(kLoginTitle);
    if (!login) return Node();
    SetText(Find(login, ATSPI_ROLE_TEXT, "帐号"), "demo");
    SetText(Find(login, ATSPI_ROLE_PASSWORD_TEXT, "密码"), "demo123");
    EXPECT_TRUE(FocusableButton(login, "登录").Do("click"));
    Node console = WaitForWindow(app_, kConsoleTitle, 20);
    EXPECT_TRUE(console) << "no member console after signing in";
    // The welcome page is there before the user goes on.
    EXPECT_TRUE(WaitUntil(
        [&] { return static_cast<bool>(Find(console, ATSPI_ROLE_DOCUMENT_WEB, "欢迎界面")); }, 15))
        << "no welcome page in the console";
    return console;
  }

  // Signs in through assistive tools and opens the site list with 网站访客:
  // the console, or an empty node when a step failed.
  Node OpenSiteListThroughAssistiveTools() {
    Node console = SignInThroughAssistiveTools();
    if (!console) return Node();
    EXPECT_TRUE(FocusableButton(console, "网站访客").Do("click"));
    EXPECT_TRUE(service_->WaitForRequest("Mananet.asp", 10));
    return console;
  }

  // The site checker, opened through the first site's 代码检测 link on the
  // site list in `console` as the page offers it to assistive tools, with
  // the service holding its polls (no success message ends the check
  // early); an empty node when a step failed.
  Node OpenHeldChecker(const Node& console) {
    lumaro::service::Fault hold;
    hold.kind = lumaro::service::Fault::Silence;
    service_->SetFault("queryFlag.asp", hold);
    Node link;
    if (!WaitUntil(
            [&] {
              link = Find(console, ATSPI_ROLE_LINK, "代码检测", /*intoPages=*/true);
              return static_cast<bool>(link);
            },
            10)) {
      ADD_FAILURE() << "the site list has no check link in the tree";
      return Node();
    }
    std::vector<std::string> actions = link.Actions();
    if (actions.empty() || !link.Do(actions.front())) {
      ADD_FAILURE() << "the check link takes no action";
      return Node();
    }
    Node checker = WaitForWindow(app_, kCheckerTitle, 15);
    EXPECT_TRUE(checker) << "no site checker";
    return checker;
  }

  static void SetText(const Node& box, const std::string& text) {
    ASSERT_TRUE(box);
    AtspiEditableText* editable = atspi_accessible_get_editable_text_iface(box.get());
    ASSERT_NE(editable, nullptr) << box.Describe();
    EXPECT_TRUE(atspi_editable_text_set_text_contents(editable, text.c_str(), nullptr));
    g_object_unref(editable);
  }

  // The push button of that name that Tab reaches (a caption lying on a
  // picture button is one, the picture the other).
  static Node FocusableButton(const Node& window, const std::string& name) {
    for (Node& n : FindAll(window, [&](const Node& n) {
           return n.Role() == ATSPI_ROLE_PUSH_BUTTON && n.Name() == name;
         })) {
      if (n.Has(ATSPI_STATE_FOCUSABLE)) return n;
    }
    return Node();
  }

  // Waits until the focused object in `window` has that role and name.
  static bool WaitForFocus(const Node& window, AtspiRole role, const std::string& name) {
    return WaitUntil(
        [&] {
          Node focused = Focused(window);
          return focused.Role() == role && focused.Name() == name;
        },
        5);
  }

  std::unique_ptr<lumaro::service::StandInService> service_;
  std::unique_ptr<Client> client_;
  Node app_;
};

struct Expected {
  AtspiRole role;
  const char* name;
  bool focusable;  // one of that role and name takes the keyboard focus
};

// Each expected control is in the window with its role and name; buttons
// offer the "click" action.
void ExpectControls(const Node& window, const std::vector<Expected>& expected) {
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    std::vector<Node> found =
        FindAll(window, [&](const Node& n) { return n.Role() == e.role && n.Name() == e.name; });
    ASSERT_FALSE(found.empty()) << "missing";
    bool focusable = false;
    for (const Node& n : found) {
      focusable = focusable || n.Has(ATSPI_STATE_FOCUSABLE);
      if (e.role == ATSPI_ROLE_PUSH_BUTTON) {
        std::vector<std::string> actions = n.Actions();
        EXPECT_NE(std::find(actions.begin(), actions.end(), "click"), actions.end())
            << n.Describe() << " offers no click";
      }
    }
    EXPECT_EQ(focusable, e.focusable);
  }
}

// Every push button of the window has a name.
void ExpectNoNamelessButtons(const Node& window) {
  for (const Node& n : FindAll(window, [](const Node& n) {
         return n.Role() == ATSPI_ROLE_PUSH_BUTTON && n.Has(ATSPI_STATE_SHOWING);
       }))
    EXPECT_FALSE(n.Name().empty()) << "a push button without a name";
}

TEST_F(AccessibilityTree, LoginAndRegistrationAreNamedAndTheKeyboardSignsIn) {
  Node login = StartClient(kLoginTitle);
  ASSERT_TRUE(login);
  ExpectControls(login, {
                            {ATSPI_ROLE_TEXT, "帐号", true},
                            {ATSPI_ROLE_PASSWORD_TEXT, "密码", true},
                            {ATSPI_ROLE_CHECK_BOX, "记住密码", true},
                            {ATSPI_ROLE_PUSH_BUTTON, "登录", true},
                            {ATSPI_ROLE_PUSH_BUTTON, "退出", true},
                            {ATSPI_ROLE_PUSH_BUTTON, "新用户注册", true},
                        });
  ExpectNoNamelessButtons(login);
  EXPECT_TRUE(
      WaitUntil([&] { return static_cast<bool>(Find(login, ATSPI_ROLE_LABEL, "可以登录")); }, 5))
      << "the status line is not read out";

  // The registration window, opened through the action, with each box named
  // after its caption; 取消 closes it.
  ASSERT_TRUE(FocusableButton(login, "新用户注册").Do("click"));
  Node reg = WaitForWindow(app_, kRegisterTitle, 10);
  ASSERT_TRUE(reg) << "no registration window";
  ExpectControls(reg, {
                          {ATSPI_ROLE_TEXT, "帐号", true},
                          {ATSPI_ROLE_TEXT, "常用邮箱", true},
                          {ATSPI_ROLE_PASSWORD_TEXT, "密码", true},
                          {ATSPI_ROLE_PASSWORD_TEXT, "确认密码", true},
                          {ATSPI_ROLE_TEXT, "QQ", true},
                          {ATSPI_ROLE_TEXT, "联系电话", true},
                          {ATSPI_ROLE_TEXT, "姓名", true},
                          {ATSPI_ROLE_PUSH_BUTTON, "注册", true},
                          {ATSPI_ROLE_PUSH_BUTTON, "取消", true},
                      });
  ExpectNoNamelessButtons(reg);
  // The keyboard starts in the first box, not in the hidden form page under
  // it; from the last box Tab reaches 注册, then 取消.
  PointAt(reg);
  EXPECT_TRUE(WaitForFocus(reg, ATSPI_ROLE_TEXT, "帐号")) << "focus: " << Focused(reg).Describe();
  PressKeys("Tab");
  EXPECT_TRUE(WaitForFocus(reg, ATSPI_ROLE_TEXT, "常用邮箱"))
      << "focus: " << Focused(reg).Describe();
  ASSERT_TRUE(Find(reg, ATSPI_ROLE_TEXT, "姓名").GrabFocus());
  ASSERT_TRUE(WaitForFocus(reg, ATSPI_ROLE_TEXT, "姓名"));
  PressKeys("Tab");
  EXPECT_TRUE(WaitForFocus(reg, ATSPI_ROLE_PUSH_BUTTON, "注册"));
  PressKeys("Tab");
  EXPECT_TRUE(WaitForFocus(reg, ATSPI_ROLE_PUSH_BUTTON, "取消"));
  PressKeys("space");
  EXPECT_TRUE(WaitForNoWindow(app_, kRegisterTitle, 10)) << "取消 did not close the window";
  EXPECT_EQ(service_->CountRequests("usersave.asp"), 0u);

  // Signing in with the keyboard alone: the boxes in their order, the
  // remember box, then 登录 and Enter.
  PointAt(login);
  ASSERT_TRUE(Find(login, ATSPI_ROLE_TEXT, "帐号").GrabFocus());
  ASSERT_TRUE(WaitForFocus(login, ATSPI_ROLE_TEXT, "帐号"));
  TypeText("demo");
  PressKeys("Tab");
  ASSERT_TRUE(WaitForFocus(login, ATSPI_ROLE_PASSWORD_TEXT, "密码"));
  TypeText("demo123");
  PressKeys("Tab");
  EXPECT_TRUE(WaitForFocus(login, ATSPI_ROLE_CHECK_BOX, "记住密码"));
  PressKeys("Tab");
  ASSERT_TRUE(WaitForFocus(login, ATSPI_ROLE_PUSH_BUTTON, "登录"));
  PressKeys("Return");
  EXPECT_TRUE(WaitForWindow(app_, kConsoleTitle, 20)) << "Enter on 登录 did not sign in";
  EXPECT_TRUE(WaitForNoWindow(app_, kLoginTitle, 10));
  EXPECT_EQ(service_->CountRequests("newlogin.asp"), 1u);
}

TEST_F(AccessibilityTree, ConsoleMenuAndToolbarAreNamedButtonsThatActThroughAssistiveTools) {
  Node console = SignInThroughAssistiveTools();
  ASSERT_TRUE(console);
  ExpectControls(console, {
                              {ATSPI_ROLE_PUSH_BUTTON, "基本信息", true},
                              {ATSPI_ROLE_PUSH_BUTTON, "修改密码", true},
                              {ATSPI_ROLE_PUSH_BUTTON, "网站访客", true},
                              {ATSPI_ROLE_PUSH_BUTTON, "在线充值", true},
                              {ATSPI_ROLE_PUSH_BUTTON, "充值记录", true},
                              {ATSPI_ROLE_PUSH_BUTTON, "修改资料", true},
                              {ATSPI_ROLE_PUSH_BUTTON, "首页", true},
                              {ATSPI_ROLE_PUSH_BUTTON, "后退", true},
                              {ATSPI_ROLE_PUSH_BUTTON, "前进", true},
                              {ATSPI_ROLE_PUSH_BUTTON, "刷新", true},
                              {ATSPI_ROLE_PUSH_BUTTON, "退出", true},
                              // The page inside the frame takes the focus.
                              {ATSPI_ROLE_DOCUMENT_FRAME, "网页", false},
                          });
  ExpectNoNamelessButtons(console);
  ASSERT_TRUE(service_->WaitForRequest("Default.asp", 10));

  // 刷新 asks the stand-in for the page again.
  const size_t welcome = service_->CountRequests("Default.asp");
  ASSERT_TRUE(FocusableButton(console, "刷新").Do("click"));
  EXPECT_TRUE(WaitUntil([&] { return service_->CountRequests("Default.asp") > welcome; }, 10))
      << "刷新 did not reload the page";

  // A menu entry loads its page and titles it.
  ASSERT_TRUE(FocusableButton(console, "网站访客").Do("click"));
  EXPECT_TRUE(service_->WaitForRequest("Mananet.asp", 10));
  EXPECT_TRUE(
      WaitUntil([&] { return static_cast<bool>(Find(console, ATSPI_ROLE_LABEL, "网站访客")); }, 5))
      << "the page title is not read out";

  // The keyboard walks the menu in its order; Enter opens the entry.
  PointAt(console);
  ASSERT_TRUE(FocusableButton(console, "基本信息").GrabFocus());
  ASSERT_TRUE(WaitForFocus(console, ATSPI_ROLE_PUSH_BUTTON, "基本信息"));
  PressKeys("Tab");
  ASSERT_TRUE(WaitForFocus(console, ATSPI_ROLE_PUSH_BUTTON, "修改密码"));
  PressKeys("Return");
  EXPECT_TRUE(service_->WaitForRequest("changePwd.asp", 10)) << "Enter on 修改密码 loaded nothing";

  // 首页 brings the welcome page back; 退出 ends the program.
  const size_t before = service_->CountRequests("Default.asp");
  ASSERT_TRUE(FocusableButton(console, "首页").Do("click"));
  EXPECT_TRUE(WaitUntil([&] { return service_->CountRequests("Default.asp") > before; }, 10));
  ASSERT_TRUE(FocusableButton(console, "退出").Do("click"));
  EXPECT_TRUE(client_->WaitExit(10)) << "退出 did not end the program";
}

TEST_F(AccessibilityTree, SiteCheckerButtonsAreNamedAndActThroughAssistiveTools) {
  Node console = OpenSiteListThroughAssistiveTools();
  ASSERT_TRUE(console);
  Node checker = OpenHeldChecker(console);
  ASSERT_TRUE(checker);
  ExpectControls(checker, {
                              {ATSPI_ROLE_PUSH_BUTTON, "重新检测", true},
                              {ATSPI_ROLE_PUSH_BUTTON, "停止测试", true},
                              {ATSPI_ROLE_PROGRESS_BAR, "检测进度", false},
                          });
  ExpectNoNamelessButtons(checker);
  // The keyboard starts on the first button: the bar is no Tab stop.
  PointAt(checker);
  EXPECT_TRUE(WaitForFocus(checker, ATSPI_ROLE_PUSH_BUTTON, "重新检测"))
      << "focus: " << Focused(checker).Describe();
  // The bar reads out its running percentage.
  Node bar = Find(checker, ATSPI_ROLE_PROGRESS_BAR, "检测进度");
  auto first = bar.Value();
  ASSERT_TRUE(first.has_value());
  EXPECT_LE(*first, 100);
  std::string text = bar.ValueText();
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '%') << text;
  EXPECT_TRUE(WaitUntil([&] { return bar.Value() != first; }, 3)) << "the bar stands still";

  // While the checker is up the console takes no clicks, from assistive
  // tools neither (the bridge answers every request with yes; what counts is
  // that no welcome page is asked for, now or once the checker has gone).
  const size_t welcome = service_->CountRequests("Default.asp");
  FocusableButton(console, "首页").Do("click");

  // 重新检测 loads the site page again (once its first load has run the
  // page's counting code); 停止测试 closes the checker.
  ASSERT_TRUE(service_->WaitForRequest("site/101.html", 10));
  ASSERT_TRUE(WaitUntil([&] { return service_->Counted("101"); }, 10)) << "the site page never ran";
  const size_t loads = service_->CountRequests("site/101.html");
  ASSERT_TRUE(Find(checker, ATSPI_ROLE_PUSH_BUTTON, "重新检测").Do("click"));
  EXPECT_TRUE(WaitUntil([&] { return service_->CountRequests("site/101.html") > loads; }, 10))
      << "重新检测 did not reload the site page";
  // The stop comes while the first (held) poll waits: a poll that began only
  // during the stop's own short wait would hold the window until it timed out.
  ASSERT_TRUE(service_->WaitForRequest("queryFlag.asp", 10));
  ASSERT_TRUE(Find(checker, ATSPI_ROLE_PUSH_BUTTON, "停止测试").Do("click"));
  EXPECT_TRUE(WaitForNoWindow(app_, kCheckerTitle, 10)) << "停止测试 did not close the checker";
  EXPECT_TRUE(client_->Running());
  EXPECT_EQ(service_->CountRequests("Default.asp"), welcome);
}

TEST_F(AccessibilityTree, UpdateWindowButtonsAreNamedAndLaterEndsTheProgram) {
  service_->SetVersion("1-52");
  Node update = StartClient(kUpdateTitle);
  ASSERT_TRUE(update);
  ExpectControls(update, {
                             {ATSPI_ROLE_PUSH_BUTTON, "下载", true},
                             {ATSPI_ROLE_PUSH_BUTTON, "以后再说", true},
                         });
  ExpectNoNamelessButtons(update);
  ASSERT_TRUE(Find(update, ATSPI_ROLE_PUSH_BUTTON, "以后再说").Do("click"));
  EXPECT_TRUE(client_->WaitExit(10)) << "以后再说 did not end the program";
}

// ---------------------------------------------------------------- hidden browsers
//
// Browsers that lie under other controls, whose pages the user never sees,
// are not in the tree either: neither the browser nor anything of its page,
// checked once a page is surely loaded in it.

constexpr const char* kNoticeTitle = "Lumaro提醒您";
constexpr const char* kVisitorTitle = "访客详情";

bool IsDocument(const Node& n) {
  const AtspiRole role = n.Role();
  return role == ATSPI_ROLE_DOCUMENT_FRAME || role == ATSPI_ROLE_DOCUMENT_WEB;
}

// The names of the documents in `window`, pages included, in tree order.
std::vector<std::string> Documents(const Node& window) {
  std::vector<std::string> names;
  for (const Node& n : FindAll(window, IsDocument, /*intoPages=*/true)) names.push_back(n.Name());
  return names;
}

// Nothing under `window`, pages included, is named after the hidden browser.
void ExpectAbsent(const Node& window, const std::string& hiddenName) {
  std::vector<Node> found = FindAll(
      window, [&](const Node& n) { return n.Name() == hiddenName; }, /*intoPages=*/true);
  EXPECT_TRUE(found.empty()) << "'" << hiddenName << "' is in the tree:\n" << Dump(window);
}

// Clicks the message box's 确定 through its action and waits for it to go.
void Acknowledge(const Node& app, const Node& box) {
  Node ok = Find(box, ATSPI_ROLE_PUSH_BUTTON, "确定");
  ASSERT_TRUE(ok) << Dump(box);
  ASSERT_TRUE(ok.Do("click"));
  ASSERT_TRUE(WaitForNoWindow(app, kNoticeTitle, 10));
}

TEST_F(AccessibilityTree, TheRegistrationFormPageIsNotInTheTree) {
  Node login = StartClient(kLoginTitle);
  ASSERT_TRUE(login);
  ASSERT_TRUE(FocusableButton(login, "新用户注册").Do("click"));
  Node reg = WaitForWindow(app_, kRegisterTitle, 10);
  ASSERT_TRUE(reg) << "no registration window";
  ASSERT_TRUE(service_->WaitForRequest("edituser.asp", 10));

  // A registration that goes through: the form page had to be there to be
  // filled in, and the service's answer is now in the hidden browser, read
  // while its message is up.
  SetText(Find(reg, ATSPI_ROLE_TEXT, "帐号"), "a11yuser");
  SetText(Find(reg, ATSPI_ROLE_TEXT, "常用邮箱"), "a11y@example.com");
  SetText(Find(reg, ATSPI_ROLE_PASSWORD_TEXT, "密码"), "secret1");
  SetText(Find(reg, ATSPI_ROLE_PASSWORD_TEXT, "确认密码"), "secret1");
  SetText(Find(reg, ATSPI_ROLE_TEXT, "QQ"), "12345");
  SetText(Find(reg, ATSPI_ROLE_TEXT, "联系电话"), "13800138000");
  SetText(Find(reg, ATSPI_ROLE_TEXT, "姓名"), "张三");
  ASSERT_TRUE(FocusableButton(reg, "注册").Do("click"));
  Node box = WaitForWindow(app_, kNoticeTitle, 15);
  ASSERT_TRUE(box) << "no answer to the registration";
  ASSERT_EQ(service_->CountRequests("usersave.asp"), 1u);
  ASSERT_TRUE(WaitForWindow(app_, kRegisterTitle, 1));

  ExpectAbsent(reg, "注册表单");
  EXPECT_TRUE(Documents(reg).empty()) << Dump(reg);
  // What the window does show is all there.
  ExpectControls(reg, {{ATSPI_ROLE_TEXT, "帐号", true}, {ATSPI_ROLE_PUSH_BUTTON, "注册", true}});

  Acknowledge(app_, box);
  EXPECT_TRUE(WaitForNoWindow(app_, kRegisterTitle, 10));
}

TEST_F(AccessibilityTree, TheCheckersSitePageIsNotInTheTree) {
  // The site checker, once the site page has run in its hidden browser.
  Node console = OpenSiteListThroughAssistiveTools();
  ASSERT_TRUE(console);
  Node checker = OpenHeldChecker(console);
  ASSERT_TRUE(checker);
  ASSERT_TRUE(WaitUntil([&] { return service_->Counted("101"); }, 15)) << "the site page never ran";
  ExpectAbsent(checker, "网站页面");
  EXPECT_TRUE(Documents(checker).empty()) << Dump(checker);
  EXPECT_TRUE(Find(checker, ATSPI_ROLE_PROGRESS_BAR, "检测进度"));
  ASSERT_TRUE(service_->WaitForRequest("queryFlag.asp", 10));
  ASSERT_TRUE(Find(checker, ATSPI_ROLE_PUSH_BUTTON, "停止测试").Do("click"));
  EXPECT_TRUE(WaitForNoWindow(app_, kCheckerTitle, 10));
}

TEST_F(AccessibilityTree, TheVisitorViewersExportBrowserIsNotInTheTree) {
  Node console = OpenSiteListThroughAssistiveTools();
  ASSERT_TRUE(console);

  // The visitor viewer: its page is there, its export browser is not.
  Node visitors;
  ASSERT_TRUE(WaitUntil(
      [&] { return static_cast<bool>(visitors = Find(console, ATSPI_ROLE_LINK, "查看访客", true)); },
      10));
  ASSERT_TRUE(visitors.Do(visitors.Actions().front()));
  Node viewer = WaitForWindow(app_, kVisitorTitle, 15);
  ASSERT_TRUE(viewer) << "no visitor viewer";
  ASSERT_TRUE(WaitUntil(
      [&] { return static_cast<bool>(Find(viewer, ATSPI_ROLE_LINK, "导出到Excel", true)); }, 15))
      << "the visitor page is not in the tree:\n"
      << Dump(viewer);
  ExpectAbsent(viewer, "导出");
  std::vector<std::string> documents = Documents(viewer);
  ASSERT_FALSE(documents.empty());
  EXPECT_EQ(documents.front(), kVisitorTitle) << Dump(viewer);
  // One browser: its frame, then the page (and nothing of a second page).
  EXPECT_LE(documents.size(), 2u) << Dump(viewer);
}

}  // namespace
}  // namespace a11y
