// Requests that never get an answer, for every window that sends one: each
// gives up at the fetch's time limit (on the fake clock, so at once) with
// the outcome of a failed request, while what the user did meanwhile ran
// and what was typed is kept.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "build_config.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "core/startup.h"
#include "forms/forms_fixture.h"
#include "member/frmAdmin.h"
#include "signin/frmReg.h"
#include "signin/frmlogin.h"
#include "windows/frmCheckCode.h"

namespace lumaro {
namespace {

class UnansweredTest : public FormsTest {
 protected:
  // `prefix` is never answered; `meanwhile` (if any) runs while the
  // request waits, as the user's doing.
  void NeverAnswer(const std::string& prefix, std::function<void()> meanwhile = nullptr) {
    FakeReply never;
    never.never = true;
    if (meanwhile) never.onSend = [this, meanwhile] { env.pump.Post(meanwhile); };
    env.http.Reply(prefix, never);
  }
  // Fake seconds that `action` took.
  double Timed(const std::function<void()>& action) {
    const double start = env.clock.now_;
    action();
    return env.clock.now_ - start;
  }
  std::vector<std::string> Texts() const { return env.dialogs.Texts(); }
};

TEST_F(UnansweredTest, StartUpTreatsAnUnansweredRequestAsAFailedOne) {
  int logins = 0, updates = 0;
  StartupOpeners().showLogin = [&] { ++logins; };
  StartupOpeners().showUpdate = [&] { ++updates; };

  // The version check: the connection message, and no reseller record.
  NeverAnswer(Base() + "GetVer.asp");
  EXPECT_GE(Timed([] { Main(); }), 30.0);
  EXPECT_EQ(Texts(), std::vector<std::string>{"连接服务器失败，请检查网络是否正常！"});
  EXPECT_EQ(env.http.CountSent("GetOEM.asp"), 0u);

  // The reseller record: the program ends without a word.
  env.dialogs.shown.clear();
  Reply(Base() + "GetVer.asp", VersionText());
  NeverAnswer(Base() + "GetOEM.asp");
  EXPECT_GE(Timed([] { Main(); }), 30.0);
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(gOemCode, "");
  EXPECT_EQ(logins + updates, 0);
  StartupOpeners() = {};
}

TEST_F(UnansweredTest, SignInIsRefusedAtTheLimitAndTheBoxesKeepWhatWasTypedMeanwhile) {
  gOemCode = "OEM-1";
  ShowLoginWindow();
  FakeWindow& w = *ui.Find("frmlogin");
  w.FireTimer("tmrClear");
  w.Type("txtuser", "dem");
  w.Type("txtpass", "secret");
  NeverAnswer(Base() + "newlogin.asp", [&] {
    // The user finishes the name and clicks again while the request waits.
    w.Type("txtuser", "demo");
    w.Click("lblLogin");
  });
  EXPECT_GE(Timed([&] { w.Click("lblLogin"); }), 30.0);
  EXPECT_EQ(Texts(), std::vector<std::string>{"用户名或密码不正确，登录失败，请重试!"});
  EXPECT_EQ(env.http.CountSent("newlogin.asp"), 1u) << "the second click sent another request";
  EXPECT_TRUE(w.IsOpen());
  EXPECT_EQ(ui.Find("frmAdmin"), nullptr);
  EXPECT_EQ(w.Label("lblInfo")->Text(), "用户名或密码不正确，登录失败，请重试!");
  EXPECT_TRUE(w.Picture("cmdLogin")->Enabled());
  EXPECT_EQ(w.TextBox("txtuser")->Text(), "demo");
  EXPECT_EQ(w.TextBox("txtpass")->Text(), "secret");
  EXPECT_EQ(gUserName, "");
}

TEST_F(UnansweredTest, RegistrationPostsAfterAnUnansweredAvailabilityCheck) {
  gOemCode = "OEM-1";
  frmReg::Instance();
  FakeWindow& w = *ui.Find("frmReg");
  w.Show();
  FakeDocument& doc = w.Browser("web")->NewDocument();
  for (const char* f : {"act", "lName", "lpwd", "lqq", "lemail", "lmobile", "ltel", "lcompany",
                        "lman", "lnetType", "luserType", "lver", "lCode", "lvcode"})
    doc.AddElement(f, std::string());
  w.Browser("web")->FireDocumentComplete(Base() + "edituser.asp");
  w.Type("txtuser", "bob");
  w.Type("txtEmail", "b@x.cn");
  w.Type("txtpass", "pw");
  w.Type("txtPASS2", "pw");
  w.Type("txtQQ", "12345");
  w.Type("txtMobile", "13800000000");
  NeverAnswer(Base() + "checkUser.ASP", [&] { w.Type("txtMan", "Mr B"); });
  EXPECT_GE(Timed([&] { w.Click("Label14"); }), 30.0);
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(doc.formsSubmitted(), 1);
  EXPECT_EQ(doc.Find("lName")->value, "bob");
  EXPECT_EQ(doc.Find("lman")->value, "Mr B");
  EXPECT_EQ(doc.Find("lmobile")->value, "13800000000");
}

// A register click that finds no usable form (an error page left behind by
// a failed load, or a page without one of the fields) fetches the form
// again, so that a later click can post the text still in the boxes.
TEST_F(UnansweredTest, ARegisterClickWithoutAUsableFormFetchesTheFormAgain) {
  gOemCode = "OEM-1";
  Reply(Base() + "checkUser.ASP", "yes");
  frmReg::Instance();
  FakeWindow& w = *ui.Find("frmReg");
  w.Show();
  FakeBrowser& web = *w.Browser("web");
  FakeDocument& errorPage = web.NewDocument();
  errorPage.SetBodyHtml("Could not connect");
  w.Type("txtuser", "bob");
  w.Type("txtEmail", "b@x.cn");
  w.Type("txtpass", "pw");
  w.Type("txtPASS2", "pw");
  w.Type("txtQQ", "12345");
  w.Type("txtMobile", "13800000000");
  web.ClearCalls();
  w.Click("Label14");
  EXPECT_EQ(Texts(), std::vector<std::string>{"注册失败，请稍后再试!"});
  EXPECT_EQ(errorPage.formsSubmitted(), 0);
  EXPECT_EQ(web.calls(), (std::vector<FakeBrowser::Call>{{"Navigate2", Base() + "edituser.asp"}}));

  // The fresh form arrives; the same boxes now post.
  FakeDocument& form = web.NewDocument();
  for (const char* f : {"act", "lName", "lpwd", "lqq", "lemail", "lmobile", "ltel", "lcompany",
                        "lman", "lnetType", "luserType", "lver", "lCode", "lvcode"})
    form.AddElement(f, std::string());
  web.FireDocumentComplete(Base() + "edituser.asp");
  w.Click("Label14");
  EXPECT_EQ(form.formsSubmitted(), 1);
  EXPECT_EQ(form.Find("lName")->value, "bob");
  EXPECT_EQ(Texts().size(), 1u);
}

TEST_F(UnansweredTest, AnUnansweredModuleSaveIsReportedAsFailed) {
  gUserName = "bob";
  ShowMemberConsole();
  FakeBrowser& web = *ui.Find("frmAdmin")->Browser("web");
  FakeDocument& doc = web.NewDocument();
  for (int h = 0; h < 24; ++h) doc.AddElement("tmr" + std::to_string(h), std::string("1"));
  doc.AddElement("ttype", std::string("c3"));
  NeverAnswer(Base() + "savemodule.asp");
  bool cancelled = false;
  EXPECT_GE(Timed([&] { cancelled = web.FireBeforeNavigate2("http://s/savead.asp", "transtype=5").cancel; }),
            30.0);
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(Texts(), std::vector<std::string>{"提交失败"});
}

TEST_F(UnansweredTest, AnUnansweredPollIsFollowedByTheNext) {
  gCheckTarget = "88";
  Reply(Base() + "GetNet.asp", "http://site.example/");
  NeverAnswer(Base() + "queryFlag.asp");
  FakeWindow owner{nullptr, [] {
                     WindowAttributes attributes;
                     attributes.name = "frmAdmin";
                     return attributes;
                   }()};
  ui.OnModal("frmCheckCode", [&](FakeWindow& w) {
    EXPECT_GE(Timed([&] { w.FireTimer("tmrT"); }), 30.0);
    EXPECT_TRUE(w.IsOpen());
    EXPECT_TRUE(w.Timer("tmrT")->Enabled()) << "the polls stopped";
    Reply(Base() + "queryFlag.asp", "ok");
    w.FireTimer("tmrT");
    EXPECT_FALSE(w.IsOpen());
  });
  OpenSiteCodeChecker(&owner);
  EXPECT_EQ(env.http.CountSent("queryFlag.asp"), 2u);
  EXPECT_EQ(Texts(), std::vector<std::string>{"代码测试成功！"});
}

}  // namespace
}  // namespace lumaro
