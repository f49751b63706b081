// Escape pressed in a window reaches the window's own handler, also when a
// browser inside it has the keyboard focus.
#include "platform/platform_fixture.h"
#include "platform/top_window.h"
#include "platform/ui_helpers.h"

namespace lumaro::platform_test {
namespace {

class EscapeKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_DISPLAY();
    if (!HaveXdotool()) GTEST_SKIP() << "needs xdotool";
    WindowAttributes attributes;
    attributes.name = "frmOpen";
    attributes.caption = "frmOpen";
    attributes.clientWidth = 4500;
    attributes.clientHeight = 3000;
    window_ = Desktop().ui->CreateWindow(attributes);
    window_->AddBrowser("Web", {0, 0, 4500, 3000});
  }
  void TearDown() override {
    if (window_) window_->Close();
  }
  std::unique_ptr<IWindow> window_;
};

TEST_F(EscapeKeyTest, ReachesTheWindowsHandlerOnce) {
  int escapes = 0;
  window_->onEscape = [&] { ++escapes; };
  ShowAndSettle(window_.get());
  // The keyboard goes where the pointer is: into the browser's area.
  ClickWidget(gtk::NativeClientAreaOf(window_.get()), 200, 150);
  PressKeys("Escape");
  EXPECT_TRUE(RunUntil([&] { return escapes > 0; }));
  EXPECT_EQ(escapes, 1);
  // With a modifier it is another key: the Escape after it is the next one
  // the handler hears.
  PressKeys("ctrl+Escape");
  EXPECT_EQ(escapes, 1);
  PressKeys("Escape");
  EXPECT_TRUE(RunUntil([&] { return escapes > 1; }));
  EXPECT_EQ(escapes, 2);
}

TEST_F(EscapeKeyTest, AHandlerMayCloseTheWindow) {
  window_->onEscape = [&] { window_->Close(); };
  ShowAndSettle(window_.get());
  ClickWidget(gtk::NativeClientAreaOf(window_.get()), 200, 150);
  PressKeys("Escape");
  EXPECT_TRUE(RunUntil([&] { return !window_->IsOpen(); }));
}

}  // namespace
}  // namespace lumaro::platform_test
