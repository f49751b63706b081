// Where "ini.txt" and "share.txt" go: beside the executable while its folder
// is writable, else in the user's data folder.
#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/linux_system.h"

namespace lumaro::platform_test {
namespace {

class TempFolder {
 public:
  TempFolder() {
    char templ[] = "/tmp/lumaro-datadir-XXXXXX";
    path_ = mkdtemp(templ);
  }
  ~TempFolder() {
    chmod(path_.c_str(), 0700);
    std::string command = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
    (void)std::system(command.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Sets (or, with nullopt, removes) an environment variable for the scope.
class EnvOverride {
 public:
  EnvOverride(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value->c_str(), 1);
    else unsetenv(name);
  }
  ~EnvOverride() {
    if (old_) setenv(name_, old_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

bool IsFolder(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

mode_t ModeOf(const std::string& path) {
  struct stat st{};
  stat(path.c_str(), &st);
  return st.st_mode & 0777;
}

const std::string kExeDir = "/opt/lumaro-test/bin";

TEST(DataDirTest, AWritableExecutableFolderKeepsTheFilesAndCreatesNothingElse) {
  TempFolder home;
  EnvOverride h("HOME", home.path());
  EnvOverride x("XDG_DATA_HOME", std::nullopt);
  std::string probed;
  const std::string chosen = gtk::ChooseDataDir(kExeDir, [&](const std::string& folder) {
    probed = folder;
    return true;
  });
  EXPECT_EQ(chosen, kExeDir);
  EXPECT_EQ(probed, kExeDir);
  EXPECT_FALSE(IsFolder(home.path() + "/.local"));
}

// An unwritable executable folder: the user's data folder, by the
// environment, created (with its parents) for its owner alone.
TEST(DataDirTest, AnUnwritableExecutableFolderSendsTheFilesToTheUsersDataFolder) {
  struct Case {
    const char* what;
    std::optional<std::string> xdg;  // relative to the temporary folder when not absolute
    bool xdgIsAbsolute;
    std::string expected;  // relative to the temporary folder
  };
  const Case cases[] = {
      {"no XDG_DATA_HOME", std::nullopt, false, "/home/.local/share/lumaro"},
      {"empty XDG_DATA_HOME", std::string(""), false, "/home/.local/share/lumaro"},
      {"relative XDG_DATA_HOME is ignored", std::string("rel/data"), false,
       "/home/.local/share/lumaro"},
      {"absolute XDG_DATA_HOME", std::string("/xdg/data"), true, "/xdg/data/lumaro"},
      {"XDG_DATA_HOME with a trailing slash", std::string("/xdg/data/"), true, "/xdg/data/lumaro"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder root;
    ASSERT_EQ(mkdir((root.path() + "/home").c_str(), 0755), 0);
    EnvOverride h("HOME", root.path() + "/home");
    std::optional<std::string> xdg = c.xdg;
    if (xdg && c.xdgIsAbsolute) xdg = root.path() + *xdg;
    EnvOverride x("XDG_DATA_HOME", xdg);
    umask(022);

    const std::string chosen =
        gtk::ChooseDataDir(kExeDir, [](const std::string&) { return false; });
    EXPECT_EQ(chosen, root.path() + c.expected);
    ASSERT_TRUE(IsFolder(chosen));
    EXPECT_EQ(ModeOf(chosen), 0700u);
    // The files can be written there and read back.
    gtk::LocalFiles files;
    ASSERT_TRUE(files.WriteFile(chosen + "/share.txt", "2026/1/2 3:04:05\r\n", false));
    EXPECT_EQ(files.ReadFile(chosen + "/share.txt"), "2026/1/2 3:04:05\r\n");
  }
}

TEST(DataDirTest, AnExistingDataFolderKeepsItsModeAndAMissingPlaceFallsBack) {
  TempFolder root;
  const std::string data = root.path() + "/data";
  ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
  ASSERT_EQ(mkdir((data + "/lumaro").c_str(), 0750), 0);
  ASSERT_EQ(chmod((data + "/lumaro").c_str(), 0750), 0);
  auto unwritable = [](const std::string&) { return false; };
  {
    EnvOverride x("XDG_DATA_HOME", data);
    EXPECT_EQ(gtk::ChooseDataDir(kExeDir, unwritable), data + "/lumaro");
    EXPECT_EQ(ModeOf(data + "/lumaro"), 0750u);
  }
  {
    // A file where the folder should be: nowhere better than the
    // executable's folder (writing there fails quietly, as before).
    gtk::LocalFiles().WriteFile(root.path() + "/file", "x", false);
    EnvOverride x("XDG_DATA_HOME", root.path() + "/file");
    EXPECT_EQ(gtk::ChooseDataDir(kExeDir, unwritable), kExeDir);
    EXPECT_EQ(gtk::UserDataDir(), "");
  }
}

TEST(DataDirTest, FolderWritableAsksTheSystem) {
  TempFolder root;
  EXPECT_TRUE(gtk::FolderWritable(root.path()));
  EXPECT_FALSE(gtk::FolderWritable(root.path() + "/missing"));
  EXPECT_FALSE(gtk::FolderWritable(""));
  // A folder others may write to could have the remembered sign-in swapped.
  for (mode_t shared : {0775, 0757, 01777}) {
    const std::string folder = root.path() + "/shared" + std::to_string(shared);
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(chmod(folder.c_str(), shared), 0);
    EXPECT_FALSE(gtk::FolderWritable(folder)) << std::oct << shared;
  }
  const std::string own = root.path() + "/own";
  ASSERT_EQ(mkdir(own.c_str(), 0755), 0);
  EXPECT_TRUE(gtk::FolderWritable(own));
  const std::string locked = root.path() + "/locked";
  ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);
  // The superuser may write into any folder of a writable file system.
  if (geteuid() == 0) GTEST_SKIP() << "root may write into a 0555 folder";
  EXPECT_FALSE(gtk::FolderWritable(locked));
}

TEST(DataDirTest, ThisProgramsOwnFolderIsUsedWhileItIsWritable) {
  gtk::LocalFiles files;
  if (!gtk::FolderWritable(files.ExecutableDir()))
    GTEST_SKIP() << "this program's folder is read-only";
  TempFolder data;
  EnvOverride x("XDG_DATA_HOME", data.path());
  EXPECT_EQ(files.DataDir(), files.ExecutableDir());
  EXPECT_FALSE(IsFolder(data.path() + "/lumaro"));
}

// The real check, as a user who may not write into this program's folder:
// run as root, a child becomes "nobody" and asks where its files go.
TEST(DataDirTest, AUserWhoCannotWriteBesideTheProgramGetsTheDataFolder) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  passwd* nobody = getpwnam("nobody");
  if (!nobody) GTEST_SKIP() << "no user named nobody";
  TempFolder root;
  const std::string data = root.path() + "/data";
  ASSERT_EQ(mkdir(data.c_str(), 0700), 0);
  ASSERT_EQ(chown(data.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  ASSERT_EQ(chmod(root.path().c_str(), 0755), 0);

  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(out[0]);
    if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) _exit(3);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("HOME", "/nonexistent", 1);
    gtk::LocalFiles files;
    if (gtk::FolderWritable(files.ExecutableDir())) _exit(4);  // nothing to show here
    const std::string dir = files.DataDir();
    const bool wrote = files.WriteFile(dir + "/ini.txt", "demo\r\n", true);
    // Decided once: the sign-in is read back from where it was written
    // even if the environment changes meanwhile.
    setenv("XDG_DATA_HOME", "/nonexistent/elsewhere", 1);
    const std::string again = files.DataDir();
    const std::string report = dir + (wrote ? "|ok|" : "|failed|") + again;
    if (write(out[1], report.data(), report.size()) < 0) _exit(5);
    _exit(0);
  }
  close(out[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) report.append(buffer, size_t(n));
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 4) GTEST_SKIP() << "nobody may write into this program's folder";
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(report, data + "/lumaro|ok|" + data + "/lumaro");
  EXPECT_EQ(ModeOf(data + "/lumaro"), 0700u);
  EXPECT_EQ(gtk::LocalFiles().ReadFile(data + "/lumaro/ini.txt"), "demo\r\n");
  EXPECT_EQ(ModeOf(data + "/lumaro/ini.txt"), 0600u);
}

}  // namespace
}  // namespace lumaro::platform_test
