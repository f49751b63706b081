// The keys people know from web browsers, in a window's page: reload
// (judged by the navigation handler like the navigation it repeats),
// history, zoom and the find bar; a browser that does not show the window's
// page takes none.
#include <gtk/gtk.h>

#include <string>

#include "platform/browser_harness.h"
#include "platform/platform_fixture.h"
#include "platform/top_window.h"
#include "platform/ui_helpers.h"

namespace lumaro::platform_test {
namespace {

GtkWidget* FindNamed(GtkWidget* root, const char* name) {
  for (GtkWidget* widget : WidgetsUnder(root))
    if (g_strcmp0(gtk_widget_get_name(widget), name) == 0) return widget;
  return nullptr;
}

GtkWidget* FirstOfType(GtkWidget* root, GType type) {
  for (GtkWidget* widget : WidgetsUnder(root))
    if (G_TYPE_CHECK_INSTANCE_TYPE(widget, type)) return widget;
  return nullptr;
}

class PageKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_DISPLAY();
    if (!HaveXdotool()) GTEST_SKIP() << "needs xdotool";
    server_.Page("/p1", "<html><body><p>第一页 访客 访客</p></body></html>");
    server_.Page("/p2", "<html><body><p>第二页 visit Visitor VISITS</p>"
                        "<form method=post action=/saved><input name=n value=x>"
                        "<input type=submit id=go></form></body></html>");
    server_.server().Post("/saved", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<html><body>saved</body></html>", "text/html");
    });
    server_.Start();
    style_.pageKeys = true;
  }

  // Puts the keyboard into the page (a click in its margin), then the keys.
  void Keys(Harness& h, const std::string& keys) {
    ClickWidget(gtk::NativeControlOf(h.window.get(), "web"), 5, 300);
    PressKeys(keys);
  }

  WebKitWebView* View(Harness& h) {
    return dynamic_cast<gtk::WebkitBrowser*>(h.web)->View();
  }

  LocalServer server_;
  ControlStyle style_;
};

