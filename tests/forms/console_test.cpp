#include "member/frmAdmin.h"

#include <gtest/gtest.h>

#include "build_config.h"
#include "core/globals.h"
#include "core/startup.h"
#include "forms/forms_fixture.h"

namespace lumaro {
namespace {

class ConsoleTest : public FormsTest {
 protected:
  FakeWindow& Open(const std::string& user = "bob") {
    gUserName = user;
    gAppCaption = "LumaroV6.0";
    ShowMemberConsole();
    FakeWindow* w = ui.Find("frmAdmin");
    EXPECT_NE(w, nullptr);
    return *w;
  }
  FakeBrowser& Web(FakeWindow& w) { return *w.Browser("web"); }
  // The part of an address before its stamp value; checks that the stamp
  // is the last parameter and a number.
  static std::string Unstamped(const std::string& url) {
    size_t t = url.rfind("t=");
    EXPECT_NE(t, std::string::npos) << url;
    if (t == std::string::npos) return url;
    std::string stamp = url.substr(t + 2);
    EXPECT_FALSE(stamp.empty()) << url;
    EXPECT_EQ(stamp.find_first_not_of("0123456789.E+-"), std::string::npos) << url;
    return url.substr(0, t + 2);
  }
};

TEST_F(ConsoleTest, WindowAndControlsAreLaidOutAsDesigned) {
  FakeWindow& w = Open();
  const WindowAttributes& attributes = w.attributes();
  EXPECT_EQ(attributes.clientWidth, 15045);
  EXPECT_EQ(attributes.clientHeight, 10395);
  EXPECT_EQ(attributes.background, "console_skin.svg");
  EXPECT_EQ(attributes.frame, FrameKind::Sizable);
  EXPECT_TRUE(attributes.minimizeButton);
  EXPECT_TRUE(attributes.maximizeButton);
  EXPECT_EQ(attributes.placement, Placement::CenterScreen);

  const uint32_t navy = PackRRGGBB(0, 0, 128), white = PackRRGGBB(255, 255, 255);
  struct Case {
    const char* name;
    Rect rect;
    const char* caption;
    uint32_t color;
    const char* image;
  } cases[] = {
      {"web", {3015, 2190, 11655, 7770}, "", kDefaultColor, ""},
      {"lblTip", {3285, 1815, 1575, 360}, "欢迎界面：", navy, ""},
      {"lblSubTip", {4755, 1890, 45, 240}, "", PackRRGGBB(255, 0, 0), ""},
      {"lblUser", {1440, 1560, 1200, 255}, "", white, ""},
      {"lblitem3", {1005, 2769, 720, 240}, "修改密码", navy, ""},
      {"lblitem2", {930, 3255, 1725, 360}, "网站访客", white, ""},
      {"lblItem8", {2715, 4020, 720, 240}, "推广赚钱", navy, ""},
      {"Image1", {3150, 1275, 5715, 450}, "", kDefaultColor, "blue_bar.svg"},
      {"picture2", {495, 2325, 2415, 825}, "", kDefaultColor, "panel_gradient.svg"},
      {"Image3", {465, 4155, 2415, 375}, "", kDefaultColor, "menu_bar.svg"},
      {"Image6", {330, 9210, 2640, 840}, "", kDefaultColor, "light_panel.svg"},
      {"lblExit", {13575, 960, 915, 285}, "", kDefaultColor, ""},
      {"Label1", {14280, 10440, 855, 375}, "", kDefaultColor, ""},
  };
  for (const auto& c : cases) {
    const FakeControlRecord* r = w.Record(c.name);
    ASSERT_NE(r, nullptr) << c.name;
    EXPECT_EQ(r->rect.left, c.rect.left) << c.name;
    EXPECT_EQ(r->rect.top, c.rect.top) << c.name;
    EXPECT_EQ(r->rect.width, c.rect.width) << c.name;
    EXPECT_EQ(r->rect.height, c.rect.height) << c.name;
    EXPECT_EQ(r->caption, c.caption) << c.name;
    EXPECT_EQ(r->style.color, c.color) << c.name;
    EXPECT_EQ(r->style.image, c.image) << c.name;
  }
  const ControlStyle& tip = w.Record("lblTip")->style;
  EXPECT_TRUE(tip.bold);
  EXPECT_EQ(tip.pointSize, 13.5);
  EXPECT_TRUE(w.Record("picture2")->style.stretch);
  EXPECT_EQ(w.Record("lblExit")->style.tooltip, "退出");
  EXPECT_FALSE(w.Label("lblSearch")->Visible());
  EXPECT_FALSE(w.Label("lblItem8")->Visible());
  // Toolbar hot spots, the same in both consoles.
  ExpectToolbarHotSpots(w);
  const FakeControlRecord* search = w.Record("lblSearch");
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(search->rect.left, 6750);
  EXPECT_EQ(search->rect.top, 1335);
  EXPECT_EQ(search->rect.width, 1260);
  EXPECT_EQ(search->rect.height, 375);
  EXPECT_TRUE(w.Record("lblItem1")->style.handCursor);
  // Timers.
  EXPECT_EQ(w.Timer("Timer1")->Interval(), 5000);
  EXPECT_TRUE(w.Timer("Timer1")->Enabled());
  EXPECT_EQ(w.Timer("tmrHand")->Interval(), 60000);
  EXPECT_TRUE(w.Timer("tmrHand")->Enabled());
  EXPECT_EQ(w.Timer("tmrTest")->Interval(), 500);
  EXPECT_FALSE(w.Timer("tmrTest")->Enabled());
}

TEST_F(ConsoleTest, LoadSetsTheCaptionsAndOpensTheWelcomePage) {
  FakeWindow& w = Open("a&b 张");
  EXPECT_EQ(w.Caption(), "LumaroV6.0");
  EXPECT_EQ(w.Label("lblUser")->Text(), "a&b 张");
  EXPECT_EQ(w.Label("lblTop")->Text(), "欢迎登录Lumaro管理系统");
  EXPECT_EQ(w.Label("lblTip")->Text(), "欢迎界面");
  EXPECT_EQ(w.Label("lblSubTip")->Text(), "小提示：您现在使用的是Lumaro，如有任何疑问请联系客服");
  EXPECT_TRUE(Web(w).silent());
  ASSERT_EQ(Web(w).calls().size(), 1u);
  const auto& call = Web(w).calls()[0];
  EXPECT_EQ(call.op, "Navigate");
  // The account name is percent-encoded, so "&" and blanks cannot split it.
  EXPECT_EQ(Unstamped(call.url),
            Base() + "Default.asp?types=2&uName=%61%26%62%20%D5%C5&oem=1&t=");
}

TEST_F(ConsoleTest, MenuEntriesSetTheTitleAndLoadTheirPage) {
  struct Case {
    const char* control;
    const char* title;
    const char* page;  // up to the stamp value
  } cases[] = {
      {"lblItem1", "基本信息", "base.asp?t="},
      {"lblitem3", "密码修改", "changePwd.asp?t="},
      {"lblitem2", "网站访客", "Mananet.asp?t="},
      {"lblitem6", "在线充值", "pay.asp?types=1&t="},
      {"lblItem7", "充值记录", "listCharge.asp?t="},
      {"lblEdit", "修改用户信息", "editUser.asp?t="},
  };
  FakeWindow& w = Open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control);
    w.Label("lblSubTip")->SetText("old hint");
    Web(w).ClearCalls();
    ASSERT_TRUE(w.Click(c.control));
    EXPECT_EQ(w.Label("lblTip")->Text(), c.title);
    EXPECT_EQ(w.Label("lblSubTip")->Text(), "");
    ASSERT_EQ(Web(w).calls().size(), 1u);
    EXPECT_EQ(Web(w).calls()[0].op, "Navigate");
    EXPECT_EQ(Unstamped(Web(w).calls()[0].url), Base() + c.page);
  }
  // The hidden entry cannot be clicked; its handler still knows its page.
  Web(w).ClearCalls();
  EXPECT_FALSE(w.Click("lblItem8"));
  EXPECT_TRUE(Web(w).calls().empty());
  w.Label("lblItem8")->SetVisible(true);
  w.Click("lblItem8");
  EXPECT_EQ(w.Label("lblTip")->Text(), "我的推广");
  EXPECT_EQ(Unstamped(Web(w).LastCall()->url), Base() + "addword.asp?types=2&t=");
}

