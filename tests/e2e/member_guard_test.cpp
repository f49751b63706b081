// The member console's checks before its browser follows a link or posts a
// form, seen from the stand-in service: what is refused never arrives.
#include "e2e/console_steps.h"

namespace e2e {
namespace {

// A link of the site list, in the row of site `site`.
Node SiteLink(const Node& app, const std::string& caption, const std::string& page,
              const std::string& site = "101") {
  return WaitForPageElement(app, ATSPI_ROLE_LINK, caption, 10, page + "?id=" + site);
}

TEST_F(EndToEnd, SiteFormIsRefusedFieldByFieldUntilItIsValid) {
  auto& client = NewClient();
  auto [console, app] = OpenSiteList(Service(), client);
  ASSERT_TRUE(app) << "no site list in the member console";
  Node name = WaitForPageElement(app, ATSPI_ROLE_ENTRY, "网站名称：");
  Node address = WaitForPageElement(app, ATSPI_ROLE_ENTRY, "网站网址：");
  ASSERT_TRUE(name && address) << a11y::Dump(app);

  // An empty name: refused, the caret goes into the name box.
  ASSERT_TRUE(PressOn(console, name));
  EXPECT_EQ(NoticeText(app), "网站名称不能为空!");
  ASSERT_TRUE(Answer()) << "no message for the empty name";
  ASSERT_TRUE(WaitUntil([&] { return name.Has(ATSPI_STATE_FOCUSED); }, 5))
      << "the caret is not in the name box";
  // Typed into the name box; the address still holds the bare "http://".
  KeyboardTo(console);
  TypeText("abc");
  PressKey("Return");
  EXPECT_EQ(NoticeText(app), "网站网址不能为空!");
  ASSERT_TRUE(Answer()) << "no message for the bare http://";
  ASSERT_TRUE(WaitUntil([&] { return address.Has(ATSPI_STATE_FOCUSED); }, 5))
      << "the caret is not in the address box";
  KeyboardTo(console);
  PressKey("ctrl+a");
  TypeText("ftp://x.example.cn/");
  PressKey("Return");
  EXPECT_EQ(NoticeText(app), "请输入符合规范的网址!");
  ASSERT_TRUE(Answer()) << "no message for an address without http://";
  EXPECT_EQ(CountRequests("saveadd2.asp"), 0u) << "a refused form was posted";

  // An address whose scheme is written in capitals passes.
  ASSERT_TRUE(WaitUntil([&] { return address.Has(ATSPI_STATE_FOCUSED); }, 5));
  KeyboardTo(console);
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
  ASSERT_TRUE(WaitForLoads("saveadd2.asp", 1));
  EXPECT_FALSE(IsShown(kNoticeTitle));
  EXPECT_TRUE(client.Running());
}

TEST_F(EndToEnd, DeleteAsksFirstAndRankUpdatesAndReviewsNeverLeave) {
  auto& client = NewClient();
  auto [console, app] = OpenSiteList(Service(), client);
  ASSERT_TRUE(app) << "no site list in the member console";

  // Declined with Escape (no answer counts as No), then with No itself.
  Node remove = SiteLink(app, "删除", "delnet.asp");
  ASSERT_TRUE(PressOn(console, remove));
  ASSERT_FALSE(WaitForWindow(kNoticeTitle, 10).empty()) << "no confirmation";
  Screenshot("guard.confirm-delete");
  ASSERT_TRUE(Answer("Escape"));
  ASSERT_TRUE(PressOn(console, remove));
  ASSERT_TRUE(Answer("alt+n")) << "no confirmation";
  // A review request is stopped without a word: the console goes on taking
  // clicks on the same page.
  ASSERT_TRUE(PressOn(console, SiteLink(app, "审核", "docheck.asp")));
  ASSERT_TRUE(Service().WaitForMarkers("click", "docheck.asp?id=101", 1, 5));
  ASSERT_TRUE(ConsoleTakesClicks(Service(), console, "mananet.asp"))
      << "the console held its input after a review link";
  EXPECT_EQ(CountRequests("delnet.asp"), 0u) << "a declined delete went out";
  EXPECT_EQ(CountRequests("docheck.asp"), 0u) << "a review request went out";

  // The rank list of a site with keywords: the update is stopped silently.
  ASSERT_TRUE(PressOn(console, SiteLink(app, "关键词排名", "listword.asp")));
  ASSERT_TRUE(WaitForLoads("listword.asp?id=101", 1));
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_PUSH_BUTTON, "更新排名")));
  ASSERT_TRUE(ConsoleTakesClicks(Service(), console, "listword.asp?id=101"))
      << "a message (or something else) held the console after the update of a list with keywords";
  EXPECT_FALSE(IsShown(kNoticeTitle)) << "a message for a list that has keywords";

  // A site without keywords: the update is stopped with a warning.
  ASSERT_TRUE(OpenMenuPage(Service(), console, kMenuSites));
  ASSERT_TRUE(PressOn(console, SiteLink(app, "关键词排名", "listword.asp", "102")));
  ASSERT_TRUE(WaitForLoads("listword.asp?id=102", 1));
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_PUSH_BUTTON, "更新排名")));
  ASSERT_FALSE(WaitForWindow(kNoticeTitle, 10).empty()) << "no warning for a list without keywords";
  Screenshot("guard.rank-warning");
  ASSERT_TRUE(Answer());

  // Confirmed with Yes (the default button): the delete goes out.
  ASSERT_TRUE(OpenMenuPage(Service(), console, kMenuSites));
  ASSERT_TRUE(PressOn(console, SiteLink(app, "删除", "delnet.asp")));
  ASSERT_TRUE(Answer()) << "no confirmation";
  ASSERT_TRUE(Service().WaitForRequest("delnet.asp?id=101", 5)) << "a confirmed delete was stopped";
  EXPECT_EQ(CountRequests("delnet.asp"), 1u);
  EXPECT_EQ(CountRequests("uppos.asp"), 0u) << "a rank update reached the service";
  EXPECT_EQ(CountRequests("docheck.asp"), 0u);
  EXPECT_TRUE(client.Running());
}

