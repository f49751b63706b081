#include "platform/linux_system.h"

#include <fcntl.h>
#include <glib.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "core/address_kinds.h"

namespace lumaro::gtk {

// ---------------------------------------------------------------- clock

double SystemClock::SecondsSinceMidnight() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + now.tv_nsec / 1e9;
}

double SystemClock::MonotonicSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return double(now.tv_sec) + now.tv_nsec / 1e9;
}

std::tm SystemClock::LocalNow() {
  time_t now = time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

// ---------------------------------------------------------------- files

namespace {

std::string ExecutablePath() {
  char buffer[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n <= 0) return {};
  return std::string(buffer, size_t(n));
}

}  // namespace

std::string LocalFiles::ExecutableDir() {
  std::string path = ExecutablePath();
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string LocalFiles::ExecutableName() {
  std::string path = ExecutablePath();
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string LocalFiles::DataDir() {
  if (!dataDir_) dataDir_ = ChooseDataDir(ExecutableDir(), FolderWritable);
  return *dataDir_;
}

bool FolderWritable(const std::string& folder) {
  if (folder.empty() || access(folder.c_str(), W_OK) != 0) return false;
  // Files that hold a password are kept only where nobody else can swap
  // them: a folder of this user's that no one else may write to.
  struct stat st{};
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

namespace {

// Creates `path` and its missing parents, each readable by its owner alone;
// true when it is a folder afterwards.
bool MakeFolders(const std::string& path) {
  struct stat st{};
  if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return false;
  // A folder made here is its owner's alone, whatever the umask; one that
  // was there before keeps the mode its owner gave it.
  if (mkdir(path.c_str(), 0700) == 0) chmod(path.c_str(), 0700);
  else if (errno != EEXIST) return false;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && *found->pw_dir == '/')
    return found->pw_dir;
  return {};
}

}  // namespace

std::string UserDataDir() {
  // A relative XDG_DATA_HOME is to be ignored, as if it were not set.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (xdg && *xdg == '/') {
    base = xdg;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    base = home + "/.local/share";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  const std::string folder = (base == "/" ? "" : base) + "/lumaro";
  if (!MakeFolders(folder)) return {};
  return folder;
}

std::string ChooseDataDir(const std::string& executableDir,
                          const std::function<bool(const std::string&)>& writable) {
  if (writable(executableDir)) return executableDir;
  std::string user = UserDataDir();
  return user.empty() ? executableDir : user;
}

std::optional<std::string> LocalFiles::ReadFile(const std::string& path) {
  // Only a regular file of reasonable size: never through a link, never a
  // pipe or device that would block or never end.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat st{};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > off_t(kMaxFileBytes)) {
    close(fd);
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || bytes.size() + size_t(std::max<ssize_t>(n, 0)) > kMaxFileBytes) {
      close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(buffer, size_t(n));
  }
  close(fd);
  return bytes;
}

bool LocalFiles::WriteFile(const std::string& path, const std::string& bytes, bool ownerOnly) {
  return WriteFileWhole(path, bytes, ownerOnly ? 0600 : 0644);
}

bool WriteFileWhole(const std::string& path, const std::string& bytes, unsigned mode) {
  // Written beside the file under a fresh name (created here, never an
  // existing file or link), synced, then renamed over the old one: the file
  // is the old one or the new one whole, and a link at its place is
  // replaced rather than followed.
  const size_t slash = path.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string(".") : (slash == 0 ? "/" : path.substr(0, slash));
  std::string temp = path + ".XXXXXX";
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fchmod(fd, mode_t(mode)) == 0;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += size_t(n);
  }
  if (ok && fsync(fd) != 0) ok = false;
  if (close(fd) != 0) ok = false;
  if (ok && rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

// ---------------------------------------------------------------- shell

bool IsWebAddress(const std::string& address) { return IsHttpAddress(address); }

bool IsChatAppAddress(const std::string& address) {
  // Printable ASCII only, of bounded length: the one argument xdg-open gets.
  if (address.empty() || address.size() > 2048) return false;
  for (unsigned char c : address)
    if (c <= 0x20 || c >= 0x7F) return false;
  const std::optional<AddressParts> parts = SplitAddress(address);
  return IsChatAppLink(address) && parts && g_ascii_strcasecmp(parts->host.c_str(), "message") == 0;
}

namespace {

// Starts xdg-open with the address as its one argument (an argument vector,
// never a shell). The child is reaped by GLib. False when it could not be
// started (xdg-utils missing).
bool StartXdgOpen(const std::string& address) {
  gchar* argv[] = {const_cast<gchar*>("xdg-open"), const_cast<gchar*>(address.c_str()), nullptr};
  return g_spawn_async(nullptr, argv, nullptr,
                       GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL |
                                   G_SPAWN_STDERR_TO_DEV_NULL),
                       nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

bool XdgShell::OpenInBrowser(const std::string& address) {
  // Only web pages go to the desktop: any other scheme would start whatever
  // program the desktop has for it (a file manager, a mail program with an
  // attachment, a remote share).
  return IsWebAddress(address) && StartXdgOpen(address);
}

bool XdgShell::OpenChatApp(const std::string& address) {
  return IsChatAppAddress(address) && StartXdgOpen(address);
}

// ---------------------------------------------------------------- instance

namespace {

std::string DefaultLockPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st{};
  if (runtime && *runtime == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) &&
      st.st_uid == geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0)
    return std::string(runtime) + "/lumaro.lock";
  const std::string data = UserDataDir();
  if (!data.empty()) return data + "/lumaro.lock";
  return "/tmp/lumaro-" + std::to_string(geteuid()) + ".lock";
}

}  // namespace

FlockInstanceGuard::FlockInstanceGuard() : path_(DefaultLockPath()) {}

bool FlockInstanceGuard::AnotherInstanceRunning() {
  if (checked_) return another_;
  checked_ = true;
  // O_NOFOLLOW: in a shared folder such as /tmp, a planted link must not
  // make this program create or lock another file.
  fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd_ < 0) return another_ = false;  // no lock to be had: let this copy run
  // A lock file that is not this user's own regular file proves nothing.
  struct stat st{};
  if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
    close(fd_);
    fd_ = -1;
    return another_ = false;
  }
  while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    another_ = errno == EWOULDBLOCK;
    close(fd_);
    fd_ = -1;
    return another_;
  }
  return another_ = false;
}

}  // namespace lumaro::gtk
