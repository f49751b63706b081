// The recharge page's live totals, kept by the member console from the
// page's own click and key events; read back from what the page posts.
#include "e2e/console_steps.h"

namespace e2e {
namespace {

// The trial-or-paid choice "tryID" is the page's first focusable element;
// with the paid term chosen, the amount box "useM" follows it.
constexpr int kChoice = 1;
// Centre of the choice in page coordinates: the first form row, right of
// its five-character caption.
constexpr int kChoiceX = 128, kChoiceY = 66;

TEST_F(EndToEnd, RechargeTotalsFollowTheChoiceAndTheTypedAmount) {
  auto& client = NewClient();
  std::string console = OpenConsole(client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenMenuPage(console, kMenuRecharge));
  ASSERT_TRUE(Service().WaitForRequest("pay.asp?types=1&t=", 5));

  // Paid term: chosen with the keyboard, then a click on the choice (which
  // opens its list; Escape closes it) lets the console show the amount box
  // and rename the button.
  FocusPageElement(console, kChoice);
  PressKey("Down");
  ASSERT_TRUE(PageDrawn(console, 5));
  std::string before = PageShot(console);
  Click(console, kWebX + kChoiceX, kWebY + kChoiceY);
  ASSERT_TRUE(PageSettled(console, before, 5)) << "the paid-term block did not appear";
  PressKey("Escape");
  Screenshot("recharge.paid");

  // Into the amount box: emptied (the console writes 0 back at once), then
  // "0" + "7" reads as 7 and trailing text is dropped as it is typed.
  PressKey("Tab");
  PressKey("ctrl+a");
  PressKey("BackSpace");
  PressKey("End");
  TypeText("7a");
  before = PageShot(console);
  PressKey("Return");
  ASSERT_TRUE(Service().WaitForRequest("savepay.asp", 5)) << "the recharge form was not posted";

  // The unit price of the reseller record is 3: 7 months of 30 days.
  int posts = 0;
  for (const auto& r : Service().Requests()) {
    if (r.path != "/savepay.asp") continue;
    ++posts;
    EXPECT_EQ(r.Param("tryID"), "1");
    EXPECT_EQ(r.Param("useM"), "7");
    EXPECT_EQ(r.Param("vm"), "630");
    EXPECT_EQ(r.Param("BTN"), "开通");
  }
  EXPECT_EQ(posts, 1);
  EXPECT_TRUE(PageSettled(console, before, 5));
  Screenshot("recharge.posted");
  EXPECT_TRUE(client.Running());
}

}  // namespace
}  // namespace e2e