TEST_F(ConsoleTest, ToolbarMovesInTheHistoryAndIgnoresFailures) {
  FakeWindow& w = Open();
  w.Click("lblItem1");
  Web(w).ClearCalls();
  Web(w).SetCanGoBack(false);
  Web(w).SetCanGoForward(false);
  w.Click("lblBack");
  w.Click("lblGo");
  w.Click("lblReFresh");
  std::vector<FakeBrowser::Call> expected = {{"GoBack", ""}, {"GoForward", ""}, {"Refresh", ""}};
  EXPECT_EQ(Web(w).calls(), expected);
  EXPECT_EQ(w.Label("lblTip")->Text(), "基本信息");  // unchanged
  EXPECT_TRUE(Boxes().empty());

  w.Click("lblHome");
  EXPECT_EQ(w.Label("lblTip")->Text(), "欢迎界面");
  EXPECT_EQ(Web(w).LastCall()->op, "Navigate");
  EXPECT_EQ(Unstamped(Web(w).LastCall()->url),
            Base() + "Default.asp?types=2&uName=%62%6F%62&oem=1&t=");

  // Clicks on the covers do nothing.
  Web(w).ClearCalls();
  w.Click("Image6");
  w.Label("lblSearch")->SetVisible(true);
  w.Click("lblSearch");
  EXPECT_TRUE(Web(w).calls().empty());
}

