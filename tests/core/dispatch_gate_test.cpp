// The dispatch gate: what runs inside a page call, what waits for a
// window's running handler, and when retired windows are freed.
#include "core/dispatch_gate.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace lumaro {
namespace {

class DispatchGateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gate().Reset();
    gate().SetWake([this] { ++wakes_; });
  }
  void TearDown() override {
    gate().Reset();
    gate().SetWake(nullptr);
  }
  static DispatchGate& gate() { return DispatchGate::Get(); }
  // What the main loop does when the gate asks for it.
  void RunQueue() {
    while (gate().RunNext()) {
    }
  }

  std::vector<std::string> log_;
  int wakes_ = 0;
};

TEST_F(DispatchGateTest, InputDuringAPageCallArrivesAfterItInItsOrder) {
  {
    DispatchGate::PageCall call;
    gate().Input([this] { log_.push_back("key 1"); });
    gate().Input([this] { log_.push_back("key 2"); });
    RunQueue();  // the call's own wait turns the loop: nothing is delivered
    EXPECT_TRUE(log_.empty());
    log_.push_back("call returned");
  }
  // Input that comes before the queue has run goes behind it.
  gate().Input([this] { log_.push_back("key 3"); });
  RunQueue();
  EXPECT_EQ(log_, (std::vector<std::string>{"call returned", "key 1", "key 2", "key 3"}));
  EXPECT_GT(wakes_, 0);
  // With nothing held, input goes through at once.
  gate().Input([this] { log_.push_back("key 4"); });
  EXPECT_EQ(log_.back(), "key 4");
}

TEST_F(DispatchGateTest, NestedPageCallsHoldUntilTheOutermostReturns) {
  auto outer = std::make_unique<DispatchGate::PageCall>();
  {
    DispatchGate::PageCall inner;
    gate().Input([this] { log_.push_back("key"); });
  }
  RunQueue();
  EXPECT_TRUE(log_.empty());
  outer.reset();
  RunQueue();
  EXPECT_EQ(log_, std::vector<std::string>{"key"});
}

TEST_F(DispatchGateTest, APageDialogLetsInputThroughForTheRestOfTheCall) {
  {
    DispatchGate::PageCall call;
    gate().Input([this] { log_.push_back("before the dialog"); });
    gate().LetInputThrough();
    RunQueue();
    gate().Input([this] { log_.push_back("answer"); });
    EXPECT_EQ(log_, (std::vector<std::string>{"before the dialog", "answer"}));
  }
  // The next call holds again.
  DispatchGate::PageCall next;
  gate().Input([this] { log_.push_back("held"); });
  EXPECT_EQ(log_.size(), 2u);
}

TEST_F(DispatchGateTest, TimersWaitForThePageCallAndTickOnce) {
  auto alive = std::make_shared<int>(0);
  int ticks = 0;
  int other = 0;
  {
    DispatchGate::PageCall call;
    for (int i = 0; i < 3; ++i) gate().Tick(&ticks, alive, [&] { ++ticks; });
    gate().Tick(&other, alive, [&] { ++other; });
    RunQueue();
    EXPECT_EQ(ticks, 0);
  }
  RunQueue();
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(other, 1);
  // Outside a call a tick runs at once; a timer gone meanwhile does not.
  gate().Tick(&ticks, alive, [&] { ++ticks; });
  EXPECT_EQ(ticks, 2);
  {
    DispatchGate::PageCall call;
    gate().Tick(&ticks, alive, [&] { ++ticks; });
    alive.reset();
  }
  RunQueue();
  EXPECT_EQ(ticks, 2);
}

TEST_F(DispatchGateTest, AWindowsEventsWaitForItsRunningHandlerAndKeepTheirOrder) {
  auto console = DispatchGate::NewWindow();
  auto viewer = DispatchGate::NewWindow();
  {
    DispatchGate::HandlerScope guard(console);
    EXPECT_TRUE(DispatchGate::Running(console));
    gate().Raise(console, [&] {
      log_.push_back("navigation decided");
      EXPECT_TRUE(DispatchGate::Running(console));
    });
    gate().Raise(console, [this] { log_.push_back("key-up"); });
    // Another window's events are not held by this handler.
    gate().Raise(viewer, [this] { log_.push_back("viewer load"); });
    RunQueue();  // a modal window of the handler turns the loop
    EXPECT_EQ(log_, std::vector<std::string>{"viewer load"});
    log_.push_back("guard returned");
  }
  RunQueue();
  EXPECT_EQ(log_, (std::vector<std::string>{"viewer load", "guard returned", "navigation decided",
                                            "key-up"}));
  EXPECT_FALSE(DispatchGate::Running(console));
}