// A site form whose page changes its fields in its own onsubmit handler:
// the values judged are those the page posts, as changed.
TEST_F(EndToEnd, ASiteFormIsJudgedOnTheValuesItsOwnSubmitHandlerLeaves) {
  struct Case {
    const char* what;
    const char* onsubmit;  // the page's own handler
    const char* name;      // typed
    const char* address;   // typed
    const char* refusal;   // the message, or nullptr when the form is posted
    const char* posted;    // the address posted
  } cases[] = {
      {"the page puts the scheme before a bare address",
       "if (this.u.value.indexOf('http://') != 0) this.u.value = 'http://' + this.u.value;", "abc",
       "shop.example.cn", nullptr, "http://shop.example.cn"},
      {"the page empties the name", "this.n.value = '';", "abc", "http://x.example.cn/",
       "网站名称不能为空!", nullptr},
      {"the page writes the address over with another scheme",
       "this.u.value = 'https://' + this.u.value.replace(/^[a-z]+:\\/\\//i, '');", "abc",
       "http://y.example.cn/", "请输入符合规范的网址!", nullptr},
  };
  auto& client = NewClient();
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);
  size_t posts = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Service().ServeInstead(
        "Mananet.asp",
        ServicePage("网站访客", std::string("<form name=\"form1\" method=\"post\" action=\"saveadd2.asp\" "
                                            "onsubmit=\"") + c.onsubmit + "\">"
                                "<label for=\"n\">网站名称：</label><input type=\"text\" name=\"n\" id=\"n\">"
                                "<label for=\"u\">网站网址：</label><input type=\"text\" name=\"u\" id=\"u\">"
                                "<input type=\"submit\" value=\"添加网站\"></form>"));
    ASSERT_TRUE(OpenMenuPage(Service(), console, kMenuSites));
    ASSERT_TRUE(TypeInto(console, WaitForPageElement(app, ATSPI_ROLE_ENTRY, "网站名称："), c.name));
    ASSERT_TRUE(TypeInto(console, WaitForPageElement(app, ATSPI_ROLE_ENTRY, "网站网址："), c.address));
    PressKey("Return");
    if (c.refusal) {
      EXPECT_EQ(NoticeText(app), c.refusal);
      EXPECT_TRUE(Answer());
      EXPECT_EQ(CountRequests("saveadd2.asp"), posts) << "a refused form was posted";
    } else {
      ASSERT_TRUE(WaitUntil([&] { return CountRequests("saveadd2.asp") == posts + 1; }, 10))
          << "the form was not posted; message: " << NoticeText(app, 0);
      ++posts;
      lumaro::service::RecordedRequest post;
      for (const auto& r : Service().Requests())
        if (r.path == "/saveadd2.asp") post = r;
      EXPECT_EQ(post.Param("n"), c.name);
      EXPECT_EQ(post.Param("u"), c.posted);
      ASSERT_TRUE(WaitForLoads("saveadd2.asp", posts));
      EXPECT_FALSE(IsShown(kNoticeTitle));
    }
  }
}

