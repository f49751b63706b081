// The site code checker, opened from a "checkcode.asp" link of the member
// console's site list, against the stand-in service.
#include <algorithm>

#include "e2e/console_steps.h"

namespace e2e {
namespace {

using lumaro::service::Fault;

// The checker's stop button.
const PixelPoint kStop = CheckerPoint("cmdStop");

// The check link ("代码检测") of a site on the site list.
Node CheckLink(const Node& app, const std::string& site) {
  return WaitForPageElement(app, ATSPI_ROLE_LINK, "代码检测", 10, "checkcode.asp?id=" + site);
}

// The "id=" values of the polls ("queryFlag.asp") among `requests`, in order.
std::vector<std::string> PolledSites(const std::vector<lumaro::service::RecordedRequest>& requests) {
  std::vector<std::string> ids;
  for (const auto& r : requests)
    if (r.path == "/queryFlag.asp") ids.push_back(r.Param("id"));
  return ids;
}

TEST_F(EndToEnd, CheckLinkRunsTheCheckerToSuccessAndTheLinkItselfNeverLeaves) {
  auto& client = NewClient();
  auto [console, app] = OpenSiteList(Service(), client);
  ASSERT_TRUE(app) << "no site list in the member console";

  ASSERT_TRUE(PressOn(console, CheckLink(app, "101")));
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
  auto [console, app] = OpenSiteList(Service(), client);
  ASSERT_TRUE(app) << "no site list in the member console";

  // The service holds its answer to the poll until the fault is lifted.
  Fault hold;
  hold.kind = Fault::Silence;
  Service().SetFault("queryFlag.asp", hold);
  ASSERT_TRUE(PressOn(console, CheckLink(app, "102")));
  std::string checker = WaitForWindow(kCheckerTitle, 10);
  ASSERT_FALSE(checker.empty()) << "no checker window";
  ASSERT_TRUE(Service().WaitForRequest("queryFlag.asp?id=102", 5));
  ASSERT_TRUE(WaitUntil([&] { return Service().Counted("102"); }, 5));
  Screenshot("checker.polling");

  Click(checker, kStop);
  EXPECT_TRUE(WaitGone(kCheckerTitle, 5)) << "stop did not close the checker";
  // The held answer ("ok": the site has reported) now goes out to a closed
  // window: no message once the console takes clicks again, and no further
  // poll (the next would follow a second after the answer).
  Service().ClearFaults();
  ASSERT_TRUE(Service().WaitForAnswered("queryFlag.asp", 1, 5));
  EXPECT_TRUE(ConsoleTakesClicks(Service(), console, "mananet.asp"));
  EXPECT_FALSE(IsShown(kNoticeTitle)) << "the late answer was reported";
  EXPECT_FALSE(WaitUntil([&] { return CountRequests("queryFlag.asp") > 1; }, 2))
      << "polls went on after the stop";
  EXPECT_TRUE(IsShown(kConsoleTitle));

  // The console is usable again: the same link opens a fresh checker.
  ASSERT_TRUE(PressOn(console, CheckLink(app, "102")));
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
  auto [console, app] = OpenSiteList(Service(), client);
  ASSERT_TRUE(app) << "no site list in the member console";

  // An empty answer: no address to load. (A failed request would hand the
  // browser "ERROR" as an address, a host name looked up on the network.)
  Fault empty;
  empty.kind = Fault::EmptyBody;
  Service().SetFault("GetNet.asp", empty);
  ASSERT_TRUE(PressOn(console, CheckLink(app, "101")));
  std::string checker = WaitForWindow(kCheckerTitle, 10);
  ASSERT_FALSE(checker.empty()) << "no checker window";
  // No site page is loaded, so the flag never comes; the polls go on.
  ASSERT_TRUE(WaitUntil([&] { return CountRequests("queryFlag.asp") >= 2; }, 5));
  EXPECT_FALSE(Service().Counted("101"));
  EXPECT_EQ(CountRequests("site/"), 0u);
  EXPECT_FALSE(IsShown(kNoticeTitle)) << "the checker reports nothing itself";

  ASSERT_TRUE(CloseByCloseBox(checker));
  EXPECT_TRUE(WaitGone(kCheckerTitle, 5)) << "the close box did not close the checker";
  // Polls come a second apart: none may follow the close.
  const size_t polls = CountRequests("queryFlag.asp");
  EXPECT_FALSE(WaitUntil([&] { return CountRequests("queryFlag.asp") > polls; }, 2))
      << "polling went on after the checker closed";
  EXPECT_TRUE(ConsoleTakesClicks(Service(), console, "mananet.asp"));
  EXPECT_FALSE(IsShown(kNoticeTitle));
  EXPECT_TRUE(IsShown(kConsoleTitle));
  EXPECT_EQ(CountRequests("checkcode.asp"), 0u);
}

// While the first checker waits for its site's address, the member follows
// the next site's check link. The first checker must go on checking its own
// site (the site it was opened for, not the last one asked for); the
// second link opens its checker once the first has closed.
TEST_F(EndToEnd, ASecondCheckLinkDuringTheFirstCheckersAddressWaitLeavesItPollingItsOwnSite) {
  // No site's counting code reports, so that no check ends by itself.
  Fault broken;
  broken.kind = Fault::Status;
  broken.status = 500;
  Service().SetFault("count.asp", broken);
  auto& client = NewClient();
  auto [console, app] = OpenSiteList(Service(), client);
  ASSERT_TRUE(app) << "no site list in the member console";

  Fault hold;
  hold.kind = Fault::Silence;
  Service().SetFault("GetNet.asp", hold);
  ASSERT_TRUE(PressOn(console, CheckLink(app, "101")));
  ASSERT_TRUE(Service().WaitForRequest("GetNet.asp?id=101", 10)) << "no site address asked for";
  ASSERT_TRUE(PressOn(console, CheckLink(app, "102")));
  ASSERT_TRUE(Service().WaitForMarkers("click", "checkcode.asp?id=102", 1, 5))
      << "the second link was not followed on the page";
  // The held address (or addresses) answered.
  Service().SetFault("GetNet.asp", Fault{});

  std::string first = WaitForWindow(kCheckerTitle, 10);
  ASSERT_FALSE(first.empty()) << "no checker window";
  ASSERT_TRUE(Service().WaitForRequest("site/101.html", 10)) << "the first site's page was not loaded";
  ASSERT_TRUE(WaitUntil([&] { return PolledSites(Service().Requests()).size() >= 3; }, 10))
      << "the checker does not poll";
  const std::vector<std::string> polledByFirst = PolledSites(Service().Requests());
  for (const std::string& id : polledByFirst) EXPECT_EQ(id, "101") << "a poll for another site";
  EXPECT_EQ(FindWindows(kCheckerTitle).size(), 1u);

  // Closed: now the second link's checker, for its own site.
  ASSERT_TRUE(CloseByCloseBox(first));
  ASSERT_TRUE(Service().WaitForRequest("GetNet.asp?id=102", 10)) << "the second link was lost";
  std::string second;
  ASSERT_TRUE(WaitUntil(
      [&] {
        auto ids = FindWindows(kCheckerTitle);
        auto other = std::find_if(ids.begin(), ids.end(), [&](const std::string& id) { return id != first; });
        if (other != ids.end()) second = *other;
        return !second.empty();
      },
      10))
      << "no second checker";
  const size_t before = polledByFirst.size();
  ASSERT_TRUE(WaitUntil(
      [&] {
        auto ids = PolledSites(Service().Requests());
        return std::count(ids.begin(), ids.end(), "102") >= 2;
      },
      10))
      << "the second checker does not poll its site";
  // Every poll of the first site came before every poll of the second.
  const std::vector<std::string> polled = PolledSites(Service().Requests());
  const auto firstOfSecond = std::find(polled.begin(), polled.end(), "102");
  EXPECT_GE(size_t(firstOfSecond - polled.begin()), before);
  for (auto it = polled.begin(); it != polled.end(); ++it)
    EXPECT_EQ(*it, it < firstOfSecond ? "101" : "102") << "poll " << (it - polled.begin()) + 1;
  ASSERT_TRUE(CloseByCloseBox(second));
  EXPECT_TRUE(WaitGone(kCheckerTitle, 5));
  EXPECT_TRUE(IsShown(kConsoleTitle));
  EXPECT_EQ(CountRequests("checkcode.asp"), 0u);
  EXPECT_TRUE(client.Running());
}

}  // namespace
}  // namespace e2e
