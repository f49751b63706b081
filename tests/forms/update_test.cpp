#include "windows/frmUP.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "build_config.h"
#include "controls/progbutton.h"
#include "forms/forms_fixture.h"

namespace lumaro {
namespace {

class UpdateTest : public FormsTest {
 protected:
  FakeWindow& Open() {
    ShowUpdateWindow();
    FakeWindow* w = ui.Find("frmUP");
    EXPECT_NE(w, nullptr);
    return *w;
  }
};

TEST_F(UpdateTest, WindowAndControlsAreLaidOutAsDesigned) {
  FakeWindow& w = Open();
  const WindowAttributes& attributes = w.attributes();
  EXPECT_EQ(w.Caption(), "版本升级");
  EXPECT_EQ(attributes.frame, FrameKind::FixedDialog);
  EXPECT_EQ(attributes.clientWidth, 8205);
  EXPECT_EQ(attributes.clientHeight, 3225);
  EXPECT_FALSE(attributes.minimizeButton);
  EXPECT_FALSE(attributes.maximizeButton);
  EXPECT_FALSE(attributes.showInTaskbar);
  EXPECT_EQ(attributes.placement, Placement::CenterScreen);
  EXPECT_EQ(w.showCount(), 1);
  EXPECT_EQ(w.modalCount(), 0);

  const FakeControlRecord* label = w.Record("Label2");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->caption, "检测到有最新功能的更新程序");
  EXPECT_TRUE(label->style.bold);
  EXPECT_EQ(label->style.pointSize, 18);
  EXPECT_EQ(label->style.color, PackRRGGBB(7, 137, 243));
  const FakeControlRecord* side = w.Record("PicM");
  ASSERT_NE(side, nullptr);
  EXPECT_EQ(side->style.image, "update_side.svg");
  EXPECT_EQ(side->rect.left, -45);
  EXPECT_EQ(side->rect.top, -15);
  EXPECT_EQ(side->rect.width, 1740);
  EXPECT_EQ(side->rect.height, 3270);

  struct Case {
    const char* name;
    Rect rect;
    const char* caption;
  } buttons[] = {{"Command1", {2505, 1605, 1800, 540}, "下载"},
                 {"Command2", {4845, 1620, 1800, 540}, "以后再说"}};
  for (const auto& c : buttons) {
    const FakeControlRecord* r = w.Record(c.name);
    ASSERT_NE(r, nullptr) << c.name;
    EXPECT_EQ(r->kind, FakeControlKind::ProgButton) << c.name;
    EXPECT_EQ(r->rect.left, c.rect.left) << c.name;
    EXPECT_EQ(r->rect.top, c.rect.top) << c.name;
    ProgButton* b = w.Button(c.name);
    EXPECT_EQ(b->Caption(), c.caption) << c.name;
    EXPECT_EQ(b->Style(), 1) << c.name;
    EXPECT_EQ(b->Color(), 8) << c.name;
  }
}

TEST_F(UpdateTest, DownloadHandsTheAddressOfThisProgramsNameToTheBrowserAndCloses) {
  struct Case {
    const char* executable;
    const char* file;
  } cases[] = {
      {"lumaro", "lumaro.rar"},
      {"lumaro.exe", "lumaro.rar"},
      {"Lumaro-Beta.bin", "Lumaro-Beta.rar"},
      {"my.client.exe", "my.client.rar"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.executable);
    frmUP::ReleaseInstance();
    SetExecutableName(c.executable);
    size_t before = BrowserOpens().size();
    FakeWindow& w = Open();
    w.Click("Command1");
    ASSERT_EQ(BrowserOpens().size(), before + 1);
    EXPECT_EQ(BrowserOpens().back(), Base() + "1/" + c.file);
    EXPECT_FALSE(w.IsOpen());
  }
  EXPECT_TRUE(Requests().empty());  // the window asks the service nothing
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(ui.OpenWindows().empty());
}

// The desktop's browser cannot be started (the shell says so, or throws on
// the way): the error is reported and the window stays for another try.
TEST_F(UpdateTest, ADownloadNoBrowserTookIsReportedAndTheWindowStays) {
  for (const bool throws : {false, true}) {
    SCOPED_TRACE(throws ? "shell throws" : "shell refuses");
    frmUP::ReleaseInstance();
    env.dialogs.shown.clear();
    env.shell.opened.clear();
    if (throws)
      ThrowingShell();
    else
      FailShell();
    FakeWindow& w = Open();
    w.Click("Command1");
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "下载程序出错，请稍候再试！");
    EXPECT_EQ(Boxes()[0].title, std::string(kNoticeTitle));
    EXPECT_EQ(Boxes()[0].icon, MsgIcon::Information);
    EXPECT_EQ(Boxes()[0].buttons, MsgButtons::Ok);
    EXPECT_TRUE(w.IsOpen());
    if (!throws) {
      EXPECT_EQ(BrowserOpens(), std::vector<std::string>{Base() + "1/lumaro.rar"});
    }

    // Once a browser can be started, the next click downloads and closes.
    Desktop().shell = &env.shell;
    env.shell.refuse = false;
    w.Click("Command1");
    EXPECT_FALSE(w.IsOpen());
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(BrowserOpens().back(), Base() + "1/lumaro.rar");
  }
}

// The later button and the close box close the one window of the program
// (which then ends) without a download.
TEST_F(UpdateTest, LaterAndTheCloseBoxCloseWithoutADownload) {
  struct Case {
    const char* how;
    std::function<void(FakeWindow&)> close;
  } cases[] = {
      {"later button", [](FakeWindow& w) { EXPECT_TRUE(w.Click("Command2")); }},
      {"close box", [](FakeWindow& w) { w.UserClose(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    frmUP::ReleaseInstance();
    FakeWindow& w = Open();
    c.close(w);
    EXPECT_FALSE(w.IsOpen());
    EXPECT_EQ(w.closeCount(), 1);
    EXPECT_TRUE(ui.OpenWindows().empty());
  }
  EXPECT_TRUE(BrowserOpens().empty());
  EXPECT_TRUE(Requests().empty());
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace lumaro
