// The site code checker: its load, animation, poll, stop and re-check.
#include "windows/frmCheckCode.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "build_config.h"
#include "controls/progbutton.h"
#include "core/globals.h"
#include "forms/forms_fixture.h"

namespace lumaro {
namespace {

using Calls = std::vector<FakeBrowser::Call>;

class CheckCodeTest : public FormsTest {
 protected:
  CheckCodeTest() {
    // Every stamp reads "36000" until a test lets time pass.
    env.clock.midnightOffset_ = 36000.0 - env.clock.now_;
    gCheckTarget = "88";
    Reply(Base() + "GetNet.asp", "http://site.example/Index.htm");
    Reply(Base() + "queryFlag.asp", "waiting");
  }

  // Opens the checker as the console does; `inside` runs while it is shown.
  // Checks that the instance is gone once the opener has returned.
  void Run(std::function<void(FakeWindow&)> inside) {
    bool shown = false;
    ui.OnModal("frmCheckCode", [&](FakeWindow& w) {
      shown = true;
      EXPECT_EQ(w.modalOwner(), &owner_);
      inside(w);
    });
    OpenSiteCodeChecker(&owner_);
    EXPECT_TRUE(shown);
    EXPECT_EQ(ui.Find("frmCheckCode"), nullptr);
  }

  static std::string Poll(const std::string& id = "88") {
    return Base() + "queryFlag.asp?id=" + id + "&t=36000";
  }

  FakeWindow owner_{nullptr, [] {
    WindowAttributes attributes;
    attributes.name = "frmAdmin";
    return attributes;
  }()};
};

FakeReply Answer(int status, const std::string& body, bool never = false) {
  FakeReply reply;
  reply.status = status;
  reply.body = body;
  reply.never = never;
  return reply;
}

void ExpectRect(const FakeWindow& w, const char* name, Rect r, const char* parent) {
  const FakeControlRecord* c = w.Record(name);
  ASSERT_NE(c, nullptr) << name;
  EXPECT_EQ(c->rect.left, r.left) << name;
  EXPECT_EQ(c->rect.top, r.top) << name;
  EXPECT_EQ(c->rect.width, r.width) << name;
  EXPECT_EQ(c->rect.height, r.height) << name;
  EXPECT_EQ(c->style.parent, parent) << name;
}

TEST_F(CheckCodeTest, StaysHiddenUntilTheSiteAddressIsInThenShowsItsLayout) {
  FakeReply site = env.http.Lookup(Base() + "GetNet.asp");
  bool asked = false;
  site.onSend = [&] {
    asked = true;
    FakeWindow* w = ui.Find("frmCheckCode");
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->wasShown());
    EXPECT_TRUE(w->Timer("tmrDraw")->Enabled());
    EXPECT_FALSE(w->Timer("tmrT")->Enabled());
    EXPECT_TRUE(w->Browser("web1")->silent());
    EXPECT_EQ(w->Button("pbar")->Max(), 100);
    EXPECT_EQ(w->Button("pbar")->Min(), 1);
  };
  env.http.Reply(Base() + "GetNet.asp", site);

