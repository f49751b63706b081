// The embedded browser's contract: navigation events with post bodies and
// frames, cancelling, handlers that wait, the document operations, new
// windows, script closing, document events and history.
#include <gtk/gtk.h>

#include <mutex>

#include "platform/browser_harness.h"
#include "platform/platform_fixture.h"
#include "platform/top_window.h"
#include "platform/ui_helpers.h"
#include "platform/web_text/browser_address.h"
#include "platform/web_text/form_body.h"
#include "platform/web_text/js_string.h"
#include "platform/webkit/webkit_browser.h"
#include "platform/webkit/webkit_downloads.h"

namespace lumaro::platform_test {
namespace {

using gtk::WebkitBrowser;

// GTK's top-level windows, shown or not.
guint CountToplevels() {
  GList* all = gtk_window_list_toplevels();
  const guint n = g_list_length(all);
  g_list_free(all);
  return n;
}

const char* kFormPage = R"HTML(<html><head><meta charset="gbk"><title>网站</title></head><body>
<a id="link" href="/page2?x=1">下一页</a>
<form method="post" action="/save.asp">
  <input name="n" value="网站"><input name="u" value="http://a.b/">
  <input type="hidden" name="hid" value="1">
  <input type="submit" id="sub" name="btn" value="提交">
</form>
<button id="scripted" onclick="document.forms[0].submit()">script</button>
</body></html>)HTML";

class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_DISPLAY();
    server_.Page("/page1", kFormPage);
    server_.Page("/page2", "<html><body><p id=p>第二页</p></body></html>");
    server_.Page("/page3", "<html><body>三</body></html>");
    server_.Page("/frames", R"HTML(<html><body>
        <iframe id="f1" name="left" src="/frame1"></iframe>
        <iframe id="f2" src="/frame2"></iframe>
        <a id="toleft" target="left" href="/frame3">in frame</a></body></html>)HTML");
    server_.Page("/frame1", "<html><body><a id=fl href='/frame3'>f</a></body></html>");
    server_.Page("/frame2", "<html><body>frame two</body></html>");
    server_.Page("/frame3", "<html><body>frame three</body></html>");
    server_.server().Post("/save.asp", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard<std::mutex> lock(mutex_);
      posted_.push_back(req.body);
      res.set_content("saved", "text/plain");
    });
    server_.Start();
  }

  std::vector<std::string> Posted() {
    std::lock_guard<std::mutex> lock(mutex_);
    return posted_;
  }

  LocalServer server_;
  std::mutex mutex_;
  std::vector<std::string> posted_;
};

// The body as this platform reports it, and as the server receives it:
// GBK bytes, percent-encoded.
const char* kPostedBody = "n=%CD%F8%D5%BE&u=http%3A%2F%2Fa.b%2F&hid=1&btn=%CC%E1%BD%BB";

TEST_F(BrowserTest, LinkClickReportsTheAddressWithoutABody) {
  Harness h;
  ASSERT_TRUE(h.Load(server_.Url("/page1")));
  h.navigations.clear();
  h.ClickElement("link");
  ASSERT_TRUE(h.WaitComplete(server_.Url("/page2?x=1")));
  const Navigation* n = h.Find(server_.Url("/page2?x=1"));
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->postText, "");
  EXPECT_EQ(h.web->LocationUrl(), server_.Url("/page2?x=1"));
}

TEST_F(BrowserTest, FormPostsReportTheBodyTheServerReceives) {
  struct Case {
    const char* how;
    std::function<void(Harness&)> submit;
    std::string body;
  } cases[] = {
      {"submit button", [](Harness& h) { h.ClickElement("sub"); }, kPostedBody},
      {"page calls form.submit()", [](Harness& h) { h.ClickElement("scripted"); },
       "n=%CD%F8%D5%BE&u=http%3A%2F%2Fa.b%2F&hid=1"},
      {"SubmitFirstForm", [](Harness& h) { h.web->Document().SubmitFirstForm(); },
       "n=%CD%F8%D5%BE&u=http%3A%2F%2Fa.b%2F&hid=1"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.how);
    Harness h;
    ASSERT_TRUE(h.Load(server_.Url("/page1")));
    h.navigations.clear();
    const size_t before = Posted().size();
    c.submit(h);
    ASSERT_TRUE(h.WaitComplete(server_.Url("/save.asp")));
    const Navigation* n = h.Find(server_.Url("/save.asp"));
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->postText, c.body);
      ASSERT_EQ(Posted().size(), before + 1);
    EXPECT_EQ(Posted().back(), c.body);
    EXPECT_EQ(h.submittedForms, 1);
    // The body belongs to that post alone: the next link carries none.
    h.navigations.clear();
    h.web->Navigate(server_.Url("/page2"));
    ASSERT_TRUE(h.WaitComplete(server_.Url("/page2")));
    ASSERT_NE(h.Find(server_.Url("/page2")), nullptr);
    EXPECT_EQ(h.Find(server_.Url("/page2"))->postText, "");
  }
}

