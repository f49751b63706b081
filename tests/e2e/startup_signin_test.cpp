// The real program from start-up to the member console, against the
// stand-in service.
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "e2e/console_steps.h"
#include "e2e/e2e_fixture.h"

namespace e2e {
namespace {

// The login window's boxes and its 登录 button (client pixels at scale 1).
const PixelPoint kUser = LoginPoint("txtuser");
const PixelPoint kPass = LoginPoint("txtpass");
const PixelPoint kLogin = LoginPoint("cmdLogin");

void SignIn(const std::string& login, const std::string& user, const std::string& password) {
  ClickAt(login, kUser.x, kUser.y);
  TypeText(user);
  ClickAt(login, kPass.x, kPass.y);
  TypeText(password);
  ClickAt(login, kLogin.x, kLogin.y);
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
  Click(console, MemberConsolePoint("lblExit"));
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

// A remembered sign-in that cannot be written whole, on a full disk,
// leaves the one from before as it was and nothing beside it; the sign-in
// goes on. The disk is a small file system of its own (root only), filled
// to the last byte; the program's folder is one others may write to, so the
// program keeps its files in the user's data folder, on that file system.
class FullDisk {
 public:
  explicit FullDisk(const std::filesystem::path& at) : at_(at) {
    std::filesystem::create_directories(at_);
    mounted_ = geteuid() == 0 && mount("lumaro-full", at_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                                       "size=256k,mode=0700") == 0;
  }
  ~FullDisk() {
    if (mounted_) umount2(at_.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }
  // Fills what is left with one file.
  bool Fill() const {
    int fd = open((at_ / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const std::string block(4096, 'x');
    while (write(fd, block.data(), block.size()) > 0) {
    }
    const std::string byte = "x";
    while (write(fd, byte.data(), 1) > 0) {
    }
    const bool full = errno == ENOSPC;
    close(fd);
    return full;
  }

 private:
  std::filesystem::path at_;
  bool mounted_ = false;
};

TEST_F(EndToEnd, ASignInThatCannotBeRememberedOnAFullDiskLeavesTheOldOneWhole) {
  const std::string before = "alice@@@@@@@@@@@@@@@@@@@@0\r\n";
  auto& client = NewClient();
  FullDisk disk(client.Dir() / "data");
  if (!disk.Mounted()) GTEST_SKIP() << "needs root to mount a small file system";
  const std::filesystem::path folder = client.Dir() / "data" / "lumaro";
  std::filesystem::create_directory(folder);
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  client.WriteFile("data/lumaro/ini.txt", before);
  ASSERT_TRUE(disk.Fill()) << "the file system did not fill up";
  std::filesystem::permissions(client.Dir(), std::filesystem::perms::group_write,
                               std::filesystem::perm_options::add);
  ScopedEnv dataHome("XDG_DATA_HOME", (client.Dir() / "data").string());
  client.Start();
  std::string login = WaitForWindow(kLoginTitle, 20);
  ASSERT_FALSE(login.empty());
  ClickAt(login, kUser.x, kUser.y);
  PressKey("ctrl+a");
  TypeText("demo");
  ClickAt(login, kPass.x, kPass.y);
  TypeText("demo123");
  ClickAt(login, kLogin.x, kLogin.y);
  ASSERT_FALSE(WaitForWindow(kConsoleTitle, 20).empty()) << "no member console";
  EXPECT_EQ(client.ReadFile("data/lumaro/ini.txt"), before);
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    EXPECT_EQ(entry.path().filename(), "ini.txt") << "left beside it";
  EXPECT_FALSE(std::filesystem::exists(client.Dir() / "ini.txt"))
      << "written into a folder others may write to";
  EXPECT_TRUE(client.Running());
}

// The browser's processes start while the login window waits; closing the
// window ends them with the program.
TEST_F(EndToEnd, ClosingTheLoginWindowLeavesNoBrowserProcessBehind) {
  auto& client = NewClient();
  client.Start();
  std::string login = WaitForWindow(kLoginTitle, 20);
  ASSERT_FALSE(login.empty());
  std::vector<pid_t> browser;
  ASSERT_TRUE(WaitUntil([&] { return !(browser = DescendantsOf(client.Pid())).empty(); }, 10))
      << "no web process was started while the login window waited";
  ASSERT_TRUE(CloseByCloseBox(login));
  ASSERT_TRUE(client.WaitExit(10).has_value()) << "the program did not end with its window";
  EXPECT_TRUE(WaitUntil(
      [&] {
        for (pid_t pid : browser)
          if (ProcessLives(pid)) return false;
        return true;
      },
      10))
      << "a browser process outlived the program";
  EXPECT_EQ(CountRequests("newlogin.asp"), 0u);
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