  Run([&](FakeWindow& w) {
    EXPECT_EQ(w.Caption(), "正在检查网站");
    EXPECT_EQ(w.attributes().frame, FrameKind::FixedDialog);
    EXPECT_FALSE(w.attributes().minimizeButton);
    EXPECT_FALSE(w.attributes().maximizeButton);
    EXPECT_FALSE(w.attributes().showInTaskbar);
    EXPECT_EQ(w.attributes().placement, Placement::CenterScreen);
    EXPECT_EQ(w.attributes().clientWidth, 6075);
    EXPECT_EQ(w.attributes().clientHeight, 3690);

    // The browser comes first, so the panel lies over it.
    EXPECT_EQ(w.ControlNames(), (std::vector<std::string>{"web1", "Picture1", "Label1", "pbar",
                                                          "Command1", "cmdStop"}));
    EXPECT_EQ(w.Record("Picture1")->kind, FakeControlKind::Panel);
    ExpectRect(w, "web1", {1635, 570, 4620, 1365}, "");
    ExpectRect(w, "Picture1", {0, 60, 9810, 2340}, "");
    ExpectRect(w, "Label1", {630, 390, 1575, 195}, "Picture1");
    ExpectRect(w, "pbar", {540, 1065, 5250, 420}, "Picture1");
    ExpectRect(w, "Command1", {1275, 2790, 1185, 465}, "");
    ExpectRect(w, "cmdStop", {3585, 2790, 1185, 465}, "");
    EXPECT_EQ(w.Record("Label1")->caption, "正在检测，请等待...");

    struct Button {
      const char* name;
      int style;
      const char* caption;
    } buttons[] = {{"pbar", 0, ""}, {"Command1", 1, "重新检测"}, {"cmdStop", 1, "停止测试"}};
    for (const auto& b : buttons) {
      EXPECT_EQ(w.Button(b.name)->Style(), b.style) << b.name;
      EXPECT_EQ(w.Button(b.name)->Color(), 8) << b.name;
      EXPECT_EQ(w.Button(b.name)->Caption(), b.caption) << b.name;
    }
    EXPECT_EQ(w.Timer("tmrDraw")->Interval(), 100);
    EXPECT_EQ(w.Timer("tmrT")->Interval(), 1000);
    EXPECT_TRUE(w.Timer("tmrDraw")->Enabled());
    EXPECT_TRUE(w.Timer("tmrT")->Enabled());
  });
  EXPECT_TRUE(asked);
}

// The hidden browser loads the answer when it is a web address, as it comes;
// a failed answer, or one that names no web page, leaves it empty (it is no
// site, and "ERROR" is no host to look up). Either way the check goes on.
TEST_F(CheckCodeTest, LoadsTheSiteAddressOnlyWhenTheAnswerIsAWebAddress) {
  struct Case {
    const char* what;
    FakeReply reply;
    std::string loaded;  // "" when nothing is loaded
  } cases[] = {
      {"address", Answer(200, "http://Site.Example/Page.htm?a=1"), "http://Site.Example/Page.htm?a=1"},
      {"secure address", Answer(200, "HTTPS://site.example/"), "HTTPS://site.example/"},
      {"address and a line end", Answer(200, "http://site.example/\r\n"), "http://site.example/\r\n"},
      {"bad status", Answer(404, "not found"), ""},
      {"empty answer", Answer(200, ""), ""},
      {"no scheme", Answer(200, "site.example/index.htm"), ""},
      {"no host", Answer(200, "http:///index.htm"), ""},
      {"local file", Answer(200, "file:///etc/passwd"), ""},
      {"script", Answer(200, "javascript:alert(1)"), ""},
      {"share", Answer(200, "smb://host/share"), ""},
      {"blank page", Answer(200, "about:blank"), ""},
      // Last: its wait moves the clock on.
      {"no answer in time", Answer(200, "late", true), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    env.http.sent.clear();
    env.http.Reply(Base() + "GetNet.asp", c.reply);
    Run([&](FakeWindow& w) {
      if (c.loaded.empty()) {
        EXPECT_TRUE(w.Browser("web1")->calls().empty());
      } else {
        EXPECT_EQ(w.Browser("web1")->calls(), (Calls{{"Navigate2", c.loaded}}));
      }
      // No message either way, and the check goes on polling.
      EXPECT_TRUE(w.Timer("tmrDraw")->Enabled());
      EXPECT_TRUE(w.FireTimer("tmrT"));
      EXPECT_TRUE(w.Timer("tmrT")->Enabled());
    });
    ASSERT_EQ(Requests().size(), 2u);
    EXPECT_EQ(Requests()[0], Base() + "GetNet.asp?id=88&t=36000");
    EXPECT_EQ(Requests()[1].rfind(Base() + "queryFlag.asp?id=88&t=", 0), 0u) << Requests()[1];
  }
  EXPECT_TRUE(Boxes().empty());
}

// An empty hidden browser still polls to the end: the service's "ok" closes
// the check with its message.
TEST_F(CheckCodeTest, AFailedSiteAddressStillEndsInSuccessWhenTheCodeReports) {
  env.http.Reply(Base() + "GetNet.asp", Answer(500, "busy"));
  Reply(Base() + "queryFlag.asp", "ok");
  Run([&](FakeWindow& w) {
    EXPECT_TRUE(w.Browser("web1")->calls().empty());
    EXPECT_TRUE(w.FireTimer("tmrT"));
    EXPECT_FALSE(w.IsOpen());
  });
  EXPECT_EQ(env.dialogs.Texts(), std::vector<std::string>{"代码测试成功！"});
}

TEST_F(CheckCodeTest, AnEmptySiteRecordStillSendsBothRequests) {
  gCheckTarget = "";
  Run([&](FakeWindow& w) { w.FireTimer("tmrT"); });
  EXPECT_EQ(Requests(), (std::vector<std::string>{Base() + "GetNet.asp?id=&t=36000", Poll("")}));
}

// A second checker opened while this one waits for its site address (its
// link sets gCheckTarget anew) does not change the site polled here: the
// second site's success is never reported for this one.
TEST_F(CheckCodeTest, PollsTheSiteItWasOpenedForToTheEnd) {
  FakeReply site = env.http.Lookup(Base() + "GetNet.asp");
  bool opened = false;
  site.onSend = [&] {
    if (opened) return;
    opened = true;
    env.pump.Post([&] {
      gCheckTarget = "99";
      OpenSiteCodeChecker(&owner_);
    });
  };
  env.http.Reply(Base() + "GetNet.asp", site);
  Reply(Base() + "queryFlag.asp?id=99", "ok");
  int shown = 0;
  std::vector<std::string> polls;
  ui.OnModal("frmCheckCode", [&](FakeWindow& w) {
    if (++shown == 1) return;  // the second checker: closed unused
    env.http.sent.clear();
    for (int poll = 0; poll < 3; ++poll) EXPECT_TRUE(w.FireTimer("tmrT"));
    polls = Requests();
    EXPECT_TRUE(w.IsOpen());
  });
  OpenSiteCodeChecker(&owner_);
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(polls, std::vector<std::string>(3, Poll("88")));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(CheckCodeTest, TheBarRunsTenToHundredThenOneToNinetyOneInStepsOfTen) {
  Run([&](FakeWindow& w) {
    ProgButton* bar = w.Button("pbar");
    std::vector<int> values;
    std::vector<std::string> texts;
    for (int tick = 0; tick < 21; ++tick) {
      w.FireTimer("tmrDraw");
      values.push_back(bar->Value());
      texts.push_back(bar->DrawnText());
    }
    EXPECT_EQ(values, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 1, 11, 21, 31,
                                        41, 51, 61, 71, 81, 91, 1}));
    EXPECT_EQ(texts[0], "9.09%");
    EXPECT_EQ(texts[9], "100.00%");
    EXPECT_EQ(texts[10], "0.00%");
    EXPECT_EQ(texts[19], "90.91%");
  });
}

TEST_F(CheckCodeTest, OnlyALowerCaseOkInThePollAnswerIsSuccess) {
  struct Case {
    const char* what;
    FakeReply reply;
    bool success;
  } cases[] = {
      {"ok", Answer(200, "ok"), true},
      {"ok inside a text", Answer(200, "flag=book;"), true},
      {"capital OK", Answer(200, "OK"), false},
      {"mixed Ok", Answer(200, "Ok"), false},
      {"not yet", Answer(200, "no"), false},
      {"empty answer", Answer(200, ""), false},
      {"bad status with ok in the body", Answer(500, "ok"), false},
      {"no answer in time", Answer(200, "ok", true), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    env.dialogs.shown.clear();
    env.http.Reply(Base() + "queryFlag.asp", c.reply);
    Run([&](FakeWindow& w) {
      EXPECT_TRUE(w.FireTimer("tmrT"));
      EXPECT_EQ(w.IsOpen(), !c.success);
      EXPECT_EQ(w.Timer("tmrT")->Enabled(), !c.success);
      if (c.success) {
        EXPECT_FALSE(w.FireTimer("tmrT"));  // closed: no further poll
        EXPECT_EQ(w.closeCount(), 1);
      }
    });
    if (c.success) {
      ASSERT_EQ(Boxes().size(), 1u);
      EXPECT_EQ(Boxes()[0].text, "代码测试成功！");
      EXPECT_EQ(Boxes()[0].title, std::string(kNoticeTitle));
      EXPECT_EQ(Boxes()[0].icon, MsgIcon::Information);
      EXPECT_EQ(Boxes()[0].buttons, MsgButtons::Ok);
    } else {
      EXPECT_TRUE(Boxes().empty());
    }
  }
}

TEST_F(CheckCodeTest, AFailedPollIsFollowedByTheNextUntilTheCodeHasReported) {
  Run([&](FakeWindow& w) {
    // While a poll waits, its timer is off, so polls never overlap.
    FakeReply slow = env.http.Lookup(Base() + "queryFlag.asp");
    slow.looks = 3;
    bool sawTimerOff = false;
    env.pump.onPump = [&] {
      if (!w.Timer("tmrT")->Enabled()) sawTimerOff = true;
    };
    env.http.Reply(Base() + "queryFlag.asp", slow);
    for (int poll = 0; poll < 3; ++poll) {
      EXPECT_TRUE(w.FireTimer("tmrT"));
      EXPECT_TRUE(w.Timer("tmrT")->Enabled());
    }
    env.pump.onPump = nullptr;
    EXPECT_TRUE(sawTimerOff);
    EXPECT_TRUE(Boxes().empty());
    Reply(Base() + "queryFlag.asp", "ok");
    EXPECT_TRUE(w.FireTimer("tmrT"));
    EXPECT_FALSE(w.IsOpen());
  });
  EXPECT_EQ(env.http.CountSent("queryFlag.asp?id=88&t="), 4u);
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(CheckCodeTest, StopOrCloseWhileAPollWaitsDropsItsReply) {
  const char* ways[] = {"stop button", "close box"};
  for (const std::string way : ways) {
    SCOPED_TRACE(way);
    const double before = env.clock.now_;
    Run([&](FakeWindow& w) {
      ReplyWhileWaiting(Base() + "queryFlag.asp", "ok", [&] {
        if (way == "stop button") {
          EXPECT_TRUE(w.Click("cmdStop"));
        } else {
          w.UserClose();
        }
      });
      EXPECT_TRUE(w.FireTimer("tmrT"));
      EXPECT_FALSE(w.IsOpen());
      EXPECT_FALSE(w.Timer("tmrT")->Enabled());  // not re-armed
      EXPECT_EQ(w.closeCount(), 1);
    });
    // The stop button lets about 200 ms of events run before it closes.
    if (way == "stop button") {
      EXPECT_GE(env.clock.now_ - before, 0.19);
    }
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(CheckCodeTest, ATickWhileTheStopButtonWaitsStartsNoPoll) {
  // A poll started then would hold the closing window for as long as the
  // service keeps it waiting.
  Reply(Base() + "queryFlag.asp", "ok");
  Run([&](FakeWindow& w) {
    env.pump.Post([&] { EXPECT_TRUE(w.FireTimer("tmrT")); });
    EXPECT_TRUE(w.Click("cmdStop"));
    EXPECT_FALSE(w.IsOpen());
  });
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_NE(Requests()[0].find("GetNet.asp"), std::string::npos);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(CheckCodeTest, TheSuccessBoxClosesTheWindowOnlyOnce) {
  Reply(Base() + "queryFlag.asp", "ok");
  Run([&](FakeWindow& w) {
    // The user uses the close box while the message is up.
    env.dialogs.whileOpen = [&](const ShownMessage&) { w.UserClose(); };
    w.FireTimer("tmrT");
    EXPECT_EQ(w.closeCount(), 1);
  });
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(CheckCodeTest, ReCheckReloadsTheSitePageAndLeavesTimersAndBarAlone) {
  Run([&](FakeWindow& w) {
    for (int tick = 0; tick < 3; ++tick) w.FireTimer("tmrDraw");
    w.FireTimer("tmrT");
    const size_t sent = Requests().size();
    FakeBrowser* web = w.Browser("web1");
    web->ClearCalls();
    EXPECT_TRUE(w.Click("Command1"));
    EXPECT_EQ(web->calls(), (Calls{{"Refresh", ""}}));
    EXPECT_EQ(w.Button("pbar")->Value(), 30);
    EXPECT_TRUE(w.Timer("tmrDraw")->Enabled());
    EXPECT_TRUE(w.Timer("tmrT")->Enabled());
    EXPECT_EQ(Requests().size(), sent);
    EXPECT_TRUE(w.IsOpen());
    w.FireTimer("tmrDraw");
    EXPECT_EQ(w.Button("pbar")->Value(), 40);
  });
}

// The instance may be released while one of its waits runs; the handler that
// waited must not touch it afterwards (run under the sanitizers to be sure).
TEST_F(CheckCodeTest, NothingTouchesAnInstanceReleasedDuringItsWaits) {
  for (const bool stopButton : {false, true}) {
    SCOPED_TRACE(stopButton ? "stop button" : "poll");
    auto checker = std::make_unique<frmCheckCode>();
    frmCheckCode* raw = checker.get();
    FakeReply reply = env.http.Lookup(Base() + "queryFlag.asp");
    reply.body = "ok";
    reply.onSend = [&] { env.pump.Post([&] { checker.reset(); }); };
    env.http.Reply(Base() + "queryFlag.asp", reply);
    if (stopButton) {
      env.pump.Post([&] { checker.reset(); });
      raw->cmdStop_Click();
    } else {
      raw->tmrT_Timer();
    }
    EXPECT_EQ(checker, nullptr);
    EXPECT_EQ(ui.Find("frmCheckCode"), nullptr);
  }
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace lumaro