TEST_F(BrowserTest, CancelStopsTheNavigation) {
  Harness h;
  ASSERT_TRUE(h.Load(server_.Url("/page1")));
  h.decide = [](BeforeNavigateArgs& args) {
    if (args.url.find("save.asp") != std::string::npos) args.cancel = true;
  };
  h.ClickElement("sub");
  ASSERT_TRUE(RunUntil([&] { return h.Find(server_.Url("/save.asp")) != nullptr; }))
      << "the post was not judged";
  // The decision has reached the page: a form let through would have been
  // reported by now.
  ASSERT_TRUE(PageCaughtUp(h.web));
  EXPECT_EQ(h.submittedForms, 0);
  EXPECT_TRUE(Posted().empty());
  EXPECT_EQ(h.web->LocationUrl(), server_.Url("/page1"));
  EXPECT_EQ(h.web->Document().Value("n"), "网站") << "the page stays as it was";
}

// The guard's pattern: a modal window first, page fields read and written,
// then the decision; other events go on meanwhile.
TEST_F(BrowserTest, HandlerMayWaitInAModalWindowAndUseTheDocumentBeforeDeciding) {
  Harness h;
  ASSERT_TRUE(h.Load(server_.Url("/page1")));
  ITimer* ticker = h.window->AddTimer("Timer1", 20, true);
  int ticks = 0;
  ticker->onTick = [&] { ++ticks; };
  std::string seen;
  bool decided = false;
  h.decide = [&](BeforeNavigateArgs& args) {
    if (args.url.find("save.asp") == std::string::npos) return;
    const int before = ticks;
    AnswerDialogWhen([&ticks, before] { return ticks > before + 3; }, GTK_RESPONSE_YES);
    MsgResult answer = Desktop().dialogs->MessageBox("确定要删除当前网站吗?", "Lumaro提醒您",
                                                 MsgIcon::Information, MsgButtons::YesNo);
    EXPECT_GT(ticks, before + 3);
    seen = h.web->Document().Value("n");
    h.web->Document().SetValue("u", "");
    try {
      h.web->Document().Focus("hid");
    } catch (const DocumentError&) {
      seen += "|hidden field refused the focus";
    }
    h.web->Document().Focus("u");
    if (answer == MsgResult::Yes) args.cancel = true;
    decided = true;
  };
  h.ClickElement("sub");
  ASSERT_TRUE(RunUntil([&] { return decided; })) << "the post was not judged";
  ASSERT_TRUE(PageCaughtUp(h.web));
  EXPECT_EQ(h.submittedForms, 0);
  EXPECT_EQ(seen, "网站|hidden field refused the focus");
  EXPECT_TRUE(Posted().empty());
  EXPECT_EQ(h.web->Document().Value("u"), "");
  EXPECT_EQ(h.web->Document().ActiveElementId(), "");  // "u" has a name, no id
  EXPECT_EQ(PageScript(h.web, "document.activeElement.name"), "u");
}

TEST_F(BrowserTest, FramesReportTheirNavigationsAndCompletedLoads) {
  Harness h;
  ASSERT_TRUE(h.Load(server_.Url("/frames")));
  ASSERT_TRUE(h.WaitComplete(server_.Url("/frame1")));
  ASSERT_TRUE(h.WaitComplete(server_.Url("/frame2")));
  for (const char* page : {"/frames", "/frame1", "/frame2"}) {
    SCOPED_TRACE(page);
    EXPECT_NE(h.Find(server_.Url(page)), nullptr);
  }
  // The frames complete before the page that holds them.
  EXPECT_EQ(h.completes.back(), server_.Url("/frames"));

  struct Case {
    const char* how;
    std::string script;
  } cases[] = {
      {"link inside a frame", "frames[0].document.getElementById('fl').click()"},
      {"link aimed at a named frame", "document.getElementById('toleft').click()"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.how);
    h.navigations.clear();
    h.completes.clear();
    PageScript(h.web, c.script);
    ASSERT_TRUE(h.WaitComplete(server_.Url("/frame3")));
    EXPECT_NE(h.Find(server_.Url("/frame3")), nullptr);
    EXPECT_EQ(h.web->LocationUrl(), server_.Url("/frames"));
    PageScript(h.web, "frames[0].location.replace('/frame1')");
    ASSERT_TRUE(h.WaitComplete(server_.Url("/frame1")));
  }
}

