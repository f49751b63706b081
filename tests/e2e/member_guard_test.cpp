// The member console's checks before its browser follows a link or posts a
// form, seen from the stand-in service: what is refused never arrives.
#include "e2e/console_steps.h"

namespace e2e {
namespace {

// Tab positions on the site list with its two seeded sites: seven links a
// row, then the add form's name box, address box and button.
constexpr int kLinksPerSite = 7;
constexpr int kRankLink = 4, kReviewLink = 6, kDeleteLink = 7;
constexpr int kNameBox = 2 * kLinksPerSite + 1;
// On the rank list of site 101: three keyword boxes, then the button.
constexpr int kRankButtonWithKeywords = 4;
// On the rank list of site 102, which has no keywords: the button alone.
constexpr int kRankButtonWithoutKeywords = 1;

// Waits for a message box and answers it with `key`; a screenshot of it is
// kept under `shot` when one is named.
bool Answer(const std::string& key, const std::string& shot = "") {
  if (WaitForWindow(kNoticeTitle, 10).empty()) return false;
  if (!shot.empty()) Screenshot(shot);
  PressKey(key);
  return WaitGone(kNoticeTitle, 5);
}

TEST_F(EndToEnd, SiteFormIsRefusedFieldByFieldUntilItIsValid) {
  auto& client = NewClient();
  std::string console = OpenConsole(client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenMenuPage(console, kMenuSites));

  // An empty name: refused, the caret goes into the name box.
  FocusPageElement(console, kNameBox);
  PressKey("Return");
  ASSERT_TRUE(Answer("Return")) << "no message for the empty name";
  // Typed into the name box; the address still holds the bare "http://".
  TypeText("abc");
  PressKey("Return");
  ASSERT_TRUE(Answer("Return")) << "no message for the bare http://";
  // The caret is now in the address box.
  PressKey("ctrl+a");
  TypeText("ftp://x.example.cn/");
  PressKey("Return");
  ASSERT_TRUE(Answer("Return")) << "no message for an address without http://";
  EXPECT_EQ(CountRequests("saveadd2.asp"), 0u) << "a refused form was posted";

  // An address whose scheme is written in capitals passes.
  PressKey("ctrl+a");
  TypeText("HTTP://new.example.cn/");
  PressKey("Return");
  ASSERT_TRUE(Service().WaitForRequest("saveadd2.asp", 5)) << "the valid form was not posted";
  ASSERT_EQ(CountRequests("saveadd2.asp"), 1u);
  for (const auto& r : Service().Requests()) {
    if (r.path != "/saveadd2.asp") continue;
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.Param("n"), "abc");
    EXPECT_EQ(r.Param("u"), "HTTP://new.example.cn/");
  }
  EXPECT_FALSE(IsShown(kNoticeTitle));
  EXPECT_TRUE(client.Running());
}

TEST_F(EndToEnd, DeleteAsksFirstAndRankUpdatesAndReviewsNeverLeave) {
  auto& client = NewClient();
  std::string console = OpenConsole(client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenMenuPage(console, kMenuSites));

  // Declined with Escape (no answer counts as No), then with No itself.
  FocusPageElement(console, kDeleteLink);
  PressKey("Return");
  ASSERT_TRUE(Answer("Escape", "guard.confirm-delete")) << "no confirmation";
  FocusPageElement(console, kDeleteLink);
  PressKey("Return");
  ASSERT_TRUE(Answer("alt+n")) << "no confirmation";
  // A review request is stopped without a word.
  FocusPageElement(console, kReviewLink);
  PressKey("Return");

  // The rank list of a site with keywords: the update is stopped silently.
  std::string before = PageShot(console);
  FocusPageElement(console, kRankLink);
  PressKey("Return");
  ASSERT_TRUE(Service().WaitForRequest("listword.asp?id=101", 5));
  ASSERT_TRUE(PageSettled(console, before, 10));
  EXPECT_EQ(CountRequests("delnet.asp"), 0u) << "a declined delete went out";
  EXPECT_EQ(CountRequests("docheck.asp"), 0u) << "a review request went out";
  FocusPageElement(console, kRankButtonWithKeywords);
  PressKey("Return");
  EXPECT_FALSE(WaitUntil([] { return !FindWindows(kNoticeTitle).empty(); }, 1.5))
      << "a message for a list that has keywords";

  // A site without keywords: the update is stopped with a warning.
  ASSERT_TRUE(OpenMenuPage(console, kMenuSites));
  before = PageShot(console);
  FocusPageElement(console, kLinksPerSite + kRankLink);
  PressKey("Return");
  ASSERT_TRUE(Service().WaitForRequest("listword.asp?id=102", 5));
  ASSERT_TRUE(PageSettled(console, before, 10));
  FocusPageElement(console, kRankButtonWithoutKeywords);
  PressKey("Return");
  ASSERT_TRUE(Answer("Return", "guard.rank-warning")) << "no warning for a list without keywords";

  // Confirmed with Yes (the default button): the delete goes out.
  ASSERT_TRUE(OpenMenuPage(console, kMenuSites));
  FocusPageElement(console, kDeleteLink);
  PressKey("Return");
  ASSERT_TRUE(Answer("Return")) << "no confirmation";
  ASSERT_TRUE(Service().WaitForRequest("delnet.asp?id=101", 5)) << "a confirmed delete was stopped";
  EXPECT_EQ(CountRequests("delnet.asp"), 1u);
  EXPECT_EQ(CountRequests("uppos.asp"), 0u) << "a rank update reached the service";
  EXPECT_EQ(CountRequests("docheck.asp"), 0u);
  EXPECT_TRUE(client.Running());
}

// The ad page, offered to the special account through the console's unmarked
// hot spot at its bottom right corner (Label1, twips 14280, 10440, 855 x 375).
constexpr int kAdSpotX = (14280 + 855 / 2) / 15, kAdSpotY = (10440 + 375 / 2) / 15;
// Tab positions on the ad form: source, target page, script, template, the
// 24 hourly switches, then the buttons 保存, 测试, 保存模板, 删除模板.
constexpr int kTemplate = 4, kFirstHour = 5;
constexpr int kSaveModule = kFirstHour + 24 + 2, kDeleteModule = kSaveModule + 1;

bool OpenAdPage(const std::string& console) {
  std::string before = PageShot(console);
  Click(console, kAdSpotX, kAdSpotY);
  return PageSettled(console, before, 10);
}

TEST_F(EndToEnd, AdModuleSaveSendsTheScheduleAndSystemTemplatesAreNotDeleted) {
  auto& client = NewClient();
  std::string console = OpenConsole(client, "vyrd", "vyrd123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenAdPage(console)) << "the special account's ad page did not open";
  ASSERT_EQ(CountRequests("addAD.asp"), 1u);

  // The member's own template (the last choice) and hour 1 switched off.
  FocusPageElement(console, kTemplate);
  PressKey("End");
  FocusPageElement(console, kFirstHour + 1);
  PressKey("Down");
  FocusPageElement(console, kSaveModule);
  PressKey("Return");
  ASSERT_TRUE(Service().WaitForRequest("savemodule.asp", 5)) << "the schedule was not sent";
  for (const auto& r : Service().Requests()) {
    if (r.path != "/savemodule.asp") continue;
    for (int h = 0; h < 24; ++h)
      EXPECT_EQ(r.Param("tmr" + std::to_string(h)), h == 1 ? "0" : "1") << h;
    EXPECT_EQ(r.Param("ids"), "12");
  }
  EXPECT_FALSE(IsShown(kNoticeTitle));

  // Deleting the member's own template posts the form.
  std::string before = PageShot(console);
  FocusPageElement(console, kDeleteModule);
  PressKey("Return");
  ASSERT_TRUE(Service().WaitForRequest("savead.asp", 5)) << "the own template's delete was stopped";
  ASSERT_TRUE(PageSettled(console, before, 10));

  // A system template (the first choice, as the page starts) is refused.
  ASSERT_TRUE(OpenAdPage(console));
  FocusPageElement(console, kDeleteModule);
  PressKey("Return");
  ASSERT_TRUE(Answer("Return")) << "no refusal for a system template";
  EXPECT_EQ(CountRequests("savead.asp"), 1u);
  EXPECT_EQ(CountRequests("savemodule.asp"), 1u);
  for (const auto& r : Service().Requests())
    if (r.path == "/savead.asp") {
      EXPECT_EQ(r.Param("transtype"), "4");
    }
}

}  // namespace
}  // namespace e2e
