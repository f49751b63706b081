// The keys people know from web browsers, in the windows that show a page:
// reload, back, forward and home do what the console's toolbar does (a
// reload of a post is judged like the post), zoom holds for every page for
// the rest of the run, the find bar counts a word's matches, printing writes
// the page to a file; a window under a modal window takes no keys, and a
// browser the user does not see takes none either.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "build_config.h"
#include "e2e/console_steps.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A toolbar hot spot of a console, as assistive tools reach it.
Node HotSpot(const Node& window, const std::string& name) {
  for (Node& n : a11y::FindAll(window, [&](const Node& n) {
         return n.Role() == ATSPI_ROLE_PUSH_BUTTON && n.Name() == name;
       }))
    if (n.Has(ATSPI_STATE_FOCUSABLE)) return n;
  return Node();
}

// Presses `keys` with the keyboard sent to the window.
void KeysTo(const std::string& windowId, const std::string& keys) {
  KeyboardTo(windowId);
  PressKey(keys);
}

// The address ("/path?query") of the page shown last in any browser, in
// lower case.
std::string LastShown(const lumaro::service::StandInService& service) {
  std::string last;
  for (const auto& m : service.Markers())
    if (m.event == "shown") last = m.detail;
  return Lower(last);
}

// Waits until the browser shows `page` once more than `before` times, and
// that it is the page shown last.
::testing::AssertionResult Lands(const lumaro::service::StandInService& service,
                                 const std::string& page, size_t before) {
  if (!service.WaitForMarkers("shown", page, before + 1, 10))
    return ::testing::AssertionFailure()
           << "did not land on " << page << "; shown last: " << LastShown(service);
  if (LastShown(service).find(Lower(page)) == std::string::npos)
    return ::testing::AssertionFailure() << "landed on " << LastShown(service) << ", not " << page;
  return ::testing::AssertionSuccess();
}

// One step of a console's toolbar: a key, or the hot spot it stands for;
// then the page the console shows, and whether the stand-in was asked for
// it again (going back and forward may show the page kept from before).
struct ToolbarStep {
  const char* keys;
  const char* hotSpot;
  const char* lands;
  bool requested;
};

// Takes the steps one after the other in the console (`window` is its
// accessible frame, where the hot spots are).
template <size_t N>
void RunToolbarSteps(lumaro::service::StandInService& service, const std::string& console,
                     const Node& window, const ToolbarStep (&steps)[N]) {
  for (const ToolbarStep& step : steps) {
    SCOPED_TRACE(step.keys ? step.keys : step.hotSpot);
    const size_t shown = service.CountMarkers("shown", step.lands);
    const size_t asked = service.CountRequests(step.lands);
    if (step.keys) {
      KeysTo(console, step.keys);
    } else {
      ASSERT_TRUE(HotSpot(window, step.hotSpot).Do("click"));
    }
    ASSERT_TRUE(Lands(service, step.lands, shown));
    if (step.requested) {
      EXPECT_EQ(service.CountRequests(step.lands), asked + 1);
    }
  }
}

// Waits until every load of `page` has also been reported as shown: the
// two reports travel apart, and a step that counts the showings of a page
// must not start before the last one is in.
bool Settled(const lumaro::service::StandInService& service, const std::string& page) {
  return WaitUntil(
      [&] { return service.CountMarkers("shown", page) >= service.CountMarkers("load", page); }, 10);
}

// Opens a menu page of the console and waits until it is loaded and shown.
bool OpenPage(lumaro::service::StandInService& service, const std::string& console,
              MenuEntry entry) {
  return OpenMenuPage(service, console, entry) && Settled(service, entry.page);
}

// A page that reports its width in CSS pixels (window.innerWidth) when it
// is shown and whenever the width changes: a zoomed page is narrower by the
// zoom factor. The report is "<width> <path>".
std::string ScalePage(const std::string& title, const std::string& more = "") {
  return ServicePage(
      title,
      "<h3>" + title + "</h3><div style=\"width:300px;height:40px;background:#36c\"></div>" + more +
          "<script>function report(){__lumaroMark('width',window.innerWidth+' '+location.pathname);}"
          "addEventListener('pageshow',report);addEventListener('resize',report);</script>");
}

