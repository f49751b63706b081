// Common set-up of the window tests: the fake services and the fake UI
// installed, the shared windows dropped afterwards, and short helpers over
// the fakes for what the window tests look at.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "agent/frmSys.h"
#include "build_config.h"
#include "core/desktop.h"
#include "core/shared_window.h"
#include "core/startup.h"
#include "fakes/fake_services.h"
#include "fakes/fake_ui.h"
#include "member/frmAdmin.h"
#include "signin/frmReg.h"
#include "signin/frmlogin.h"
#include "windows/frmUP.h"

namespace lumaro {

inline std::string Base() { return std::string(kServiceBase); }

// The consoles' toolbar hot spots: over the skin's buttons, no caption, a
// hand cursor and a name for assistive tools.
inline void ExpectToolbarHotSpots(FakeWindow& w) {
  struct Spot {
    const char* name;
    Rect rect;
    const char* purpose;
  } spots[] = {
      {"lblEdit", {8355, 915, 1470, 315}, "修改资料"}, {"lblHome", {9885, 930, 915, 315}, "首页"},
      {"lblBack", {10860, 930, 855, 300}, "后退"},     {"lblGo", {11745, 960, 885, 300}, "前进"},
      {"lblReFresh", {12660, 960, 930, 255}, "刷新"},  {"lblExit", {13575, 960, 915, 285}, "退出"},
  };
  for (const auto& s : spots) {
    SCOPED_TRACE(s.name);
    const FakeControlRecord* r = w.Record(s.name);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->kind, FakeControlKind::Label);
    EXPECT_EQ(r->rect.left, s.rect.left);
    EXPECT_EQ(r->rect.top, s.rect.top);
    EXPECT_EQ(r->rect.width, s.rect.width);
    EXPECT_EQ(r->rect.height, s.rect.height);
    EXPECT_EQ(r->caption, "");
    EXPECT_EQ(r->style.accessibleName, s.purpose);
    EXPECT_TRUE(r->style.handCursor);
  }
}

class FormsTest : public ::testing::Test {
 protected:
  // A sign-in opens the consoles as the program does.
  FormsTest() {
    StartupOpeners().showMemberConsole = [] { ShowMemberConsole(); };
    StartupOpeners().showAgentConsole = [] { ShowAgentConsole(); };
  }
  ~FormsTest() override {
    ReleaseSharedWindows();
    MemberWindowOpeners() = {};
    StartupOpeners() = {};
  }

  // Answers 200 with the GBK form of `text` every request whose address
  // starts with `prefix`.
  void Reply(const std::string& prefix, const std::string& text) {
    env.http.ReplyText(prefix, text);
  }
  // The same, and `action` runs while the request waits for its answer (on
  // the first pump after it was sent), as a user's click would.
  void ReplyWhileWaiting(const std::string& prefix, const std::string& text,
                         std::function<void()> action) {
    Reply(prefix, text);
    FakeReply reply = env.http.Lookup(prefix);
    reply.onSend = [this, action] { env.pump.Post(action); };
    env.http.Reply(prefix, reply);
  }
  const std::vector<std::string>& Requests() const { return env.http.sent; }

  const std::vector<ShownMessage>& Boxes() const { return env.dialogs.shown; }
  // The answer of the next Yes/No box.
  void AnswerNext(MsgResult answer) { env.dialogs.answers.assign(1, answer); }

  std::optional<std::string> FileBytes(const std::string& path) const {
    auto it = env.files.files.find(path);
    if (it == env.files.files.end()) return std::nullopt;
    return it->second;
  }
  void PutFile(const std::string& path, const std::string& bytes) { env.files.files[path] = bytes; }
  void RemoveFile(const std::string& path) { env.files.files.erase(path); }
  bool WrittenOwnerOnly(const std::string& path) const {
    auto it = env.files.ownerOnly.find(path);
    return it != env.files.ownerOnly.end() && it->second;
  }
  void FailWrites(bool fail) { env.files.readOnly = fail; }
  void SetExecutableName(const std::string& name) { env.files.exeName = name; }

  const std::vector<std::string>& BrowserOpens() const { return env.shell.opened; }
  const std::vector<std::string>& ChatAppOpens() const { return env.shell.chatOpened; }
  // The desktop can start nothing: the shell answers false.
  void FailShell() { env.shell.refuse = true; }
  // The shell throws instead of answering.
  void ThrowingShell() { Desktop().shell = &throwingShell_; }

  FakeEnvironment env;
  FakeUiFactory& ui = env.ui;

 private:
  struct ThrowingShell : IShell {
    bool OpenInBrowser(const std::string&) override {
      throw std::runtime_error("no browser can be started");
    }
    bool OpenChatApp(const std::string&) override {
      throw std::runtime_error("no messenger can be started");
    }
  } throwingShell_;
};

}  // namespace lumaro
