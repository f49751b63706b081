// The agent console: layout, load, menu, toolbar, chat links, version
// setting, keep-alive timer and the way in after a sign-in.
#include "agent/frmSys.h"

#include <gtest/gtest.h>

#include "build_config.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "core/startup.h"
#include "forms/forms_fixture.h"

namespace lumaro {
namespace {

class AgentConsoleTest : public FormsTest {
 protected:
  FakeWindow& Open(const std::string& user = "agent7") {
    gUserName = user;
    gAppCaption = "LumaroV6.0";
    ShowAgentConsole();
    FakeWindow* w = ui.Find("frmSys");
    EXPECT_NE(w, nullptr);
    return *w;
  }
  FakeBrowser& Web(FakeWindow& w) { return *w.Browser("web"); }
};

TEST_F(AgentConsoleTest, WindowAndControlsAreLaidOutAsDesigned) {
  FakeWindow& w = Open();
  const WindowAttributes& attributes = w.attributes();
  EXPECT_EQ(attributes.clientWidth, 11400);
  EXPECT_EQ(attributes.clientHeight, 10395);
  EXPECT_EQ(attributes.background, "agent_skin.svg");
  EXPECT_TRUE(w.IsOpen());

  const uint32_t white = PackRRGGBB(255, 255, 255);
  struct Case {
    const char* name;
    Rect rect;
    const char* caption;
    const char* parent;
    const char* image;
    bool hand;
  } cases[] = {
      {"web", {3015, 2205, 11655, 7770}, "", "", "", false},
      {"Image6", {3180, 1275, 5715, 450}, "", "", "blue_bar.svg", false},
      {"lblTip", {3285, 1815, 1575, 360}, "欢迎界面：", "", "", false},
      {"lbl1", {450, 2415, 2325, 420}, "          基本信息管理", "", "", false},
      {"Image1", {450, 2430, 2415, 375}, "", "", "menu_bar.svg", false},
      {"Picture2", {450, 2805, 2430, 885}, "", "", "agent_panel.svg", false},
      {"lblItem1", {525, 150, 870, 255}, "密码修改", "Picture2", "", true},
      {"lblItem2", {510, 495, 930, 285}, "操作日志", "Picture2", "", true},
      {"lblItem4", {450, 1200, 1035, 300}, "", "Picture2", "", false},
      {"lbl2", {450, 3750, 2430, 405}, "          开通代理", "", "", true},
      {"lbl3", {435, 4110, 2415, 390}, "          代理管理", "", "", true},
      {"Label1", {450, 4515, 2415, 405}, "         访客管理", "", "", true},
      {"lbl7", {450, 4515, 2415, 405}, "          主页信息管理", "", "", false},
      {"Picture1", {435, 4875, 2430, 885}, "", "", "agent_panel.svg", false},
      {"Label4", {525, 150, 870, 255}, "新增信息", "Picture1", "", true},
      {"Label3", {510, 495, 930, 285}, "管理信息", "Picture1", "", true},
      {"Label2", {450, 1200, 1035, 300}, "", "Picture1", "", false},
      {"lbl8", {420, 5805, 2415, 405}, "         版本设置", "", "", false},
      {"img8", {420, 5775, 2415, 375}, "", "", "menu_bar.svg", false},
      {"Image4", {375, 8460, 1215, 345}, "", "", "consult_button.svg", false},
      {"Image8", {1710, 8460, 1215, 345}, "", "", "consult_button.svg", false},
      {"Image9", {330, 9150, 2640, 840}, "", "", "light_panel.svg", false},
      {"lblSearch", {6750, 1335, 1260, 375}, "", "", "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const FakeControlRecord* r = w.Record(c.name);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->rect.left, c.rect.left);
    EXPECT_EQ(r->rect.top, c.rect.top);
    EXPECT_EQ(r->rect.width, c.rect.width);
    EXPECT_EQ(r->rect.height, c.rect.height);
    EXPECT_EQ(r->caption, c.caption);
    EXPECT_EQ(r->style.parent, c.parent);
    EXPECT_EQ(r->style.image, c.image);
    EXPECT_EQ(r->style.handCursor, c.hand);
  }
  EXPECT_EQ(w.Record("Picture2")->kind, FakeControlKind::Panel);
  EXPECT_EQ(w.Record("Picture1")->kind, FakeControlKind::Panel);
  for (const char* name : {"lbl1", "lbl2", "lbl3", "Label1", "lbl7", "lbl8", "lblTop", "lblUser"})
    EXPECT_EQ(w.Record(name)->style.color, white) << name;
  EXPECT_EQ(w.Record("lblSubTip")->style.color, PackRRGGBB(255, 0, 0));
  const ControlStyle& tip = w.Record("lblTip")->style;
  EXPECT_TRUE(tip.bold);
  EXPECT_EQ(tip.pointSize, 13.5);
  EXPECT_EQ(w.Record("lblItem1")->style.color, tip.color);

  // Toolbar hot spots, where the member console has them.
  ExpectToolbarHotSpots(w);
  EXPECT_EQ(w.Record("lblExit")->style.tooltip, "退出");
  EXPECT_FALSE(w.Label("lblSearch")->Visible());
  EXPECT_EQ(w.Timer("tmrHand")->Interval(), 60000);
  EXPECT_TRUE(w.Timer("tmrHand")->Enabled());
}

TEST_F(AgentConsoleTest, LoadHidesTheSpareEntriesAndOpensTheWelcomePage) {
  FakeWindow& w = Open("张三 & co");
  EXPECT_EQ(w.Caption(), "LumaroV6.0");
  EXPECT_EQ(w.Label("lblUser")->Text(), "张三 & co");
  EXPECT_EQ(w.Label("lblTop")->Text(), "欢迎登录Lumaro代理平台系统");
  EXPECT_EQ(w.Label("lblTip")->Text(), "欢迎界面");
  EXPECT_EQ(w.Label("lblSubTip")->Text(),
            "小提示：您现在使用的是Lumaro代理管理平台，如有任何疑问请联系客服");
  for (const char* hidden : {"Image7", "Picture1", "lbl7", "img8", "lbl8"})
    EXPECT_FALSE(w.Control(hidden).Visible()) << hidden;
  for (const char* shown : {"lbl1", "Picture2", "lbl2", "lbl3", "Label1", "Image4", "Image8"})
    EXPECT_TRUE(w.Control(shown).Visible()) << shown;
  EXPECT_TRUE(Web(w).silent());
  std::vector<FakeBrowser::Call> expected = {
      {"Navigate", Base() + "proxyDefault.asp?oem=1&t=" + TimerStamp()}};
  EXPECT_EQ(Web(w).calls(), expected);
  EXPECT_TRUE(Requests().empty());
}

TEST_F(AgentConsoleTest, MenuEntriesSetTheTitleAndLoadTheirPage) {
  struct Case {
    const char* control;
    const char* title;
    const char* op;
    const char* page;  // up to the stamp value
  } cases[] = {
      {"lblItem1", "基本信息", "Navigate", "changepwd.asp?t="},
      {"lblItem2", "操作日志", "Navigate", "listLog.asp?t="},
      {"lbl2", "开通代理", "Navigate", "AddAcount.asp?t="},
      {"lbl3", "代理管理", "Navigate", "manaproxy.asp?t="},
      {"Label1", "访客管理", "Navigate2", "manaClient.asp?t="},
      {"Label4", "新增信息", "Navigate", "addinfo.asp?t="},
      {"Label3", "管理信息", "Navigate", "manainfo.asp?t="},
      {"lblEdit", "修改用户信息", "Navigate", "editUser.asp?t="},
  };
  FakeWindow& w = Open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control);
    w.Label("lblSubTip")->SetText("old hint");
    Web(w).ClearCalls();
    // Label4 and Label3 sit in the hidden panel: their handlers are run
    // directly.
    if (!w.Click(c.control)) w.Control(c.control).onClick();
    EXPECT_EQ(w.Label("lblTip")->Text(), c.title);
    EXPECT_EQ(w.Label("lblSubTip")->Text(), "");
    std::vector<FakeBrowser::Call> expected = {{c.op, Base() + c.page + TimerStamp()}};
    EXPECT_EQ(Web(w).calls(), expected);
  }
  EXPECT_TRUE(Requests().empty());
}

TEST_F(AgentConsoleTest, ToolbarMovesInTheHistoryAndIgnoresFailures) {
  FakeWindow& w = Open();
  w.Click("lbl3");
  Web(w).ClearCalls();
  Web(w).SetCanGoBack(false);
  Web(w).SetCanGoForward(false);
  w.Click("lblBack");
  w.Click("lblGo");
  w.Click("lblReFresh");
  std::vector<FakeBrowser::Call> expected = {{"GoBack", ""}, {"GoForward", ""}, {"Refresh", ""}};
  EXPECT_EQ(Web(w).calls(), expected);
  EXPECT_EQ(w.Label("lblTip")->Text(), "代理管理");  // unchanged
  EXPECT_TRUE(Boxes().empty());

  w.Label("lblSubTip")->SetText("");
  w.Click("lblHome");
  EXPECT_EQ(w.Label("lblTip")->Text(), "欢迎界面");
  EXPECT_NE(w.Label("lblSubTip")->Text(), "");
  EXPECT_EQ(*Web(w).LastCall(),
            (FakeBrowser::Call{"Navigate", Base() + "proxyDefault.asp?oem=1&t=" + TimerStamp()}));

  // Clicks that do nothing.
  Web(w).ClearCalls();
  for (const char* name : {"lbl1", "lblItem4", "Image1", "Image6", "Image9", "Picture2"})
    w.Click(name);
  for (const char* name : {"Label2", "lbl7", "Image7", "img8", "Picture1"})
    EXPECT_FALSE(w.Control(name).onClick) << name;
  w.Label("lblSearch")->SetVisible(true);
  w.Click("lblSearch");
  EXPECT_TRUE(Web(w).calls().empty());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(BrowserOpens().empty());

  w.Click("lblExit");
  EXPECT_FALSE(w.IsOpen());
  // The next use builds a fresh console.
  ShowAgentConsole();
  EXPECT_EQ(ui.CreatedCount("frmSys"), 2);
}

TEST_F(AgentConsoleTest, OuterSizeIsForcedOnEveryResize) {
  FakeWindow& w = Open();
  w.UserResize(9000, 6000);
  EXPECT_EQ(w.OuterWidth(), 15150);
  EXPECT_EQ(w.OuterHeight(), 11340);
  // Minimized or maximized: both assignments fail, nothing is reported.
  w.SetSizeLocked(true);
  w.UserResize(20000, 14000);
  EXPECT_EQ(w.OuterWidth(), 20000);
  EXPECT_TRUE(Boxes().empty());
  w.SetSizeLocked(false);
  w.UserResize(20000, 14000);
  EXPECT_EQ(w.OuterWidth(), 15150);
  EXPECT_EQ(w.OuterHeight(), 11340);
}

// Its design size is far smaller: shown at that size, it would be centred
// for it and then grow out to the right.
TEST_F(AgentConsoleTest, TheFixedSizeIsInPlaceBeforeTheConsoleFirstAppears) {
  int width = 0, height = 0;
  ui.OnShow("frmSys", [&](FakeWindow& w) {
    width = w.OuterWidth();
    height = w.OuterHeight();
  });
  Open();
  EXPECT_EQ(width, 15150);
  EXPECT_EQ(height, 11340);
}

TEST_F(AgentConsoleTest, ConsultationPicturesOpenTheSupportChat) {
  struct Case {
    const char* number;
    const char* picture;
    bool opened;
  } cases[] = {{"123456", "Image4", true},
               {"123456", "Image8", true},
               {"", "Image4", true},
               {"88 9", "Image8", true},
               // Whatever the service's record holds stays in the query.
               {"1@evil.example/x#y", "Image4", true},
               // A control character makes it no address to hand on.
               {"123\nfile:///etc/passwd", "Image8", false}};
  FakeWindow& w = Open();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.picture) + " " + c.number);
    env.shell.opened.clear();
    gOemSupportQQ = c.number;
    ASSERT_TRUE(w.Click(c.picture));
    // The number goes in as it is, even when it is empty.
    std::vector<std::string> expected;
    if (c.opened)
      expected.push_back(std::string(kChatLinkBase) + "/msgrd?v=3&uin=" + c.number +
                         "&site=qq&menu=yes");
    EXPECT_EQ(BrowserOpens(), expected);
  }
  gOemSupportQQ = "88 9";
  env.shell.opened.clear();
  w.Click("Image4");
  EXPECT_EQ(BrowserOpens(), std::vector<std::string>{"http://" + std::string(kChatLinkHost) +
                                                     "/msgrd?v=3&uin=88 9&site=qq&menu=yes"});
  // No browser can be started: nothing is shown, the console goes on.
  FailShell();
  EXPECT_TRUE(w.Click("Image4"));
  ThrowingShell();
  EXPECT_TRUE(w.Click("Image8"));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(w.IsOpen());
}