// The width `page` (part of its path) reported last, or -1.
int LastWidth(const lumaro::service::StandInService& service, const std::string& page) {
  int width = -1;
  for (const auto& m : service.Markers())
    if (m.event == "width" && Lower(m.detail).find(Lower(page)) != std::string::npos)
      width = std::atoi(m.detail.c_str());
  return width;
}

// Waits until `page` reports the width of a page `fullWidth` wide at 100%
// shown at `zoom` (WebKit rounds it either way).
::testing::AssertionResult ScaledTo(const lumaro::service::StandInService& service,
                                    const std::string& page, int fullWidth, double zoom) {
  const double expected = fullWidth / zoom;
  if (WaitUntil([&] { return std::fabs(LastWidth(service, page) - expected) < 1.01; }, 10))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << page << " is " << LastWidth(service, page)
                                       << " pixels wide, not " << expected << " (zoom " << zoom
                                       << " of " << fullWidth << ")";
}

// The application's window (frame, dialog or file chooser) with that role
// whose name is `name`; waits.
Node WaitForTopLevel(const Node& app, AtspiRole role, const std::string& name, double seconds = 10) {
  Node found;
  WaitUntil(
      [&] {
        for (const Node& w : app.Children())
          if (w.Role() == role && w.Name() == name) {
            found = w;
            return true;
          }
        return false;
      },
      seconds);
  return found;
}

// The search box of the find bar shown in the window; waits. (Every
// browser has a find bar of its own, hidden until it is opened.)
Node WaitForFindBox(const Node& window, double seconds = 5) {
  Node found;
  WaitUntil(
      [&] {
        std::vector<Node> boxes = a11y::FindAll(window, [](const Node& n) {
          return n.Role() == ATSPI_ROLE_TEXT && n.Name() == "查找" && n.Has(ATSPI_STATE_SHOWING);
        });
        if (!boxes.empty()) found = boxes.front();
        return !boxes.empty();
      },
      seconds);
  return found;
}

// The label beside a find box that gives the number of matches.
Node CountOf(const Node& box) {
  AtspiAccessible* bar = atspi_accessible_get_parent(box.get(), nullptr);
  return a11y::Find(Node(bar), ATSPI_ROLE_LABEL, "匹配数");
}