TEST_F(ConsoleTest, AdPageOnlyForTheSpecialAccountExactly) {
  struct Case {
    const char* user;
    bool opens;
  } cases[] = {{"vyrd", true}, {"VYRD", false}, {"Vyrd", false}, {"vyrd ", false}, {"bob", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.user);
    frmAdmin::ReleaseInstance();
    FakeWindow& w = Open(c.user);
    Web(w).ClearCalls();
    w.Click("Label1");
    if (c.opens) {
      ASSERT_EQ(Web(w).calls().size(), 1u);
      EXPECT_EQ(Web(w).calls()[0].op, "Navigate2");
      EXPECT_EQ(Unstamped(Web(w).calls()[0].url), Base() + "addAD.asp?t=");
    } else {
      EXPECT_TRUE(Web(w).calls().empty());
    }
    EXPECT_EQ(w.Label("lblTip")->Text(), "欢迎界面");
  }
}

TEST_F(ConsoleTest, TimersWriteTheShareFileAndSendNothing) {
  FakeWindow& w = Open();
  EXPECT_FALSE(FileBytes(ShareFilePath()).has_value());
  w.FireTimer("Timer1");
  auto share = FileBytes(ShareFilePath());
  ASSERT_TRUE(share.has_value());
  EXPECT_GE(share->size(), 2u);
  EXPECT_EQ(share->substr(share->size() - 2), "\r\n");

  size_t before = Requests().size();
  frmAdmin& console = frmAdmin::Instance();
  EXPECT_EQ(console.KeepAliveAddress(), "");
  w.FireTimer("tmrHand");
  EXPECT_EQ(Unstamped(console.KeepAliveAddress()), Base() + "hand.asp?t=");
  EXPECT_EQ(Requests().size(), before);

  w.Timer("tmrTest")->SetEnabled(true);
  w.FireTimer("tmrTest");
  EXPECT_FALSE(w.Timer("tmrTest")->Enabled());
}

TEST_F(ConsoleTest, ResizeRestoresTheOuterSizeEachAssignmentOnItsOwn) {
  FakeWindow& w = Open();
  w.UserResize(16000, 9000);
  EXPECT_EQ(w.OuterWidth(), 15150);
  EXPECT_EQ(w.OuterHeight(), 11340);
  w.SetSizeLocked(true);
  w.UserResize(30000, 20000);  // maximized: both fail, nothing else happens
  EXPECT_EQ(w.OuterWidth(), 30000);
  EXPECT_TRUE(w.IsOpen());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(ConsoleTest, TheFixedSizeIsInPlaceBeforeTheConsoleFirstAppears) {
  int width = 0, height = 0;
  ui.OnShow("frmAdmin", [&](FakeWindow& w) {
    width = w.OuterWidth();
    height = w.OuterHeight();
  });
  Open();
  EXPECT_EQ(width, 15150);
  EXPECT_EQ(height, 11340);
}

TEST_F(ConsoleTest, ExitClosesTheConsoleAndTheNextOpeningIsFresh) {
  FakeWindow& w = Open();
  EXPECT_TRUE(w.Click("lblExit"));
  EXPECT_FALSE(w.IsOpen());
  EXPECT_TRUE(ui.OpenWindows().empty());
  Open();
  EXPECT_EQ(ui.CreatedCount("frmAdmin"), 2);
}

}  // namespace
}  // namespace lumaro
