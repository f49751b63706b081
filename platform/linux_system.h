// Clock, files, shell and single-instance lock on a Linux desktop.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/desktop.h"

namespace lumaro::gtk {

class SystemClock : public IClock {
 public:
  double SecondsSinceMidnight() override;
  double MonotonicSeconds() override;
  std::tm LocalNow() override;
};

class LocalFiles : public IFiles {
 public:
  std::string ExecutableDir() override;
  std::string ExecutableName() override;
  // The executable's folder while it is this user's own and nobody else may
  // write there (a copy run from its build or unpacked folder), else the
  // user's data folder
  // (UserDataDir); decided on the first call and kept for the run, so that
  // the remembered sign-in is read from where it is written.
  std::string DataDir() override;
  std::optional<std::string> ReadFile(const std::string& path) override;
  bool WriteFile(const std::string& path, const std::string& bytes, bool ownerOnly) override;

 private:
  std::optional<std::string> dataDir_;
};

// True when this process may create files in `folder` (access W_OK) and the
// folder is this user's own, writable by nobody else.
bool FolderWritable(const std::string& folder);

// The largest file ReadFile reads.
inline constexpr size_t kMaxFileBytes = size_t(1) << 20;

// Writes `bytes` to `path` whole or not at all (a new file beside it, synced
// and renamed over it, with `mode`); a link at `path` is replaced, never
// followed. False on any failure, which leaves the old file as it was.
bool WriteFileWhole(const std::string& path, const std::string& bytes, unsigned mode);

// The user's data folder of this program: $XDG_DATA_HOME/lumaro when that is
// an absolute path, else ~/.local/share/lumaro ($HOME, or the home folder of
// the user's account). Created, with any missing parents, readable by its
// owner alone (0700); "" when there is no home folder to put it in.
std::string UserDataDir();

// The folder for the program's files: `executableDir` when `writable` says
// this process may write there, else UserDataDir() (the executable's folder
// when there is no such folder either).
std::string ChooseDataDir(const std::string& executableDir,
                          const std::function<bool(const std::string&)>& writable);

// Whether `address` is an absolute http or https address with a host.
bool IsWebAddress(const std::string& address);

// Whether `address` is one of the messenger's own ("tencent://message/...",
// printable ASCII, of bounded length).
bool IsChatAppAddress(const std::string& address);

// Opens web addresses (IsWebAddress) and the messenger's addresses
// (IsChatAppAddress) with `xdg-open`, started directly with an argument
// vector; anything else is not handed to the desktop.
class XdgShell : public IShell {
 public:
  bool OpenInBrowser(const std::string& address) override;
  bool OpenChatApp(const std::string& address) override;
};

// An exclusive flock on a per-user lock file, held until the process ends.
// The descriptor is close-on-exec, so programs started from here (the web
// browser of OpenInBrowser) do not keep the lock after this copy exits.
class FlockInstanceGuard : public IInstanceGuard {
 public:
  // The lock file: $XDG_RUNTIME_DIR/lumaro.lock when that folder is this
  // user's own, else lumaro.lock in the user's data folder (UserDataDir).
  FlockInstanceGuard();
  explicit FlockInstanceGuard(std::string lockPath) : path_(std::move(lockPath)) {}
  bool AnotherInstanceRunning() override;
  const std::string& LockPath() const { return path_; }

 private:
  std::string path_;
  bool checked_ = false;
  bool another_ = false;
  int fd_ = -1;
};

}  // namespace lumaro::gtk
