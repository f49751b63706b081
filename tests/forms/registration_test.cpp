#include "signin/frmReg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <utility>

#include "build_config.h"
#include "core/globals.h"
#include "core/md5.h"
#include "forms/forms_fixture.h"
#include "signin/frmlogin.h"

namespace lumaro {
namespace {

const char* const kPageFields[] = {"act",  "lName",    "lpwd",    "lqq",       "lemail",
                                   "lmobile", "ltel",  "lcompany", "lman",     "lnetType",
                                   "luserType", "lver", "lCode",   "lvcode"};

class RegistrationTest : public FormsTest {
 protected:
  RegistrationTest() { gOemCode = "OEM-9"; }

  // Opens the window (outside the login window) with the form loaded.
  FakeWindow& Open(bool formLoaded = true) {
    frmReg::Instance();
    FakeWindow* w = ui.Find("frmReg");
    EXPECT_NE(w, nullptr);
    w->Show();
    FakeDocument& doc = w->Browser("web")->NewDocument();
    if (formLoaded) {
      for (const char* f : kPageFields) doc.AddElement(f, std::string());
      w->Browser("web")->FireDocumentComplete(Base() + "edituser.asp");
    } else {
      doc.SetLoaded(false);
    }
    return *w;
  }
  void Fill(FakeWindow& w, const char* user, const char* mail, const char* pass,
            const char* pass2, const char* qq, const char* mobile, const char* man = "") {
    w.Type("txtuser", user);
    w.Type("txtEmail", mail);
    w.Type("txtpass", pass);
    w.Type("txtPASS2", pass2);
    w.Type("txtQQ", qq);
    w.Type("txtMobile", mobile);
    w.Type("txtMan", man);
  }
  FakeDocument& Doc(FakeWindow& w) { return w.Browser("web")->doc(); }
  std::vector<std::string> CheckRequests() const {
    std::vector<std::string> out;
    for (const auto& u : Requests())
      if (u.find("checkUser.ASP") != std::string::npos) out.push_back(u);
    return out;
  }
};

TEST_F(RegistrationTest, WindowLoadsTheFormAndLaysOutTheBoxesInTabOrder) {
  frmReg::Instance();
  FakeWindow& w = *ui.Find("frmReg");
  EXPECT_EQ(w.Caption(), "用户注册");
  EXPECT_EQ(w.attributes().clientWidth, 7740);
  EXPECT_EQ(w.attributes().clientHeight, 5340);
  EXPECT_EQ(w.attributes().background, "reg_background.svg");
  ASSERT_EQ(w.Browser("web")->calls().size(), 1u);
  EXPECT_EQ(w.Browser("web")->calls()[0], (FakeBrowser::Call{"Navigate2", Base() + "edituser.asp"}));

  std::vector<std::string> boxes;
  for (const auto& r : w.controls())
    if (r.kind == FakeControlKind::TextBox) boxes.push_back(r.name);
  EXPECT_EQ(boxes, (std::vector<std::string>{"txtuser", "txtEmail", "txtpass", "txtPASS2",
                                             "txtQQ", "txtMobile", "txtMan"}));
  EXPECT_TRUE(w.Record("txtpass")->style.password);
  EXPECT_TRUE(w.Record("txtPASS2")->style.password);
  const FakeControlRecord* mark = w.Record("Label12_4");
  ASSERT_NE(mark, nullptr);
  EXPECT_EQ(mark->rect.left, 4770);
  EXPECT_EQ(mark->rect.top, 1395);
  EXPECT_EQ(mark->caption, "必填");
  EXPECT_EQ(w.Record("Label14")->caption, "注册");
  EXPECT_TRUE(w.Record("Label14")->style.handCursor);
  // The button captions lie on the light button picture: not in white.
  for (const char* caption : {"Label14", "Label15"})
    EXPECT_NE(w.Record(caption)->style.color, PackRRGGBB(255, 255, 255)) << caption;
  // The hidden browser lies beneath the account box.
  auto names = w.ControlNames();
  EXPECT_LT(std::find(names.begin(), names.end(), "web"),
            std::find(names.begin(), names.end(), "txtuser"));
}

TEST_F(RegistrationTest, ChecksRunInOrderAndPutTheCaretIntoTheBox) {
  struct Case {
    std::vector<const char*> fields;  // user, mail, pass, pass2, qq, mobile
    const char* taken;                // availability answer
    const char* message;
    const char* focused;  // "" for none
  } cases[] = {
      {{"", "m", "p", "p", "1", "13800000000"}, "yes", "请输入用户名", ""},
      {{"Bob", "m", "p", "p", "1", "13800000000"}, "no", "输入的帐号已被其它用户使用，请重新指定其它帐号!",
       "txtuser"},
      {{"Bob", "m", "p", "p", "1", "13800000000"}, "NO", "输入的帐号已被其它用户使用，请重新指定其它帐号!",
       "txtuser"},
      {{"bob", "m", "", "p", "1", "13800000000"}, "yes", "请输入密码!", "txtpass"},
      {{"bob", "m", "p", "", "1", "13800000000"}, "yes", "请输入确认密码!", "txtPASS2"},
      {{"bob", "m", "p", "P", "1", "13800000000"}, "yes", "两次输入的密码不同！", "txtpass"},
      {{"bob", "", "p", "p", "", "13800000000"}, "yes", "请输入QQ号码!", "txtQQ"},
      {{"bob", "", "p", "p", "1", "13800000000"}, "yes", "请输入邮箱帐号!", "txtEmail"},
      {{"bob", "m", "p", "p", "1", ""}, "yes", "请输入常用的联系手机号码！", "txtMobile"},
      {{"bob", "m", "p", "p", "1", "1380000000"}, "ERROR", "请输入正确的联系手机号码!", "txtMobile"},
      {{"bob", "m", "p", "p", "1", "138000000000"}, "yes", "请输入正确的联系手机号码!", "txtMobile"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    frmReg::ReleaseInstance();
    Reply(Base() + "checkUser.ASP", c.taken);
    FakeWindow& w = Open();
    Fill(w, c.fields[0], c.fields[1], c.fields[2], c.fields[3], c.fields[4], c.fields[5]);
    size_t before = Boxes().size();
    size_t asked = CheckRequests().size();
    w.Click("Label14");
    // The availability is asked right after the name check, before the others.
    EXPECT_EQ(CheckRequests().size() - asked, *c.fields[0] ? 1u : 0u);
    ASSERT_EQ(Boxes().size(), before + 1);
    EXPECT_EQ(Boxes().back().text, c.message);
    EXPECT_EQ(Boxes().back().title, std::string(kNoticeTitle));
    EXPECT_EQ(Boxes().back().icon, MsgIcon::None);
    for (const char* box : {"txtuser", "txtEmail", "txtpass", "txtPASS2", "txtQQ", "txtMobile"})
      EXPECT_EQ(w.TextBox(box)->focusCount(), std::string(box) == c.focused ? 1 : 0) << box;
    EXPECT_EQ(Doc(w).formsSubmitted(), 0);
    EXPECT_TRUE(w.IsOpen());
  }
}

TEST_F(RegistrationTest, ValidEntriesFillThePageFormAndPostIt) {
  Reply(Base() + "checkUser.ASP", "yes");
  FakeWindow& w = Open();
  // Eleven characters pass, whatever they are; blanks are not empty.
  Fill(w, "Bob张", "b@x.cn", "Pw", "Pw", "12345", "abcdefghijk", "Mr B");
  w.Click("cmdOk");
  ASSERT_EQ(CheckRequests().size(), 1u);
  const std::string check = CheckRequests()[0];
  const std::string prefix = Base() + "checkUser.ASP?USER=%62%6F%62%D5%C5&t=";
  EXPECT_EQ(check.substr(0, prefix.size()), prefix);  // looked up in lower case
  EXPECT_EQ(Doc(w).formsSubmitted(), 1);
  std::map<std::string, std::string> expected = {
      {"act", "new"},  {"lName", "Bob张"},     {"lpwd", "Pw"},      {"lqq", "12345"},
      {"lemail", "b@x.cn"}, {"lmobile", "abcdefghijk"}, {"ltel", ""}, {"lcompany", ""},
      {"lman", "Mr B"}, {"lnetType", ""},     {"luserType", "2"}, {"lver", "2"},
      {"lCode", ""},   {"lvcode", DigestToken("OEM-9")}};
  for (const auto& [name, value] : expected) EXPECT_EQ(Doc(w).Find(name)->value, value) << name;
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(w.IsOpen());
}

TEST_F(RegistrationTest, RunTimeFailuresPostNothing) {
  Reply(Base() + "checkUser.ASP", "yes");
  struct Case {
    const char* what;
    bool loaded;
    const char* missing;
  } cases[] = {{"form not loaded yet", false, ""}, {"a field missing", true, "lvcode"},
               {"first field missing", true, "act"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    frmReg::ReleaseInstance();
    FakeWindow& w = Open(c.loaded);
    if (*c.missing) Doc(w).RemoveElement(c.missing);
    Fill(w, "bob", "m", "p", "p", "1", "13800000000");
    size_t before = Boxes().size();
    w.Click("Label14");
    ASSERT_EQ(Boxes().size(), before + 1);
    EXPECT_EQ(Boxes().back().text, "注册失败，请稍后再试!");
    EXPECT_EQ(Boxes().back().icon, MsgIcon::Information);
    EXPECT_EQ(Doc(w).formsSubmitted(), 0);
  }
}

// The page fields are set one by one in a fixed order; a page that fails at
// any of them, or at the post itself, gets nothing posted.
TEST_F(RegistrationTest, PageFieldsAreSetInOrderAndAFailureStopsBeforeThePost) {
  Reply(Base() + "checkUser.ASP", "yes");
  const std::string values[] = {"new", "Bob", "Pw", "12345", "b@x.cn", "13800000000", "", "",
                                "Mr B", "", "2", "2", "", DigestToken("OEM-9")};
  for (int fine = 0; fine <= 14; ++fine) {
    SCOPED_TRACE(fine);
    frmReg::ReleaseInstance();
    FakeWindow& w = Open();
    for (const char* f : kPageFields) Doc(w).AddElement(f, std::string("?"));
    Fill(w, "Bob", "b@x.cn", "Pw", "Pw", "12345", "13800000000", "Mr B");
    Doc(w).FailAfter(fine);  // the page goes away after this many operations
    size_t before = Boxes().size();
    w.Click("Label14");
    for (int i = 0; i < 14; ++i)
      EXPECT_EQ(Doc(w).Find(kPageFields[i])->value, i < fine ? values[i] : "?") << kPageFields[i];
    EXPECT_EQ(Doc(w).formsSubmitted(), 0);
    ASSERT_EQ(Boxes().size(), before + 1);
    EXPECT_EQ(Boxes().back().text, "注册失败，请稍后再试!");
    EXPECT_EQ(Boxes().back().icon, MsgIcon::Information);
    EXPECT_EQ(Boxes().back().title, std::string(kNoticeTitle));
  }
}

// The window is closed during the availability wait and the login window
// opens a fresh one: the waiting action still has its own window to come
// back to, and it ends quietly.
TEST_F(RegistrationTest, ReopenedDuringTheWaitTheOldActionEndsQuietly) {
  FakeWindow& w = Open();
  Fill(w, "bob", "m", "p", "p", "1", "13800000000");
  auto live = [&] {
    int n = 0;
    for (FakeWindow* x : ui.windows()) n += x->Name() == "frmReg";
    return n;
  };
  int liveDuringWait = 0;
  ReplyWhileWaiting(Base() + "checkUser.ASP", "yes", [&] {
    w.Click("Label15");
    frmReg::Instance();
    liveDuringWait = live();
  });
  w.Click("Label14");
  EXPECT_EQ(liveDuringWait, 2);
  EXPECT_EQ(Doc(w).formsSubmitted(), 0);
  EXPECT_TRUE(Boxes().empty());
  // Once it has returned, the old window goes.
  EXPECT_EQ(live(), 2);
  env.pump.PumpEvents();
  EXPECT_EQ(live(), 1);
}

TEST_F(RegistrationTest, ClickDuringTheAvailabilityWaitPostsOnce) {
  FakeWindow& w = Open();
  Fill(w, "bob", "m", "p", "p", "1", "13800000000");
  int nested = 0;
  ReplyWhileWaiting(Base() + "checkUser.ASP", "yes", [&] {
    if (nested++ == 0) w.Click("Label14");  // the user clicks again while waiting
  });
  w.Click("Label14");
  EXPECT_EQ(CheckRequests().size(), 2u);
  EXPECT_EQ(Doc(w).formsSubmitted(), 1);
  EXPECT_TRUE(Boxes().empty());
}

// One click is one registration: clicks that come while the post is under
// way (one of them while the form is being posted) are ignored, until the
// answer page has been judged or, when no answer comes, another page has
// completed in the hidden browser.
TEST_F(RegistrationTest, ABurstOfRegisterClicksPostsOnce) {
  Reply(Base() + "checkUser.ASP", "yes");
  struct Case {
    const char* what;
    std::function<void(FakeBrowser&)> end;
    std::vector<std::string> messages;
  } cases[] = {
      {"answer judged",
       [](FakeBrowser& web) {
         web.NewDocument().SetBodyHtml("帐号已存在");
         web.FireDocumentComplete(Base() + "usersave.asp");
       },
       {"帐号已存在"}},
      {"no answer, another page completed",
       [](FakeBrowser& web) { web.FireDocumentComplete(Base() + "edituser.asp"); }, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    frmReg::ReleaseInstance();
    env.dialogs.shown.clear();
    FakeWindow& w = Open();
    Fill(w, "bob", "m", "p", "p", "1", "13800000000");
    FakeDocument& form = Doc(w);
    form.onSubmit = [&w, clicked = false]() mutable {
      if (!std::exchange(clicked, true)) w.Click("Label14");
    };
    const size_t asked = CheckRequests().size();
    for (int click = 0; click < 4; ++click) w.Click("Label14");
    EXPECT_EQ(form.formsSubmitted(), 1);
    EXPECT_EQ(CheckRequests().size(), asked + 1);
    EXPECT_TRUE(Boxes().empty());

    c.end(*w.Browser("web"));
    EXPECT_EQ(env.dialogs.Texts(), c.messages);
    // The next click registers again.
    FakeDocument& fresh = w.Browser("web")->NewDocument();
    for (const char* f : kPageFields) fresh.AddElement(f, std::string());
    w.Click("Label14");
    EXPECT_EQ(CheckRequests().size(), asked + 2);
    EXPECT_EQ(fresh.formsSubmitted(), 1);
  }

  // A post that failed is over at once: the next click tries again.
  frmReg::ReleaseInstance();
  env.dialogs.shown.clear();
  FakeWindow& w = Open();
  Fill(w, "bob", "m", "p", "p", "1", "13800000000");
  Doc(w).SetHasForm(false);
  const size_t asked = CheckRequests().size();
  w.Click("Label14");
  w.Click("Label14");
  EXPECT_EQ(CheckRequests().size(), asked + 2);
  EXPECT_EQ(env.dialogs.Texts(), std::vector<std::string>(2, "注册失败，请稍后再试!"));
}

TEST_F(RegistrationTest, CancelDuringTheWaitPostsNothing) {
  FakeWindow& w = Open();
  Fill(w, "bob", "m", "p", "p", "1", "13800000000");
  ReplyWhileWaiting(Base() + "checkUser.ASP", "yes", [&] { w.Click("Label15"); });
  w.Click("Label14");
  EXPECT_FALSE(w.IsOpen());
  EXPECT_EQ(Doc(w).formsSubmitted(), 0);
}

TEST_F(RegistrationTest, CancelClosesWithoutARequest) {
  for (const char* control : {"Label15", "cmdExit"}) {
    frmReg::ReleaseInstance();
    FakeWindow& w = Open();
    w.Type("txtuser", "bob");
    w.Click(control);
    EXPECT_FALSE(w.IsOpen()) << control;
  }
  EXPECT_TRUE(Requests().empty());
}

TEST_F(RegistrationTest, AnswerOkHandsTheNameToTheLoginWindow) {
  ShowLoginWindow();
  FakeWindow& login = *ui.Find("frmlogin");
  login.Type("txtuser", "old");
  login.Type("txtpass", "oldpw");
  Reply(Base() + "checkUser.ASP", "yes");
  ui.OnModal("frmReg", [&](FakeWindow& reg) {
    FakeDocument& doc = reg.Browser("web")->NewDocument();
    for (const char* f : kPageFields) doc.AddElement(f, std::string());
    Fill(reg, "NewBob", "m", "p", "p", "1", "13800000000");
    reg.Click("Label14");
    ASSERT_EQ(doc.formsSubmitted(), 1);
    // The service answers the post.
    reg.Browser("web")->NewDocument().SetBodyHtml("ok");
    reg.Browser("web")->FireDocumentComplete(Base() + "UserSave.asp?x=1");
    EXPECT_FALSE(reg.IsOpen());
  });
  login.Click("lblReg");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "注册成功,请返回登录系统！  请牵记您的用户名及密码");
  EXPECT_EQ(Boxes()[0].icon, MsgIcon::None);
  EXPECT_EQ(login.TextBox("txtuser")->Text(), "NewBob");
  EXPECT_EQ(login.TextBox("txtpass")->Text(), "");
  EXPECT_TRUE(login.IsOpen());
}

TEST_F(RegistrationTest, OtherAnswersAreShownAndTheFormIsReloaded) {
  for (const char* body : {"ok ", "OK", "\nok", "<b>帐号已存在</b>", "<p>ok</p>", ""}) {
    SCOPED_TRACE(body);
    frmReg::ReleaseInstance();
    FakeWindow& w = Open();
    w.Type("txtuser", "bob");
    FakeBrowser& web = *w.Browser("web");
    web.ClearCalls();
    size_t before = Boxes().size();
    // The page as the user would read it says "ok"; its markup does not.
    FakeDocument& answer = web.NewDocument();
    answer.SetBodyHtml(body);
    answer.SetBodyText("ok");
    web.FireDocumentComplete(Base() + "usersave.asp");
    ASSERT_EQ(Boxes().size(), before + 1);
    EXPECT_EQ(Boxes().back().text, body);
    EXPECT_EQ(Boxes().back().icon, MsgIcon::Information);
    EXPECT_EQ(web.calls(), (std::vector<FakeBrowser::Call>{{"Navigate2", Base() + "edituser.asp"}}));
    EXPECT_TRUE(w.IsOpen());
    EXPECT_EQ(w.TextBox("txtuser")->Text(), "bob");
  }
}

TEST_F(RegistrationTest, OnlyTheAnswerPageIsJudged) {
  FakeWindow& w = Open();
  FakeBrowser& web = *w.Browser("web");
  web.ClearCalls();
  web.NewDocument().SetBodyHtml("ok");
  web.FireDocumentComplete(Base() + "edituser.asp");
  web.FireDocumentComplete(Base() + "other.asp?x=ok");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(web.calls().empty());
  EXPECT_TRUE(w.IsOpen());

  // An answer page whose body cannot be read counts as a failed attempt.
  web.doc().SetLoaded(false);
  web.FireDocumentComplete(Base() + "usersave.asp");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "注册失败，请稍后再试!");
  EXPECT_EQ(web.calls().size(), 1u);
}

}  // namespace
}  // namespace lumaro
