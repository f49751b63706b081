// Clickable labels, pictures and drawn buttons for the keyboard and for
// assistive tools: Tab stops, Enter and Space, the accessible names, roles,
// the "click" action and a progress bar's value.
#include <gtk/gtk.h>

#include <string>

#include "controls/progbutton.h"
#include "platform/platform_fixture.h"
#include "platform/top_window.h"
#include "platform/ui_helpers.h"

namespace lumaro::platform_test {
namespace {

class KeyboardAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_DISPLAY();
    WindowAttributes attributes;
    attributes.name = "keys";
    attributes.caption = "keys";
    attributes.clientWidth = 9000;
    attributes.clientHeight = 4500;
    attributes.frame = FrameKind::FixedSingle;
    window_ = Desktop().ui->CreateWindow(attributes);
  }
  void TearDown() override {
    if (window_) window_->Close();
    RunUntilIdle();
  }

  AtkObject* Accessible(const std::string& control) {
    return gtk_widget_get_accessible(gtk::NativeControlOf(window_.get(), control));
  }
  GtkWidget* Focused() {
    return gtk_window_get_focus(GTK_WINDOW(gtk::NativeWindowOf(window_.get())));
  }
  GtkWidget* Widget(const std::string& control) {
    return gtk::NativeControlOf(window_.get(), control);
  }

  std::unique_ptr<IWindow> window_;
};

ControlStyle Stop(const std::string& name = "") {
  ControlStyle s;
  s.tabStop = true;
  s.handCursor = true;
  s.accessibleName = name;
  return s;
}

// A sign-in row as the login window has it: a box, a picture button with its
// caption on it, a caption-less hot spot and a label only the mouse clicks.
TEST_F(KeyboardAccessTest, TabVisitsTheStopsInCreationOrderAndEnterOrSpaceClicks) {
  if (!HaveXdotool()) GTEST_SKIP() << "needs xdotool";
  ITextBox* box = window_->AddTextBox("txtuser", {300, 300, 2400, 330});
  ControlStyle picture;
  picture.image = "button.svg";
  picture.handCursor = true;
  picture.accessibleName = "登录";
  IPicture* cmdLogin = window_->AddPicture("cmdLogin", {300, 900, 1185, 345}, picture);
  ILabel* lblLogin = window_->AddLabel("lblLogin", {600, 975, 450, 195}, "登  录", Stop("登录"));
  ILabel* lblBack = window_->AddLabel("lblBack", {3000, 900, 855, 300}, "", Stop("后退"));
  ILabel* mouseOnly = window_->AddLabel("lblInfo", {300, 2000, 2000, 300}, "状态");
  ILabel* disabled = window_->AddLabel("lblOff", {3000, 2000, 900, 300}, "停用", Stop());
  int login = 0, back = 0, pictureClicks = 0, info = 0, off = 0;
  cmdLogin->onClick = [&] { ++pictureClicks; };
  lblLogin->onClick = [&] { ++login; };
  lblBack->onClick = [&] { ++back; };
  mouseOnly->onClick = [&] { ++info; };
  disabled->onClick = [&] { ++off; };
  disabled->SetEnabled(false);
  ShowAndSettle(window_.get());
  // The keyboard goes to the window under the pointer.
  ClickWidget(gtk::NativeClientAreaOf(window_.get()), 580, 280);
  box->SetFocus();
  ASSERT_TRUE(RunUntil([&] { return Focused() == Widget("txtuser"); })) << "the box took no focus";

  PressKeys("Tab");
  EXPECT_EQ(Focused(), Widget("lblLogin"));
  PressKeys("Return");
  EXPECT_EQ(login, 1);
  PressKeys("KP_Enter");
  EXPECT_EQ(login, 2);
  PressKeys("Tab");
  EXPECT_EQ(Focused(), Widget("lblBack"));
  PressKeys("space");
  EXPECT_EQ(back, 1);
  // A modified Enter is another key; other keys do nothing.
  PressKeys("ctrl+Return");
  PressKeys("a");
  EXPECT_EQ(back, 1);
  // Past the last stop (the disabled one is skipped) Tab comes round to the
  // box; Shift+Tab goes back.
  PressKeys("Tab");
  EXPECT_EQ(Focused(), Widget("txtuser"));
  PressKeys("shift+Tab");
  EXPECT_EQ(Focused(), Widget("lblBack"));
  // Enter in the box clicks nothing.
  box->SetFocus();
  PressKeys("Return");
  EXPECT_EQ(login + back + pictureClicks + info + off, 3);
}