// In a viewer: Ctrl+F opens its find bar, which counts `matches` of `text`
// ("4 个匹配"); Escape then closes the bar and leaves the viewer (its title
// `titleRegex`) open. `window` is the viewer's accessible window.
void FindInViewer(const std::string& viewer, const Node& window, const std::string& text,
                  const std::string& matches, const std::string& titleRegex,
                  const std::string& shot) {
  ASSERT_TRUE(window);
  KeysTo(viewer, "ctrl+f");
  Node box = WaitForFindBox(window);
  ASSERT_TRUE(box) << "no find bar in " << titleRegex;
  ASSERT_TRUE(WaitUntil([&] { return box.Has(ATSPI_STATE_FOCUSED); }, 5));
  ASSERT_TRUE(box.SetText(text));
  Node count = CountOf(box);
  EXPECT_TRUE(WaitUntil([&] { return count.Text() == matches; }, 5)) << count.Text();
  Screenshot(shot);
  PressKey("Escape");
  EXPECT_TRUE(WaitUntil([&] { return !box.Has(ATSPI_STATE_SHOWING); }, 5)) << "Escape left it open";
  EXPECT_TRUE(IsShown(titleRegex)) << "Escape on the find bar closed the viewer";
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(EndToEnd, ConsoleKeysDoWhatItsToolbarDoes) {
  auto& client = NewClient();
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);
  Node window = AccessibleWindow(app, kConsoleName);
  ASSERT_TRUE(window);
  ASSERT_TRUE(Settled(Service(), "default.asp"));
  ASSERT_TRUE(OpenPage(Service(), console, kMenuBase));
  ASSERT_TRUE(OpenPage(Service(), console, kMenuSites));

  const ToolbarStep steps[] = {
      {nullptr, "刷新", "mananet.asp", true},
      {"F5", nullptr, "mananet.asp", true},
      {"ctrl+r", nullptr, "mananet.asp", true},
      {nullptr, "后退", "base.asp", false},
      {nullptr, "前进", "mananet.asp", false},
      {"alt+Left", nullptr, "base.asp", false},
      {"alt+Left", nullptr, "default.asp", false},
      {"alt+Right", nullptr, "base.asp", false},
      {"alt+Right", nullptr, "mananet.asp", false},
      {nullptr, "首页", "default.asp", true},
      {"alt+Left", nullptr, "mananet.asp", false},
      {"alt+Home", nullptr, "default.asp", true},
  };
  RunToolbarSteps(Service(), console, window, steps);

  // Alt+Home also titles the page as 首页 does.
  ASSERT_TRUE(OpenPage(Service(), console, kMenuBase));
  ASSERT_TRUE(WaitUntil([&] { return static_cast<bool>(a11y::Find(window, ATSPI_ROLE_LABEL, "基本信息")); }, 5));
  const size_t welcomes = Service().CountMarkers("shown", "default.asp");
  KeysTo(console, "alt+Home");
  ASSERT_TRUE(Lands(Service(), "default.asp", welcomes));
  EXPECT_TRUE(WaitUntil([&] { return static_cast<bool>(a11y::Find(window, ATSPI_ROLE_LABEL, "欢迎界面")); }, 5))
      << "the title is not 欢迎界面";

  // A posted site form, then its reload: judged like the post, whose fields
  // are no longer on the page, so it is stopped with the guard's message,
  // by the key as by the hot spot, and nothing is posted again.
  ASSERT_TRUE(OpenPage(Service(), console, kMenuSites));
  ASSERT_TRUE(TypeInto(console, WaitForPageElement(app, ATSPI_ROLE_ENTRY, "网站名称："), "abc"));
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_ENTRY, "网站网址："), "ctrl+a"));
  TypeText("http://keys.example.cn/");
  PressKey("Return");
  ASSERT_TRUE(WaitForLoads("saveadd2.asp", 1)) << "the site form was not posted";
  ASSERT_TRUE(Settled(Service(), "saveadd2.asp"));
  for (const char* reload : {"F5", "ctrl+r", "刷新"}) {
    SCOPED_TRACE(reload);
    if (std::string(reload) == "刷新") {
      ASSERT_TRUE(HotSpot(window, reload).Do("click"));
    } else {
      KeysTo(console, reload);
    }
    EXPECT_EQ(NoticeText(app), "提交失败");
    Screenshot("keys.reload-of-a-post");
    ASSERT_TRUE(Answer());
  }
  EXPECT_EQ(CountRequests("saveadd2.asp"), 1u) << "a reload posted the form again";
  // The console goes on taking keys.
  const size_t sites = Service().CountMarkers("shown", "mananet.asp");
  KeysTo(console, "alt+Left");
  EXPECT_TRUE(Lands(Service(), "mananet.asp", sites));
  EXPECT_TRUE(client.Running());
}

TEST_F(EndToEnd, ZoomKeysScaleEveryPageForTheRestOfTheRun) {
  Service().ServeInstead("base.asp",
                         ScalePage("基本信息", "<p><a href=\"viewmemo.asp?id=101\">备注</a></p>"));
  Service().ServeInstead("viewmemo.asp", ScalePage("查看详情"));
  auto& client = NewClient();
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);
  ASSERT_TRUE(OpenPage(Service(), console, kMenuBase));
  ASSERT_TRUE(WaitUntil([&] { return LastWidth(Service(), "base.asp") > 0; }, 5));
  const int full = LastWidth(Service(), "base.asp");
  ASSERT_GT(full, 400);

  struct Step {
    const char* keys;
    double zoom;
  } steps[] = {
      {"ctrl+plus", 1.1}, {"ctrl+plus", 1.25}, {"ctrl+minus", 1.1},  {"ctrl+0", 1.0},
      {"ctrl+minus", 0.9}, {"ctrl+0", 1.0},    {"ctrl+equal", 1.1}, {"ctrl+plus", 1.25},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.keys);
    KeysTo(console, step.keys);
    ASSERT_TRUE(ScaledTo(Service(), "base.asp", full, step.zoom));
  }
  Screenshot("keys.zoomed");

  // Every page loaded from now on comes at that zoom: the next page of the
  // console, and the memo viewer's.
  ASSERT_TRUE(OpenPage(Service(), console, kMenuSites));
  ASSERT_TRUE(OpenPage(Service(), console, kMenuBase));
  EXPECT_TRUE(ScaledTo(Service(), "base.asp", full, 1.25)) << "a new page lost the zoom";
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_LINK, "备注")));
  std::string memo = WaitForWindow("^查看详情$", 10);
  ASSERT_FALSE(memo.empty()) << "no memo viewer";
  ASSERT_TRUE(WaitUntil([&] { return LastWidth(Service(), "viewmemo.asp") > 0; }, 10));
  const int zoomedMemo = LastWidth(Service(), "viewmemo.asp");
  Screenshot("keys.zoomed-memo");
  // Ctrl+0 in the viewer gives its page its full width, and so every page:
  // the console's own page under the viewer too.
  KeysTo(memo, "ctrl+0");
  ASSERT_TRUE(WaitUntil([&] { return LastWidth(Service(), "viewmemo.asp") > zoomedMemo; }, 10))
      << "Ctrl+0 left the memo viewer's page as it was";
  const int fullMemo = LastWidth(Service(), "viewmemo.asp");
  EXPECT_NEAR(zoomedMemo, fullMemo / 1.25, 1.01) << "the memo viewer's page was not at the zoom";
  EXPECT_TRUE(ScaledTo(Service(), "base.asp", full, 1.0)) << "the console's page kept the old zoom";
  ASSERT_TRUE(CloseByCloseBox(memo));
  ASSERT_TRUE(WaitGone("^查看详情$", 5));
  KeysTo(console, "ctrl+plus");
  EXPECT_TRUE(ScaledTo(Service(), "base.asp", full, 1.1));
}

