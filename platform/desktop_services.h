// Clock, files, shell and single-instance lock on a Linux desktop.
#pragma once

#include <string>

#include "core/platform.h"

namespace lumaro {

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
  std::string DataDir() override;
  std::optional<std::string> ReadFile(const std::string& path) override;
  bool WriteFile(const std::string& path, const std::string& bytes, bool ownerOnly) override;
};

// Opens addresses with `xdg-open`, started directly with an argument vector.
class XdgShell : public IShell {
 public:
  void OpenInBrowser(const std::string& address) override;
};

// An exclusive flock on a per-user lock file, held until the process ends.
// The descriptor is close-on-exec, so programs started from here (the web
// browser of OpenInBrowser) do not keep the lock after this copy exits.
class FlockInstanceGuard : public IInstanceGuard {
 public:
  // The lock file: $XDG_RUNTIME_DIR/lumaro.lock, or /tmp/lumaro-<uid>.lock.
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

}  // namespace lumaro
