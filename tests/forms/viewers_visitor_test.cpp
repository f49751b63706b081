// The visitor viewer and the chat-link opener it hands chat links to.
#include "windows/frmViewQQ.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "build_config.h"
#include "core/globals.h"
#include "forms/forms_fixture.h"
#include "windows/frmOpen.h"

namespace lumaro {
namespace {

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

std::string ChatLink(const std::string& query) {
  return std::string(kChatLinkBase) + "/msgrd?" + query;
}

class VisitorViewerTest : public FormsTest {
 protected:
  // Opens the viewer through its opener; `inside` runs while it is shown.
  void OpenWith(std::function<void(FakeWindow&)> inside) {
    ui.OnModal("frmViewQQ", [inside](FakeWindow& w) { inside(w); });
    OpenVisitorViewer(&owner_);
  }

  FakeWindow owner_{nullptr, [] {
    WindowAttributes attributes;
    attributes.name = "frmAdmin";
    return attributes;
  }()};
};

TEST_F(VisitorViewerTest, OpensModallyWithItsLayoutAndIsReleasedWhenClosed) {
  gVisitorTarget = "77";
  bool ran = false;
  OpenWith([&](FakeWindow& w) {
    ran = true;
    EXPECT_EQ(w.modalOwner(), &owner_);
    EXPECT_EQ(w.Caption(), "访客详情");
    EXPECT_EQ(w.attributes().frame, FrameKind::Sizable);
    EXPECT_EQ(w.attributes().clientWidth, 14985);
    EXPECT_EQ(w.attributes().clientHeight, 8265);
    EXPECT_EQ(w.attributes().placement, Placement::CenterScreen);
    // webData lies beneath Web: created first.
    EXPECT_EQ(w.ControlNames(), (std::vector<std::string>{"webData", "Web"}));
    const Rect data = w.Record("webData")->rect;
    EXPECT_EQ(data.left, 3435);
    EXPECT_EQ(data.top, 2265);
    EXPECT_EQ(data.width, 2025);
    EXPECT_EQ(data.height, 2520);
    EXPECT_TRUE(w.Browser("Web")->silent());
    EXPECT_TRUE(w.Browser("webData")->silent());
    EXPECT_TRUE(w.Browser("webData")->calls().empty());
  });
  EXPECT_TRUE(ran);
  EXPECT_EQ(ui.CreatedCount("frmViewQQ"), 1);
  EXPECT_EQ(ui.Find("frmViewQQ"), nullptr);
}

TEST_F(VisitorViewerTest, EveryOpeningLoadsTheVisitorPageWithAFreshStamp) {
  env.clock.midnightOffset_ = 36000.0 - env.clock.now_;
  gVisitorTarget = "1024";
  std::vector<std::vector<FakeBrowser::Call>> loads;
  for (int opening = 0; opening < 2; ++opening) {
    OpenWith([&](FakeWindow& w) { loads.push_back(w.Browser("Web")->calls()); });
    env.clock.Advance(61.5);
  }
  ASSERT_EQ(loads.size(), 2u);
  const std::string page = Base() + "viewqq.asp?id=1024&t=";
  EXPECT_EQ(loads[0], (std::vector<FakeBrowser::Call>{{"Navigate2", page + "36000"}}));
  EXPECT_EQ(loads[1], (std::vector<FakeBrowser::Call>{{"Navigate2", page + "36061.5"}}));
  EXPECT_EQ(ui.CreatedCount("frmViewQQ"), 2);
}

TEST_F(VisitorViewerTest, ExportLinksAreLoadedByTheHiddenBrowserWithTheirLetterCase) {
  struct Case {
    std::string url;
    bool exported;
    bool topLevel;
  } cases[] = {
      {Base() + "exportxls.asp?id=5&Name=AbC", true, true},
      {"HTTP://Example.COM/ExportXLS.ASP?ID=9&Q=Xy", true, true},
      {Base() + "exportxls.asp?id=6", true, false},  // from a frame
      {Base() + "viewqq.asp?id=5&page=2", false, true},
      {Base() + "exportxls.as?id=5", false, true},
      {"", false, true},
  };
  gVisitorTarget = "5";
  OpenWith([&](FakeWindow& w) {
    FakeBrowser* web = w.Browser("Web");
    FakeBrowser* data = w.Browser("webData");
    for (const auto& c : cases) {
      SCOPED_TRACE(c.url);
      web->ClearCalls();
      data->ClearCalls();
      BeforeNavigateArgs args = web->FireBeforeNavigate2(c.url, "a=1", c.topLevel);
      EXPECT_EQ(args.cancel, c.exported);
      EXPECT_TRUE(web->calls().empty());
      if (c.exported) {
        EXPECT_EQ(data->calls(), (std::vector<FakeBrowser::Call>{{"Navigate2", c.url}}));
      } else {
        EXPECT_TRUE(data->calls().empty());
      }
    }
    EXPECT_TRUE(w.IsOpen());
  });
  EXPECT_EQ(ui.CreatedCount("frmOpen"), 0);
}

TEST_F(VisitorViewerTest, ASavedExportIsReportedWithItsPath) {
  gVisitorTarget = "5";
  OpenWith([&](FakeWindow& w) {
    ASSERT_TRUE(w.Browser("webData")->onDownloadSaved);
    // The visitor page's own downloads are not the export's.
    EXPECT_FALSE(w.Browser("Web")->onDownloadSaved);
    w.Browser("webData")->onDownloadSaved("/home/u/Downloads/visitors_5.xls");
    EXPECT_TRUE(w.IsOpen());
  });
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "导出的文件已保存到：/home/u/Downloads/visitors_5.xls");
  EXPECT_EQ(Boxes()[0].title, std::string(kNoticeTitle));
  EXPECT_EQ(Boxes()[0].icon, MsgIcon::Information);
  EXPECT_EQ(Boxes()[0].buttons, MsgButtons::Ok);
}

TEST_F(VisitorViewerTest, ChatLinksOpenAFreshChatOpenerOnTheUnchangedAddress) {
  const std::string chatPath = std::string(kChatLinkBase) + "/msgrd";
  struct Case {
    std::string url;
    bool chat;
    bool exported;
  } cases[] = {
      {ChatLink("v=3&Uin=12345&Site=AbC&Menu=yes"), true, false},
      {Upper(chatPath) + "?V=3&UIN=9", true, false},
      // Both tests hold: the export is started, then the chat is opened.
      {ChatLink("uin=1&next=exportxls.asp"), true, true},
      {std::string(kChatLinkBase) + "/other?uin=1", false, false},
      {"http://elsewhere.example/msgrd?uin=1", false, false},
  };
  gVisitorTarget = "5";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    const int before = ui.CreatedCount("frmOpen");
    std::vector<std::string> shownWith;
    FakeWindow* viewer = nullptr;
    ui.OnModal("frmOpen", [&](FakeWindow& open) {
      EXPECT_EQ(open.modalOwner(), viewer);
      EXPECT_EQ(gOpenTarget, c.url);
      for (const auto& call : open.Browser("Web")->calls()) shownWith.push_back(call.url);
      EXPECT_TRUE(open.Browser("Web")->silent());
    });
    OpenWith([&](FakeWindow& w) {
      viewer = &w;
      BeforeNavigateArgs args = w.Browser("Web")->FireBeforeNavigate2(c.url);
      EXPECT_EQ(args.cancel, c.chat || c.exported);
      EXPECT_EQ(w.Browser("webData")->calls().size(), c.exported ? 1u : 0u);
      // The opener is gone again once the handler has returned.
      EXPECT_EQ(ui.Find("frmOpen"), nullptr);
      EXPECT_TRUE(w.IsOpen());
    });
    EXPECT_EQ(ui.CreatedCount("frmOpen") - before, c.chat ? 1 : 0);
    if (c.chat) {
      EXPECT_EQ(shownWith, std::vector<std::string>{c.url});
    }
  }
}