TEST_F(EndToEnd, FindBarCountsAWordsMatchesAndEscapeClosesIt) {
  // The page reports where the selection is: the find bar selects the match
  // it finds.
  Service().ServeInstead(
      "base.asp",
      ServicePage("基本信息",
                  "<p id=\"m1\">lumen one</p><p id=\"m2\">second lumen</p>"
                  "<p id=\"m3\">a third Lumen, and LUMENS</p><p id=\"other\">lume n</p>"
                  "<script>document.addEventListener('selectionchange',function(){"
                  "var s=getSelection();if(!s.rangeCount||s.isCollapsed)return;"
                  "var n=s.anchorNode;while(n&&!n.id)n=n.parentNode;"
                  "__lumaroMark('selected',(n?n.id:'-')+' '+s.toString());});</script>"));
  auto& client = NewClient();
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);
  Node window = AccessibleWindow(app, kConsoleName);
  ASSERT_TRUE(window);
  ASSERT_TRUE(OpenPage(Service(), console, kMenuBase));
  auto lastSelected = [&] {
    std::string last;
    for (const auto& m : Service().Markers())
      if (m.event == "selected") last = m.detail;
    return last;
  };
  auto selects = [&](const std::string& what) {
    return WaitUntil([&] { return lastSelected() == what; }, 5);
  };

  KeysTo(console, "ctrl+f");
  Node box = WaitForFindBox(window);
  ASSERT_TRUE(box) << "no find bar";
  ASSERT_TRUE(WaitUntil([&] { return box.Has(ATSPI_STATE_FOCUSED); }, 5))
      << "the keyboard is not in the find box";
  Node count = CountOf(box);
  ASSERT_TRUE(count);
  TypeText("lumen");
  EXPECT_TRUE(WaitUntil([&] { return count.Text() == "4 个匹配"; }, 5)) << count.Text();
  EXPECT_TRUE(selects("m1 lumen")) << lastSelected();
  Screenshot("keys.find");
  // Enter goes on to the next match, Shift+Enter back.
  struct Step {
    const char* keys;
    const char* selected;
  } steps[] = {{"Return", "m2 lumen"}, {"Return", "m3 Lumen"}, {"shift+Return", "m2 lumen"},
               {"Return", "m3 Lumen"}, {"Return", "m3 LUMEN"}, {"Return", "m1 lumen"}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.keys);
    PressKey(step.keys);
    EXPECT_TRUE(selects(step.selected)) << lastSelected();
  }
  // Another word, counted anew; a word the page lacks.
  PressKey("ctrl+a");
  TypeText("one");
  EXPECT_TRUE(WaitUntil([&] { return count.Text() == "1 个匹配"; }, 5)) << count.Text();
  PressKey("ctrl+a");
  TypeText("nowhere");
  EXPECT_TRUE(WaitUntil([&] { return count.Text() == "0 个匹配"; }, 5)) << count.Text();

  // Escape closes the bar; the console and its page stay.
  PressKey("Escape");
  EXPECT_TRUE(WaitUntil([&] { return !box.Has(ATSPI_STATE_SHOWING); }, 5)) << "Escape left it open";
  EXPECT_TRUE(IsShown(kConsoleTitle));
  // Opened again, it counts for the page as it is.
  KeysTo(console, "ctrl+f");
  ASSERT_TRUE(WaitUntil([&] { return box.Has(ATSPI_STATE_FOCUSED) && box.Has(ATSPI_STATE_SHOWING); }, 5));
  PressKey("ctrl+a");
  TypeText("second");
  EXPECT_TRUE(WaitUntil([&] { return count.Text() == "1 个匹配"; }, 5)) << count.Text();
  PressKey("Escape");
  EXPECT_TRUE(WaitUntil([&] { return !box.Has(ATSPI_STATE_SHOWING); }, 5));
  EXPECT_TRUE(client.Running());
}