TEST_F(KeyboardAccessTest, NamesAndRolesFollowCaptionsPurposesAndClickHandlers) {
  window_->AddLabel("lblLogin", {0, 0, 900, 300}, "登  录", Stop("登录"));
  window_->AddLabel("lbl2", {0, 400, 2400, 300}, "          开通代理", Stop());
  ILabel* info = window_->AddLabel("lblInfo", {0, 800, 3000, 300}, "  正在初始化  ");
  ILabel* hidden = window_->AddLabel("Label1", {0, 1200, 900, 300}, "", [] {
    ControlStyle s;
    s.accessibleName = "广告";
    return s;
  }());
  hidden->onClick = [] {};
  ControlStyle image;
  image.image = "consult_button.svg";
  image.accessibleName = "在线咨询";
  IPicture* chat = window_->AddPicture("Image4", {0, 1600, 1215, 345}, image);
  chat->onClick = [] {};
  window_->AddPicture("Image9", {0, 2000, 1215, 345}, ControlStyle{});
  ControlStyle secret;
  secret.password = true;
  secret.accessibleName = "密码";
  window_->AddTextBox("txtpass", {3000, 0, 2400, 330}, secret);
  ControlStyle remember;
  remember.accessibleName = "记住密码";
  window_->AddCheckBox("chkWrite", {3000, 500, 195, 195}, remember);
  ShowAndSettle(window_.get());

  struct Case {
    const char* control;
    const char* name;
    AtkRole role;
    int actions;
  } cases[] = {
      {"lblLogin", "登录", ATK_ROLE_PUSH_BUTTON, 0},  // no handler yet
      {"lbl2", "开通代理", ATK_ROLE_PUSH_BUTTON, 0},
      {"lblInfo", "正在初始化", ATK_ROLE_LABEL, 0},
      // A click handler makes a push button of a spot without a hand cursor.
      {"Label1", "广告", ATK_ROLE_PUSH_BUTTON, 1},
      {"Image4", "在线咨询", ATK_ROLE_PUSH_BUTTON, 1},
      {"Image9", "", ATK_ROLE_IMAGE, 0},
      {"txtpass", "密码", ATK_ROLE_PASSWORD_TEXT, -1},
      {"chkWrite", "记住密码", ATK_ROLE_CHECK_BOX, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    AtkObject* a = Accessible(c.control);
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(atk_object_get_name(a) ? atk_object_get_name(a) : "", c.name);
    EXPECT_EQ(atk_object_get_role(a), c.role);
    if (c.actions >= 0) {
      ASSERT_TRUE(ATK_IS_ACTION(a));
      EXPECT_EQ(atk_action_get_n_actions(ATK_ACTION(a)), c.actions);
    }
  }
  // A caption set later names the label, with its blanks trimmed and runs
  // of blanks inside made one; a label named by its purpose keeps the name.
  info->SetText(" 可以  登录 ");
  EXPECT_STREQ(atk_object_get_name(Accessible("lblInfo")), "可以 登录");
  hidden->SetText("x");
  EXPECT_STREQ(atk_object_get_name(Accessible("Label1")), "广告");
}

TEST_F(KeyboardAccessTest, TheClickActionRunsTheHandlerFromTheMainLoopOnlyWhenUsable) {
  ILabel* hot = window_->AddLabel("lblReFresh", {0, 0, 900, 300}, "", Stop("刷新"));
  int clicks = 0;
  hot->onClick = [&] { ++clicks; };
  ShowAndSettle(window_.get());
  AtkAction* action = ATK_ACTION(Accessible("lblReFresh"));
  ASSERT_EQ(atk_action_get_n_actions(action), 1);
  EXPECT_STREQ(atk_action_get_name(action, 0), "click");

  EXPECT_TRUE(atk_action_do_action(action, 0));
  EXPECT_EQ(clicks, 0) << "ran inside the assistive tool's request";
  EXPECT_TRUE(RunUntil([&] { return clicks == 1; }));
  EXPECT_FALSE(atk_action_do_action(action, 1));

  hot->SetEnabled(false);
  EXPECT_FALSE(atk_action_do_action(action, 0));
  hot->SetEnabled(true);
  hot->SetVisible(false);
  EXPECT_FALSE(atk_action_do_action(action, 0));
  hot->SetVisible(true);

  // A modal window elsewhere holds the input, as it holds the mouse's: also
  // when it comes up between the request and the click.
  WindowAttributes attributes;
  attributes.name = "modal";
  attributes.clientWidth = 3000;
  attributes.clientHeight = 1500;
  std::unique_ptr<IWindow> modal = Desktop().ui->CreateWindow(attributes);
  modal->Show();
  GtkWidget* modalNative = gtk::NativeWindowOf(modal.get());
  gtk_grab_add(modalNative);
  EXPECT_FALSE(atk_action_do_action(action, 0));
  gtk_grab_remove(modalNative);
  EXPECT_TRUE(atk_action_do_action(action, 0));
  gtk_grab_add(modalNative);
  // The click asked for is taken up when the main loop is idle, and dropped:
  // the modal window holds the input.
  ASSERT_TRUE(RunUntilIdle());
  gtk_grab_remove(modalNative);
  modal->Close();
  EXPECT_EQ(clicks, 1);

  // Asked for, then the window closes before the main loop gets to it.
  EXPECT_TRUE(atk_action_do_action(action, 0));
  window_->Close();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(clicks, 1);
}

TEST_F(KeyboardAccessTest, DrawnButtonsOfferAClickAndAProgressBarItsValue) {
  ProgButton* stop = window_->AddProgButton("cmdStop", {300, 300, 1185, 465});
  stop->SetStyle(1);
  stop->SetColor(8);
  stop->SetCaption("停止&测试");
  ControlStyle named;
  named.accessibleName = "检测进度";
  ProgButton* bar = window_->AddProgButton("pbar", {300, 1200, 5250, 420}, named);
  bar->SetColor(8);
  bar->SetMax(100);
  bar->SetMin(1);
  bar->SetValue(50);
  int clicks = 0, barClicks = 0;
  stop->onClick = [&] { ++clicks; };
  bar->onClick = [&] { ++barClicks; };
  ShowAndSettle(window_.get());

  AtkObject* button = Accessible("cmdStop");
  EXPECT_STREQ(atk_object_get_name(button), "停止测试");
  EXPECT_EQ(atk_object_get_role(button), ATK_ROLE_PUSH_BUTTON);
  ASSERT_TRUE(ATK_IS_ACTION(button));
  ASSERT_EQ(atk_action_get_n_actions(ATK_ACTION(button)), 1);
  EXPECT_TRUE(atk_action_do_action(ATK_ACTION(button), 0));
  EXPECT_TRUE(RunUntil([&] { return clicks == 1; }));

  AtkObject* progress = Accessible("pbar");
  EXPECT_STREQ(atk_object_get_name(progress), "检测进度");
  EXPECT_EQ(atk_object_get_role(progress), ATK_ROLE_PROGRESS_BAR);
  EXPECT_EQ(atk_action_get_n_actions(ATK_ACTION(progress)), 0);
  EXPECT_FALSE(atk_action_do_action(ATK_ACTION(progress), 0));
  ASSERT_TRUE(ATK_IS_VALUE(progress));
  gdouble value = 0;
  gchar* text = nullptr;
  atk_value_get_value_and_text(ATK_VALUE(progress), &value, &text);
  EXPECT_EQ(value, 50);
  EXPECT_STREQ(text, "49.49%");
  g_free(text);
  AtkRange* range = atk_value_get_range(ATK_VALUE(progress));
  ASSERT_NE(range, nullptr);
  EXPECT_EQ(atk_range_get_lower_limit(range), 1);
  EXPECT_EQ(atk_range_get_upper_limit(range), 100);
  atk_range_free(range);
  bar->SetValue(100);
  atk_value_get_value_and_text(ATK_VALUE(progress), &value, &text);
  EXPECT_EQ(value, 100);
  EXPECT_STREQ(text, "100.00%");
  g_free(text);

  // A caption-less button without a name from its form is known by its
  // control name; a progress bar turned button offers the click.
  bar->SetStyle(1);
  EXPECT_EQ(atk_object_get_role(progress), ATK_ROLE_PUSH_BUTTON);
  EXPECT_EQ(atk_action_get_n_actions(ATK_ACTION(progress)), 1);
  EXPECT_EQ(barClicks, 0);
}

// The site checker's row: a progress bar, then two buttons. The window opens
// with the focus on the first button, Tab goes round the buttons only, and
// a click on the bar leaves the focus where it is; a bar made a button is a
// stop like the others.
TEST_F(KeyboardAccessTest, TabAndTheFirstFocusPassAProgressBarBy) {
  if (!HaveXdotool()) GTEST_SKIP() << "needs xdotool";
  ProgButton* bar = window_->AddProgButton("pbar", {540, 1065, 5250, 420});
  bar->SetColor(8);
  ProgButton* check = window_->AddProgButton("Command1", {1275, 2790, 1185, 465});
  ProgButton* stop = window_->AddProgButton("cmdStop", {3585, 2790, 1185, 465});
  for (ProgButton* b : {check, stop}) {
    b->SetStyle(1);
    b->SetColor(8);
  }
  check->SetCaption("重新检测");
  stop->SetCaption("停止测试");
  int barClicks = 0;
  bar->onClick = [&] { ++barClicks; };
  ShowAndSettle(window_.get());
  EXPECT_EQ(Focused(), Widget("Command1"));
  EXPECT_FALSE(bar->HasFocus());

  ClickWidget(Widget("pbar"));
  ASSERT_TRUE(RunUntil([&] { return barClicks == 1; })) << "the click did not reach the bar";
  EXPECT_EQ(Focused(), Widget("Command1"));
  EXPECT_FALSE(bar->HasFocus());
  PressKeys("Tab");
  EXPECT_EQ(Focused(), Widget("cmdStop"));
  PressKeys("Tab");
  EXPECT_EQ(Focused(), Widget("Command1"));
  PressKeys("shift+Tab");
  EXPECT_EQ(Focused(), Widget("cmdStop"));

  bar->SetStyle(1);
  PressKeys("Tab");
  EXPECT_EQ(Focused(), Widget("pbar"));
  EXPECT_TRUE(bar->HasFocus());
}

// The focused stop shows a frame: a caption-less hot spot over a plain area
// is otherwise invisible.
TEST_F(KeyboardAccessTest, AFocusedHotSpotShowsAFrame) {
  if (!HaveXdotool()) GTEST_SKIP() << "needs xdotool";
  window_->AddTextBox("txtuser", {300, 300, 2400, 330});
  window_->AddLabel("lblHome", {3000, 1500, 915, 315}, "", Stop("首页"));
  ShowAndSettle(window_.get());
  GtkWidget* client = gtk::NativeClientAreaOf(window_.get());
  GdkRectangle r = PlaceInClient(Widget("lblHome"), client);
  auto frameColours = [&] {
    int dark = 0, light = 0;
    for (uint32_t p : PixelsIn(client, {r.x, r.y, r.width, 1})) {
      if (p == 0x000000) ++dark;
      if (p == 0xFFFFFF) ++light;
    }
    return std::make_pair(dark, light);
  };
  EXPECT_EQ(frameColours().first, 0);
  ClickWidget(client, 20, 20);  // the window takes the keyboard
  DrawWatch drawn(Widget("lblHome"));
  gtk_widget_grab_focus(Widget("lblHome"));
  gtk_window_set_focus_visible(GTK_WINDOW(gtk::NativeWindowOf(window_.get())), TRUE);
  ASSERT_TRUE(drawn.WaitForDraw()) << "the focus did not redraw the hot spot";
  auto [dark, light] = frameColours();
  EXPECT_GT(dark, r.width / 3);
  EXPECT_GT(light, r.width / 3);
}

}  // namespace
}  // namespace lumaro::platform_test