TEST_F(PageKeysTest, ReloadAndHistoryKeysDoWhatTheToolbarDoes) {
  Harness h("frmAdmin", style_);
  ASSERT_TRUE(h.Load(server_.Url("/p1")));
  ASSERT_TRUE(h.Load(server_.Url("/p2")));
  struct Case {
    const char* keys;
    const char* lands;
    int p2Hits;  // requests of /p2 after the key
  } cases[] = {
      // Going forward may show the page kept from before, without a request.
      {"F5", "/p2", 2}, {"ctrl+r", "/p2", 3}, {"alt+Left", "/p1", 3}, {"alt+Right", "/p2", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    h.completes.clear();
    Keys(h, c.keys);
    EXPECT_TRUE(h.WaitComplete(server_.Url(c.lands)));
    if (c.p2Hits >= 0) {
      EXPECT_TRUE(RunUntil([&] { return server_.Hits("/p2") == c.p2Hits; })) << server_.Hits("/p2");
    }
    EXPECT_EQ(h.web->LocationUrl(), server_.Url(c.lands));
  }
  // Every reload went through the navigation handler.
  int reloads = 0;
  for (const auto& n : h.navigations) reloads += n.url == server_.Url("/p2");
  EXPECT_GE(reloads, 3);
}

TEST_F(PageKeysTest, AReloadOfAPostIsJudgedWithTheBodyItPostsAgain) {
  Harness h("frmAdmin", style_);
  ASSERT_TRUE(h.Load(server_.Url("/p2")));
  h.ClickElement("go");
  ASSERT_TRUE(h.WaitComplete(server_.Url("/saved")));
  ASSERT_NE(h.Find(server_.Url("/saved")), nullptr);
  EXPECT_EQ(h.Find(server_.Url("/saved"))->postText, "n=x");
  h.navigations.clear();
  bool cancelled = false;
  h.decide = [&](BeforeNavigateArgs& args) {
    args.cancel = true;
    cancelled = true;
  };
  Keys(h, "F5");
  ASSERT_TRUE(RunUntil([&] { return cancelled; })) << "the reload was not judged";
  ASSERT_EQ(h.navigations.size(), 1u);
  EXPECT_EQ(h.navigations[0].url, server_.Url("/saved"));
  EXPECT_EQ(h.navigations[0].postText, "n=x");
}

TEST_F(PageKeysTest, ZoomStepsAndComesBack) {
  Harness h("frmAdmin", style_);
  ASSERT_TRUE(h.Load(server_.Url("/p1")));
  Keys(h, "ctrl+plus");
  EXPECT_TRUE(RunUntil([&] { return webkit_web_view_get_zoom_level(View(h)) > 1.05; }));
  PressKeys("ctrl+minus");
  PressKeys("ctrl+minus");
  EXPECT_TRUE(RunUntil([&] { return webkit_web_view_get_zoom_level(View(h)) < 0.95; }));
  PressKeys("ctrl+0");
  EXPECT_TRUE(RunUntil([&] { return webkit_web_view_get_zoom_level(View(h)) == 1.0; }));
}

TEST_F(PageKeysTest, ZoomReachesThePagesOfOtherWindowsAtOnce) {
  Harness other("frmViewMemo", style_);
  ASSERT_TRUE(other.Load(server_.Url("/p1")));
  Harness h("frmAdmin", style_);
  ASSERT_TRUE(h.Load(server_.Url("/p2")));
  Keys(h, "ctrl+plus");
  ASSERT_TRUE(RunUntil([&] { return webkit_web_view_get_zoom_level(View(h)) > 1.05; }));
  EXPECT_EQ(webkit_web_view_get_zoom_level(View(other)), webkit_web_view_get_zoom_level(View(h)));
  PressKeys("ctrl+0");
  ASSERT_TRUE(RunUntil([&] { return webkit_web_view_get_zoom_level(View(h)) == 1.0; }));
  EXPECT_EQ(webkit_web_view_get_zoom_level(View(other)), 1.0);
}

TEST_F(PageKeysTest, TheFindBarCountsMatchesAndEscapeClosesIt) {
  Harness h("frmAdmin", style_);
  ASSERT_TRUE(h.Load(server_.Url("/p2")));
  GtkWidget* bar = FindNamed(gtk::NativeWindowOf(h.window.get()), "lumaro-find-bar");
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(gtk_widget_get_visible(bar));
  Keys(h, "ctrl+f");
  ASSERT_TRUE(RunUntil([&] { return gtk_widget_get_visible(bar); })) << "no find bar";
  TypeText("visitor");
  GtkWidget* count = FirstOfType(bar, GTK_TYPE_LABEL);
  auto counted = [&](const char* text) {
    return g_strcmp0(gtk_label_get_text(GTK_LABEL(count)), text) == 0;
  };
  EXPECT_TRUE(RunUntil([&] { return counted("1 个匹配"); }))
      << gtk_label_get_text(GTK_LABEL(count));
  PressKeys("ctrl+a");
  PressKeys("BackSpace");
  TypeText("visit");
  EXPECT_TRUE(RunUntil([&] { return counted("3 个匹配"); }))
      << gtk_label_get_text(GTK_LABEL(count));
  PressKeys("Escape");
  EXPECT_TRUE(RunUntil([&] { return !gtk_widget_get_visible(bar); })) << "Escape left it open";
  EXPECT_TRUE(h.window->IsOpen());
}

TEST_F(PageKeysTest, ABrowserThatDoesNotShowTheWindowsPageTakesNoKeys) {
  Harness h("frmReg");  // no page keys
  ASSERT_TRUE(h.Load(server_.Url("/p1")));
  const int hits = server_.Hits("/p1");
  h.navigations.clear();
  Keys(h, "F5");
  PressKeys("ctrl+f");
  // A reload would have been judged before the page answers what is sent
  // to it after the keys.
  ASSERT_TRUE(PageCaughtUp(h.web));
  EXPECT_TRUE(h.navigations.empty());
  EXPECT_EQ(server_.Hits("/p1"), hits);
  GtkWidget* bar = FindNamed(gtk::NativeWindowOf(h.window.get()), "lumaro-find-bar");
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(gtk_widget_get_visible(bar));
}

}  // namespace
}  // namespace lumaro::platform_test
