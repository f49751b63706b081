// The update window that a newer published version brings up.
#include <functional>

#include "e2e/console_steps.h"
#include "e2e/e2e_fixture.h"

namespace e2e {
namespace {

constexpr const char* kUpdateTitle = "^版本升级$";
// The two drawn buttons, "下载" and "以后再说".
const PixelPoint kDownload = UpdatePoint("Command1");
const PixelPoint kLater = UpdatePoint("Command2");

TEST_F(EndToEnd, DownloadHandsTheAddressToTheBrowserAndEndsTheProgram) {
  Service().SetVersion("1-52");
  auto& client = NewClient("lumaro-pro");
  client.Start();
  std::string update = WaitForWindow(kUpdateTitle, 20);
  ASSERT_FALSE(update.empty()) << "no update window";
  EXPECT_TRUE(FindWindows(kLoginTitle).empty());
  size_t requests = Service().Requests().size();
  ClickAt(update, kDownload.x, kDownload.y);
  EXPECT_TRUE(client.WaitExit(10).has_value()) << "the program did not end";
  EXPECT_TRUE(WaitUntil([&] { return !client.OpenedInBrowser().empty(); }, 5));
  EXPECT_EQ(client.OpenedInBrowser(), Service().BaseUrl() + "1/lumaro-pro.rar\n");
  EXPECT_EQ(Service().Requests().size(), requests) << "the window itself asks the service nothing";
}

// The later button and the close box both end the program, and no login
// window follows.
TEST_F(EndToEnd, LaterOrTheCloseBoxEndsTheProgramWithoutALoginWindow) {
  struct Case {
    const char* how;
    std::function<void(const std::string&)> close;
  } cases[] = {
      {"later button", [](const std::string& update) { ClickAt(update, kLater.x, kLater.y); }},
      {"close box", [](const std::string& update) { ASSERT_TRUE(CloseByCloseBox(update)); }},
  };
  Service().SetVersion("1-50");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    auto& client = NewClient();
    client.Start();
    std::string update = WaitForWindow(kUpdateTitle, 20);
    ASSERT_FALSE(update.empty());
    c.close(update);
    EXPECT_TRUE(client.WaitExit(10).has_value()) << "the program did not end";
    EXPECT_TRUE(FindWindows(kLoginTitle).empty());
    EXPECT_EQ(client.OpenedInBrowser(), "");
  }
}

}  // namespace
}  // namespace e2e
