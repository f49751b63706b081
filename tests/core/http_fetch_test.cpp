#include <gtest/gtest.h>

#include "core/ansi.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "fakes/fake_services.h"

namespace lumaro {
namespace {

class HttpFetch : public ::testing::Test {
 protected:
  FakeEnvironment env;
};

TEST_F(HttpFetch, StampReplacesEverythingFromTheFirstStampOn) {
  struct Case {
    const char* url;
    const char* sent;
  } cases[] = {
      {"http://s/a.asp?x=1&t=123.4", "http://s/a.asp?x=1&t=46296.13"},
      {"http://s/a.asp", "http://s/a.asp&t=46296.13"},
      {"http://s/a.asp?x=1&t=9&y=2", "http://s/a.asp?x=1&t=46296.13"},
  };
  env.http.ReplyText("http://s/", "ok");
  for (const auto& c : cases) {
    env.http.sent.clear();
    env.clock.now_ = 1000.0;
    EXPECT_EQ(HttpGet(c.url, true), "ok");
    ASSERT_EQ(env.http.sent.size(), 1u);
    EXPECT_EQ(env.http.sent[0], c.sent);
  }
  env.http.sent.clear();
  HttpGet("http://s/a.asp?x=1&t=5", false);
  EXPECT_EQ(env.http.sent.at(0), "http://s/a.asp?x=1&t=5");
}

TEST_F(HttpFetch, TimerStampIsSinglePrecisionGeneralFormat) {
  struct Case {
    double seconds;
    const char* text;
  } cases[] = {{45296.13, "45296.13"}, {0.5, "0.5"}, {7, "7"}, {86399.99, "86399.99"},
               {12.0625, "12.0625"}};
  for (const auto& c : cases) {
    env.clock.midnightOffset_ = c.seconds - env.clock.now_;
    EXPECT_EQ(TimerStamp(), c.text);
  }
}

TEST_F(HttpFetch, FollowsTheResultConvention) {
  FakeReply notFound;
  notFound.status = 404;
  notFound.body = "gone";
  env.http.Reply("http://s/404", notFound);
  env.http.Reply("http://s/empty", FakeReply{});
  env.http.ReplyText("http://s/gbk", "网络异常");
  FakeReply refused;
  refused.fail = true;
  env.http.Reply("http://s/refused", refused);

  EXPECT_EQ(HttpGet("http://s/404", false), "ERROR");
  EXPECT_LT(env.pump.waitedSeconds, 1.0) << "a completed 404 must not wait for the limit";
  EXPECT_EQ(HttpGet("http://s/empty", false), " ");
  EXPECT_EQ(HttpGet("http://s/gbk", false), "网络异常");
  EXPECT_EQ(HttpGet("http://s/refused", false), "ERROR");
  EXPECT_EQ(gHttpRequest, nullptr) << "a completed request is released";
  EXPECT_EQ(HttpGet("", false), "");
  EXPECT_EQ(env.http.sent.size(), 4u) << "an empty address sends nothing";
}

TEST_F(HttpFetch, ABodyEndingInALoneLeadByteFailsAtOnce) {
  FakeReply r;
  r.body = "abc\xD6";
  env.http.Reply("http://s/", r);
  EXPECT_EQ(HttpGet("http://s/x", false), "ERROR");
  EXPECT_LT(env.pump.waitedSeconds, 1.0);
  EXPECT_EQ(gHttpRequest, nullptr);
}

TEST_F(HttpFetch, ARequestThatNeverCompletesEndsAfterTheLimitAndItsObjectIsReused) {
  FakeReply never;
  never.never = true;
  env.http.Reply("http://s/slow", never);
  double start = env.clock.MonotonicSeconds();
  EXPECT_EQ(HttpGet("http://s/slow", false), "ERROR");
  double waited = env.clock.MonotonicSeconds() - start;
  EXPECT_GE(waited, 30.0);
  EXPECT_LT(waited, 30.5);
  EXPECT_NE(gHttpRequest, nullptr) << "the unfinished request keeps its object";
  EXPECT_EQ(env.http.aborted, std::vector<std::string>{"http://s/slow"})
      << "the transfer nobody waits for goes on";
  env.http.ReplyText("http://s/fast", "ok");
  EXPECT_EQ(HttpGet("http://s/fast", false), "ok");
  EXPECT_EQ(env.http.created, 1) << "the next fetch reuses the abandoned object";
}

TEST_F(HttpFetch, WaitsWithoutSpinningAndKeepsEventsRunning) {
  FakeReply slow;
  slow.looks = 20;
  slow.body = "done";
  env.http.Reply("http://s/", slow);
  int ticks = 0;
  env.pump.onPump = [&] { ++ticks; };
  EXPECT_EQ(HttpGet("http://s/x", false), "done");
  EXPECT_GE(env.pump.waits, 20) << "each look waits on the pump instead of spinning";
  EXPECT_GT(ticks, 20);
}

// A handler that runs while a fetch waits sends a fetch of its own: that
// one re-opens the shared request, so the waiting fetch never gets its own
// answer. It fails rather than hand its caller the other fetch's answer,
// whether its request was still under way or had completed and was being
// read; the other fetch keeps its own result, and an unfinished request of
// that fetch keeps its object for the next one.
TEST_F(HttpFetch, AFetchWhoseRequestAnotherFetchTookOverFails) {
  struct Case {
    const char* what;
    int looks;  // of the first request before it completes
    // When the second fetch is sent: on the first wait for the answer, or
    // on the first of the pumps made once the answer is in (before the body
    // is read).
    bool onWait;
    bool secondAnswers;
  } cases[] = {
      {"while the first is under way", 5, true, true},
      {"while the first's completed answer is read", 0, false, true},
      {"while the first's answer is read, and never answered", 0, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeReply first;
    first.looks = c.looks;
    first.body = "first";
    env.http.Reply("http://s/first", first);
    FakeReply second;
    second.body = "second";
    second.never = !c.secondAnswers;
    env.http.Reply("http://s/second", second);
    env.pump.pumps = 0;
    env.pump.waits = 0;
    std::string inner;
    bool sent = false;
    env.pump.onPump = [&] {
      const bool now = c.onWait ? env.pump.waits == 1 : env.pump.pumps == 3;
      if (sent || !now) return;
      sent = true;
      inner = HttpGet("http://s/second", false);
    };
    EXPECT_EQ(HttpGet("http://s/first", false), "ERROR");
    env.pump.onPump = nullptr;
    const std::string expected = c.secondAnswers ? "second" : "ERROR";
    EXPECT_EQ(inner, expected);
    EXPECT_EQ(gHttpResult, expected);
    EXPECT_EQ(gHttpRequest != nullptr, !c.secondAnswers);
    // The next fetch gets its own answer.
    EXPECT_EQ(HttpGet("http://s/first", false), "first");
  }
}

TEST_F(HttpFetch, BytesToStringPairsEveryHighByte) {
  EXPECT_EQ(BytesToString("abc"), "abc");
  EXPECT_EQ(BytesToString(Utf8ToAnsi("代码测试成功！")), "代码测试成功！");
  // 0x80 is no GBK lead byte: the pair becomes one replacement character.
  EXPECT_EQ(BytesToString("\x80" "A" "b"), "\xEF\xBF\xBD" "b");
  EXPECT_THROW(BytesToString("a\xB0"), std::runtime_error);
}

TEST_F(HttpFetch, DelayWaitsTwentyMillisecondsPerStepUntilStopped) {
  double start = env.clock.MonotonicSeconds();
  Delay(50);
  EXPECT_NEAR(env.clock.MonotonicSeconds() - start, 1.0, 0.01);
  start = env.clock.MonotonicSeconds();
  Delay(0);
  Delay(-3);
  EXPECT_EQ(env.clock.MonotonicSeconds(), start);
  int steps = 0;
  env.pump.onPump = [&] {
    if (++steps == 6) gStopWaiting = true;
  };
  Delay(1000);
  EXPECT_LT(env.clock.MonotonicSeconds() - start, 0.2);
}

}  // namespace
}  // namespace lumaro
