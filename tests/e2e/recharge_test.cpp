// The recharge page's live totals, kept by the member console from the
// page's own click and key events; read back from what the page posts.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "e2e/console_steps.h"

namespace e2e {
namespace {

// Chooses the paid term ("正式开通") of the recharge page's choice list with
// the keyboard, then clicks the list's caption: the console acts on a click
// while the choice holds the focus (a click on the caption leaves it there),
// and shows the amount box. Returns the amount box, or an empty node.
Node ChoosePaidTerm(const std::string& console, const Node& app) {
  Node choice = WaitForPageElement(app, ATSPI_ROLE_COMBO_BOX, "开通方式：");
  if (!PressOn(console, choice, "Down")) return Node();
  Node caption = WaitForCaption(app, "开通方式：");
  if (!caption) {
    ADD_FAILURE() << "the choice has no caption in the tree:\n" << a11y::Dump(app);
    return Node();
  }
  if (!ClickOn(caption)) return Node();
  // The paid block is shown: the amount box is in the tree, and the button
  // has been renamed.
  Node amount = WaitForPageElement(app, ATSPI_ROLE_ENTRY, "购买月数：", 5);
  EXPECT_TRUE(amount) << "the paid-term block did not appear";
  EXPECT_TRUE(WaitForPageElement(app, ATSPI_ROLE_PUSH_BUTTON, "开通", 5)) << "the button was not renamed";
  return amount;
}

// Empties the amount box from the keyboard; the console writes 0 back into
// it once the key is up.
bool EmptyAmount(const std::string& console, const Node& amount) {
  if (!PressOn(console, amount, "ctrl+a")) return false;
  PressKey("BackSpace");
  if (!WaitForText(amount, "0")) {
    ADD_FAILURE() << "the emptied amount box reads '" << amount.Text() << "', not 0";
    return false;
  }
  PressKey("End");
  return true;
}

TEST_F(EndToEnd, RechargeTotalsFollowTheChoiceAndTheTypedAmount) {
  auto& client = NewClient();
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenMenuPage(Service(), console, kMenuRecharge));
  ASSERT_TRUE(Service().WaitForRequest("pay.asp?types=1&t=", 5));
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);

  Node amount = ChoosePaidTerm(console, app);
  ASSERT_TRUE(amount);
  Screenshot("recharge.paid");

  // "0" + "7" reads as 7, and trailing text is dropped as it is typed.
  ASSERT_TRUE(EmptyAmount(console, amount));
  TypeText("7a");
  EXPECT_TRUE(WaitForText(amount, "7")) << "the box reads '" << amount.Text() << "'";
  PressKey("Return");
  ASSERT_TRUE(Service().WaitForRequest("savepay.asp", 5)) << "the recharge form was not posted";

  // 7 months of 30 days at the reseller's unit price.
  int posts = 0;
  for (const auto& r : Service().Requests()) {
    if (r.path != "/savepay.asp") continue;
    ++posts;
    EXPECT_EQ(r.Param("tryID"), "1");
    EXPECT_EQ(r.Param("useM"), "7");
    EXPECT_EQ(r.Param("vm"), std::to_string(7 * 30 * UnitPrice(Service())));
    EXPECT_EQ(r.Param("BTN"), "开通");
  }
  EXPECT_EQ(posts, 1);
  EXPECT_TRUE(WaitForLoads("savepay.asp", 1));
  Screenshot("recharge.posted");
  EXPECT_TRUE(client.Running());
}

// Processes that keep a core busy each, for as long as the object lives.
class BusyCores {
 public:
  explicit BusyCores(int count) {
    for (int i = 0; i < count; ++i) {
      pid_t pid = fork();
      if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the test
        volatile unsigned long spin = 0;
        for (;;) spin = spin + 1;
      }
      if (pid > 0) pids_.push_back(pid);
    }
  }
  ~BusyCores() {
    for (pid_t pid : pids_) kill(pid, SIGKILL);
    for (pid_t pid : pids_) waitpid(pid, nullptr, 0);
  }
  size_t Count() const { return pids_.size(); }
  BusyCores(const BusyCores&) = delete;
  BusyCores& operator=(const BusyCores&) = delete;

 private:
  std::vector<pid_t> pids_;
};