TEST_F(AgentConsoleTest, VersionSettingSendsTheEncodedAnswer) {
  struct Case {
    const char* what;
    std::optional<std::string> answer;
    std::optional<std::string> reply;  // nullopt: the request fails
    const char* query;                 // "" when nothing is sent
    const char* message;               // "" when nothing is shown
  } cases[] = {
      {"cancel", std::nullopt, "ok", "", ""},
      {"cleared", std::string(), "ok", "", ""},
      {"accepted", std::string("1-52"), "ok", "%31%2D%35%32", "版本设定成功！"},
      {"ok inside a word", std::string("2-0"), "token saved", "%32%2D%30", "版本设定成功！"},
      {"capital OK", std::string("2-0"), "OK", "%32%2D%30", "版醒设定失败！"},
      {"empty reply", std::string("2-0"), "", "%32%2D%30", "版醒设定失败！"},
      {"request fails", std::string("2-0"), std::nullopt, "%32%2D%30", "版醒设定失败！"},
      // A blank or "&" cannot split the query.
      {"blank and ampersand", std::string(" 1&x=2 "), "ok", "%20%31%26%78%3D%32%20",
       "版本设定成功！"},
  };
  frmSys& console = frmSys::Instance();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    env.http.sent.clear();
    env.dialogs.shown.clear();
    env.dialogs.inputCalls.clear();
    if (c.reply) {
      Reply(Base() + "SetVer.asp", *c.reply);
    } else {
      FakeReply failed;
      failed.fail = true;
      env.http.Reply(Base() + "SetVer.asp", failed);
    }
    env.dialogs.inputs.assign(1, c.answer);

    console.lbl8_Click();

    ASSERT_EQ(env.dialogs.inputCalls.size(), 1u);
    EXPECT_EQ(env.dialogs.inputCalls[0].prompt, "请输入新的程序版本号：");
    EXPECT_EQ(env.dialogs.inputCalls[0].title, "版本设定");
    EXPECT_EQ(env.dialogs.inputCalls[0].defaultText, VersionText());
    if (*c.query) {
      std::vector<std::string> expected = {Base() + "SetVer.asp?ver=" + c.query + "&t=" +
                                           TimerStamp()};
      EXPECT_EQ(Requests(), expected);
    } else {
      EXPECT_TRUE(Requests().empty());
    }
    if (*c.message) {
      ASSERT_EQ(Boxes().size(), 1u);
      EXPECT_EQ(Boxes()[0].text, c.message);
      EXPECT_EQ(Boxes()[0].title, std::string(kNoticeTitle));
      EXPECT_EQ(Boxes()[0].icon, MsgIcon::None);
      EXPECT_EQ(Boxes()[0].buttons, MsgButtons::Ok);
    } else {
      EXPECT_TRUE(Boxes().empty());
    }
  }
}