// The ad page, offered to the special account through the console's unmarked
// hot spot at its bottom right corner (Label1, twips 14280, 10440, 855 x 375).
const PixelPoint kAdSpot = MemberConsolePoint("Label1");

bool OpenAdPage(lumaro::service::StandInService& service, const std::string& console) {
  const size_t before = service.CountMarkers("load", "addAD.asp");
  Click(console, kAdSpot);
  return service.WaitForMarkers("load", "addAD.asp", before + 1, 10);
}

TEST_F(EndToEnd, AdModuleSaveSendsTheScheduleAndSystemTemplatesAreNotDeleted) {
  auto& client = NewClient();
  std::string console = OpenConsole(Service(), client, "vyrd", "vyrd123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(OpenAdPage(Service(), console)) << "the special account's ad page did not open";
  ASSERT_EQ(CountRequests("addAD.asp"), 1u);
  Node app = AccessibleApp(client);
  ASSERT_TRUE(app);

  // The member's own template (the last choice) and hour 1 switched off.
  Node templates = WaitForPageElement(app, ATSPI_ROLE_COMBO_BOX, "投放模板：");
  ASSERT_TRUE(PressOn(console, templates, "End"));
  Node hour1 = WaitForPageElement(app, ATSPI_ROLE_COMBO_BOX, "1点");
  ASSERT_TRUE(PressOn(console, hour1, "Down"));
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_PUSH_BUTTON, "保存模板")));
  ASSERT_TRUE(Service().WaitForRequest("savemodule.asp", 5)) << "the schedule was not sent";
  for (const auto& r : Service().Requests()) {
    if (r.path != "/savemodule.asp") continue;
    for (int h = 0; h < 24; ++h)
      EXPECT_EQ(r.Param("tmr" + std::to_string(h)), h == 1 ? "0" : "1") << h;
    EXPECT_EQ(r.Param("ids"), "12");
  }
  EXPECT_FALSE(IsShown(kNoticeTitle));

  // Deleting the member's own template posts the form.
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_PUSH_BUTTON, "删除模板")));
  ASSERT_TRUE(Service().WaitForRequest("savead.asp", 5)) << "the own template's delete was stopped";
  ASSERT_TRUE(WaitForLoads("savead.asp", 1));

  // A system template (the first choice, as the page starts) is refused.
  ASSERT_TRUE(OpenAdPage(Service(), console));
  ASSERT_TRUE(PressOn(console, WaitForPageElement(app, ATSPI_ROLE_PUSH_BUTTON, "删除模板")));
  ASSERT_TRUE(Answer()) << "no refusal for a system template";
  EXPECT_EQ(CountRequests("savead.asp"), 1u);
  EXPECT_EQ(CountRequests("savemodule.asp"), 1u);
  for (const auto& r : Service().Requests())
    if (r.path == "/savead.asp") {
      EXPECT_EQ(r.Param("transtype"), "4");
    }
}

}  // namespace
}  // namespace e2e
