// The visitor viewer and the memo viewer, opened from the member console's
// site list: the export goes to the hidden browser and into the download
// folder, a chat link goes to the chat-link opener, and the visitor page
// stays where it is.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "build_config.h"
#include "e2e/console_steps.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

// Tab positions on the site list (first site, 101).
constexpr int kVisitorLink = 1;
constexpr int kMemoLink = 3;
// Tab positions on the visitor page: the export link, then the chat links.
constexpr int kExportLink = 1;
constexpr int kFirstChatLink = 2;

constexpr const char* kMemoTitle = "^查看详情$";
constexpr const char* kOpenerTitle = "^Form1$";

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The visitor viewer's own page: a click into its top left margin, then Tab.
void FocusViewerElement(const std::string& viewer, int n) { ClickPageThenTab(viewer, 3, 3, n); }

TEST_F(EndToEnd, VisitorViewerExportsThroughTheHiddenBrowserAndOpensChatLinksAside) {
  // Chat links go to the messenger's host, which a test must not reach. The
  // visitor page's chat links are therefore served by the stand-in, at an
  // address that carries the build's chat-link address in its query: the
  // viewer recognises a chat link by that text anywhere in the address. The
  // rest of the link (from "/msgrd?v=3" on) becomes a fragment, because the
  // stand-in refuses a second "?" in a query.
  const std::string chatBase(lumaro::kChatLinkBase);
  Service().SetChatHost(ServiceHost() + "/msgrd?via=" + chatBase + "/msgrd#");
  auto& client = NewClient();
  ScopedHome home(client.Dir().string());
  std::string console = OpenConsole(client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenMenuPage(console, kMenuSites));

  FocusPageElement(console, kVisitorLink);
  PressKey("Return");
  std::string viewer = WaitForWindow(kVisitorTitle, 10);
  ASSERT_FALSE(viewer.empty()) << "no visitor viewer";
  auto g = Geometry(viewer);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->width, 14985 / 15);
  EXPECT_EQ(g->height, 8265 / 15);
  ASSERT_TRUE(Service().WaitForRequest("viewqq.asp?id=101&t=", 5));
  EXPECT_EQ(CountRequests("viewqq.asp"), 1u) << "the console's own request went out too";
  ASSERT_TRUE(AreaDrawn(viewer, 0, 0, 600, 200, 10)) << "the visitor page was not drawn";
  Screenshot("visitor.page");

  // Export: the hidden browser fetches it and saves the file; the page stays.
  FocusViewerElement(viewer, kExportLink);
  PressKey("Return");
  ASSERT_TRUE(Service().WaitForRequest("exportxls.asp?id=101&types=1", 5));
  const fs::path saved = client.Dir() / "Downloads" / "visitors_101.xls";
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(saved) && fs::file_size(saved) > 0; }, 5))
      << "the export was not saved in the download folder";
  // The user is told where it went.
  ASSERT_FALSE(WaitForWindow(kNoticeTitle, 5).empty()) << "no word of the saved export";
  Screenshot("visitor.export-saved");
  PressKey("Return");
  ASSERT_TRUE(WaitGone(kNoticeTitle, 5));
  EXPECT_EQ(ReadAll(saved).rfind("\xCA\xB1\xBC\xE4,IP,", 0), 0u) << "not the service's GBK file";
  EXPECT_EQ(CountRequests("viewqq.asp"), 1u);
  EXPECT_EQ(WindowTitle(viewer), "访客详情");
  Screenshot("visitor.after-export");

  // Chat link: a fresh opener loads it aside and closes when the page closes
  // itself; the visitor page and its viewer stay.
  FocusViewerElement(viewer, kFirstChatLink);
  PressKey("Return");
  EXPECT_FALSE(WaitForWindow(kOpenerTitle, 5).empty()) << "no chat-link opener";
  ASSERT_TRUE(Service().WaitForRequest("msgrd?via=" + chatBase + "/msgrd", 5))
      << "the chat link was not loaded";
  EXPECT_TRUE(WaitGone(kOpenerTitle, 8)) << "the opener did not close with its page";
  EXPECT_TRUE(IsShown(kVisitorTitle));
  EXPECT_EQ(CountRequests("viewqq.asp"), 1u);
  EXPECT_EQ(CountRequests("msgrd"), 1u);
  EXPECT_EQ(client.OpenedInBrowser(), "") << "nothing goes to the desktop's browser";

  // The close box is the one way out; the console is usable afterwards.
  ASSERT_TRUE(CloseByCloseBox(viewer));
  EXPECT_TRUE(WaitGone(kVisitorTitle, 5));
  EXPECT_TRUE(IsShown(kConsoleTitle));
  FocusPageElement(console, kMemoLink);
  PressKey("Return");
  std::string memo = WaitForWindow(kMemoTitle, 10);
  ASSERT_FALSE(memo.empty()) << "no memo viewer";
  auto m = Geometry(memo);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->width, 7020 / 15);
  EXPECT_EQ(m->height, 6285 / 15);
  // The memo viewer loads the link's own address, stamp-free as clicked.
  EXPECT_TRUE(Service().WaitForRequest("viewmemo.asp?id=101", 5));
  EXPECT_EQ(CountRequests("viewmemo.asp"), 1u);
  EXPECT_TRUE(AreaDrawn(memo, 2, 1, 460, 200, 10)) << "the memo page was not drawn";
  Screenshot("memo.page");
  ASSERT_TRUE(CloseByCloseBox(memo));
  EXPECT_TRUE(WaitGone(kMemoTitle, 5));
  EXPECT_TRUE(client.Running());
}

TEST_F(EndToEnd, AChatPageThatNeverClosesItselfGivesWayToEscape) {
  const std::string chatBase(lumaro::kChatLinkBase);
  Service().SetChatHost(ServiceHost() + "/msgrd?via=" + chatBase + "/msgrd#");
  // The chat page never answers.
  lumaro::service::Fault hold;
  hold.kind = lumaro::service::Fault::Silence;
  Service().SetFault("msgrd", hold);
  auto& client = NewClient();
  std::string console = OpenConsole(client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenMenuPage(console, kMenuSites));
  FocusPageElement(console, kVisitorLink);
  PressKey("Return");
  std::string viewer = WaitForWindow(kVisitorTitle, 10);
  ASSERT_FALSE(viewer.empty()) << "no visitor viewer";
  ASSERT_TRUE(AreaDrawn(viewer, 0, 0, 600, 200, 10));

  FocusViewerElement(viewer, kFirstChatLink);
  PressKey("Return");
  ASSERT_FALSE(WaitForWindow(kOpenerTitle, 5).empty()) << "no chat-link opener";
  ASSERT_TRUE(Service().WaitForRequest("msgrd", 5));
  PressKey("Escape");
  EXPECT_TRUE(WaitGone(kOpenerTitle, 5)) << "Escape did not close the opener";
  EXPECT_TRUE(IsShown(kVisitorTitle));
  Service().ClearFaults();

  // The visitor viewer takes input again.
  FocusViewerElement(viewer, kExportLink);
  PressKey("Return");
  EXPECT_TRUE(Service().WaitForRequest("exportxls.asp", 5)) << "the viewer stayed blocked";
}

}  // namespace
}  // namespace e2e
