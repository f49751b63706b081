// The site code checker, opened from a "checkcode.asp" link of the member
// console's site list, against the stand-in service.
#include "e2e/console_steps.h"

namespace e2e {
namespace {

// Tab positions of the links of the first site (101) on the site list.
constexpr int kCheckCodeLink = 2;
// The next site's (102) check link: seven links a row.
constexpr int kSecondCheckCodeLink = kCheckCodeLink + 7;
// The checker's stop button (cmdStop, twips 3585, 2790, 1185 x 465): centre.
constexpr int kStopX = (3585 + 1185 / 2) / 15, kStopY = (2790 + 465 / 2) / 15;

TEST_F(EndToEnd, CheckLinkRunsTheCheckerToSuccessAndTheLinkItselfNeverLeaves) {
  auto& client = NewClient();
  std::string console = OpenConsole(client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenMenuPage(console, kMenuSites));

  FocusPageElement(console, kCheckCodeLink);
  PressKey("Return");
  std::string checker = WaitForWindow(kCheckerTitle, 10);
  ASSERT_FALSE(checker.empty()) << "no checker window";
  auto g = Geometry(checker);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->width, 6075 / 15);
  EXPECT_EQ(g->height, 3690 / 15);

  // The site's address comes from the service; the hidden browser loads that
  // page, whose counting code reports back; the polls then find the flag.
  EXPECT_TRUE(Service().WaitForRequest("GetNet.asp?id=101&t=", 5));
  EXPECT_TRUE(Service().WaitForRequest("site/101.html", 5));
  EXPECT_TRUE(WaitUntil([&] { return Service().Counted("101"); }, 5));
  EXPECT_TRUE(Service().WaitForRequest("queryFlag.asp?id=101&t=", 5));
  Screenshot("checker.101");

  std::string notice = WaitForWindow(kNoticeTitle, 10);
  ASSERT_FALSE(notice.empty()) << "no success message";
  Screenshot("checker.success");
  EXPECT_TRUE(IsShown(kCheckerTitle)) << "the checker waits for the message";
  PressKey("Return");
  EXPECT_TRUE(WaitGone(kNoticeTitle, 5));
  EXPECT_TRUE(WaitGone(kCheckerTitle, 5)) << "the checker did not close";
  EXPECT_TRUE(IsShown(kConsoleTitle));
  EXPECT_TRUE(client.Running());
  EXPECT_EQ(CountRequests("checkcode.asp"), 0u) << "the link's own request went out";
  EXPECT_EQ(CountRequests("GetNet.asp"), 1u);
}

TEST_F(EndToEnd, StopDuringAWaitingPollClosesTheCheckerWithoutAMessage) {
  auto& client = NewClient();
  std::string console = OpenConsole(client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenMenuPage(console, kMenuSites));

  // The service holds its answer to the poll until the fault is lifted.
  lumaro::service::Fault hold;
  hold.kind = lumaro::service::Fault::Silence;
  Service().SetFault("queryFlag.asp", hold);
  FocusPageElement(console, kSecondCheckCodeLink);
  PressKey("Return");
  std::string checker = WaitForWindow(kCheckerTitle, 10);
  ASSERT_FALSE(checker.empty()) << "no checker window";
  ASSERT_TRUE(Service().WaitForRequest("queryFlag.asp?id=102", 5));
  ASSERT_TRUE(WaitUntil([&] { return Service().Counted("102"); }, 5));
  Screenshot("checker.polling");

  Click(checker, kStopX, kStopY);
  EXPECT_TRUE(WaitGone(kCheckerTitle, 5)) << "stop did not close the checker";
  // The held answer ("ok": the site has reported) now arrives for a closed
  // window: no message, and no further poll.
  Service().ClearFaults();
  EXPECT_FALSE(WaitUntil([&] { return !FindWindows(kNoticeTitle).empty(); }, 2.5));
  EXPECT_EQ(CountRequests("queryFlag.asp"), 1u);
  EXPECT_TRUE(IsShown(kConsoleTitle));

  // The console is usable again: the same link opens a fresh checker.
  FocusPageElement(console, kSecondCheckCodeLink);
  PressKey("Return");
  EXPECT_FALSE(WaitForWindow(kCheckerTitle, 10).empty()) << "no second checker";
  std::string notice = WaitForWindow(kNoticeTitle, 10);
  ASSERT_FALSE(notice.empty()) << "the second check found no success";
  PressKey("Return");
  EXPECT_TRUE(WaitGone(kCheckerTitle, 5));
  EXPECT_EQ(CountRequestsLike(Service(), "GetNet.asp?id=102"), 2u);
  EXPECT_EQ(CountRequests("checkcode.asp"), 0u);
}

TEST_F(EndToEnd, WithoutTheSiteAddressTheCheckerPollsQuietlyUntilItsCloseBox) {
  auto& client = NewClient();
  std::string console = OpenConsole(client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenMenuPage(console, kMenuSites));

  // An empty answer: no address to load. (A failed request would hand the
  // browser "ERROR" as an address, a host name looked up on the network.)
  lumaro::service::Fault empty;
  empty.kind = lumaro::service::Fault::EmptyBody;
  Service().SetFault("GetNet.asp", empty);
  FocusPageElement(console, kCheckCodeLink);
  PressKey("Return");
  std::string checker = WaitForWindow(kCheckerTitle, 10);
  ASSERT_FALSE(checker.empty()) << "no checker window";
  // No site page is loaded, so the flag never comes; the polls go on.
  ASSERT_TRUE(WaitUntil([&] { return CountRequests("queryFlag.asp") >= 2; }, 5));
  EXPECT_FALSE(Service().Counted("101"));
  EXPECT_EQ(CountRequests("site/"), 0u);
  EXPECT_FALSE(IsShown(kNoticeTitle)) << "the checker reports nothing itself";

  ASSERT_TRUE(CloseByCloseBox(checker));
  EXPECT_TRUE(WaitGone(kCheckerTitle, 5)) << "the close box did not close the checker";
  const size_t polls = CountRequests("queryFlag.asp");
  EXPECT_FALSE(WaitUntil([&] { return CountRequests("queryFlag.asp") > polls; }, 2))
      << "polling went on after the checker closed";
  EXPECT_FALSE(IsShown(kNoticeTitle));
  EXPECT_TRUE(IsShown(kConsoleTitle));
  EXPECT_EQ(CountRequests("checkcode.asp"), 0u);
}

}  // namespace
}  // namespace e2e
