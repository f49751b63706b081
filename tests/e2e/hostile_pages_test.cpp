// Pages that try to reach the desktop: addresses of other schemes handed to
// the consoles and to the chat-link opener without a click, the messenger's
// own scheme, and downloads nobody asked for. Only chat links reach the
// desktop's browser, only the messenger's hand-over reaches the messenger,
// and a download is saved only where the user says.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "build_config.h"
#include "e2e/console_steps.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using lumaro::service::Fault;

constexpr const char* kOpenerTitle = "^Form1$";
constexpr const char* kSaveTitle = "^保存文件$";

std::string ChatHost() { return std::string(lumaro::kChatLinkHost); }

// Frames whose addresses would start some other program of the desktop if
// they reached it: other schemes, with and without the messenger's host in
// them.
std::string ForeignSchemeFrames() {
  const std::string host = ChatHost();
  const std::string addresses[] = {
      "smb://" + host + "/msgrd?v=3&uin=1",
      "sftp://" + host + "/msgrd",
      "mailto:someone@" + host + "?attach=/etc/passwd",
      "file:///etc/passwd#" + host + "/msgrd",
      "smb://files.example/share",
      "sftp://files.example/home",
      "mailto:someone@example.com?attach=/etc/passwd",
      "file:///etc/passwd",
  };
  std::string frames;
  for (const auto& a : addresses) frames += "<iframe src=\"" + a + "\"></iframe>\n";
  return frames;
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Files in a folder and below it whose names contain `part`, as paths
// relative to the folder.
std::vector<std::string> FilesNamedLike(const fs::path& dir, const std::string& part) {
  std::vector<std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it);
       it.increment(ec))
    if (it->path().filename().string().find(part) != std::string::npos)
      files.push_back(fs::relative(it->path(), dir).string());
  return files;
}

TEST_F(EndToEnd, AgentPagesHandOnlyChatLinksToTheDesktop) {
  if (lumaro::kEditionId != 1 && lumaro::kEditionId != 4)
    GTEST_SKIP() << "the agent console opens in the agent's and administrator's builds only";
  // The client list offers, without any click: other schemes (with the
  // messenger's host in them and without), http addresses that carry the
  // messenger's host in their path, query or user part (ordinary pages),
  // and, once all of them are done, a real chat link, which must still reach
  // the browser.
  const std::string host = ChatHost();
  const std::string service = "http://" + ServiceHost();
  const std::string chatLink =
      std::string(lumaro::kChatLinkBase) + "/msgrd?v=3&uin=42&site=qq&menu=yes";
  const std::string body =
      "<p>客户列表</p>\n" + ForeignSchemeFrames() +
      "<iframe src=\"" + service + "/" + host + "/msgrd?in=path\"></iframe>\n" +
      "<iframe src=\"" + service + "/hello.asp?in=query&to=http://" + host + "/msgrd\"></iframe>\n" +
      "<iframe src=\"http://" + host + "@" + ServiceHost() + "/msgrd?in=user\"></iframe>\n" +
      "<script>addEventListener('load', () => { location.href = '" + chatLink + "'; });</script>\n";
  Service().ServeInstead("manaClient.asp", ServicePage("客户列表", body));

  auto& client = NewClient();
  std::string console = OpenAgentConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no agent console";
  ASSERT_TRUE(OpenMenuPage(Service(), console, kAgentMenuClients));

  // The chat link comes last: once it has been handed on, so has anything
  // before it that was going to be.
  ASSERT_TRUE(WaitUntil([&] { return !client.OpenedInBrowser().empty(); }, 10))
      << "the chat link did not reach the desktop's browser";
  EXPECT_EQ(client.OpenedInBrowser(), chatLink + "\n") << "something else reached the desktop";
  // The addresses that merely carry the host are ordinary pages, loaded.
  for (const char* part : {"msgrd?in=path", "hello.asp?in=query", "msgrd?in=user"})
    EXPECT_TRUE(Service().WaitForRequest(part, 5)) << part << " was not loaded";
  EXPECT_EQ(CountRequestsLike(Service(), "uin=42"), 0u) << "the chat link was loaded";
  EXPECT_TRUE(client.Running());
}

class ChatOpener : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    if (IsSkipped()) return;
    // The visitor page's chat links lead to the stand-in, with the real
    // chat-link address in their query (the messenger's host is not to be
    // reached from a test); the viewer sends them to the opener.
    Service().SetChatHost(ServiceHost() + "/msgrd?via=" + std::string(lumaro::kChatLinkBase) +
                          "/msgrd#");
  }

  // Opens the visitor viewer of the first site; its window id.
  std::string OpenVisitorViewer(ClientProcess& client) {
    std::string console = OpenConsole(Service(), client, "demo", "demo123");
    if (console.empty()) return "";
    if (!OpenMenuPage(Service(), console, kMenuSites)) return "";
    app_ = AccessibleApp(client);
    if (!app_) return "";
    if (!PressOn(console, WaitForPageElement(app_, ATSPI_ROLE_LINK, "查看访客", 10,
                                             "viewqq.asp?id=101")))
      return "";
    std::string viewer = WaitForWindow(kVisitorTitle, 10);
    if (!viewer.empty() && !WaitForLoads("viewqq.asp?id=101", 1)) return "";
    return viewer;
  }

  bool ClickFirstChatLink(const std::string& viewer) {
    return PressOn(viewer,
                   WaitForPageElement(app_, ATSPI_ROLE_LINK, "12345678 交谈", 10, "uin=12345678"));
  }

  Node app_;
};

