// The visitor viewer and the memo viewer, opened from the member console's
// site list: the export goes to the hidden browser and into the download
// folder, a chat link goes to the chat-link opener, and the visitor page
// stays where it is.
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "build_config.h"
#include "e2e/console_steps.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMemoTitle = "^查看详情$";
constexpr const char* kOpenerTitle = "^Form1$";

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Links of the site list (first site, 101) and of the visitor page.
Node VisitorLink(const Node& app) {
  return WaitForPageElement(app, ATSPI_ROLE_LINK, "查看访客", 10, "viewqq.asp?id=101");
}
Node MemoLink(const Node& app) {
  return WaitForPageElement(app, ATSPI_ROLE_LINK, "备注", 10, "viewmemo.asp?id=101");
}
Node ExportLink(const Node& app) {
  return WaitForPageElement(app, ATSPI_ROLE_LINK, "导出到Excel", 10, "exportxls.asp");
}
// The chat link of the first visitor with a messenger number.
Node FirstChatLink(const Node& app) {
  return WaitForPageElement(app, ATSPI_ROLE_LINK, "12345678 交谈", 10, "uin=12345678");
}

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
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenMenuPage(Service(), console, kMenuSites));
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);

  ASSERT_TRUE(PressOn(console, VisitorLink(app)));
  std::string viewer = WaitForWindow(kVisitorTitle, 10);
  ASSERT_FALSE(viewer.empty()) << "no visitor viewer";
  auto g = Geometry(viewer);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->width, 14985 / 15);
  EXPECT_EQ(g->height, 8265 / 15);
  ASSERT_TRUE(Service().WaitForRequest("viewqq.asp?id=101&t=", 5));
  EXPECT_EQ(CountRequests("viewqq.asp"), 1u) << "the console's own request went out too";
  ASSERT_TRUE(WaitForLoads("viewqq.asp?id=101", 1)) << "the visitor page did not load";
  Screenshot("visitor.page");
  // The page covers the client area exactly, no strip of the window beside
  // or below it.
  Node page = Find(app, ATSPI_ROLE_DOCUMENT_FRAME, "访客详情");
  ASSERT_TRUE(page) << "no visitor page in the tree";
  const std::vector<int> clientArea = {g->x, g->y, g->width, g->height};
  std::optional<std::vector<int>> extents;
  EXPECT_TRUE(WaitUntil([&] { return (extents = page.Extents()) == clientArea; }, 5))
      << "the page lies at " << (extents ? ::testing::PrintToString(*extents) : "nowhere")
      << ", the client area at " << ::testing::PrintToString(clientArea);

  // Export: the hidden browser fetches it and saves the file; the page stays.
  ASSERT_TRUE(PressOn(viewer, ExportLink(app)));
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
  ASSERT_TRUE(PressOn(viewer, FirstChatLink(app)));
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
  ASSERT_TRUE(PressOn(console, MemoLink(app)));
  std::string memo = WaitForWindow(kMemoTitle, 10);
  ASSERT_FALSE(memo.empty()) << "no memo viewer";
  auto m = Geometry(memo);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->width, 7020 / 15);
  EXPECT_EQ(m->height, 6285 / 15);
  // The memo viewer loads the link's own address, stamp-free as clicked.
  EXPECT_TRUE(Service().WaitForRequest("viewmemo.asp?id=101", 5));
  EXPECT_EQ(CountRequests("viewmemo.asp"), 1u);
  EXPECT_TRUE(WaitForLoads("viewmemo.asp?id=101", 1)) << "the memo page did not load";
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
  auto [console, app] = OpenSiteList(Service(), client);
  ASSERT_TRUE(app) << "no site list in the member console";
  ASSERT_TRUE(PressOn(console, VisitorLink(app)));
  std::string viewer = WaitForWindow(kVisitorTitle, 10);
  ASSERT_FALSE(viewer.empty()) << "no visitor viewer";
  ASSERT_TRUE(WaitForLoads("viewqq.asp?id=101", 1));

  ASSERT_TRUE(PressOn(viewer, FirstChatLink(app)));
  ASSERT_FALSE(WaitForWindow(kOpenerTitle, 5).empty()) << "no chat-link opener";
  ASSERT_TRUE(Service().WaitForRequest("msgrd", 5));
  PressKey("Escape");
  EXPECT_TRUE(WaitGone(kOpenerTitle, 5)) << "Escape did not close the opener";
  EXPECT_TRUE(IsShown(kVisitorTitle));
  Service().ClearFaults();

  // The visitor viewer takes input again.
  ASSERT_TRUE(PressOn(viewer, ExportLink(app)));
  EXPECT_TRUE(Service().WaitForRequest("exportxls.asp", 5)) << "the viewer stayed blocked";
}

}  // namespace
}  // namespace e2e