TEST_F(VisitorViewerTest, PageScriptCannotCloseTheViewerButClosesTheChatOpener) {
  bool openerClosedByScript = false;
  ui.OnModal("frmOpen", [&](FakeWindow& open) {
    EXPECT_FALSE(open.Browser("Web")->FireWindowClosing());  // cancel left false
    openerClosedByScript = !open.IsOpen();
  });
  OpenWith([&](FakeWindow& w) {
    EXPECT_TRUE(w.Browser("Web")->FireWindowClosing());
    EXPECT_TRUE(w.IsOpen());
    w.Browser("Web")->FireBeforeNavigate2(ChatLink("uin=42"));
    EXPECT_TRUE(w.IsOpen());
  });
  EXPECT_TRUE(openerClosedByScript);
}

TEST_F(VisitorViewerTest, ResizeFillsTheWindowAndKeepsTheLastSizeWhenItWouldBeNegative) {
  struct Case {
    int outerWidth, outerHeight;
    Rect expected;
  } steps[] = {
      {16000, 9000, {0, 0, 15850, 8500}},
      {150, 500, {0, 0, 0, 0}},
      {20000, 12000, {0, 0, 19850, 11500}},
      {149, 9000, {0, 0, 19850, 11500}},  // negative width: unchanged
      {9000, 499, {0, 0, 19850, 11500}},  // negative height: unchanged
      {-3000, -3000, {0, 0, 19850, 11500}},
      {3000, 3000, {0, 0, 2850, 2500}},
  };
  OpenWith([&](FakeWindow& w) {
    FakeBrowser* web = w.Browser("Web");
    FakeBrowser* data = w.Browser("webData");
    // At the window's own size the page covers the client area exactly.
    w.UserResize(w.OuterWidth(), w.OuterHeight());
    EXPECT_EQ(web->rect().left, 0);
    EXPECT_EQ(web->rect().top, 0);
    EXPECT_EQ(web->rect().width, 14985);
    EXPECT_EQ(web->rect().height, 8265);
    for (const auto& s : steps) {
      SCOPED_TRACE(testing::Message() << s.outerWidth << " x " << s.outerHeight);
      w.UserResize(s.outerWidth, s.outerHeight);
      EXPECT_EQ(web->rect().left, s.expected.left);
      EXPECT_EQ(web->rect().top, s.expected.top);
      EXPECT_EQ(web->rect().width, s.expected.width);
      EXPECT_EQ(web->rect().height, s.expected.height);
      EXPECT_EQ(data->rect().left, 3435);
      EXPECT_EQ(data->rect().width, 2025);
    }
    EXPECT_EQ(data->moves(), 0);
  });
  EXPECT_TRUE(Boxes().empty());
}