TEST_F(ChatOpener, HandsTheMessengersOwnAddressOnAndClosesOrClosesWithItsPage) {
  if (lumaro::kEditionId != 2) GTEST_SKIP() << "the visitor viewer opens in the member's build";
  const std::string handOver = std::string(lumaro::kChatAppScheme) +
                               "://message/?uin=12345678&Site=qq&Menu=yes";
  auto& client = NewClient();
  ScopedHome home(client.Dir().string());
  std::string viewer = OpenVisitorViewer(client);
  ASSERT_FALSE(viewer.empty()) << "no visitor viewer";

  // The chat-link page hands the chat over to the messenger: that address,
  // and only it, goes to the desktop, and the opener closes at once.
  Service().ServeInstead(
      "msgrd", ServicePage("chat", "<script>location.href = '" + handOver + "';</script>"));
  ASSERT_TRUE(ClickFirstChatLink(viewer));
  ASSERT_FALSE(WaitForWindow(kOpenerTitle, 5).empty()) << "no chat-link opener";
  ASSERT_TRUE(WaitUntil([&] { return !client.OpenedInBrowser().empty(); }, 10))
      << "the messenger was not asked";
  EXPECT_EQ(client.OpenedInBrowser(), handOver + "\n");
  EXPECT_TRUE(WaitGone(kOpenerTitle, 5)) << "the opener stayed after the hand-over";

  // A chat page that offers other schemes in frames and moves on to a page
  // that closes itself: nothing reaches the desktop, and the opener closes
  // with the page.
  Service().ServeInstead("msgrd", ServicePage("chat", ForeignSchemeFrames() +
                                                          "<script>location.href = "
                                                          "'/chatnext.asp';</script>"));
  Service().ServeInstead("chatnext.asp",
                         ServicePage("chat", "<p>再见</p><script>window.close();</script>"));
  ASSERT_TRUE(ClickFirstChatLink(viewer));
  ASSERT_FALSE(WaitForWindow(kOpenerTitle, 5).empty()) << "no chat-link opener";
  ASSERT_TRUE(Service().WaitForRequest("chatnext.asp", 10)) << "the chat page did not move on";
  EXPECT_TRUE(WaitGone(kOpenerTitle, 10)) << "the opener stayed after its page closed";
  EXPECT_EQ(client.OpenedInBrowser(), handOver + "\n") << "something else reached the desktop";
  EXPECT_TRUE(IsShown(kVisitorTitle));
  EXPECT_TRUE(client.Running());
}

TEST_F(EndToEnd, AConsolePageDownloadIsSavedOnlyWhereTheUserSays) {
  if (lumaro::kEditionId != 2) GTEST_SKIP() << "the member console opens in the member's build";
  // A page offers a file sent as an attachment, under a name that hides
  // what it is.
  const std::string name = "invoice.pdf.desktop";
  Service().ServeInstead(
      "mananet.asp", ServicePage("网站列表", "<p><a href=\"/" + name + "\">发票下载</a></p>"));
  Service().ServeInstead(name, "[Desktop Entry]\nExec=touch /tmp/pwned\n");
  Fault attachment;
  attachment.kind = Fault::Attachment;
  attachment.fields = name;
  Service().SetFault(name, attachment);

  auto& client = NewClient();
  ScopedHome home(client.Dir().string());
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenMenuPage(Service(), console, kMenuSites));
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);
  const fs::path downloads = client.Dir() / "Downloads";

  // Asked where to save it; cancelled, nothing is saved.
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_LINK, "发票下载")));
  ASSERT_TRUE(Service().WaitForRequest(name, 5));
  std::string chooser = WaitForWindow(kSaveTitle, 10);
  ASSERT_FALSE(chooser.empty()) << "the download was not asked about";
  Screenshot("download.asked");
  KeyboardTo(chooser);
  PressKey("Escape");
  ASSERT_TRUE(WaitGone(kSaveTitle, 5));
  // The console takes a click again only once the download has been dealt
  // with; by then a saved file would be there.
  ASSERT_TRUE(ConsoleTakesClicks(Service(), console, "mananet.asp"));
  EXPECT_EQ(FilesNamedLike(client.Dir(), "invoice"), std::vector<std::string>{})
      << "a cancelled download left a file";

  // Saved under the proposed name, in the download folder proposed.
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_LINK, "发票下载")));
  chooser = WaitForWindow(kSaveTitle, 10);
  ASSERT_FALSE(chooser.empty()) << "the second download was not asked about";
  KeyboardTo(chooser);
  PressKey("Return");
  ASSERT_TRUE(WaitGone(kSaveTitle, 5));
  const fs::path saved = downloads / name;
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(saved) && fs::file_size(saved) > 0; }, 10))
      << "the download was not saved where the user said";
  EXPECT_EQ(ReadAll(saved), "[Desktop Entry]\nExec=touch /tmp/pwned\n");
  EXPECT_EQ(fs::status(saved).permissions() &
                (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec),
            fs::perms::none)
      << "a download must not be executable";
  EXPECT_EQ(client.OpenedInBrowser(), "");
  EXPECT_TRUE(client.Running());
}

}  // namespace
}  // namespace e2e