TEST_F(BrowserTest, DocumentOperations) {
  server_.Page("/doc", R"HTML(<html><body>
      <input name="n" value="网站"><input id="useM" value="3">
      <select name="ttype"><option value="1">a</option><option value="2" selected>b</option></select>
      <textarea name="memo">多行</textarea>
      <div id="idM1"><b>0</b>元</div>
      <input type="checkbox" name="id" value="7"><input type="checkbox" name="id" value="8">
      <input type="hidden" name="hid" value="h">
      <input name="gone" style="display:none" value="g">
      <input name="off" disabled value="d">
      <form><input name="inform"></form></body></html>)HTML");
  Harness h;
  ASSERT_TRUE(h.Load(server_.Url("/doc")));
  IDocument& doc = h.web->Document();

  EXPECT_TRUE(doc.Exists("n"));
  EXPECT_TRUE(doc.Exists("useM"));
  EXPECT_TRUE(doc.Exists("id"));
  EXPECT_FALSE(doc.Exists("missing"));

  struct ValueCase {
    const char* name;
    std::string value;
  } values[] = {{"n", "网站"}, {"useM", "3"}, {"ttype", "2"}, {"memo", "多行"}, {"id", "7"},
                {"hid", "h"}};
  for (auto& v : values) EXPECT_EQ(doc.Value(v.name), v.value) << v.name;

  doc.SetValue("useM", "12");
  EXPECT_EQ(doc.Value("useM"), "12");
  EXPECT_EQ(PageScript(h.web, "document.getElementById('useM').value"), "12");

  EXPECT_EQ(doc.InnerHtml("idM1"), "<b>0</b>元");
  // Writes go to the page with the next operation that needs an answer.
  doc.SetInnerHtml("idM1", "360元");
  EXPECT_TRUE(doc.Exists("idM1"));
  EXPECT_EQ(PageScript(h.web, "document.getElementById('idM1').textContent"), "360元");
  doc.SetDisplay("idM1", "none");
  EXPECT_TRUE(doc.Exists("idM1"));
  EXPECT_EQ(PageScript(h.web, "getComputedStyle(document.getElementById('idM1')).display"),
            "none");
  doc.SetDisplay("idM1", "block");
  dynamic_cast<gtk::WebkitDocument&>(h.web->Document()).Flush();
  EXPECT_EQ(PageScript(h.web, "getComputedStyle(document.getElementById('idM1')).display"),
            "block");
  // A failing write is reported by the next operation, and the writes after
  // it do not happen.
  doc.SetValue("missing", "1");
  doc.SetValue("useM", "99");
  EXPECT_THROW(doc.Exists("useM"), DocumentError);
  EXPECT_EQ(doc.Value("useM"), "12");

  doc.Focus("useM");
  EXPECT_EQ(doc.ActiveElementId(), "useM");
  EXPECT_NE(doc.BodyInnerHtml().find("<textarea name=\"memo\">"), std::string::npos);
  EXPECT_NE(doc.BodyText().find("360元"), std::string::npos);

  // Every failure is a DocumentError.
  std::vector<std::pair<const char*, std::function<void()>>> failures = {
      {"value of a missing element", [&] { doc.Value("missing"); }},
      {"value of an element without one", [&] { doc.Value("idM1"); }},
      {"setting a missing element", [&] { doc.SetValue("missing", "1"), doc.Exists("n"); }},
      {"setting an element without a value", [&] { doc.SetValue("idM1", "1"), doc.Exists("n"); }},
      {"inner html of a missing element", [&] { doc.InnerHtml("missing"); }},
      {"display of a missing element", [&] { doc.SetDisplay("missing", "none"), doc.Exists("n"); }},
      {"focus on a hidden field", [&] { doc.Focus("hid"); }},
      {"focus on an undisplayed field", [&] { doc.Focus("gone"); }},
      {"focus on a disabled field", [&] { doc.Focus("off"); }},
      {"focus on a missing element", [&] { doc.Focus("missing"); }},
  };
  for (auto& [what, op] : failures) EXPECT_THROW(op(), DocumentError) << what;
  EXPECT_EQ(doc.ActiveElementId(), "useM") << "failed focus moves nothing";
}

