// What a hostile page can and cannot make the browser do: its own schemes
// reach the navigation handler (which alone may hand them on), addresses of
// other schemes are not loaded by the program, and no window opens without
// the user's click.
#include <string>
#include <vector>

#include "platform/browser_harness.h"
#include "platform/platform_fixture.h"
#include "platform/ui_helpers.h"

namespace lumaro::platform_test {
namespace {

class HostilePagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_DISPLAY();
    server_.Page("/handover", R"HTML(<html><body>
        <a id="chat" href="tencent://message/?uin=12345&amp;Site=x&amp;Menu=yes">chat</a>
        </body></html>)HTML");
    server_.Page("/popup", R"HTML(<html><body onload="window.open('/target')">
        <a id="blank" target="_blank" href="/target">new</a></body></html>)HTML");
    server_.Page("/target", "<html><body>target</body></html>");
    server_.Start();
  }
  LocalServer server_;
};

TEST_F(HostilePagesTest, TheMessengersSchemeReachesTheNavigationHandler) {
  Harness h;
  ASSERT_TRUE(h.Load(server_.Url("/handover")));
  h.decide = [](BeforeNavigateArgs& args) {
    if (args.url.rfind("tencent:", 0) == 0) args.cancel = true;
  };
  PageScript(h.web, "document.getElementById('chat').click()");
  ASSERT_TRUE(RunUntil([&] { return h.Find("tencent://message/?uin=12345&Site=x&Menu=yes"); }));
  EXPECT_EQ(h.web->LocationUrl(), server_.Url("/handover"));
}

TEST_F(HostilePagesTest, TheProgramLoadsWebAddressesOnly) {
  Harness h;
  ASSERT_TRUE(h.Load(server_.Url("/target")));
  for (const char* address : {"file:///etc/passwd", "javascript:document.title='x'",
                              "smb://host/share", "tencent://message/?uin=1", "data:text/html,x"}) {
    SCOPED_TRACE(address);
    h.navigations.clear();
    h.web->Navigate2(address);
    // Whatever the browser was asked to load has reached the page.
    ASSERT_TRUE(PageCaughtUp(h.web));
    EXPECT_TRUE(h.navigations.empty());
    EXPECT_EQ(h.web->LocationUrl(), server_.Url("/target"));
    EXPECT_EQ(PageScript(h.web, "document.title"), "");
  }
  h.web->Navigate2("about:blank");
  EXPECT_TRUE(RunUntil([&] { return h.web->LocationUrl() == "about:blank"; }));
}

TEST_F(HostilePagesTest, NoWindowOpensWithoutTheUsersClick) {
  Harness h;
  int requests = 0;
  h.web->onNewWindow2 = [&](NewWindowArgs& args) {
    ++requests;
    args.cancel = true;
  };
  ASSERT_TRUE(h.Load(server_.Url("/popup")));
  // The page asks for its window in its load event, before its load
  // completes; by the time the page has caught up, the request has been
  // handled.
  ASSERT_TRUE(PageCaughtUp(h.web));
  EXPECT_EQ(requests, 0) << "the page opened a window by itself";
  if (!HaveXdotool()) GTEST_SKIP() << "needs xdotool for the click";
  h.ClickElement("blank");
  EXPECT_TRUE(RunUntil([&] { return requests == 1; })) << "the user's click opened nothing";
}

}  // namespace
}  // namespace lumaro::platform_test