class ChatOpenerTest : public FormsTest {};

TEST_F(ChatOpenerTest, IsATinyFramelessWindowLoadingTheChatLink) {
  gOpenTarget = ChatLink("V=3&Uin=555");
  frmOpen opener;
  auto& w = static_cast<FakeWindow&>(opener.Window());
  EXPECT_EQ(w.Caption(), "Form1");
  EXPECT_EQ(w.attributes().frame, FrameKind::None);
  EXPECT_FALSE(w.attributes().showInTaskbar);
  EXPECT_EQ(w.attributes().placement, Placement::System);
  EXPECT_EQ(w.attributes().clientWidth, 90);
  EXPECT_EQ(w.attributes().clientHeight, 90);
  const Rect web = w.Record("Web")->rect;
  EXPECT_EQ(web.left, 240);
  EXPECT_EQ(web.top, 165);
  EXPECT_EQ(web.width, 3300);
  EXPECT_EQ(web.height, 2430);
  EXPECT_EQ(w.Browser("Web")->calls(),
            (std::vector<FakeBrowser::Call>{{"Navigate2", ChatLink("V=3&Uin=555")}}));
}

// A chat page that never closes itself must not keep the user locked out:
// Escape or the time-out closes the opener.
TEST_F(ChatOpenerTest, HasAWayOutWhenThePageNeverClosesItself) {
  const char* ways[] = {"script", "escape", "time-out"};
  for (const std::string way : ways) {
    SCOPED_TRACE(way);
    gOpenTarget = ChatLink("uin=1");
    frmOpen opener;
    auto& w = static_cast<FakeWindow&>(opener.Window());
    ui.OnModal("frmOpen", [&](FakeWindow& shown) {
      EXPECT_TRUE(shown.IsOpen());
      EXPECT_EQ(shown.Timer("tmrGiveUp")->Interval(), 30000);
      if (way == "script") shown.Browser("Web")->FireWindowClosing();
      if (way == "escape") shown.onEscape();
      if (way == "time-out") {
        EXPECT_TRUE(shown.FireTimer("tmrGiveUp"));
      }
      EXPECT_FALSE(shown.IsOpen());
    });
    opener.ShowModal(nullptr);
    EXPECT_EQ(w.closeCount(), 1);
  }
}