TEST_F(EndToEnd, PrintKeyPrintsThePageToAFile) {
  Service().ServeInstead(
      "base.asp", ServicePage("基本信息", "<h3>Printed visitor report</h3>"
                                          "<p>Quarterly lumen numbers for the keys page.</p>"));
  auto& client = NewClient();
  // The file chooser starts in the home folder.
  ScopedHome home(client.Dir().string());
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);
  ASSERT_TRUE(OpenPage(Service(), console, kMenuBase));

  KeysTo(console, "ctrl+p");
  Node dialog = WaitForTopLevel(app, ATSPI_ROLE_DIALOG, "Print");
  ASSERT_TRUE(dialog) << "no print dialog";
  Node toFile = WaitForPageElement(dialog, ATSPI_ROLE_TABLE_CELL, "Print to File");
  ASSERT_TRUE(toFile) << a11y::Dump(dialog);
  ASSERT_TRUE(ClickOn(toFile));
  // The file printer's output file: a button that opens a file chooser.
  Node fileButton;
  ASSERT_TRUE(WaitUntil(
      [&] {
        auto found = a11y::FindAll(dialog, [](const Node& n) {
          return n.Role() == ATSPI_ROLE_PUSH_BUTTON && n.Name().find(".pdf") != std::string::npos;
        });
        if (!found.empty()) fileButton = found.front();
        return !found.empty();
      },
      10))
      << a11y::Dump(dialog);
  Screenshot("keys.print-dialog");
  ASSERT_TRUE(fileButton.Do("click"));
  Node chooser = WaitForTopLevel(app, ATSPI_ROLE_FILE_CHOOSER, "Select a filename");
  ASSERT_TRUE(chooser) << "no file chooser";
  std::vector<Node> name = a11y::FindAll(chooser, [](const Node& n) {
    return n.Role() == ATSPI_ROLE_TEXT && n.Has(ATSPI_STATE_EDITABLE) && n.Has(ATSPI_STATE_SHOWING);
  });
  ASSERT_FALSE(name.empty()) << a11y::Dump(chooser);
  const fs::path out = client.Dir() / "printed page.pdf";
  ASSERT_TRUE(name.front().SetText(out.string()));
  ASSERT_TRUE(a11y::Find(chooser, ATSPI_ROLE_PUSH_BUTTON, "Select").Do("click"));
  ASSERT_TRUE(WaitUntil([&] { return static_cast<bool>(a11y::Find(dialog, ATSPI_ROLE_PUSH_BUTTON, "~/printed page.pdf")); }, 10))
      << a11y::Dump(dialog);
  ASSERT_TRUE(a11y::Find(dialog, ATSPI_ROLE_PUSH_BUTTON, "Print").Do("click"));

  // A PDF, once complete, whose text is the page's.
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::string pdf = ReadAll(out);
        return pdf.size() > 16 && pdf.find("%%EOF", pdf.size() - 16) != std::string::npos;
      },
      20))
      << "no complete PDF at " << out;
  EXPECT_EQ(ReadAll(out).rfind("%PDF-", 0), 0u);
  CommandResult text = RunCommand({"pdftotext", "-enc", "UTF-8", out.string(), "-"});
  ASSERT_EQ(text.status, 0) << "pdftotext (poppler-utils) failed: " << text.output;
  EXPECT_NE(text.output.find("Printed visitor report"), std::string::npos) << text.output;
  EXPECT_NE(text.output.find("Quarterly lumen numbers for the keys page."), std::string::npos)
      << text.output;
  EXPECT_TRUE(WaitGone("^Print$", 5));
  // The console takes keys again.
  ASSERT_TRUE(OpenPage(Service(), console, kMenuSites));
  const size_t bases = Service().CountMarkers("shown", "base.asp");
  KeysTo(console, "alt+Left");
  EXPECT_TRUE(Lands(Service(), "base.asp", bases));
}

