// The registration window, opened from the login window, registering at the
// stand-in service through its hidden copy of the service's form.
#include <algorithm>
#include <vector>

#include "e2e/console_steps.h"

namespace e2e {
namespace {

// The registration window's buttons (the pictures under "注册" and "取消").
const PixelPoint kRegister = RegistrationPoint("cmdOk");
const PixelPoint kCancel = RegistrationPoint("cmdExit");

// The account name that the availability checks asked about, in order.
std::vector<std::string> CheckedNames(const lumaro::service::StandInService& service) {
  std::vector<std::string> names;
  for (const auto& r : service.Requests())
    if (r.path == "/checkUser.ASP" && r.HasParam("t")) names.push_back(r.Param("USER"));
  return names;
}

TEST_F(EndToEnd, RegistrationCreatesTheAccountAndTheLoginWindowSignsItIn) {
  auto& client = NewClient();
  // A password typed before registering must be gone afterwards.
  client.Start();
  std::string login = WaitForWindow(kLoginTitle, 20);
  ASSERT_FALSE(login.empty()) << "no login window";
  Click(login, LoginPoint("txtpass"));
  TypeText("junk");
  Click(login, LoginPoint("lblReg"));
  std::string reg = WaitForWindow(kRegisterTitle, 10);
  ASSERT_FALSE(reg.empty()) << "no registration window";
  auto g = Geometry(reg);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->width, 7740 / 15);
  EXPECT_EQ(g->height, 5340 / 15);
  ASSERT_TRUE(WaitForLoads("edituser.asp", 1)) << "the form was not loaded";
  EXPECT_TRUE(IsShown(kLoginTitle));

  const Applicant a{"Newbie7", "newbie7@example.cn", "pw7seven", "7654321", "13900001111", "Li"};
  FillRegistration(reg, a);
  Screenshot("registration.filled");
  Click(reg, kRegister);
  ASSERT_TRUE(Service().WaitForRequest("checkUser.ASP", 5)) << "no availability check";
  ASSERT_TRUE(Service().WaitForRequest("usersave.asp", 5)) << "the form was not posted";
  std::string notice = WaitForWindow(kNoticeTitle, 10);
  ASSERT_FALSE(notice.empty()) << "no answer shown";
  Screenshot("registration.success");
  PressKey("Return");
  EXPECT_TRUE(WaitGone(kRegisterTitle, 5)) << "the registration window stayed";

  ASSERT_TRUE(Service().HasAccount("Newbie7"));
  EXPECT_EQ(Service().PasswordOf("newbie7"), a.password);
  for (const auto& r : Service().Requests()) {
    if (r.path != "/usersave.asp") continue;
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.Param("act"), "new");
    EXPECT_EQ(r.Param("lName"), a.user);
    EXPECT_EQ(r.Param("lpwd"), a.password);
    EXPECT_EQ(r.Param("lqq"), a.qq);
    EXPECT_EQ(r.Param("lemail"), a.email);
    EXPECT_EQ(r.Param("lmobile"), a.mobile);
    EXPECT_EQ(r.Param("lman"), a.man);
    EXPECT_EQ(r.Param("luserType"), "2");
    EXPECT_EQ(r.Param("lver"), "2");
    EXPECT_TRUE(r.HasParam("lCode"));
    EXPECT_EQ(r.Param("lCode"), "");
  }
  EXPECT_EQ(CountRequests("usersave.asp"), 1u);
  EXPECT_EQ(CheckedNames(Service()), std::vector<std::string>{"newbie7"})
      << "the availability check asks for the name in lower case, stamped";

  // The login window now holds the new name and an empty password box:
  // typing the password alone signs the new member in.
  ASSERT_TRUE(IsShown(kLoginTitle));
  Click(login, LoginPoint("txtpass"));
  TypeText(a.password);
  Click(login, LoginPoint("cmdLogin"));
  EXPECT_FALSE(WaitForWindow(kConsoleTitle, 20).empty()) << "the new account did not sign in";
  EXPECT_EQ(client.ReadFile("ini.txt"), a.user + "@@@@@@@@@@@@@@@@@@@@0\r\n");
}