TEST_F(BrowserTest, DocumentOfAnEmptyBrowserFails) {
  Harness h;
  EXPECT_THROW(h.web->Document().Exists("n"), DocumentError);
  EXPECT_THROW(h.web->Document().BodyText(), DocumentError);
  EXPECT_THROW(h.web->Document().SubmitFirstForm(), DocumentError);
  EXPECT_EQ(h.web->LocationUrl(), "");
  h.web->Navigate("   ");  // nothing to load
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_TRUE(h.navigations.empty());
  EXPECT_EQ(h.web->LocationUrl(), "");
  // An address given after it is the first navigation the browser reports.
  ASSERT_TRUE(h.Load(server_.Url("/page2")));
  ASSERT_FALSE(h.navigations.empty());
  EXPECT_EQ(h.navigations[0].url, server_.Url("/page2"));
}

TEST_F(BrowserTest, TextAnswersReadAsRawText) {
  server_.server().Get("/plain", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(Gbk("ok||1||2||3"), "text/plain; charset=gbk");
  });
  Harness h;
  ASSERT_TRUE(h.Load(server_.Url("/plain")));
  EXPECT_EQ(h.web->Document().BodyText(), "ok||1||2||3");
}

TEST_F(BrowserTest, NewWindowOpensInTheBrowserTheHandlerNames) {
  server_.Page("/opener", R"HTML(<html><body>
      <a id="blank" target="_blank" href="/target?n=1">new</a>
      <a id="blank2" target="_blank" href="/target?n=2">new</a></body></html>)HTML");
  server_.Page("/target", "<html><body><p id=p>目标</p></body></html>");
  Harness opener("frmSys");
  Harness viewer("frmView");
  ASSERT_TRUE(opener.Load(server_.Url("/opener")));
  int requests = 0;
  opener.web->onNewWindow2 = [&](NewWindowArgs& args) {
    ++requests;
    args.target = viewer.web;
  };
  PageScript(opener.web, "document.getElementById('blank').click()");
  ASSERT_TRUE(viewer.WaitComplete(server_.Url("/target?n=1")));
  EXPECT_EQ(requests, 1);
  EXPECT_NE(viewer.Find(server_.Url("/target?n=1")), nullptr);
  EXPECT_EQ(viewer.web->Document().InnerHtml("p"), "目标");
  EXPECT_EQ(opener.web->LocationUrl(), server_.Url("/opener"));

  // A second request replaces the page there the same way.
  PageScript(opener.web, "document.getElementById('blank2').click()");
  ASSERT_TRUE(viewer.WaitComplete(server_.Url("/target?n=2")));
  EXPECT_EQ(viewer.web->LocationUrl(), server_.Url("/target?n=2"));

  // A cancelled request opens nothing: no window (a window of its own would
  // be made while the request is decided) and no load. A request let
  // through after it loads its page alone.
  int cancelled = 0;
  opener.web->onNewWindow2 = [&](NewWindowArgs& args) {
    ++cancelled;
    args.cancel = true;
  };
  const guint windows = CountToplevels();
  const int hits = server_.Hits("/target");
  PageScript(opener.web, "document.getElementById('blank').click()");
  ASSERT_TRUE(RunUntil([&] { return cancelled == 1; })) << "no new-window request";
  EXPECT_EQ(CountToplevels(), windows);
  opener.web->onNewWindow2 = [&](NewWindowArgs& args) { args.target = viewer.web; };
  viewer.completes.clear();
  PageScript(opener.web, "document.getElementById('blank2').click()");
  ASSERT_TRUE(viewer.WaitComplete(server_.Url("/target?n=2")));
  EXPECT_EQ(viewer.completes, std::vector<std::string>{server_.Url("/target?n=2")});
  EXPECT_EQ(server_.Hits("/target"), hits + 1);
  EXPECT_EQ(CountToplevels(), windows);
  EXPECT_EQ(cancelled, 1);
}