// The messenger's chat-link page hands the chat to the messenger program by
// loading an address of the program's own scheme: that address, and no
// other, goes to the desktop, and the opener closes as if its page had
// closed itself.
TEST_F(ChatOpenerTest, HandsOnlyTheMessengersOwnAddressesToTheDesktopAndThenCloses) {
  const std::string app(kChatAppScheme);
  struct Case {
    std::string url;
    bool handed;
  } cases[] = {
      {app + "://message/?uin=123&Site=x&Menu=yes", true},
      {Upper(app) + "://Message/?uin=123&Site=X&Menu=yes", true},
      {ChatLink("v=3&uin=123"), false},
      {"https://chat.example/next?to=" + app + "://message/?uin=1", false},
      {"about:blank", false},
      {"mailto:a@b.example?attach=/etc/passwd", false},
      {"smb://host/share", false},
      {"sftp://host/etc/passwd", false},
      {"file:///etc/passwd", false},
      {app + "x://message/?uin=1", false},
      {"x" + app + "://message/?uin=1", false},
      {" " + app + "://message/?uin=1", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    env.shell.chatOpened.clear();
    gOpenTarget = ChatLink("uin=123");
    frmOpen opener;
    auto& w = static_cast<FakeWindow&>(opener.Window());
    ui.OnModal("frmOpen", [&](FakeWindow& shown) {
      BeforeNavigateArgs args = shown.Browser("Web")->FireBeforeNavigate2(c.url);
      EXPECT_EQ(args.cancel, c.handed);
      EXPECT_EQ(shown.IsOpen(), !c.handed);
    });
    opener.ShowModal(nullptr);
    EXPECT_EQ(ChatAppOpens(), c.handed ? std::vector<std::string>{c.url}
                                       : std::vector<std::string>{});
    // Whatever happened, the opener closed once (by the hand-over, or by the
    // close that follows a modal handler that did not close it).
    EXPECT_EQ(w.closeCount(), 1);
  }
  EXPECT_TRUE(BrowserOpens().empty());
}

// Refused or not, the hand-over ends the opener: nothing else would.
TEST_F(ChatOpenerTest, AHandOverTheDesktopRefusesStillClosesTheOpener) {
  const std::string handOver = std::string(kChatAppScheme) + "://message/?uin=9&Site=x&Menu=yes";
  for (const bool throws : {false, true}) {
    SCOPED_TRACE(throws ? "shell throws" : "shell refuses");
    if (throws)
      ThrowingShell();
    else
      FailShell();
    gOpenTarget = ChatLink("uin=9");
    frmOpen opener;
    ui.OnModal("frmOpen", [&](FakeWindow& shown) {
      EXPECT_TRUE(shown.Browser("Web")->FireBeforeNavigate2(handOver).cancel);
      EXPECT_FALSE(shown.IsOpen());
      // A second hand-over raised before the window went away is not repeated.
      EXPECT_TRUE(shown.Browser("Web")->FireBeforeNavigate2(handOver).cancel);
    });
    opener.ShowModal(nullptr);
    EXPECT_EQ(static_cast<FakeWindow&>(opener.Window()).closeCount(), 1);
  }
  EXPECT_EQ(ChatAppOpens(), std::vector<std::string>{handOver});
  EXPECT_TRUE(Boxes().empty());
}

// The whole way from the visitor page: the chat link opens the opener, its
// page moves on to another page of its own, then hands the chat over; the
// visitor viewer is usable again, and nothing went to the web browser.
TEST_F(VisitorViewerTest, AChatPageThatMovesOnAndThenHandsOverEndsTheOpener) {
  const std::string link = ChatLink("v=3&uin=777&site=qq&menu=yes");
  const std::string next = "http://chat.example/wpa/msgrd2?uin=777";
  const std::string handOver = std::string(kChatAppScheme) + "://message/?uin=777&Site=qq&Menu=yes";
  bool openerClosedByHandOver = false;
  ui.OnModal("frmOpen", [&](FakeWindow& open) {
    FakeBrowser* web = open.Browser("Web");
    EXPECT_FALSE(web->FireBeforeNavigate2(next).cancel);
    EXPECT_TRUE(open.IsOpen());
    EXPECT_TRUE(ChatAppOpens().empty());
    EXPECT_TRUE(web->FireBeforeNavigate2(handOver).cancel);
    openerClosedByHandOver = !open.IsOpen();
  });
  gVisitorTarget = "5";
  OpenWith([&](FakeWindow& w) {
    EXPECT_TRUE(w.Browser("Web")->FireBeforeNavigate2(link).cancel);
    EXPECT_EQ(ui.Find("frmOpen"), nullptr);
    EXPECT_TRUE(w.IsOpen());
  });
  EXPECT_TRUE(openerClosedByHandOver);
  EXPECT_EQ(ChatAppOpens(), std::vector<std::string>{handOver});
  EXPECT_TRUE(BrowserOpens().empty());
}

TEST(ExportSavedTextTest, SaysWhereTheExportWent) {
  EXPECT_EQ(ExportSavedText("/home/u/Downloads/a.xls"), "导出的文件已保存到：/home/u/Downloads/a.xls");
}

}  // namespace
}  // namespace lumaro
