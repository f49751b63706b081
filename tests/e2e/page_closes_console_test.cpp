// Pages that close the member console by script (window.close()) while one
// of the console's handlers waits: a delete's confirmation box, or the
// recharge calculator's key-release handler in the middle of its page calls.
// The program must not fall over; the console closes once the handler is
// done. The page is the console's first (the welcome page), the one page a
// script may close.
#include <algorithm>

#include "e2e/console_steps.h"

namespace e2e {
namespace {

using lumaro::service::Fault;

// The program did not fall over: with its console closed it ends by itself
// with status 0 (the console was its last window), or it still runs. A crash
// or a sanitizer's report fails the test in the fixture as well.
void ExpectNoCrash(ClientProcess& client) {
  if (!client.WaitExit(10)) return;
  ASSERT_TRUE(client.ExitStatus().has_value());
  EXPECT_EQ(*client.ExitStatus(), 0) << "the program ended abnormally";
}

// Waits until the console has closed, closing every site checker that shows
// up meanwhile with its close box; the most checkers seen at once.
size_t WaitForConsoleToClose(double seconds, bool* closed) {
  size_t most = 0;
  *closed = WaitUntil(
      [&] {
        std::vector<std::string> checkers = FindWindows(kCheckerTitle);
        most = std::max(most, checkers.size());
        for (const std::string& id : checkers) CloseByCloseBox(id);
        return checkers.empty() && FindWindows(kConsoleTitle).empty();
      },
      seconds);
  return most;
}

TEST_F(EndToEnd, APageThatClosesTheConsoleAndGoesToACheckWhileADeleteIsConfirmed) {
  // The page waits for the test's signal (an answer the stand-in holds back),
  // then closes its window and goes to a site check, all while the
  // confirmation box of its delete link is up.
  Service().ServeInstead(
      "Default.asp",
      ServicePage("欢迎界面",
                  "<h3>欢迎界面</h3><p><a href=\"delnet.asp?id=101\">删除</a></p>"
                  "<script type=\"text/javascript\">"
                  "fetch('go.asp').then(function () {"
                  "  window.close();"
                  // Marked once the close has been passed on to the program.
                  "  setTimeout(function () { __lumaroMark('acting', 'closed'); }, 0);"
                  "  location.href = 'checkcode.asp?id=101';"
                  "});"
                  "</script>"));
  Service().ServeInstead("go.asp", "go");
  Fault hold;
  hold.kind = Fault::Silence;
  Service().SetFault("go.asp", hold);
  auto& client = NewClient();
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(Service().WaitForRequest("go.asp", 5));
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);

  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_LINK, "删除", 10, "delnet.asp")));
  ASSERT_EQ(NoticeText(app), "确定要删除当前网站吗?") << "no confirmation";
  Service().SetFault("go.asp", Fault{});  // the page's signal
  ASSERT_TRUE(Service().WaitForMarkers("acting", "", 1, 10)) << "the page did not act";

  // The confirmation is still there to be answered, and the console with
  // it (asked through the program's own tree, after the page's close); once
  // it is answered the console closes, and no more than one checker comes up.
  EXPECT_TRUE(AccessibleWindow(app, kConsoleName, 0)) << "the console closed under its handler";
  ASSERT_TRUE(IsShown(kNoticeTitle)) << "the confirmation box went away unanswered";
  EXPECT_TRUE(Answer("Return")) << "the confirmation box could not be answered";
  bool closed = false;
  const size_t checkers = WaitForConsoleToClose(20, &closed);
  EXPECT_TRUE(closed) << "the console did not close";
  EXPECT_LE(checkers, 1u) << "checkers for a closed console";
  ExpectNoCrash(client);
}

// The recharge calculator rewrites the page at every key release: the
// amount, the days, the total, and last the price field. This page closes
// its window at every key release, right after the console has been told of
// it, and reports the total and the price as they are written.
constexpr const char* kClosingRechargeBody =
    "<h3>在线充值</h3><form name=\"form1\" method=\"post\" action=\"savepay.asp\">"
    "<select name=\"tryID\" id=\"tryID\"><option value=\"0\">免费试用</option>"
    "<option value=\"1\" selected>正式开通</option></select>"
    "<div id=\"IDT\" style=\"display:block\"><label for=\"useM\">购买月数：</label>"
    "<input type=\"text\" name=\"useM\" id=\"useM\" value=\"1\" size=\"6\"> 个月（共 "
    "<span id=\"tpd\">0</span> 天）</div>"
    "<p>应付金额：<span id=\"idM1\">0元</span><input type=\"hidden\" name=\"vm\" id=\"vm\" value=\"0\"></p>"
    "<input type=\"submit\" name=\"BTN\" id=\"BTN\" value=\"开通\"></form>"
    "<script type=\"text/javascript\">"
    // Registered after the console's own listener: the console hears of
    // the key first, then the page asks to close.
    "document.addEventListener('keyup', function () {"
    "  __lumaroMark('closing', document.getElementById('useM').value);"
    "  window.close();"
    "});"
    "var watch = {childList: true, characterData: true, subtree: true};"
    "new MutationObserver(function () {"
    "  __lumaroMark('total', document.getElementById('idM1').textContent);"
    "}).observe(document.getElementById('idM1'), watch);"
    // A hidden field keeps its value in its attribute: the price field
    // reports every value written into it.
    "new MutationObserver(function () {"
    "  __lumaroMark('price', document.getElementById('vm').getAttribute('value'));"
    "}).observe(document.getElementById('vm'), {attributes: true});"
    "</script>";

TEST_F(EndToEnd, APageThatClosesTheConsoleDuringTheRechargeKeyHandlerClosesItAfterTheHandler) {
  Service().ServeInstead("Default.asp", ServicePage("在线充值", kClosingRechargeBody));
  auto& client = NewClient();
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);

  // A key released in the amount box (1 month: 30 days) sets the
  // calculator off, and the page closes its window.
  Node amount = WaitForPageElement(app, ATSPI_ROLE_ENTRY, "购买月数：");
  ASSERT_TRUE(amount) << a11y::Dump(app);
  ASSERT_TRUE(PressOn(console, amount, "End"));
  ASSERT_TRUE(Service().WaitForMarkers("closing", "1", 1, 10)) << "the key release was not seen";
  // The handler went on to its end after the page's close: the total, then
  // the price field, its last write.
  const std::string price = std::to_string(30 * UnitPrice(Service()));
  EXPECT_TRUE(Service().WaitForMarkers("total", price + "元", 1, 10))
      << "the handler stopped when the page closed its window";
  EXPECT_TRUE(Service().WaitForMarkers("price", price, 1, 10))
      << "the handler stopped before its last write";
  bool closed = false;
  const size_t checkers = WaitForConsoleToClose(20, &closed);
  EXPECT_TRUE(closed) << "the console did not close";
  EXPECT_EQ(checkers, 0u);
  ExpectNoCrash(client);
}

}  // namespace
}  // namespace e2e
