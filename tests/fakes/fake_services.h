// In-memory fakes of the platform services: pump, clock, HTTP, files, shell,
// instance guard and dialogs. FakeEnvironment owns one of each and installs
// them (and a FakeUiFactory) for the lifetime of a test.
#pragma once

#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/desktop.h"
#include "fakes/fake_ui.h"

namespace lumaro {

class FakeClock : public IClock {
 public:
  double SecondsSinceMidnight() override { return midnightOffset_ + now_; }
  double MonotonicSeconds() override { return now_; }
  std::tm LocalNow() override { return localNow_; }

  void Advance(double seconds) { now_ += seconds; }
  // Seconds since midnight at the moment the fake's monotonic clock is 0.
  double midnightOffset_ = 45296.13;
  double now_ = 1000.0;
  std::tm localNow_ = [] {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 10;
    t.tm_hour = 6;
    t.tm_min = 44;
    t.tm_sec = 1;
    return t;
  }();
};

// A pump whose blocking wait advances the fake clock instead of sleeping.
// Hooks run on every pump or wait, as window events would; then the dispatch
// gate runs whatever it holds that is due.
class FakePump : public IEventPump {
 public:
  explicit FakePump(FakeClock& clock) : clock_(clock) {}
  void PumpEvents() override;
  void WaitForEvents(double maxSeconds) override;

  // Runs once on the next pump or wait (e.g. a click during a request).
  void Post(std::function<void()> event) { posted_.push_back(std::move(event)); }
  // Runs on every pump or wait.
  std::function<void()> onPump;
  int pumps = 0;
  int waits = 0;
  double waitedSeconds = 0;

 private:
  void RunPosted();
  FakeClock& clock_;
  std::deque<std::function<void()>> posted_;
};

// How a scripted address answers.
struct FakeReply {
  int status = 200;
  std::string body;         // raw bytes (GBK)
  bool never = false;       // the request never completes
  bool fail = false;        // completes without a connection (status 0)
  int looks = 0;            // completes after this many readyState looks
  std::function<void()> onSend;  // runs when the request is sent
};

class FakeHttp;

class FakeHttpRequest : public IHttpRequest {
 public:
  explicit FakeHttpRequest(FakeHttp& http) : http_(http) {}
  void Open(const std::string& method, const std::string& url) override;
  void Send(const std::string& body) override;
  int ReadyState() override;
  int Status() override;
  const std::string& ResponseBody() override;
  void Abort() override;

 private:
  FakeHttp& http_;
  std::string url_;
  int state_ = 0;
  FakeReply reply_;
  int looksLeft_ = 0;
};

class FakeHttp : public IHttpFactory {
 public:
  std::shared_ptr<IHttpRequest> CreateRequest() override;

  // Answers every address that starts with `prefix` (the longest matching
  // prefix wins). Unscripted addresses answer 404.
  void Reply(const std::string& prefix, FakeReply reply) { replies_[prefix] = std::move(reply); }
  // Shorthand: status 200 with a UTF-8 text sent as GBK.
  void ReplyText(const std::string& prefix, const std::string& utf8Text);
  FakeReply Lookup(const std::string& url) const;

  // Every address sent, oldest first.
  std::vector<std::string> sent;
  int created = 0;
  // Addresses whose transfer was left under way (Abort), oldest first.
  std::vector<std::string> aborted;
  // Addresses sent that contain `part`.
  size_t CountSent(const std::string& part) const;

 private:
  std::map<std::string, FakeReply> replies_;
};

class FakeFiles : public IFiles {
 public:
  std::string ExecutableDir() override { return exeDir; }
  std::string ExecutableName() override { return exeName; }
  std::string DataDir() override { return dataDir; }
  std::optional<std::string> ReadFile(const std::string& path) override;
  bool WriteFile(const std::string& path, const std::string& bytes, bool ownerOnly) override;

  std::string exeDir = "/opt/lumaro";
  std::string exeName = "lumaro";
  std::string dataDir = "/opt/lumaro";
  std::map<std::string, std::string> files;
  std::map<std::string, bool> ownerOnly;
  bool readOnly = false;  // every write fails
  int writes = 0;
};

// Records every address it is handed, whatever it is (what the real shell
// would refuse too), and answers as told.
class FakeShell : public IShell {
 public:
  bool OpenInBrowser(const std::string& address) override {
    opened.push_back(address);
    return !refuse;
  }
  bool OpenChatApp(const std::string& address) override {
    chatOpened.push_back(address);
    return !refuse;
  }
  // Handed to the desktop's web browser, oldest first.
  std::vector<std::string> opened;
  // Handed to the messenger program, oldest first.
  std::vector<std::string> chatOpened;
  // Nothing can be started: both answer false.
  bool refuse = false;
};

class FakeInstanceGuard : public IInstanceGuard {
 public:
  bool AnotherInstanceRunning() override {
    ++calls;
    return anotherRunning;
  }
  bool anotherRunning = false;
  int calls = 0;
};

struct ShownMessage {
  std::string text, title;
  MsgIcon icon;
  MsgButtons buttons;
};

class FakeDialogs : public IDialogs {
 public:
  MsgResult MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                       MsgButtons buttons) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override;

  std::vector<ShownMessage> shown;
  // Answers of Yes/No boxes, oldest first; No when none is queued.
  std::deque<MsgResult> answers;
  // Answers of input boxes, oldest first; Cancel (nullopt) when none is queued.
  std::deque<std::optional<std::string>> inputs;
  struct InputCall {
    std::string prompt, title, defaultText;
  };
  std::vector<InputCall> inputCalls;
  // Runs while a box is up (the user acting elsewhere meanwhile).
  std::function<void(const ShownMessage&)> whileOpen;

  std::vector<std::string> Texts() const;
  const ShownMessage* Last() const { return shown.empty() ? nullptr : &shown.back(); }
};

// Installs every fake for the lifetime of the object and resets the globals
// and the dispatch gate.
class FakeEnvironment {
 public:
  FakeEnvironment();
  ~FakeEnvironment();
  FakeEnvironment(const FakeEnvironment&) = delete;
  FakeEnvironment& operator=(const FakeEnvironment&) = delete;

  FakeClock clock;
  FakePump pump{clock};
  FakeHttp http;
  FakeFiles files;
  FakeShell shell;
  FakeInstanceGuard instance;
  FakeDialogs dialogs;
  FakeUiFactory ui;

 private:
  DesktopServices previous_;
  double previousLimit_;
};

}  // namespace lumaro