TEST_F(BrowserTest, PageScriptClosingTheWindow) {
  server_.Page("/close", "<html><body><button id=c onclick='window.close()'>x</button></body></html>");
  for (bool keep : {true, false}) {
    SCOPED_TRACE(keep ? "cancelled" : "let through");
    Harness h("frmOpen");
    ASSERT_TRUE(h.Load(server_.Url("/close")));
    int asked = 0, closed = 0;
    h.web->onWindowClosing = [&](bool& cancel) {
      ++asked;
      cancel = keep;
    };
    h.window->onClosed = [&] { ++closed; };
    PageScript(h.web, "document.getElementById('c').click()");
    ASSERT_TRUE(RunUntil([&] { return asked > 0; })) << "the page's close was not asked about";
    // What the page did after its close has been handled.
    ASSERT_TRUE(keep ? PageCaughtUp(h.web) : RunUntilIdle());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(h.window->IsOpen(), keep);
    EXPECT_EQ(closed, keep ? 0 : 1);
  }
}

TEST_F(BrowserTest, DocumentClickAndKeyUpReachTheHost) {
  server_.Page("/pay", R"HTML(<html><body><input id="useM" value="1">
      <input type="radio" id="tryid" name="tryid" value="0"></body></html>)HTML");
  Harness h;
  ASSERT_TRUE(h.Load(server_.Url("/pay")));
  std::vector<std::string> events;
  h.web->onDocumentClick = [&] { events.push_back("click:" + h.web->Document().ActiveElementId()); };
  h.web->onDocumentKeyUp = [&] {
    events.push_back("keyup:" + h.web->Document().Value("useM"));
  };
  h.ClickElement("useM");
  ASSERT_TRUE(RunUntil([&] { return !events.empty(); })) << "no click reached the host";
  TypeText("2");
  ASSERT_TRUE(RunUntil([&] { return events.size() >= 2; })) << "no key-up reached the host";
  ASSERT_TRUE(PageCaughtUp(h.web));
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0], "click:useM");
  EXPECT_EQ(events[1], "keyup:12");
}

TEST_F(BrowserTest, HistoryMovesReportWhetherTheyCould) {
  Harness h;
  EXPECT_FALSE(h.web->GoBack());
  EXPECT_FALSE(h.web->GoForward());
  ASSERT_TRUE(h.Load(server_.Url("/page2")));
  ASSERT_TRUE(h.Load(server_.Url("/page3")));
  EXPECT_FALSE(h.web->GoForward());
  h.completes.clear();
  EXPECT_TRUE(h.web->GoBack());
  ASSERT_TRUE(h.WaitComplete(server_.Url("/page2")));
  EXPECT_FALSE(h.web->GoBack());
  h.completes.clear();
  EXPECT_TRUE(h.web->GoForward());
  ASSERT_TRUE(h.WaitComplete(server_.Url("/page3")));
  EXPECT_FALSE(h.web->GoForward());
  // Reloading runs the page again, judged by the handler as the navigation
  // it repeats.
  h.completes.clear();
  h.navigations.clear();
  h.web->Refresh();
  ASSERT_TRUE(h.WaitComplete(server_.Url("/page3")));
  ASSERT_EQ(h.navigations.size(), 1u);
  EXPECT_EQ(h.navigations[0].url, server_.Url("/page3"));
}

TEST_F(BrowserTest, AFailedLoadCompletesOnlyAsItsErrorPage) {
  Harness h;
  ASSERT_TRUE(h.Load(server_.Url("/page2")));
  const std::string dead = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x";
  h.completes.clear();
  h.web->Navigate(dead);
  ASSERT_TRUE(RunUntil([&] { return !h.completes.empty(); })) << "nothing completed";
  // What the page reported after its first completed load has been handled.
  ASSERT_TRUE(PageCaughtUp(h.web));
  for (const auto& url : h.completes) EXPECT_EQ(url, dead);
}

