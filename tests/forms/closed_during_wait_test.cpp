// A handler that waits (a message box, a fetch) while its window closes:
// once the wait is over it ends quietly, with the navigation stopped where
// it decides one, and touches neither the page nor the window's boxes, and
// shows nothing more.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "agent/frmSys.h"
#include "build_config.h"
#include "core/globals.h"
#include "forms/forms_fixture.h"
#include "member/frmAdmin.h"
#include "signin/frmReg.h"
#include "signin/frmlogin.h"

namespace lumaro {
namespace {

class ClosedDuringWaitTest : public FormsTest {
 protected:
  // The window closes while the next message box is up.
  void CloseDuringBox(FakeWindow& w) {
    env.dialogs.whileOpen = [&w](const ShownMessage&) { w.UserClose(); };
  }
  // The window closes while the request to `prefix` waits; the answer then
  // comes as `text`.
  void CloseDuringFetch(FakeWindow& w, const std::string& prefix, const std::string& text) {
    ReplyWhileWaiting(prefix, text, [&w] { w.UserClose(); });
  }

  FakeWindow& MemberConsole() {
    gUserName = "bob";
    ShowMemberConsole();
    return *ui.Find("frmAdmin");
  }
  FakeWindow& AgentConsole() {
    ShowAgentConsole();
    return *ui.Find("frmSys");
  }
  // The registration window with its form loaded and every box filled in.
  FakeWindow& Registration(const std::string& password2 = "pw") {
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
    w.Type("txtPASS2", password2);
    w.Type("txtQQ", "12345");
    w.Type("txtMobile", "13800000000");
    w.Browser("web")->ClearCalls();
    return w;
  }
  static FakeDocument& Page(FakeBrowser& web,
                            const std::vector<std::pair<const char*, const char*>>& fields) {
    FakeDocument& doc = web.NewDocument();
    for (const auto& [name, value] : fields) doc.AddElement(name, std::string(value));
    return doc;
  }
};

TEST_F(ClosedDuringWaitTest, TheHandlerEndsQuietlyOnceTheWaitIsOver) {
  struct Case {
    const char* what;
    // Sets the scene, makes the window close during the wait and raises the
    // handler; returns whether the handler stopped its navigation (true
    // where it decides none).
    std::function<bool()> run;
    std::vector<std::string> messages;  // every box shown
    // Nothing was touched after the wait.
    std::function<void()> untouched;
  };
  FakeDocument* doc = nullptr;
  FakeWindow* w = nullptr;
  auto noFocus = [&] { EXPECT_TRUE(doc->focusCalls().empty()); };
  auto noLoad = [&] { EXPECT_TRUE(w->Browser("web")->calls().empty()); };
  const Case cases[] = {
      {"member field check",
       [&] {
         w = &MemberConsole();
         doc = &Page(*w->Browser("web"), {{"n", ""}, {"u", "http://x"}});
         CloseDuringBox(*w);
         return w->Browser("web")->FireBeforeNavigate2("http://s/savenet.asp").cancel;
       },
       {"网站名称不能为空!"}, noFocus},
      {"member test run, then the password checks",
       [&] {
         w = &MemberConsole();
         doc = &Page(*w->Browser("web"), {{"q", "a"}, {"oldpwd", ""}});
         CloseDuringBox(*w);
         return w->Browser("web")
             ->FireBeforeNavigate2("http://s/saveword.asp?to=savepwd.asp", "types=1&transtype=2")
             .cancel;
       },
       {"测试完成!"}, noFocus},
      {"member rank update, then the ad checks",
       [&] {
         w = &MemberConsole();
         doc = &Page(*w->Browser("web"), {{"q", ""}, {"q2", "b"}, {"urls", "c"}});
         CloseDuringBox(*w);
         return w->Browser("web")
             ->FireBeforeNavigate2("http://s/uppos.asp?to=savead.asp", "types=1&transtype=3")
             .cancel;
       },
       {"请勾选需要更新的关键词!"}, noFocus},
      {"member module save that failed",
       [&] {
         w = &MemberConsole();
         doc = &Page(*w->Browser("web"), {{"ttype", "c1"}});
         for (int h = 0; h < 24; ++h) doc->AddElement("tmr" + std::to_string(h), std::string("1"));
         FakeReply failure;
         failure.status = 500;
         failure.onSend = [this] { env.pump.Post([this] { ui.Find("frmAdmin")->UserClose(); }); };
         env.http.Reply(Base() + "savemodule.asp", failure);
         return w->Browser("web")->FireBeforeNavigate2("http://s/savead.asp", "transtype=5").cancel;
       },
       {}, noFocus},
      {"agent field check",
       [&] {
         w = &AgentConsole();
         doc = &Page(*w->Browser("web"), {{"oldpwd", ""}});
         CloseDuringBox(*w);
         return w->Browser("web")->FireBeforeNavigate2("http://s/savepwd.asp").cancel;
       },
       {"请输入原始密码!"}, noFocus},
      {"agent account name taken",
       [&] {
         w = &AgentConsole();
         doc = &Page(*w->Browser("web"), {{"lname", "a"}, {"lPWD1", "p"}, {"lPWD2", "p"},
                                          {"lmobile", "1"}, {"lqq", "2"}, {"lman", "Li"}});
         CloseDuringFetch(*w, Base() + "checkUser.ASP", "no");
         return w->Browser("web")->FireBeforeNavigate2("http://s/saveacount.asp").cancel;
       },
       {}, noFocus},
      {"agent version setting",
       [&] {
         w = &AgentConsole();
         env.dialogs.inputs.assign(1, std::string("1-52"));
         CloseDuringFetch(*w, Base() + "SetVer.asp", "ok");
         w->RunHandler([] { frmSys::Instance().lbl8_Click(); });
         return true;
       },
       {}, [] {}},
      {"sign-in refused",
       [&] {
         ShowLoginWindow();
         w = ui.Find("frmlogin");
         w->FireTimer("tmrClear");
         w->Type("txtuser", "bob");
         w->Type("txtpass", "pw");
         Reply(Base() + "newlogin.asp", "no");
         CloseDuringBox(*w);
         w->Click("lblLogin");
         return true;
       },
       {"用户名或密码不正确，登录失败，请重试!"},
       [&] { EXPECT_EQ(w->Label("lblInfo")->Text(), "正在登录，请等待...."); }},
      {"registration check",
       [&] {
         Reply(Base() + "checkUser.ASP", "yes");
         w = &Registration("other");
         CloseDuringBox(*w);
         w->Click("Label14");
         return true;
       },
       {"两次输入的密码不同！"}, [&] { EXPECT_EQ(w->TextBox("txtpass")->focusCount(), 0); }},
      {"registration without a usable form",
       [&] {
         Reply(Base() + "checkUser.ASP", "yes");
         w = &Registration();
         w->Browser("web")->doc().SetHasForm(false);
         CloseDuringBox(*w);
         w->Click("Label14");
         return true;
       },
       {"注册失败，请稍后再试!"}, noLoad},
      {"registration refused by the service",
       [&] {
         w = &Registration();
         w->Browser("web")->NewDocument().SetBodyHtml("帐号已存在");
         CloseDuringBox(*w);
         w->Browser("web")->FireDocumentComplete(Base() + "usersave.asp");
         return true;
       },
       {"帐号已存在"}, noLoad},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ReleaseSharedWindows();
    env.dialogs.shown.clear();
    env.dialogs.whileOpen = nullptr;
    EXPECT_TRUE(c.run());
    EXPECT_FALSE(w->IsOpen());
    EXPECT_EQ(env.dialogs.Texts(), c.messages);
    c.untouched();
  }
}

}  // namespace
}  // namespace lumaro
