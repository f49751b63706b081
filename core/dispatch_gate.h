// Keeps every handler whole.
//
// Document calls look synchronous to the windows' logic, but a web page
// answers them asynchronously: the platform waits for the answer in a nested
// event loop. The gate decides what may run inside such waits and what must
// wait for the handler that is running:
// - while a page call waits, the user's input and the program's timers are
//   held, and delivered in their original order once it has returned;
// - while a handler of a window runs, that window's browser events (a
//   navigation to decide, a page's click or key-up, a completed load, a page
//   closing its window) are queued and raised in order after it returns;
// - a window object is freed only once none of its handlers is on the stack.
// Only the waits that are meant to let the world in (HttpGet, modal windows)
// run other handlers.
//
// The gate itself knows nothing of the desktop: the platform feeds it input,
// ticks and browser events as callables, and runs RunNext() whenever the
// gate asks for it through the wake callback (an idle callback of the main
// loop). Everything runs on the user-interface thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

namespace lumaro {

class DispatchGate {
 public:
  // The gate of the program (one user-interface thread, one gate).
  static DispatchGate& Get();

  DispatchGate() = default;
  DispatchGate(const DispatchGate&) = delete;
  DispatchGate& operator=(const DispatchGate&) = delete;

  // How many handlers of one window are on the stack.
  struct HandlerCount;
  using WindowRef = std::shared_ptr<HandlerCount>;
  static WindowRef NewWindow();

  // ---------------------------------------------------------------- scopes

  // Lives while the program waits for a page's answer.
  class PageCall {
   public:
    PageCall();
    ~PageCall();
    PageCall(const PageCall&) = delete;
    PageCall& operator=(const PageCall&) = delete;
  };
  bool InPageCall() const { return pageCalls_ > 0; }

  // A page opened a dialog of its own while a call waits for it: the dialog
  // needs the user, so input flows until that call has returned.
  void LetInputThrough() { if (pageCalls_ > 0) inputLetThrough_ = true; }

  // Lives while a handler of the window runs.
  class HandlerScope {
   public:
    explicit HandlerScope(WindowRef window);
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

   private:
    WindowRef window_;
  };
  static bool Running(const WindowRef& window);

  // ---------------------------------------------------------------- events

  // A browser event of the window: raised now when nothing holds it (it then
  // runs inside a HandlerScope of the window), else queued behind the events
  // already waiting for that window.
  void Raise(const WindowRef& window, std::function<void()> event);
  // Whether an event of the window raised now would be queued.
  bool WouldQueue(const WindowRef& window) const;

  // Input from the user: delivered now unless input is held or earlier input
  // still waits, else queued.
  void Input(std::function<void()> deliver);
  bool HoldingInput() const;

  // After input that a page must take in before it sees more (a key for a
  // web page: the browser takes one at a time), input is held until the
  // platform calls PageCaughtUp with the token returned here.
  uint64_t AwaitPage();
  void PageCaughtUp(uint64_t token);

  // A timer's tick: runs now unless a page call waits, else once after it.
  // Ticks of one timer (same key) that come while held are run once.
  void Tick(const void* key, std::weak_ptr<void> alive, std::function<void()> tick);

  // Frees `object` once `busy` says none of its handlers is on the stack
  // (at once when none is).
  void Retire(std::function<bool()> busy, std::shared_ptr<void> object);

  // ---------------------------------------------------------------- pump

  // Runs the oldest item that is due; false when none is.
  bool RunNext();
  // Whether RunNext has something to run now.
  bool HasDue() const;
  // How the platform is asked to call RunNext soon. Called whenever items
  // may have become due; asking twice before RunNext runs is harmless.
  void SetWake(std::function<void()> wake) { wake_ = std::move(wake); }
  // Drops everything held (the end of the program, tests).
  void Reset();
  size_t Pending() const { return items_.size() + retired_.size(); }

 private:
  enum class Kind { Input, Event, Tick };
  struct Item {
    Kind kind;
    WindowRef window;             // Event
    const void* key = nullptr;    // Tick
    std::weak_ptr<void> alive;    // Tick
    std::function<void()> run;
  };
  struct Retiree {
    std::function<bool()> busy;
    std::shared_ptr<void> object;
  };
  bool Due(const Item& item) const;
  bool EventsQueuedFor(const HandlerCount* window) const;
  void Wake();
  bool FreeRetired();

  int pageCalls_ = 0;
  bool inputLetThrough_ = false;
  uint64_t awaitedPage_ = 0;  // token of the page input waits for; 0 none
  uint64_t nextToken_ = 0;
  std::deque<Item> items_;
  std::deque<Retiree> retired_;
  std::function<void()> wake_;
};

struct DispatchGate::HandlerCount {
  int running = 0;
};

}  // namespace lumaro