TEST_F(EndToEnd, ViewersTakeThePageKeysAndTheWindowUnderThemNone) {
  auto& client = NewClient();
  ScopedHome home(client.Dir().string());
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);
  ASSERT_TRUE(OpenPage(Service(), console, kMenuSites));

  // The memo viewer, modal over the console: its page reloads with F5; a key
  // sent to the console while it is up does nothing there.
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_LINK, "备注", 10, "viewmemo.asp?id=101")));
  std::string memo = WaitForWindow("^查看详情$", 10);
  ASSERT_FALSE(memo.empty()) << "no memo viewer";
  ASSERT_TRUE(WaitForLoads("viewmemo.asp", 1));
  ASSERT_TRUE(Settled(Service(), "viewmemo.asp"));
  const size_t memoShown = Service().CountMarkers("shown", "viewmemo.asp");
  KeysTo(memo, "F5");
  ASSERT_TRUE(Lands(Service(), "viewmemo.asp", memoShown));
  EXPECT_EQ(CountRequests("viewmemo.asp"), 2u);
  // Keys sent to the console while the viewer is up go to the viewer: F5
  // reloads the viewer's page; Alt+Home does nothing there. Then Ctrl+R,
  // after both.
  const size_t consoleAsked = CountRequests("mananet.asp");
  KeysTo(console, "F5");
  ASSERT_TRUE(Lands(Service(), "viewmemo.asp", memoShown + 1));
  KeysTo(console, "alt+Home");
  KeysTo(memo, "ctrl+r");
  ASSERT_TRUE(Lands(Service(), "viewmemo.asp", memoShown + 2));
  EXPECT_EQ(CountRequests("viewmemo.asp"), 4u);
  EXPECT_EQ(CountRequests("mananet.asp"), consoleAsked) << "the console under the viewer reloaded";
  EXPECT_EQ(CountRequests("default.asp"), 1u) << "the console under the viewer went home";
  ASSERT_TRUE(CloseByCloseBox(memo));
  ASSERT_TRUE(WaitGone("^查看详情$", 5));

  // The visitor viewer: its page takes the keys, never the hidden browser
  // that fetched the export.
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_LINK, "查看访客", 10, "viewqq.asp?id=101")));
  std::string viewer = WaitForWindow(kVisitorTitle, 10);
  ASSERT_FALSE(viewer.empty()) << "no visitor viewer";
  ASSERT_TRUE(WaitForLoads("viewqq.asp?id=101", 1));
  ASSERT_TRUE(Settled(Service(), "viewqq.asp"));
  ASSERT_TRUE(PressOn(viewer, WaitForPageElement(app, ATSPI_ROLE_LINK, "导出到Excel", 10, "exportxls.asp")));
  ASSERT_TRUE(Answer()) << "no word of the saved export";
  ASSERT_EQ(CountRequests("exportxls.asp"), 1u);
  const size_t visitorsShown = Service().CountMarkers("shown", "viewqq.asp");
  KeysTo(viewer, "F5");
  ASSERT_TRUE(Lands(Service(), "viewqq.asp", visitorsShown));
  EXPECT_EQ(CountRequests("viewqq.asp"), 2u);
  EXPECT_EQ(CountRequests("exportxls.asp"), 1u) << "the hidden browser took the key";
  // Its find bar counts the chat links of the visitors with a messenger
  // number.
  FindInViewer(viewer, AccessibleWindow(app, "访客详情"), "交谈", "4 个匹配", kVisitorTitle,
               "keys.visitor-find");
  ASSERT_TRUE(CloseByCloseBox(viewer));
  ASSERT_TRUE(WaitGone(kVisitorTitle, 5));

  // The console takes keys again; none of those pressed while the viewers
  // were up reached it.
  const size_t sites = Service().CountMarkers("shown", "mananet.asp");
  KeysTo(console, "F5");
  EXPECT_TRUE(Lands(Service(), "mananet.asp", sites));
  EXPECT_EQ(CountRequests("mananet.asp"), consoleAsked + 1);
  EXPECT_EQ(CountRequests("default.asp"), 1u);
  EXPECT_TRUE(client.Running());
}