TEST_F(DispatchGateTest, AnEventRaisedInsideARaisedEventRunsAfterIt) {
  auto console = DispatchGate::NewWindow();
  gate().Raise(console, [&] {
    log_.push_back("key-up 1 starts");
    gate().Raise(console, [this] { log_.push_back("key-up 2"); });
    log_.push_back("key-up 1 ends");
  });
  RunQueue();
  EXPECT_EQ(log_,
            (std::vector<std::string>{"key-up 1 starts", "key-up 1 ends", "key-up 2"}));
}

TEST_F(DispatchGateTest, EventsRaisedDuringAPageCallWaitForIt) {
  auto viewer = DispatchGate::NewWindow();
  {
    DispatchGate::PageCall call;
    EXPECT_TRUE(gate().WouldQueue(viewer));
    gate().Raise(viewer, [this] { log_.push_back("load"); });
    RunQueue();
    EXPECT_TRUE(log_.empty());
  }
  RunQueue();
  EXPECT_EQ(log_, std::vector<std::string>{"load"});
  EXPECT_FALSE(gate().WouldQueue(viewer));
}

TEST_F(DispatchGateTest, InputWaitsUntilThePageHasTakenTheLastKey) {
  gate().Input([this] { log_.push_back("key 1"); });
  const uint64_t token = gate().AwaitPage();
  gate().Input([this] { log_.push_back("key 2"); });
  RunQueue();
  EXPECT_EQ(log_, std::vector<std::string>{"key 1"});
  gate().PageCaughtUp(token + 1);  // an older or foreign answer changes nothing
  RunQueue();
  EXPECT_EQ(log_.size(), 1u);
  gate().PageCaughtUp(token);
  RunQueue();
  EXPECT_EQ(log_, (std::vector<std::string>{"key 1", "key 2"}));
}

TEST_F(DispatchGateTest, ARetiredWindowIsFreedOnceItsHandlerHasReturned) {
  struct Window {
    explicit Window(std::vector<std::string>* log) : log(log) {}
    ~Window() { log->push_back("freed"); }
    std::vector<std::string>* log;
  };
  auto state = DispatchGate::NewWindow();
  auto busy = [state] { return DispatchGate::Running(state); };
  {
    DispatchGate::HandlerScope handler(state);
    gate().Retire(busy, std::make_shared<Window>(&log_));
    RunQueue();
    EXPECT_TRUE(log_.empty()) << "freed under its own handler";
    {
      DispatchGate::PageCall call;  // never inside a page call either
    }
    log_.push_back("handler returned");
  }
  {
    DispatchGate::PageCall call;
    EXPECT_FALSE(gate().HasDue());
  }
  RunQueue();
  EXPECT_EQ(log_, (std::vector<std::string>{"handler returned", "freed"}));
  // A window no handler of which runs goes at once.
  gate().Retire(busy, std::make_shared<Window>(&log_));
  EXPECT_EQ(log_.back(), "freed");
  EXPECT_EQ(gate().Pending(), 0u);
}

TEST_F(DispatchGateTest, AModalWaitInsideAQueuedItemLetsTheRestOfTheQueueRun) {
  auto console = DispatchGate::NewWindow();
  {
    DispatchGate::PageCall call;
    gate().Raise(console, [&] {
      log_.push_back("guard asks");
      // The guard's message box: the loop turns inside the handler and the
      // box's input must get through.
      RunQueue();
      log_.push_back("guard answered");
    });
    gate().Input([this] { log_.push_back("click on the box"); });
    gate().Raise(console, [this] { log_.push_back("console key-up"); });
  }
  RunQueue();
  EXPECT_EQ(log_, (std::vector<std::string>{"guard asks", "click on the box", "guard answered",
                                            "console key-up"}));
}

}  // namespace
}  // namespace lumaro
