// The real program from start-up to the member console, against the
// stand-in service.
#include <filesystem>

#include "e2e/e2e_fixture.h"

namespace e2e {
namespace {

// Client-area points of the login window's controls (pixels).
constexpr int kUserX = 200, kUserY = 398;
constexpr int kPassX = 200, kPassY = 445;
constexpr int kLoginX = 215, kLoginY = 506;

void SignIn(const std::string& login, const std::string& user, const std::string& password) {
  ClickAt(login, kUserX, kUserY);
  TypeText(user);
  ClickAt(login, kPassX, kPassY);
  TypeText(password);
  ClickAt(login, kLoginX, kLoginY);
}

TEST_F(EndToEnd, StartsToTheLoginWindowAfterVersionAndResellerChecks) {
  auto& client = NewClient();
  client.Start();
  std::string login = WaitForWindow(kLoginTitle, 20);
  ASSERT_FALSE(login.empty()) << "no login window";
  auto g = Geometry(login);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->width, 1003);
  EXPECT_EQ(g->height, 615);
  EXPECT_EQ(CountRequests("getver.asp"), 1u);
  EXPECT_EQ(CountRequests("getoem.asp"), 1u);
}

TEST_F(EndToEnd, RefusedSignInShowsTheNoticeAndKeepsTheLoginWindow) {
  auto& client = NewClient();
  client.Start();
  std::string login = WaitForWindow(kLoginTitle, 20);
  ASSERT_FALSE(login.empty());
  SignIn(login, "demo", "wrong");
  std::string box = WaitForWindow(kNoticeTitle, 15);
  ASSERT_FALSE(box.empty()) << "no refusal message";
  EXPECT_EQ(CountRequests("newlogin.asp"), 1u);
  PressKey("Return");
  EXPECT_TRUE(WaitForNoWindow(kNoticeTitle, 5));
  EXPECT_FALSE(FindWindows(kLoginTitle).empty());
  EXPECT_TRUE(FindWindows(kConsoleTitle).empty());
}

TEST_F(EndToEnd, SignInOpensTheConsoleWhichStampsShareTxtAndEndsTheProgram) {
  auto& client = NewClient();
  client.Start();
  std::string login = WaitForWindow(kLoginTitle, 20);
  ASSERT_FALSE(login.empty());
  SignIn(login, "demo", "demo123");
  std::string console = WaitForWindow(kConsoleTitle, 20);
  ASSERT_FALSE(console.empty()) << "no member console";
  EXPECT_TRUE(WaitForNoWindow(kLoginTitle, 5));
  EXPECT_TRUE(WaitUntil([&] { return CountRequests("default.asp") >= 1; }, 15));
  std::string ini = client.ReadFile("ini.txt");
  EXPECT_EQ(ini, "demo@@@@@@@@@@@@@@@@@@@@0\r\n");
  EXPECT_EQ(std::filesystem::status(client.Dir() / "ini.txt").permissions() &
                std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_TRUE(WaitUntil([&] { return !client.ReadFile("share.txt").empty(); }, 8));
  std::string share = client.ReadFile("share.txt");
  EXPECT_EQ(share.substr(share.size() - 2), "\r\n");

  // The console's exit hot spot closes it, and with it the program.
  auto g = Geometry(console);
  ASSERT_TRUE(g);
  ClickAt(console, 935, 70);
  EXPECT_TRUE(client.WaitExit(10).has_value());
}

// The remembered sign-in replaces a link planted in its place; the file the
// link points to stays as it was.
TEST_F(EndToEnd, TheRememberedSignInReplacesALinkPlantedInItsPlace) {
  auto& client = NewClient();
  client.WriteFile("victim", "someone else's file\n");
  std::filesystem::create_symlink(client.Dir() / "victim", client.Dir() / "ini.txt");
  client.Start();
  std::string login = WaitForWindow(kLoginTitle, 20);
  ASSERT_FALSE(login.empty());
  SignIn(login, "demo", "demo123");
  ASSERT_FALSE(WaitForWindow(kConsoleTitle, 20).empty()) << "no member console";
  EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::is_symlink(client.Dir() / "ini.txt"); }, 10));
  EXPECT_EQ(client.ReadFile("ini.txt"), "demo@@@@@@@@@@@@@@@@@@@@0\r\n");
  EXPECT_EQ(client.ReadFile("victim"), "someone else's file\n");
}

TEST_F(EndToEnd, AnotherPublishedVersionOpensNoLoginWindowAndFetchesNoResellerRecord) {
  Service().SetVersion("1-52");
  auto& client = NewClient();
  client.Start();
  EXPECT_TRUE(WaitUntil([&] { return CountRequests("getver.asp") >= 1; }, 15));
  // The update window is what comes instead.
  EXPECT_FALSE(WaitForWindow("^版本升级$", 20).empty()) << "no update window";
  EXPECT_TRUE(FindWindows(kLoginTitle).empty());
  EXPECT_EQ(CountRequests("getoem.asp"), 0u);
}

TEST_F(EndToEnd, ASecondCopyIsRefusedWithoutAnyRequest) {
  auto& first = NewClient();
  first.Start();
  ASSERT_FALSE(WaitForWindow(kLoginTitle, 20).empty());
  size_t before = Service().Requests().size();
  // Started by the same user in the same session: the two copies share
  // their runtime folder, where the running copy holds its lock.
  auto& second = NewClient("lumaro");
  second.ShareRuntimeDirWith(first);
  second.Start();
  std::string box = WaitForWindow(kNoticeTitle, 15);
  ASSERT_FALSE(box.empty()) << "the second copy showed no message";
  PressKey("Return");
  EXPECT_TRUE(second.WaitExit(10).has_value());
  EXPECT_EQ(Service().Requests().size(), before);
  EXPECT_TRUE(first.Running());
}

}  // namespace
}  // namespace e2e