// Six-digit amounts typed at 12 ms a key while both cores of the machine are
// kept busy: the console reads and rewrites the box at every key release,
// and not one digit may be lost between its reading and its writing, nor
// may the post go out before the last key's totals are in.
TEST_F(EndToEnd, AmountsTypedFastOnABusyMachineArrivePostedWholeWithTheirPrice) {
  auto& client = NewClient();
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);
  const long price = UnitPrice(Service());
  ASSERT_GT(price, 0);

  BusyCores busy(2);
  ASSERT_EQ(busy.Count(), 2u);
  std::mt19937 random(20261210);  // the same amounts every run
  std::uniform_int_distribution<int> sixDigits(100000, 999999);
  constexpr int kRounds = 20;
  int wrong = 0;
  for (int round = 1; round <= kRounds; ++round) {
    const int amount = sixDigits(random);
    SCOPED_TRACE("round " + std::to_string(round) + ": " + std::to_string(amount));
    ASSERT_TRUE(OpenMenuPage(Service(), console, kMenuRecharge));
    Node box = ChoosePaidTerm(console, app);
    ASSERT_TRUE(box);
    ASSERT_TRUE(EmptyAmount(console, box));
    TypeText(std::to_string(amount), 12);
    PressKey("Return");
    ASSERT_TRUE(WaitUntil([&] { return CountRequests("savepay.asp") >= size_t(round); }, 15))
        << "the recharge form was not posted";
    ASSERT_TRUE(WaitForLoads("savepay.asp", size_t(round), 15));
    ASSERT_EQ(CountRequests("savepay.asp"), size_t(round)) << "posted more than once";
    lumaro::service::RecordedRequest post;
    for (const auto& r : Service().Requests())
      if (r.path == "/savepay.asp") post = r;
    const std::string vm = std::to_string(long(amount) * 30 * price);
    EXPECT_EQ(post.Param("useM"), std::to_string(amount));
    EXPECT_EQ(post.Param("vm"), vm);
    if (post.Param("useM") != std::to_string(amount) || post.Param("vm") != vm) ++wrong;
  }
  EXPECT_EQ(wrong, 0) << "of " << kRounds << " rounds";
  EXPECT_TRUE(client.Running());
}

// The recharge page with its term chosen by two radio buttons, both with the
// id "tryID" (as the console looks the choice up by id).
constexpr const char* kRadioRechargePage =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
    "<title>在线充值</title></head><body><h3>在线充值</h3>"
    "<form name=\"form1\" method=\"post\" action=\"savepay.asp\"><table>"
    "<tr><td>开通方式：</td><td>"
    "<label><input type=\"radio\" name=\"tryID\" id=\"tryID\" value=\"0\" checked>免费试用</label> "
    "<label><input type=\"radio\" name=\"tryID\" id=\"tryID\" value=\"1\">正式开通</label>"
    "</td></tr></table>"
    "<div id=\"IDT\" style=\"display:none\"><table><tr><td><label for=\"useM\">购买月数：</label></td>"
    "<td><input type=\"text\" name=\"useM\" id=\"useM\" value=\"2\" size=\"6\"> 个月（共 "
    "<span id=\"tpd\">60</span> 天）</td></tr></table></div>"
    "<table><tr><td>应付金额：</td><td><span id=\"idM1\">0元</span>"
    "<input type=\"hidden\" name=\"vm\" id=\"vm\" value=\"0\"></td></tr>"
    "<tr><td></td><td><input type=\"submit\" name=\"BTN\" id=\"BTN\" value=\"申请试用\"></td></tr>"
    "</table></form></body></html>";

TEST_F(EndToEnd, ARechargePageWithRadioButtonsShowsThePaidBlockWhenThePaidOneIsClicked) {
  Service().ServeInstead("pay.asp", kRadioRechargePage);
  auto& client = NewClient();
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenMenuPage(Service(), console, kMenuRecharge));
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);
  Node trial = WaitForPageElement(app, ATSPI_ROLE_RADIO_BUTTON, "免费试用");
  Node paid = WaitForPageElement(app, ATSPI_ROLE_RADIO_BUTTON, "正式开通");
  ASSERT_TRUE(trial && paid) << a11y::Dump(app);
  EXPECT_FALSE(PageElement(app, ATSPI_ROLE_ENTRY, "购买月数：")) << "the paid block shows at first";

  // The paid one, then the trial, then the paid one again: each click shows
  // or hides the block and renames the button.
  struct Step {
    const Node* radio;
    bool paidBlock;
    const char* button;
  } steps[] = {{&paid, true, "开通"}, {&trial, false, "申请试用"}, {&paid, true, "开通"}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.radio->Name());
    ASSERT_TRUE(ClickOn(*step.radio));
    EXPECT_TRUE(WaitForPageElement(app, ATSPI_ROLE_PUSH_BUTTON, step.button, 5))
        << "the button does not read " << step.button;
    if (step.paidBlock) {
      EXPECT_TRUE(WaitForPageElement(app, ATSPI_ROLE_ENTRY, "购买月数：", 5))
          << "the paid block (IDT) is not displayed";
    } else {
      EXPECT_TRUE(WaitUntil([&] { return !PageElement(app, ATSPI_ROLE_ENTRY, "购买月数："); }, 5))
          << "the paid block (IDT) is still displayed";
    }
  }

  // Posted as chosen: the paid term, under the renamed button.
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_PUSH_BUTTON, "开通")));
  ASSERT_TRUE(Service().WaitForRequest("savepay.asp", 5)) << "the form was not posted";
  const auto post = Service().Requests().back();
  EXPECT_EQ(post.Param("tryID"), "1");
  EXPECT_EQ(post.Param("BTN"), "开通");
  EXPECT_EQ(post.Param("useM"), "2");
}

}  // namespace
}  // namespace e2e
