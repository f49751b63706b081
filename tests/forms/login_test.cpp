#include "signin/frmlogin.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "build_config.h"
#include "core/globals.h"
#include "core/md5.h"
#include "core/startup.h"
#include "forms/forms_fixture.h"
#include "member/frmAdmin.h"

namespace lumaro {
namespace {

const std::string kRefusedText = "用户名或密码不正确，登录失败，请重试!";

class LoginTest : public FormsTest {
 protected:
  FakeWindow& Open() {
    ShowLoginWindow();
    FakeWindow* w = ui.Find("frmlogin");
    EXPECT_NE(w, nullptr);
    return *w;
  }
  // Opens the window, lets the start-up phase end and fills both boxes.
  FakeWindow& Ready(const std::string& user, const std::string& password, bool remember) {
    FakeWindow& w = Open();
    w.FireTimer("tmrClear");
    w.Type("txtuser", user);
    w.Type("txtpass", password);
    w.CheckBox("chkWrite")->SetChecked(remember);
    return w;
  }
  std::vector<std::string> LoginRequests() const {
    std::vector<std::string> out;
    for (const auto& url : Requests())
      if (url.find("newlogin.asp") != std::string::npos) out.push_back(url);
    return out;
  }
};

TEST_F(LoginTest, WindowAndControlsAreLaidOutAsDesigned) {
  FakeWindow& w = Open();
  const WindowAttributes& attributes = w.attributes();
  EXPECT_EQ(w.Caption(), "登录" + EditionLabel(kEditionId));
  EXPECT_EQ(w.Caption(), "登录V6.0");
  EXPECT_EQ(attributes.clientWidth, 15045);
  EXPECT_EQ(attributes.clientHeight, 9225);
  EXPECT_EQ(attributes.background, "login_background.svg");
  EXPECT_FALSE(attributes.maximizeButton);
  EXPECT_EQ(attributes.placement, Placement::CenterScreen);
  EXPECT_EQ(w.showCount(), 1);

  struct Case {
    const char* name;
    Rect rect;
    const char* caption;
    bool hand;
  } cases[] = {
      {"txtuser", {2685, 5805, 2670, 345}, "", false},
      {"txtpass", {2685, 6525, 2685, 315}, "", false},
      {"chkWrite", {1620, 7080, 195, 195}, "", false},
      {"cmdLogin", {2640, 7425, 1185, 345}, "", true},
      {"lblLogin", {3045, 7515, 450, 195}, "登  录", true},
      {"cmdExit", {4110, 7425, 1185, 345}, "", true},
      {"lblExit", {4455, 7515, 450, 195}, "退  出", true},
      {"lblReg", {5940, 7515, 900, 195}, "新用户注册", true},
      {"lblInfo", {1560, 7890, 4635, 300}, "正在初始化，请稍候.....", false},
      {"Image3", {2280, 4770, 570, 300}, "", false},
  };
  for (const auto& c : cases) {
    const FakeControlRecord* r = w.Record(c.name);
    ASSERT_NE(r, nullptr) << c.name;
    EXPECT_EQ(r->rect.left, c.rect.left) << c.name;
    EXPECT_EQ(r->rect.top, c.rect.top) << c.name;
    EXPECT_EQ(r->rect.width, c.rect.width) << c.name;
    EXPECT_EQ(r->rect.height, c.rect.height) << c.name;
    EXPECT_EQ(r->caption, c.caption) << c.name;
    EXPECT_EQ(r->style.handCursor, c.hand) << c.name;
  }
  EXPECT_TRUE(w.Record("txtpass")->style.password);
  EXPECT_FALSE(w.Record("txtuser")->style.password);
  EXPECT_EQ(w.Record("lblInfo")->style.color, PackRRGGBB(255, 255, 255));
  EXPECT_EQ(w.Record("cmdLogin")->style.image, "button.svg");
  // Edition 2 offers the sign-up; labels lie above the pictures they caption.
  EXPECT_TRUE(w.Label("lblReg")->Visible());
  EXPECT_TRUE(w.Picture("imgReg")->Visible());
  auto names = w.ControlNames();
  auto pos = [&](const char* n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
  EXPECT_EQ(names.front(), "txtuser");  // first in the tab order
  EXPECT_LT(pos("txtuser"), pos("txtpass"));
  EXPECT_LT(pos("cmdLogin"), pos("lblLogin"));
  EXPECT_LT(pos("cmdExit"), pos("lblExit"));
  EXPECT_LT(pos("imgReg"), pos("lblReg"));
}

TEST_F(LoginTest, LoadFillsTheBoxesFromTheRememberedSignIn) {
  struct Case {
    const char* what;
    std::optional<std::string> file;  // GBK bytes
    const char* user;
    const char* password;
    bool ticked;
  } cases[] = {
      {"no file", std::nullopt, "", "", false},
      {"empty file", "", "", "", false},
      {"remembered", "alice@@@@@@@@@@secret@@@@@@@@@@1\r\n", "alice", "secret", true},
      {"not remembered", "alice@@@@@@@@@@@@@@@@@@@@0\r\n", "alice", "", false},
      {"password kept but flag 0", "alice@@@@@@@@@@secret@@@@@@@@@@0\r\n", "alice", "", false},
      {"Chinese name in GBK", "\xd5\xc5\xc8\xfd@@@@@@@@@@pw@@@@@@@@@@1\r\n", "张三", "pw", true},
      {"comma in the password", "bob@@@@@@@@@@a,b,c@@@@@@@@@@1\r\n", "bob", "a,b,c", true},
      {"only the first line", "bob@@@@@@@@@@pw@@@@@@@@@@1\r\nx@@@@@@@@@@y@@@@@@@@@@0\r\n", "bob",
       "pw", true},
      {"no line break", "bob@@@@@@@@@@pw@@@@@@@@@@1", "bob", "pw", true},
      {"flag read as a number", "bob@@@@@@@@@@pw@@@@@@@@@@ 1.0 \r\n", "bob", "pw", true},
      {"flag not a number", "bob@@@@@@@@@@pw@@@@@@@@@@x\r\n", "bob", "pw", false},
      {"flag empty", "bob@@@@@@@@@@pw@@@@@@@@@@\r\n", "bob", "pw", false},
      {"two fields", "bob@@@@@@@@@@pw\r\n", "", "", false},
      {"four fields", "bob@@@@@@@@@@pw@@@@@@@@@@1@@@@@@@@@@z\r\n", "", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    frmlogin::ReleaseInstance();
    if (c.file)
      PutFile(IniFilePath(), *c.file);
    else
      RemoveFile(IniFilePath());
    FakeWindow& w = Open();
    EXPECT_EQ(w.TextBox("txtuser")->Text(), c.user);
    EXPECT_EQ(w.TextBox("txtpass")->Text(), c.password);
    EXPECT_EQ(w.CheckBox("chkWrite")->Checked(), c.ticked);
    EXPECT_TRUE(w.Timer("tmrClear")->Enabled());
  }
}

TEST_F(LoginTest, TimerEndsTheStartingPhaseOnce) {
  FakeWindow& w = Open();
  FakeTimer* t = w.Timer("tmrClear");
  EXPECT_EQ(t->Interval(), 100);
  EXPECT_EQ(w.Label("lblInfo")->Text(), "正在初始化，请稍候.....");
  EXPECT_TRUE(w.FireTimer("tmrClear"));
  EXPECT_FALSE(t->Enabled());
  EXPECT_EQ(w.Label("lblInfo")->Text(), "可以登录");
  EXPECT_TRUE(w.Picture("cmdLogin")->Enabled());
  EXPECT_TRUE(w.Label("lblLogin")->Visible());
  EXPECT_FALSE(w.FireTimer("tmrClear"));
}

TEST_F(LoginTest, EmptyFieldsAreReportedWithoutARequest) {
  struct Case {
    const char* user;
    const char* password;
    const char* message;
  } cases[] = {
      {"", "pw", "请输入登录帐号"},
      {"", "", "请输入登录帐号"},
      {"bob", "", "请输入密码"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    frmlogin::ReleaseInstance();
    size_t before = Boxes().size();
    FakeWindow& w = Ready(c.user, c.password, false);
    w.Click("lblLogin");
    ASSERT_EQ(Boxes().size(), before + 1);
    const ShownMessage& box = Boxes().back();
    EXPECT_EQ(box.text, c.message);
    EXPECT_EQ(box.title, std::string(kApplicationTitle));
    EXPECT_EQ(box.icon, MsgIcon::None);
    EXPECT_EQ(box.buttons, MsgButtons::Ok);
    EXPECT_TRUE(w.Picture("cmdLogin")->Enabled());
    EXPECT_TRUE(w.IsOpen());
  }
  EXPECT_TRUE(LoginRequests().empty());
}

TEST_F(LoginTest, RequestCarriesUpperCasedEncodedNameEncodedPasswordEditionAndToken) {
  gOemCode = "OEM-7";
  Reply(Base() + "newlogin.asp", "no");
  FakeWindow& w = Ready("ab张", "a&b c%+#", false);
  w.Click("cmdLogin");
  ASSERT_EQ(LoginRequests().size(), 1u);
  const std::string expected = Base() + "newlogin.asp?user=%41%42%D5%C5" +
                               "&pwd=%61%26%62%20%63%25%2B%23&ver=2&code=" +
                               DigestToken("OEM-7") + "&t=";
  const std::string url = LoginRequests()[0];
  ASSERT_EQ(url.substr(0, expected.size()), expected);
  // Then the stamp alone: a number, no second parameter.
  const std::string stamp = url.substr(expected.size());
  EXPECT_FALSE(stamp.empty());
  EXPECT_EQ(stamp.find_first_not_of("0123456789.E+-"), std::string::npos) << stamp;
}

TEST_F(LoginTest, AnythingButOkIsARefusal) {
  for (const char* reply : {"OK||1||2||3", "Ok", "ERROR", " ", "no||ok", " ok||1"}) {
    SCOPED_TRACE(reply);
    frmlogin::ReleaseInstance();
    Reply(Base() + "newlogin.asp", reply);
    size_t before = Boxes().size();
    FakeWindow& w = Ready("bob", "pw", true);
    w.Click("lblLogin");
    ASSERT_EQ(Boxes().size(), before + 1);
    EXPECT_EQ(Boxes().back().text, kRefusedText);
    EXPECT_EQ(Boxes().back().title, std::string(kNoticeTitle));
    EXPECT_EQ(Boxes().back().icon, MsgIcon::None);
    EXPECT_EQ(w.Label("lblInfo")->Text(), kRefusedText);
    EXPECT_TRUE(w.Picture("cmdLogin")->Enabled());
    EXPECT_TRUE(w.IsOpen());
    EXPECT_EQ(ui.Find("frmAdmin"), nullptr);
    EXPECT_FALSE(FileBytes(IniFilePath()).has_value());
    EXPECT_EQ(gUserName, "");
  }
}

TEST_F(LoginTest, AcceptedSignInRemembersOpensTheConsoleAndCloses) {
  struct Case {
    const char* reply;
    bool remember;
    std::string line;  // GBK
  } cases[] = {
      {"ok||1||2||3", false, "\xd5\xc5\xc8\xfd@@@@@@@@@@@@@@@@@@@@0\r\n"},
      {"ok||1||2||3", true, "\xd5\xc5\xc8\xfd@@@@@@@@@@p,w@@@@@@@@@@1\r\n"},
      {"ok", true, "\xd5\xc5\xc8\xfd@@@@@@@@@@p,w@@@@@@@@@@1\r\n"},  // fewer fields: accepted
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.reply) + (c.remember ? " remembered" : ""));
    frmlogin::ReleaseInstance();
    frmAdmin::ReleaseInstance();
    Reply(Base() + "newlogin.asp", c.reply);
    FakeWindow& w = Ready("张三", "p,w", c.remember);
    w.Click("cmdLogin");
    EXPECT_EQ(FileBytes(IniFilePath()), c.line);
    EXPECT_TRUE(WrittenOwnerOnly(IniFilePath()));
    EXPECT_EQ(gUserName, "张三");  // as typed, not upper-cased
    FakeWindow* console = ui.Find("frmAdmin");
    ASSERT_NE(console, nullptr);
    EXPECT_TRUE(console->IsOpen());
    EXPECT_EQ(console->modalCount(), 0);
    EXPECT_EQ(console->Label("lblUser")->Text(), "张三");
    EXPECT_FALSE(w.IsOpen());
  }
}

TEST_F(LoginTest, RememberedSignInIsRestoredAtTheNextStart) {
  Reply(Base() + "newlogin.asp", "ok||1||2||3");
  Ready("carol", "pw", false).Click("cmdLogin");
  frmlogin::ReleaseInstance();
  FakeWindow& next = Open();
  EXPECT_EQ(next.TextBox("txtuser")->Text(), "carol");
  EXPECT_EQ(next.TextBox("txtpass")->Text(), "");
  EXPECT_FALSE(next.CheckBox("chkWrite")->Checked());
}

TEST_F(LoginTest, UnwritableFileDoesNotStopAnAcceptedSignIn) {
  FailWrites(true);
  Reply(Base() + "newlogin.asp", "ok||1||2||3");
  FakeWindow& w = Ready("dave", "pw", true);
  w.Click("lblLogin");
  EXPECT_EQ(gUserName, "dave");
  ASSERT_NE(ui.Find("frmAdmin"), nullptr);
  EXPECT_TRUE(ui.Find("frmAdmin")->IsOpen());
  EXPECT_FALSE(w.IsOpen());
}

TEST_F(LoginTest, WhileWaitingTheButtonIsDisabledAndASecondClickSendsNothing) {
  FakeWindow& w = Ready("erin", "pw", false);
  bool sawDisabled = false;
  ReplyWhileWaiting(Base() + "newlogin.asp", "ok||1||2||3", [&] {
    sawDisabled = !w.Picture("cmdLogin")->Enabled();
    EXPECT_EQ(w.Label("lblInfo")->Text(), "正在登录，请等待....");
    EXPECT_FALSE(w.Click("cmdLogin"));  // disabled
    w.Click("lblLogin");                // the label stays clickable
  });
  w.Click("lblLogin");
  EXPECT_TRUE(sawDisabled);
  EXPECT_EQ(LoginRequests().size(), 1u);
  EXPECT_EQ(ui.CreatedCount("frmAdmin"), 1);
  EXPECT_FALSE(w.IsOpen());
}

TEST_F(LoginTest, QuittingWhileWaitingOpensNoConsole) {
  FakeWindow& w = Ready("erin", "pw", false);
  ReplyWhileWaiting(Base() + "newlogin.asp", "ok||1||2||3", [&] { w.Click("lblExit"); });
  w.Click("lblLogin");
  EXPECT_FALSE(w.IsOpen());
  EXPECT_EQ(ui.Find("frmAdmin"), nullptr);
  EXPECT_EQ(gUserName, "");
}

TEST_F(LoginTest, ExitControlsCloseTheWindow) {
  for (const char* control : {"lblExit", "cmdExit"}) {
    frmlogin::ReleaseInstance();
    FakeWindow& w = Open();
    EXPECT_TRUE(w.Click(control));
    EXPECT_FALSE(w.IsOpen()) << control;
    EXPECT_TRUE(ui.OpenWindows().empty()) << control;
  }
}

TEST_F(LoginTest, ResizeRestoresTheOuterSizeAndIgnoresFailures) {
  FakeWindow& w = Open();
  w.UserResize(20000, 3000);
  EXPECT_EQ(w.OuterWidth(), 15150);
  EXPECT_EQ(w.OuterHeight(), 9735);
  w.SetSizeLocked(true);  // minimized: the assignments fail
  w.UserResize(1000, 1000);
  EXPECT_EQ(w.OuterWidth(), 1000);
  EXPECT_TRUE(w.IsOpen());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(LoginTest, RegisterLinksOpenTheRegistrationWindowModally) {
  for (const char* control : {"lblReg", "imgReg"}) {
    SCOPED_TRACE(control);
    FakeWindow& login = Open();
    FakeWindow* seen = nullptr;
    ui.OnModal("frmReg", [&](FakeWindow& reg) { seen = &reg; });
    login.Click(control);
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->modalOwner(), &login);
    EXPECT_FALSE(seen->IsOpen());
    EXPECT_TRUE(login.IsOpen());
  }
  EXPECT_EQ(ui.CreatedCount("frmReg"), 2);  // a fresh one after each close
}

}  // namespace
}  // namespace lumaro