TEST_F(BrowserTest, SilentBrowserStillPassesAlertsAndConfirmationsOn) {
  // Silence is about script errors: a page's own alerts and confirmations
  // still reach the user. A handler after the browser's stands in for the
  // user here, answering yes.
  server_.Page("/alert", R"HTML(<html><body><script>
      alert('x'); document.title = confirm('y') ? 'yes' : 'no';</script></body></html>)HTML");
  Harness h;
  h.web->SetSilent(true);
  std::vector<std::string> shown;
  g_signal_connect(dynamic_cast<WebkitBrowser*>(h.web)->View(), "script-dialog",
                   G_CALLBACK(+[](WebKitWebView*, WebKitScriptDialog* dialog, gpointer data) {
                     static_cast<std::vector<std::string>*>(data)->push_back(
                         webkit_script_dialog_get_message(dialog));
                     if (webkit_script_dialog_get_dialog_type(dialog) ==
                         WEBKIT_SCRIPT_DIALOG_CONFIRM)
                       webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);
                     return gboolean(TRUE);
                   }),
                   &shown);
  ASSERT_TRUE(h.Load(server_.Url("/alert")));
  EXPECT_EQ(PageScript(h.web, "document.title"), "yes");
  EXPECT_EQ(shown, (std::vector<std::string>{"x", "y"}));
}

// A move with a negative width or height, either alone, is refused as a
// whole: the browser keeps its place and its size.
TEST_F(BrowserTest, MoveRefusesNegativeSizes) {
  Harness h;
  GtkWidget* holder = gtk::NativeControlOf(h.window.get(), "web");
  GtkWidget* client = gtk::NativeClientAreaOf(h.window.get());
  // What a move sets at once: the place in the window and the size asked for.
  auto placed = [&] {
    gint x = -1, y = -1, width = -1, height = -1;
    gtk_container_child_get(GTK_CONTAINER(gtk_widget_get_parent(holder)), holder, "x", &x, "y",
                            &y, nullptr);
    gtk_widget_get_size_request(holder, &width, &height);
    return std::vector<int>{x, y, width, height};
  };
  h.web->Move({150, 300, 4500, 3000});
  const std::vector<int> moved = {10, 20, 300, 200};
  ASSERT_EQ(placed(), moved);
  ASSERT_TRUE(RunUntil(
      [&] {
        const GdkRectangle r = PlaceInClient(holder, client);
        return r.x == 10 && r.y == 20 && r.width == 300 && r.height == 200;
      }));
  struct Case {
    const char* what;
    Rect move;
  } cases[] = {
      {"width alone", {0, 0, -150, 6000}},
      {"height alone", {0, 0, 6000, -150}},
      {"both", {0, 0, -15, -15}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    h.web->Move(c.move);
    EXPECT_EQ(placed(), moved);
  }
}

// The site checker's layout: its browser lies beneath a panel added later,
// with drawn buttons after both; the page must not show through.
TEST_F(BrowserTest, ControlsAddedLaterCoverTheBrowser) {
  server_.Page("/red", "<html><body style='background:#ff0000'>site</body></html>");
  WindowAttributes attributes;
  attributes.name = "frmCheckCode";
  attributes.clientWidth = 6075;
  attributes.clientHeight = 3690;
  attributes.frame = FrameKind::FixedDialog;
  auto w = Desktop().ui->CreateWindow(attributes);
  IBrowser* web1 = w->AddBrowser("web1", {1635, 570, 4620, 1365});
  w->AddPanel("Picture1", {0, 60, 9810, 2340});
  ControlStyle inPanel;
  inPanel.parent = "Picture1";
  w->AddLabel("Label1", {630, 390, 1575, 195}, "正在检测，请等待...", inPanel);
  w->AddProgButton("pbar", {540, 1065, 5250, 420}, inPanel);
  w->AddProgButton("Command1", {1275, 2790, 1185, 465});
  std::vector<std::string> completes;
  web1->onDocumentComplete = [&](const std::string& url) { completes.push_back(url); };
  web1->Navigate(server_.Url("/red"));
  ShowAndSettle(w.get());
  ASSERT_TRUE(RunUntil([&] { return !completes.empty(); }));
  ASSERT_TRUE(PagePaintedAndWindowRedrawn(w.get(), web1));
  GtkWidget* client = gtk::NativeClientAreaOf(w.get());
  EXPECT_EQ(PixelAt(client, 150, 60), 0xF0F0F0u);
  EXPECT_EQ(PixelAt(client, 390, 120), 0xF0F0F0u);
  w->Close();
}

// An export answer is saved as a file; an existing file is kept.
TEST_F(BrowserTest, DownloadsAreSavedInTheDownloadFolder) {
  const std::string bytes = std::string("\xD0\xCF\x11\xE0", 4) + Gbk("访客") + std::string(3, '\0');
  server_.server().Get("/exportxls.asp", [&](const httplib::Request&, httplib::Response& res) {
    res.set_header("Content-Disposition", "attachment; filename=\"../visitors.xls\"");
    res.set_content(bytes, "application/vnd.ms-excel");
  });
  char templ[] = "/tmp/lumaro-downloads-XXXXXX";
  const std::string dir = mkdtemp(templ);
  gtk::SetDownloadDirectory(dir);
  ControlStyle exports;
  exports.savesDownloads = true;
  Harness h("frmViewQQ", exports);
  for (const char* name : {"/visitors.xls", "/visitors (1).xls"}) {
    SCOPED_TRACE(name);
    h.web->Navigate2(server_.Url("/exportxls.asp?id=7"));
    std::optional<std::string> saved;
    EXPECT_TRUE(RunUntil(
        [&] { return (saved = Desktop().files->ReadFile(dir + name)) && *saved == bytes; }));
  }
  EXPECT_TRUE(h.completes.empty()) << "a download completes no document";
  gtk::SetDownloadDirectory("");
  std::string command = "rm -rf '" + dir + "'";
  (void)std::system(command.c_str());
}

TEST(BrowserAddressTest, AddressesAsTheBrowserLoadsThem) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"http://a/b", "http://a/b"},
      {"  https://a/  ", "https://a/"},
      {"www.example.com/x", "http://www.example.com/x"},
      {"ERROR", "http://ERROR"},
      {"javascript:alert(1)", "javascript:alert(1)"},
      {" ", ""},
      {"", ""},
      {"about:blank", "about:blank"},
  };
  for (auto& c : cases) EXPECT_EQ(gtk::BrowserAddress(c.in), c.out) << c.in;
}

