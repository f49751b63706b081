// Clock, files, shell and the single-instance lock.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>
#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>
#include <fstream>
#include <thread>

#include "platform/linux_system.h"
#include "platform/platform_fixture.h"

namespace lumaro::platform_test {
namespace {

class TempDir {
 public:
  TempDir() {
    char templ[] = "/tmp/lumaro-platform-XXXXXX";
    path_ = mkdtemp(templ);
  }
  ~TempDir() {
    std::string command = "rm -rf '" + path_ + "'";
    (void)std::system(command.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

mode_t ModeOf(const std::string& path) {
  struct stat st{};
  stat(path.c_str(), &st);
  return st.st_mode & 0777;
}

TEST(ClockTest, TimeOfDayAgreesWithTheLocalDateAndTime) {
  gtk::SystemClock clock;
  std::tm now = clock.LocalNow();
  const double seconds = clock.SecondsSinceMidnight();
  const double expected = now.tm_hour * 3600 + now.tm_min * 60 + now.tm_sec;
  double gap = seconds - expected;
  if (gap < -43200) gap += 86400;  // midnight passed in between
  EXPECT_GE(gap, 0);
  EXPECT_LT(gap, 2);
  EXPECT_GE(now.tm_year, 120);

  // The monotonic seconds are the system's monotonic clock: a reading lies
  // between two readings of GLib's, taken just before and just after it.
  const double before = double(g_get_monotonic_time()) / G_USEC_PER_SEC;
  const double monotonic = clock.MonotonicSeconds();
  const double after = double(g_get_monotonic_time()) / G_USEC_PER_SEC;
  EXPECT_GE(monotonic, before - 1e-6);
  EXPECT_LE(monotonic, after + 1e-6);
}

TEST(FilesTest, ExecutableDirAndNameNameThisProgram) {
  gtk::LocalFiles files;
  char real[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", real, sizeof real - 1), 0);
  EXPECT_EQ(files.ExecutableDir() + "/" + files.ExecutableName(), real);
  EXPECT_EQ(files.ExecutableName(), "platform_tests");
  EXPECT_EQ(files.DataDir(), files.ExecutableDir());
}

TEST(FilesTest, WriteTruncatesAndReadReturnsTheExactBytes) {
  TempDir dir;
  gtk::LocalFiles files;
  const std::string path = dir.path() + "/ini.txt";
  const std::string bytes = std::string("a\0b\r\n\xD6\xD0", 7);
  ASSERT_TRUE(files.WriteFile(path, std::string(100, 'x'), false));
  ASSERT_TRUE(files.WriteFile(path, bytes, false));
  EXPECT_EQ(files.ReadFile(path), bytes);
  EXPECT_EQ(files.ReadFile(dir.path() + "/missing.txt"), std::nullopt);
  EXPECT_FALSE(files.WriteFile(dir.path() + "/no/such/folder/x.txt", "x", false));
}

TEST(FilesTest, OwnerOnlyFilesAreNarrowedEvenWhenTheyExistedBefore) {
  TempDir dir;
  gtk::LocalFiles files;
  umask(022);
  const std::string shared = dir.path() + "/share.txt";
  const std::string secret = dir.path() + "/ini.txt";
  ASSERT_TRUE(files.WriteFile(shared, "x", false));
  EXPECT_EQ(ModeOf(shared), 0644u);
  ASSERT_TRUE(files.WriteFile(secret, "x", false));
  ASSERT_EQ(ModeOf(secret), 0644u);
  ASSERT_TRUE(files.WriteFile(secret, "password", true));
  EXPECT_EQ(ModeOf(secret), 0600u);
  ASSERT_TRUE(files.WriteFile(dir.path() + "/new.txt", "p", true));
  EXPECT_EQ(ModeOf(dir.path() + "/new.txt"), 0600u);
}

// Names of the entries of a folder.
std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FilesTest, ALinkInPlaceOfTheFileIsReplacedNotFollowed) {
  TempDir dir;
  gtk::LocalFiles files;
  const std::string victim = dir.path() + "/victim";
  const std::string path = dir.path() + "/ini.txt";
  ASSERT_TRUE(files.WriteFile(victim, "someone else's", false));
  ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);
  EXPECT_EQ(files.ReadFile(path), std::nullopt) << "a link is not read";
  ASSERT_TRUE(files.WriteFile(path, "demo\r\n", true));
  struct stat st{};
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(files.ReadFile(path), "demo\r\n");
  EXPECT_EQ(files.ReadFile(victim), "someone else's");
  EXPECT_EQ(ModeOf(victim), 0644u);
}

// A write that fails part-way (here: the file size limit, as a full disk
// would) leaves the old file whole and no partial file beside it.
TEST(FilesTest, AFailedWriteLeavesTheOldFileAsItWas) {
  TempDir dir;
  gtk::LocalFiles files;
  const std::string path = dir.path() + "/ini.txt";
  ASSERT_TRUE(files.WriteFile(path, "old", true));
  struct sigaction ignore{}, previous{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  rlimit small = before;
  small.rlim_cur = 8;
  setrlimit(RLIMIT_FSIZE, &small);
  const bool written = files.WriteFile(path, std::string(4096, 'n'), true);
  setrlimit(RLIMIT_FSIZE, &before);
  sigaction(SIGXFSZ, &previous, nullptr);
  EXPECT_FALSE(written);
  EXPECT_EQ(files.ReadFile(path), "old");
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"ini.txt"});
}

TEST(FilesTest, OnlyRegularFilesOfBoundedSizeAreRead) {
  TempDir dir;
  gtk::LocalFiles files;
  const std::string fifo = dir.path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(files.ReadFile(fifo), std::nullopt) << "a pipe is not waited on";
  EXPECT_EQ(files.ReadFile(dir.path()), std::nullopt);
  const std::string big = dir.path() + "/big";
  ASSERT_TRUE(files.WriteFile(big, std::string(gtk::kMaxFileBytes + 1, 'x'), false));
  EXPECT_EQ(files.ReadFile(big), std::nullopt);
  ASSERT_TRUE(files.WriteFile(big, std::string(gtk::kMaxFileBytes, 'x'), false));
  EXPECT_EQ(files.ReadFile(big)->size(), gtk::kMaxFileBytes);
}

TEST(ShellTest, OnlyWebAddressesCountAsWebAddresses) {
  struct Case {
    const char* address;
    bool web;
  } cases[] = {
      {"http://www.lumaro.example.cn/lumaro.exe", true},
      {"HTTPS://a.example/x?y=1", true},
      {"http://127.0.0.1:18080/", true},
      {"mailto:a@b.c?attach=/etc/passwd", false},
      {"smb://host/share", false},
      {"sftp://host/file", false},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"tencent://message/?uin=1", false},
      {"http:///no-host", false},
      {"www.lumaro.example.cn", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(gtk::IsWebAddress(c.address), c.web) << c.address;
}

// The address reaches xdg-open as one argument, untouched by any shell.
TEST(ShellTest, OpenInBrowserPassesTheAddressAsOneArgument) {
  REQUIRE_DISPLAY();
  TempDir dir;
  const std::string record = dir.path() + "/args.txt";
  {
    std::ofstream script(dir.path() + "/xdg-open");
    script << "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" << record << ".tmp'\nmv '" << record
           << ".tmp' '" << record << "'\n";
  }
  chmod((dir.path() + "/xdg-open").c_str(), 0755);
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (dir.path() + ":" + oldPath).c_str(), 1);

  const std::string address = "http://127.0.0.1:1/1/lumaro.exe?a=1&b=$(touch x);echo 'y' z";
  // Other schemes never get there.
  gtk::XdgShell().OpenInBrowser("smb://host/share");
  gtk::XdgShell().OpenInBrowser("mailto:a@b.c?attach=/etc/passwd");
  gtk::XdgShell().OpenInBrowser(address);
  setenv("PATH", oldPath.c_str(), 1);

  std::optional<std::string> seen;
  RunUntil([&] { return (seen = gtk::LocalFiles().ReadFile(record)).has_value(); });
  EXPECT_EQ(seen, "1|" + address);
}

// Without xdg-open nothing is started, and the caller hears so, for web and
// messenger addresses alike; with it, the same addresses start it.
TEST(ShellTest, AMissingBrowserIsIgnored) {
  TempDir dir;
  {
    std::ofstream script(dir.path() + "/xdg-open");
    script << "#!/bin/sh\nexit 0\n";
  }
  chmod((dir.path() + "/xdg-open").c_str(), 0755);
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  struct Case {
    std::string path;
    bool started;
  } cases[] = {{"/nonexistent", false}, {dir.path(), true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    setenv("PATH", c.path.c_str(), 1);
    const bool web = gtk::XdgShell().OpenInBrowser("http://example.invalid/lumaro.rar");
    const bool chat =
        gtk::XdgShell().OpenChatApp("tencent://message/?uin=10001&Site=Lumaro&Menu=yes");
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(web, c.started);
    EXPECT_EQ(chat, c.started);
  }
}

// Whether a copy of this program started now would find the lock taken: a
// child process asks, with a lock file description of its own. The guard is
// made before the fork, so that the child only opens and locks the file.
int ProbeInChild(const std::string& lockPath) {
  gtk::FlockInstanceGuard probe(lockPath);
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) _exit(probe.AnotherInstanceRunning() ? 10 : 20);
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(InstanceGuardTest, ASecondCopyReportsTheFirstOne) {
  TempDir dir;
  const std::string lock = dir.path() + "/lumaro.lock";
  EXPECT_EQ(ProbeInChild(lock), 20) << "nobody holds the lock yet";

  gtk::FlockInstanceGuard first(lock);
  EXPECT_FALSE(first.AnotherInstanceRunning());
  EXPECT_FALSE(first.AnotherInstanceRunning()) << "asking again keeps the answer";
  EXPECT_EQ(ProbeInChild(lock), 10);
  EXPECT_EQ(ModeOf(lock), 0600u);
}

TEST(InstanceGuardTest, DefaultLockIsPerUser) {
  gtk::FlockInstanceGuard guard;
  const std::string& path = guard.LockPath();
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  EXPECT_TRUE((runtime && path == std::string(runtime) + "/lumaro.lock") ||
              path == gtk::UserDataDir() + "/lumaro.lock")
      << path;
}

TEST(InstanceGuardTest, ALinkPlantedAtTheLockPathIsNotFollowed) {
  TempDir dir;
  const std::string target = dir.path() + "/victim";
  const std::string lock = dir.path() + "/lumaro.lock";
  ASSERT_EQ(symlink(target.c_str(), lock.c_str()), 0);
  gtk::FlockInstanceGuard guard(lock);
  EXPECT_FALSE(guard.AnotherInstanceRunning());
  EXPECT_FALSE(g_file_test(target.c_str(), G_FILE_TEST_EXISTS));
}

}  // namespace
}  // namespace lumaro::platform_test
