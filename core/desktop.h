// What the program needs from the desktop it runs on. The logic of every
// window is written against these interfaces; platform/ holds the GTK 3 +
// WebKitGTK + libcurl implementation, tests/fakes/ the in-memory one.
#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <string>

namespace lumaro {

class IUiFactory;

// One asynchronous HTTP request: open, send, then look at ReadyState()
// until it reaches 4 (the answer is complete, or the request failed).
class IHttpRequest {
 public:
  virtual ~IHttpRequest() = default;
  // Starts a new request; a request still in flight on this object is
  // abandoned. Throws std::runtime_error for an address it cannot use.
  virtual void Open(const std::string& method, const std::string& url) = 0;
  virtual void Send(const std::string& body) = 0;
  // 0 unsent, 1 opened, 4 completed (with a status, or failed with status 0).
  virtual int ReadyState() = 0;
  virtual int Status() = 0;
  // The raw bytes of the reply body.
  virtual const std::string& ResponseBody() = 0;
  // Leaves a request that is under way at once (its connection is closed);
  // it then counts as failed (readyState 4, status 0).
  virtual void Abort() {}
};

// The largest reply body a request keeps: a longer reply fails.
inline constexpr size_t kMaxReplyBytes = size_t(8) << 20;

class IHttpFactory {
 public:
  virtual ~IHttpFactory() = default;
  virtual std::shared_ptr<IHttpRequest> CreateRequest() = 0;
};

// The event pump of the user-interface thread.
class IEventPump {
 public:
  virtual ~IEventPump() = default;
  // Runs every pending window, input and timer event once; never blocks.
  virtual void PumpEvents() = 0;
  // Blocks until at least one event source (window input, a timer, a request's
  // socket) was dispatched or `maxSeconds` have passed. Uses no CPU while idle.
  virtual void WaitForEvents(double maxSeconds) = 0;
};

class IClock {
 public:
  virtual ~IClock() = default;
  // Seconds since local midnight, with fractions: what the time stamps of
  // the service's addresses are made from.
  virtual double SecondsSinceMidnight() = 0;
  // Seconds on a clock that never jumps; only differences are meaningful.
  virtual double MonotonicSeconds() = 0;
  // The current local date and time.
  virtual std::tm LocalNow() = 0;
};

class IFiles {
 public:
  virtual ~IFiles() = default;
  // Folder of the running executable, without a trailing slash.
  virtual std::string ExecutableDir() = 0;
  // File name of the running executable, without its folder.
  virtual std::string ExecutableName() = 0;
  // Folder where the program keeps "ini.txt" and "share.txt".
  virtual std::string DataDir() = 0;
  // Whole file as bytes; nullopt when it is missing or unreadable.
  virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
  // Creates or truncates the file and writes the bytes. `ownerOnly` creates it
  // readable and writable by its owner alone. False on any failure.
  virtual bool WriteFile(const std::string& path, const std::string& bytes, bool ownerOnly) = 0;
};

class IShell {
 public:
  virtual ~IShell() = default;
  // Hands a web address (http or https) to the desktop's web browser. False
  // when it is no web address or the browser could not be started; whether
  // the page then opened is not known.
  virtual bool OpenInBrowser(const std::string& address) = 0;
  // Hands an address of the messenger's own scheme (kChatAppScheme) to the
  // program the desktop has for it. False for any other address, or when
  // nothing could be started.
  virtual bool OpenChatApp(const std::string& address) = 0;
};

class IInstanceGuard {
 public:
  virtual ~IInstanceGuard() = default;
  // True when another copy of the program is running. The first call takes
  // the lock for this copy, which holds it until it exits.
  virtual bool AnotherInstanceRunning() = 0;
};

enum class MsgIcon { None, Information };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  // A modal message box; returns when the user has answered. Closing a Yes/No
  // box without an answer gives No.
  virtual MsgResult MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                               MsgButtons buttons) = 0;
  // A modal input box; nullopt on Cancel or the close box.
  virtual std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                              const std::string& defaultText) = 0;
};

// Everything above, as installed for this run of the program.
struct DesktopServices {
  IEventPump* pump = nullptr;
  IClock* clock = nullptr;
  IHttpFactory* http = nullptr;
  IFiles* files = nullptr;
  IShell* shell = nullptr;
  IInstanceGuard* instance = nullptr;
  IDialogs* dialogs = nullptr;
  IUiFactory* ui = nullptr;
};

// The services of this run. The executable installs the real ones before
// Main runs; tests install fakes.
DesktopServices& Desktop();
void InstallDesktop(const DesktopServices& services);

}  // namespace lumaro
