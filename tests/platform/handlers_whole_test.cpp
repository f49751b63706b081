// Handlers run whole on the real desktop: while a handler reads and writes
// its page, the user's keys, the page's own requests (a navigation, closing
// the window) and the program's timers wait for it and come afterwards, in
// their order.
#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "platform/browser_harness.h"
#include "platform/platform_fixture.h"
#include "platform/ui_helpers.h"

namespace lumaro::platform_test {
namespace {

class HandlersWholeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_DISPLAY();
    if (!HaveXdotool()) GTEST_SKIP() << "needs xdotool";
    server_.Page("/amount", R"HTML(<html><body>
        <input id="useM" value=""><div id="tpd"></div></body></html>)HTML");
    server_.Page("/leave", R"HTML(<html><body>
        <p id="go" onclick="location.href='/next'">去下一页</p>
        <p id="closer" onclick="window.close()">关闭</p></body></html>)HTML");
    server_.Page("/next", "<html><body>next</body></html>");
    server_.Start();
  }

  // What a slow machine makes of one page read: several round trips.
  static void SlowPageWork(IDocument& doc, int calls) {
    for (int i = 0; i < calls; ++i) doc.Exists("nothing-" + std::to_string(i));
  }

  LocalServer server_;
};

TEST_F(HandlersWholeTest, KeysTypedWhileTheKeyUpHandlerRewritesTheFieldAreAllKept) {
  Harness h;
  ASSERT_TRUE(h.Load(server_.Url("/amount")));
  int depth = 0, deepest = 0, handled = 0;
  // Reads the field, works on it for a while, writes it back: any key that
  // reached the page in between would be lost by the write.
  h.web->onDocumentKeyUp = [&] {
    ++depth;
    deepest = std::max(deepest, depth);
    IDocument& doc = h.web->Document();
    if (doc.ActiveElementId() == "useM") {
      const std::string typed = doc.Value("useM");
      SlowPageWork(doc, 6);
      doc.SetValue("useM", typed);
      doc.SetInnerHtml("tpd", typed);
      ++handled;
    }
    --depth;
  };
  h.web->Document().Focus("useM");
  const std::string digits = "2468135790";
  // xdotool types while the loop stands still: the keys arrive as a burst.
  TypeText(digits);
  ASSERT_TRUE(RunUntil([&] { return handled >= int(digits.size()); }, 20))
      << "key-ups handled: " << handled;
  EXPECT_EQ(PageScript(h.web, "document.getElementById('useM').value"), digits);
  EXPECT_EQ(PageScript(h.web, "document.getElementById('tpd').textContent"), digits);
  EXPECT_EQ(deepest, 1) << "a key-up handler ran inside another";
}

TEST_F(HandlersWholeTest, ANavigationOrAClosePageScriptAsksForWaitsForTheRunningHandler) {
  struct Case {
    const char* element;
    const char* after;  // what the page's request shows up as, after the handler
  } cases[] = {{"go", "navigate"}, {"closer", "closed"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element);
    Harness h;
    ASSERT_TRUE(h.Load(server_.Url("/leave")));
    std::vector<std::string> log;
    h.web->onDocumentClick = [&] {
      log.push_back(h.window->Busy() ? "click (busy)" : "click (idle?)");
      SlowPageWork(h.web->Document(), 40);
      EXPECT_TRUE(h.window->IsOpen());
      log.push_back("click done");
    };
    h.decide = [&](BeforeNavigateArgs& args) {
      if (args.url.find("/next") != std::string::npos) log.push_back("navigate");
    };
    h.window->onClosed = [&] { log.push_back("closed"); };
    h.ClickElement(c.element);
    ASSERT_TRUE(RunUntil([&] { return log.size() >= 3; })) << ::testing::PrintToString(log);
    EXPECT_EQ(log, (std::vector<std::string>{"click (busy)", "click done", c.after}));
    EXPECT_FALSE(h.window->Busy());
    if (std::string(c.after) == "navigate") {
      EXPECT_TRUE(h.WaitComplete(server_.Url("/next")));
    }
  }
}

TEST_F(HandlersWholeTest, TimersDoNotTickInsideAPageCall) {
  Harness h;
  ASSERT_TRUE(h.Load(server_.Url("/amount")));
  ITimer* timer = h.window->AddTimer("Timer1", 1, true);
  bool inside = false, tickedInside = false;
  int ticks = 0;
  timer->onTick = [&] {
    if (inside) tickedInside = true;
    ++ticks;
  };
  inside = true;
  SlowPageWork(h.web->Document(), 40);
  inside = false;
  EXPECT_FALSE(tickedInside);
  EXPECT_TRUE(RunUntil([&] { return ticks > 0; }));
}

}  // namespace
}  // namespace lumaro::platform_test