TEST_F(EndToEnd, ATakenNameIsRefusedBeforeAndByTheServiceAndCancelLeavesTheLoginAlone) {
  auto& client = NewClient();
  client.Start();
  std::string login = WaitForWindow(kLoginTitle, 20);
  ASSERT_FALSE(login.empty()) << "no login window";
  Click(login, LoginPoint("txtuser"));
  TypeText("vyrd");
  Click(login, LoginPoint("lblReg"));
  std::string reg = WaitForWindow(kRegisterTitle, 10);
  ASSERT_FALSE(reg.empty()) << "no registration window";
  ASSERT_TRUE(WaitForLoads("edituser.asp", 1)) << "the form was not loaded";

  // A taken name in capitals: the availability check refuses it.
  FillRegistration(reg, {"DEMO", "d@example.cn", "pw", "1111", "13900002222", ""});
  Click(reg, kRegister);
  ASSERT_TRUE(Service().WaitForRequest("checkUser.ASP", 5));
  std::string notice = WaitForWindow(kNoticeTitle, 10);
  ASSERT_FALSE(notice.empty()) << "no refusal";
  PressKey("Return");
  ASSERT_TRUE(WaitGone(kNoticeTitle, 5));
  EXPECT_EQ(CountRequests("usersave.asp"), 0u) << "a taken name was posted";
  EXPECT_TRUE(IsShown(kRegisterTitle));

  // With the availability check failing, the service itself refuses the name:
  // its words are shown and a fresh form is loaded; the typed text stays.
  lumaro::service::Fault broken;
  broken.kind = lumaro::service::Fault::Status;
  broken.status = 500;
  Service().SetFault("checkUser.ASP", broken);
  Click(reg, kRegister);
  ASSERT_TRUE(Service().WaitForRequest("usersave.asp", 5)) << "a failed check blocked the post";
  notice = WaitForWindow(kNoticeTitle, 10);
  ASSERT_FALSE(notice.empty()) << "the service's refusal was not shown";
  Screenshot("registration.refused");
  PressKey("Return");
  ASSERT_TRUE(WaitGone(kNoticeTitle, 5));
  EXPECT_TRUE(WaitUntil([&] { return CountRequests("edituser.asp") == 2; }, 5))
      << "the form was not loaded again";
  EXPECT_TRUE(IsShown(kRegisterTitle));
  EXPECT_EQ(Service().PasswordOf("demo"), "demo123");
  EXPECT_EQ(CheckedNames(Service()), (std::vector<std::string>{"demo", "demo"}));

  // Cancel: no request, and the login window keeps what was typed there.
  size_t requests = Service().Requests().size();
  Click(reg, kCancel);
  EXPECT_TRUE(WaitGone(kRegisterTitle, 5)) << "cancel did not close the window";
  EXPECT_EQ(Service().Requests().size(), requests);
  Click(login, LoginPoint("txtpass"));
  TypeText("vyrd123");
  Click(login, LoginPoint("cmdLogin"));
  EXPECT_FALSE(WaitForWindow(kConsoleTitle, 20).empty()) << "the login window's name was touched";
}

// A burst of clicks on 注册, as an impatient hand gives them: the account is
// asked for and posted once, whatever the clicks that come while the first
// one's availability check and post are under way.
TEST_F(EndToEnd, ABurstOfClicksOnRegisterPostsTheFormOnce) {
  auto& client = NewClient();
  client.Start();
  std::string login = WaitForWindow(kLoginTitle, 20);
  ASSERT_FALSE(login.empty()) << "no login window";
  Click(login, LoginPoint("lblReg"));
  std::string reg = WaitForWindow(kRegisterTitle, 10);
  ASSERT_FALSE(reg.empty()) << "no registration window";
  ASSERT_TRUE(WaitForLoads("edituser.asp", 1)) << "the form did not load";
  const Applicant a{"Hasty3", "hasty3@example.cn", "pw3hasty", "3456789", "13900007777", "Zhou"};
  FillRegistration(reg, a);

  // Six clicks 40 ms apart on the register button's caption.
  auto g = Geometry(reg);
  ASSERT_TRUE(g);
  RunCommand({"xdotool", "mousemove", "1279", "1023"});
  RunCommand({"xdotool", "mousemove", "--sync", std::to_string(g->x + kRegister.x),
              std::to_string(g->y + kRegister.y)});
  RunCommand({"xdotool", "click", "--repeat", "6", "--delay", "40", "1"});
  ASSERT_TRUE(Service().WaitForRequest("usersave.asp", 10)) << "the form was not posted";

  // Every message that comes is answered until the window has closed (on
  // success); a closed window posts nothing more.
  std::vector<std::string> messages;
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);
  ASSERT_TRUE(WaitUntil(
      [&] {
        if (!FindWindows(kNoticeTitle).empty()) {
          messages.push_back(NoticeText(app, 1));
          Answer("Return", 1);
        }
        return FindWindows(kRegisterTitle).empty() && FindWindows(kNoticeTitle).empty();
      },
      30))
      << "the registration window stayed";
  EXPECT_EQ(CountRequests("usersave.asp"), 1u) << "posted more than once";
  const std::string success = "注册成功,请返回登录系统！  请牵记您的用户名及密码";
  EXPECT_NE(std::find(messages.begin(), messages.end(), success), messages.end())
      << "no success message among: " << ::testing::PrintToString(messages);
  EXPECT_TRUE(Service().HasAccount(a.user));
  EXPECT_EQ(Service().PasswordOf(a.user), a.password);
  EXPECT_TRUE(IsShown(kLoginTitle));
}

}  // namespace
}  // namespace e2e