// The body reported for a form's post is the one WebKit itself sends: each
// form is built in a page, posted to the local server, and the body the
// server received compared with the handler's and with EncodeFormBody's.
TEST_F(BrowserTest, FormBodiesAreEncodedAsWebKitPostsThem) {
  using Fields = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    Fields fields;
    const char* charset;  // the form's accept-charset; "" for the page's (GBK)
  } cases[] = {
      {{{"transtype", "5"}, {"types", "1"}}, "GBK"},
      {{{"q", "a b&c=d+e"}}, "gbk"},
      {{{"q", "中"}}, ""},
      {{{"q", "中"}}, "GB2312"},
      {{{"q", "中"}}, "UTF-8"},
      {{{"q", "€"}}, "windows-1252"},
      {{{"q", "€ é"}}, "latin1"},
      {{{"q", "中"}}, "windows-1252"},
      {{{"q", "😀中"}}, "gb18030"},
      {{{"q", "łódź"}}, "iso-8859-2"},
      {{{"memo", "a\nb\r\nc\rd"}}, "GBK"},
      {{{"q", "😀"}}, "GBK"},
      {{{"safe", "*-._~"}}, "GBK"},
      {{{"网站", "名称"}, {"n", ""}}, "GBK"},
      {{}, "GBK"},
  };
  server_.Page("/blank", "<html><body>空</body></html>");
  Harness h;
  for (const auto& c : cases) {
    std::string script = "(function(){var f=document.createElement('form');f.method='post';"
                         "f.action='/save.asp';";
    if (*c.charset) script += "f.acceptCharset=" + gtk::JsString(c.charset) + ";";
    for (const auto& [name, value] : c.fields)
      script += "var i=document.createElement('input');i.type='hidden';i.name=" +
                gtk::JsString(name) + ";i.value=" + gtk::JsString(value) + ";f.appendChild(i);";
    script += "document.body.appendChild(f);f.requestSubmit();return 1;})()";
    SCOPED_TRACE(script);
    ASSERT_TRUE(h.Load(server_.Url("/blank")));
    h.navigations.clear();
    const size_t before = Posted().size();
    PageScript(h.web, script);
    ASSERT_TRUE(h.WaitComplete(server_.Url("/save.asp")));
    ASSERT_EQ(Posted().size(), before + 1);
    const std::string sent = Posted().back();
    const Navigation* n = h.Find(server_.Url("/save.asp"));
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->postText, sent);
    EXPECT_EQ(gtk::EncodeFormBody(c.fields, *c.charset ? c.charset : "GBK"), sent);
  }
}

}  // namespace
}  // namespace lumaro::platform_test