// The agent's console (agent's and administrator's builds) and its detail
// viewer, shown beside it: each takes its own keys.
TEST_F(EndToEnd, AgentConsoleAndDetailViewerKeys) {
  if (lumaro::kEditionId != 1 && lumaro::kEditionId != 4)
    GTEST_SKIP() << "the agent console opens in the agent's and administrator's builds only";
  constexpr const char* kAgentLoginTitle = "^登录\\[(代理版|管理员)\\]V6\\.0$";
  constexpr const char* kAgentConsoleTitle = "^Lumaro\\[(代理版|管理员)\\]V6\\.0$";
  constexpr const char* kViewerTitle = "^详细信息浏览$";

  auto& client = NewClient();
  client.Start();
  std::string login = WaitForWindow(kAgentLoginTitle, 20);
  ASSERT_FALSE(login.empty()) << "no login window";
  SignInAs(login, "demo", "demo123");
  std::string console = WaitForWindow(kAgentConsoleTitle, 20);
  ASSERT_FALSE(console.empty()) << "no agent console";
  ASSERT_TRUE(WaitForLoads("proxyDefault.asp", 1, 15));
  ASSERT_TRUE(Settled(Service(), "proxyDefault.asp"));
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);
  Node window;
  for (const Node& w : app.Children())
    if (w.Role() == ATSPI_ROLE_FRAME && w.Name().rfind("Lumaro[", 0) == 0) window = w;
  ASSERT_TRUE(window) << a11y::Dump(app, 1);
  ASSERT_TRUE(OpenPage(Service(), console, kAgentMenuClients));
  ASSERT_TRUE(OpenPage(Service(), console, kAgentMenuNewAccount));

  const ToolbarStep steps[] = {
      {"F5", nullptr, "AddAcount.asp", true},
      {"ctrl+r", nullptr, "AddAcount.asp", true},
      {nullptr, "刷新", "AddAcount.asp", true},
      {"alt+Left", nullptr, "manaClient.asp", false},
      {"alt+Left", nullptr, "proxyDefault.asp", false},
      {"alt+Right", nullptr, "manaClient.asp", false},
      {nullptr, "后退", "proxyDefault.asp", false},
      {nullptr, "前进", "manaClient.asp", false},
      {nullptr, "首页", "proxyDefault.asp", true},
      {"alt+Left", nullptr, "manaClient.asp", false},
      {"alt+Home", nullptr, "proxyDefault.asp", true},
  };
  RunToolbarSteps(Service(), console, window, steps);

  // The detail viewer, beside the console: F5 there reloads its page, not
  // the console's; F5 in the console reloads the console's, not the
  // viewer's.
  ASSERT_TRUE(OpenPage(Service(), console, kAgentMenuClients));
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_LINK, "详细", 10,
                                                  "viewclient.asp?user=alice")));
  std::string viewer = WaitForWindow(kViewerTitle, 10);
  ASSERT_FALSE(viewer.empty()) << "no detail viewer";
  ASSERT_TRUE(WaitForLoads("viewclient.asp?user=alice", 1));
  ASSERT_TRUE(Settled(Service(), "viewclient.asp"));
  // Out of the way of the console's page.
  RunCommand({"xdotool", "windowmove", viewer, "600", "491"});
  const size_t clients = CountRequests("manaClient.asp");
  const size_t details = Service().CountMarkers("shown", "viewclient.asp");
  KeysTo(viewer, "F5");
  ASSERT_TRUE(Lands(Service(), "viewclient.asp?user=alice", details));
  EXPECT_EQ(CountRequests("viewclient.asp"), 2u);
  const size_t clientsShown = Service().CountMarkers("shown", "manaClient.asp");
  KeysTo(console, "F5");
  ASSERT_TRUE(Lands(Service(), "manaClient.asp", clientsShown));
  EXPECT_EQ(CountRequests("manaClient.asp"), clients + 1);
  EXPECT_EQ(CountRequests("viewclient.asp"), 2u) << "a key of the console reloaded the viewer";

  // The viewer's find bar; Escape closes the bar, not the viewer.
  FindInViewer(viewer, AccessibleWindow(app, "详细信息浏览"), "剩余天数", "1 个匹配", kViewerTitle,
               "keys.agent-viewer-find");
  EXPECT_TRUE(client.Running());
}

}  // namespace
}  // namespace e2e