TEST_F(AgentConsoleTest, KeepAliveTimerComposesItsAddressWithoutSendingIt) {
  FakeWindow& w = Open();
  frmSys& console = frmSys::Instance();
  EXPECT_EQ(console.KeepAliveAddress(), "");
  ASSERT_TRUE(w.FireTimer("tmrHand"));
  EXPECT_EQ(console.KeepAliveAddress(), Base() + "hand.asp?t=" + TimerStamp());
  EXPECT_TRUE(Requests().empty());
  w.Click("lblExit");
  EXPECT_FALSE(w.FireTimer("tmrHand"));
}

TEST_F(AgentConsoleTest, SignInOpensTheConsoleOfTheEdition) {
  struct Case {
    int edition;
    bool agent;
  } cases[] = {{1, true}, {2, false}, {3, false}, {4, true}};
  for (const auto& c : cases) EXPECT_EQ(SignInOpensAgentConsole(c.edition), c.agent) << c.edition;

  ShowConsoleAfterSignIn();
  const bool agent = SignInOpensAgentConsole(kEditionId);
  const char* opened = agent ? "frmSys" : "frmAdmin";
  const char* other = agent ? "frmAdmin" : "frmSys";
  ASSERT_NE(ui.Find(opened), nullptr);
  EXPECT_EQ(ui.Find(opened)->showCount(), 1);
  EXPECT_EQ(ui.CreatedCount(other), 0);
}

}  // namespace
}  // namespace lumaro
