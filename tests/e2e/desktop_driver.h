// Drives the real program on the X display: starts it in a folder of its
// own, finds its windows by title, clicks and types with XTEST (xdotool) and
// saves screenshots.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct WindowGeometry {
  int x = 0, y = 0, width = 0, height = 0;
};

// Output of a command run with an argument vector (no shell), and its status.
struct CommandResult {
  int status = -1;
  std::string output;
};
CommandResult RunCommand(const std::vector<std::string>& argv);

// Sets (or, with no value, removes) an environment variable for the clients
// started while the object lives; the old value comes back after it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// The client program, copied into a fresh folder so that its files
// ("ini.txt", "share.txt") and its executable name belong to the test. Each
// copy also gets a runtime folder of its own (XDG_RUNTIME_DIR, where the
// lock that refuses a second running copy lives), a settings folder
// (XDG_CONFIG_HOME: no two clicks of a test are taken for a double click)
// and a cache folder, and writes its standard output and error into
// "output.log" there.
class ClientProcess {
 public:
  explicit ClientProcess(const std::string& exeName = "lumaro");
  ~ClientProcess();
  ClientProcess(const ClientProcess&) = delete;
  ClientProcess& operator=(const ClientProcess&) = delete;

  const std::filesystem::path& Dir() const { return dir_; }
  std::filesystem::path Exe() const { return dir_ / exeName_; }
  // Makes this copy use `other`'s runtime folder, as two copies started by
  // one user in one session do: they share the running-copy lock.
  void ShareRuntimeDirWith(const ClientProcess& other);
  void Start();
  bool Running();
  pid_t Pid() const { return pid_; }
  // Waits for the process to end; its exit status, or nullopt on time-out.
  std::optional<int> WaitExit(double seconds);
  // How the process ended by itself: its exit status, or 128 + the signal
  // that ended it; nullopt while it runs, before it starts and after Kill().
  std::optional<int> ExitStatus() const { return exitStatus_; }
  // The signal that ended the process by itself (a crash), or 0.
  int CrashSignal() const { return crashSignal_; }
  void Kill();
  std::string ReadFile(const std::string& name) const;
  // What the program wrote to its standard output and error.
  std::string Output() const { return ReadFile("output.log"); }
  // What the program handed to `xdg-open` (the desktop's browser or the
  // messenger): one line a call, its arguments separated by blanks.
  std::string OpenedInBrowser() const { return ReadFile("opened.txt"); }
  void WriteFile(const std::string& name, const std::string& bytes) const;

 private:
  std::string exeName_;
  std::filesystem::path dir_;
  std::filesystem::path runtimeDir_;
  pid_t pid_ = -1;
  std::optional<int> exitStatus_;
  int crashSignal_ = 0;
};

// The processes descended from `root` (its children, theirs, …), now.
std::vector<pid_t> DescendantsOf(pid_t root);
// Whether a process is there and has not ended (a zombie has).
bool ProcessLives(pid_t pid);

// The first lines of a sanitizer's report in a program's output
// (AddressSanitizer, UndefinedBehaviorSanitizer, LeakSanitizer), or "" when
// there is none.
std::string SanitizerReport(const std::string& output);

// Window ids whose title matches the regular expression (xdotool's --name).
std::vector<std::string> FindWindows(const std::string& titleRegex, bool onlyVisible = true);
// Waits until a window with that title is visible; its id or "".
std::string WaitForWindow(const std::string& titleRegex, double seconds);
// Waits until no visible window has that title.
bool WaitForNoWindow(const std::string& titleRegex, double seconds);
std::optional<WindowGeometry> Geometry(const std::string& windowId);
std::string WindowTitle(const std::string& windowId);

// Clicks at a point given in the window's client coordinates (pixels).
void ClickAt(const std::string& windowId, int x, int y);
// Clicks at a point of the screen.
void ClickAtScreen(int x, int y);
// Types ASCII text into the focused control, `delayMs` between keys.
void TypeText(const std::string& text, int delayMs = 15);
void PressKey(const std::string& keysym);
// Sends the keyboard to a window: with no window manager, keys go to the
// window under the pointer, which is put inside the window (its top left
// corner) unless it already is there.
void KeyboardTo(const std::string& windowId);

// Refused connection attempts on this machine's network so far (the kernel's
// count of connections that failed while being made): how a test sees the
// client try a service that is not listening. Exact inside the network
// namespace of the test command; elsewhere other programs' failures count
// too.
long RefusedConnections();

// Saves a screenshot of the whole screen; returns its path.
std::filesystem::path Screenshot(const std::string& name);

// Polls `pred` every 50 ms until it holds or `seconds` pass.
template <class Pred>
bool WaitUntil(Pred pred, double seconds);

}  // namespace e2e

#include "e2e/desktop_driver_inl.h"
