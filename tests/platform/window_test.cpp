// Windows and controls on the real display: geometry, stacking, input,
// timers, closing and modal display.
#include <gtk/gtk.h>

#include "controls/progbutton.h"
#include "platform/gtk_platform.h"
#include "platform/platform_fixture.h"
#include "platform/top_window.h"
#include "platform/ui_helpers.h"

namespace lumaro::platform_test {
namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { REQUIRE_DISPLAY(); }
  void TearDown() override {
    for (auto& w : windows_) w->Close();
    windows_.clear();
    RunUntilIdle();
  }

  IWindow* NewWindow(WindowAttributes attributes) {
    windows_.push_back(Desktop().ui->CreateWindow(attributes));
    return windows_.back().get();
  }

  static WindowAttributes Attributes(const std::string& name, int w, int h,
                         FrameKind frame = FrameKind::FixedSingle) {
    WindowAttributes attributes;
    attributes.name = name;
    attributes.caption = name;
    attributes.clientWidth = w;
    attributes.clientHeight = h;
    attributes.frame = frame;
    return attributes;
  }

  std::vector<std::unique_ptr<IWindow>> windows_;
};

#define REQUIRE_XDOTOOL() \
  if (!HaveXdotool()) GTEST_SKIP() << "needs xdotool"

TEST_F(WindowTest, ClientAreaAndControlsAreTwipsOverFifteen) {
  WindowAttributes attributes = Attributes("frmlogin", 15045, 9225);
  attributes.background = "login_background.svg";
  IWindow* w = NewWindow(attributes);
  ControlStyle panelStyle;
  w->AddPanel("Picture1", {600, 900, 3000, 1500}, panelStyle);
  w->AddTextBox("txtuser", {2685, 5805, 2670, 345});
  ControlStyle inPanel;
  inPanel.parent = "Picture1";
  w->AddLabel("Label1", {630, 390, 1575, 195}, "正在检测", inPanel);
  ShowAndSettle(w);

  GtkWidget* client = gtk::NativeClientAreaOf(w);
  GtkAllocation a;
  gtk_widget_get_allocation(client, &a);
  EXPECT_EQ(a.width, 1003);
  EXPECT_EQ(a.height, 615);
  EXPECT_EQ(w->OuterWidth(), 15045 + kClassicFrameWidth);
  EXPECT_EQ(w->OuterHeight(), 9225 + kClassicFrameHeight);

  GdkRectangle box = PlaceInClient(gtk::NativeControlOf(w, "txtuser"), client);
  EXPECT_EQ(box.x, 179);
  EXPECT_EQ(box.y, 387);
  EXPECT_EQ(box.width, 178);
  EXPECT_EQ(box.height, 23);
  GdkRectangle label = PlaceInClient(gtk::NativeControlOf(w, "Label1"), client);
  EXPECT_EQ(label.x, 40 + 42);
  EXPECT_EQ(label.y, 60 + 26);

  // The background picture is painted; the area beyond it shows the face
  // colour (the picture is 1002 x 614 pixels).
  EXPECT_NE(PixelAt(client, 20, 20), 0xF0F0F0u);
  EXPECT_EQ(PixelAt(client, 1002, 614), 0xF0F0F0u);
}

TEST_F(WindowTest, OuterSizesGiveTheDesignedClientArea) {
  IWindow* w = NewWindow(Attributes("frmAdmin", 15045, 10395, FrameKind::Sizable));
  int resizes = 0;
  w->onResize = [&] { ++resizes; };
  ShowAndSettle(w);
  EXPECT_GE(resizes, 1) << "a window reports its first size";
  ASSERT_TRUE(w->SetOuterWidth(15150));
  ASSERT_TRUE(w->SetOuterHeight(11340));
  EXPECT_EQ(w->OuterWidth(), 15150);
  GtkWidget* client = gtk::NativeClientAreaOf(w);
  RunUntil([&] { return gtk_widget_get_allocated_height(client) == 722; });
  EXPECT_EQ(gtk_widget_get_allocated_width(client), 1003);
  EXPECT_EQ(gtk_widget_get_allocated_height(client), 722);
  EXPECT_FALSE(w->SetOuterWidth(50)) << "no room for a client area";

  // A fixed frame follows the new size as well.
  IWindow* fixed = NewWindow(Attributes("fixed", 3000, 3000));
  ShowAndSettle(fixed);
  ASSERT_TRUE(fixed->SetOuterWidth(4500 + kClassicFrameWidth));
  GtkWidget* fixedClient = gtk::NativeClientAreaOf(fixed);
  EXPECT_TRUE(RunUntil([&] { return gtk_widget_get_allocated_width(fixedClient) == 300; }));

  // A window designed with a frame of its own reports and takes that one.
  WindowAttributes framed = Attributes("frmViewQQ", 14985, 8265, FrameKind::Sizable);
  framed.frameWidth = 150;
  framed.frameHeight = 500;
  IWindow* v = NewWindow(framed);
  ShowAndSettle(v);
  EXPECT_EQ(v->OuterWidth(), 14985 + 150);
  EXPECT_EQ(v->OuterHeight(), 8265 + 500);
  ASSERT_TRUE(v->SetOuterWidth(6000 + 150));
  ASSERT_TRUE(v->SetOuterHeight(4500 + 500));
  GtkWidget* framedClient = gtk::NativeClientAreaOf(v);
  EXPECT_TRUE(RunUntil([&] { return gtk_widget_get_allocated_width(framedClient) == 400; }));
  EXPECT_TRUE(RunUntil([&] { return gtk_widget_get_allocated_height(framedClient) == 300; }));
}

TEST_F(WindowTest, LaterControlsLieOnTopForPaintingAndClicks) {
  REQUIRE_XDOTOOL();
  WindowAttributes attributes = Attributes("stack", 6000, 3000);
  attributes.backgroundColor = PackRRGGBB(255, 255, 255);
  IWindow* w = NewWindow(attributes);
  ControlStyle picture;
  picture.image = "blue_bar.svg";
  picture.stretch = true;
  picture.handCursor = true;
  picture.visible = false;  // shown later: realized after the label
  IPicture* cmd = w->AddPicture("cmdLogin", {300, 300, 3000, 600}, picture);
  ControlStyle text;
  text.color = PackRRGGBB(255, 0, 0);
  text.bold = true;
  text.pointSize = 14;
  text.handCursor = true;
  ILabel* label = w->AddLabel("lblLogin", {900, 390, 1200, 400}, "登  录", text);
  int pictureClicks = 0, labelClicks = 0;
  cmd->onClick = [&] { ++pictureClicks; };
  label->onClick = [&] { ++labelClicks; };
  ShowAndSettle(w);
  DrawWatch drawn(gtk::NativeControlOf(w, "cmdLogin"));
  cmd->SetVisible(true);
  ASSERT_TRUE(drawn.WaitForDraw()) << "the picture shown was not painted";

  GtkWidget* client = gtk::NativeClientAreaOf(w);
  GdkRectangle r = PlaceInClient(gtk::NativeControlOf(w, "lblLogin"), client);
  int red = 0;
  for (uint32_t p : PixelsIn(client, r))
    if ((p >> 16) > 0xC0 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60) ++red;
  EXPECT_GT(red, 20) << "the label's text is painted over the picture";

  ClickWidget(gtk::NativeControlOf(w, "lblLogin"));
  EXPECT_EQ(labelClicks, 1);
  EXPECT_EQ(pictureClicks, 0);
  ClickWidget(gtk::NativeControlOf(w, "cmdLogin"), 5, 5);
  EXPECT_EQ(pictureClicks, 1);
  // A double click is one click.
  ClickWidget(gtk::NativeControlOf(w, "lblLogin"), -1, -1, 2);
  EXPECT_EQ(labelClicks, 2);
  // Disabled controls take no clicks.
  label->SetEnabled(false);
  cmd->SetEnabled(false);
  ClickWidget(gtk::NativeControlOf(w, "lblLogin"));
  EXPECT_EQ(labelClicks, 2);
  EXPECT_EQ(pictureClicks, 1);
}

// Painting follows the creation order whatever the kinds: a label added
// after a drawn button shows over it.
TEST_F(WindowTest, ALabelAddedAfterADrawnButtonIsPaintedOverIt) {
  IWindow* w = NewWindow(Attributes("paint", 6000, 3000));
  ProgButton* button = w->AddProgButton("Command1", {300, 300, 3000, 900});
  button->SetStyle(1);
  button->SetColor(8);
  ControlStyle text;
  text.color = PackRRGGBB(255, 0, 0);
  text.bold = true;
  text.pointSize = 14;
  w->AddLabel("lbl", {600, 450, 1500, 450}, "登  录", text);
  ShowAndSettle(w);
  GtkWidget* client = gtk::NativeClientAreaOf(w);
  int red = 0;
  for (uint32_t p : PixelsIn(client, PlaceInClient(gtk::NativeControlOf(w, "lbl"), client)))
    if ((p >> 16) > 0xC0 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60) ++red;
  EXPECT_GT(red, 20);
}

TEST_F(WindowTest, ControlsCarryAccessibleNamesRolesAndTheHandCursor) {
  IWindow* w = NewWindow(Attributes("names", 6000, 3000));
  ControlStyle hot;
  hot.handCursor = true;
  hot.accessibleName = "首页";
  w->AddLabel("lblHome", {0, 0, 900, 300}, "", hot);
  w->AddLabel("lblInfo", {0, 600, 3000, 300}, "可以登录");
  ControlStyle named;
  named.accessibleName = "帐号";
  w->AddTextBox("txtuser", {0, 1200, 2000, 330}, named);
  ShowAndSettle(w);

  AtkObject* home = gtk_widget_get_accessible(gtk::NativeControlOf(w, "lblHome"));
  EXPECT_STREQ(atk_object_get_name(home), "首页");
  EXPECT_EQ(atk_object_get_role(home), ATK_ROLE_PUSH_BUTTON);
  AtkObject* info = gtk_widget_get_accessible(gtk::NativeControlOf(w, "lblInfo"));
  EXPECT_STREQ(atk_object_get_name(info), "可以登录");
  EXPECT_EQ(atk_object_get_role(info), ATK_ROLE_LABEL);
  EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(gtk::NativeControlOf(w, "txtuser"))),
               "帐号");

  // The hand cursor sits on the label's input window.
  GtkWidget* hotWidget = gtk::NativeControlOf(w, "lblHome");
  GdkWindow* parent = gtk_widget_get_parent_window(hotWidget);
  bool handCursor = false;
  for (GList* it = gdk_window_peek_children(parent); it; it = it->next) {
    gpointer owner = nullptr;
    gdk_window_get_user_data(GDK_WINDOW(it->data), &owner);
    if (owner == hotWidget) handCursor = gdk_window_get_cursor(GDK_WINDOW(it->data)) != nullptr;
  }
  EXPECT_TRUE(handCursor);
}

TEST_F(WindowTest, TextBoxesAndCheckBoxes) {
  REQUIRE_XDOTOOL();
  IWindow* w = NewWindow(Attributes("frmReg", 7740, 5340));
  ITextBox* user = w->AddTextBox("txtuser", {2670, 855, 1860, 330});
  ControlStyle secret;
  secret.password = true;
  ITextBox* pass = w->AddTextBox("txtpass", {2670, 1755, 1860, 330}, secret);
  ICheckBox* check = w->AddCheckBox("chkWrite", {1620, 2500, 195, 195});
  int checkClicks = 0;
  check->onClick = [&] { ++checkClicks; };
  ShowAndSettle(w);

  auto* passEntry = GTK_ENTRY(gtk::NativeControlOf(w, "txtpass"));
  EXPECT_FALSE(gtk_entry_get_visibility(passEntry));
  EXPECT_EQ(gtk_entry_get_invisible_char(passEntry), gunichar('*'));

  ClickWidget(gtk::NativeControlOf(w, "txtuser"));
  TypeText("abc");
  EXPECT_EQ(user->Text(), "abc");
  user->SetText("新用户");
  EXPECT_EQ(user->Text(), "新用户");

  pass->SetFocus();
  EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(gtk::NativeWindowOf(w))),
            gtk::NativeControlOf(w, "txtpass"));
  TypeText("pw");
  EXPECT_EQ(pass->Text(), "pw");

  check->SetChecked(true);
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(checkClicks, 0) << "setting the box is not a click";
  ClickWidget(gtk::NativeControlOf(w, "chkWrite"));
  EXPECT_FALSE(check->Checked());
  EXPECT_EQ(checkClicks, 1);
}

TEST_F(WindowTest, TimersTickStopAndRestart) {
  IWindow* w = NewWindow(Attributes("timers", 3000, 3000));
  ITimer* timer = w->AddTimer("tmrDraw", 20, true);
  int ticks = 0;
  timer->onTick = [&] { ++ticks; };
  // Timers run from creation, before the window is shown.
  EXPECT_TRUE(RunUntil([&] { return ticks >= 3; }));
  // A stopped timer does not tick: a timer of twice its interval, started
  // after it stopped, fires after the tick it would have had.
  timer->SetEnabled(false);
  int stopped = ticks;
  ASSERT_TRUE(RunUntilTimerFires(40));
  EXPECT_EQ(ticks, stopped);
  EXPECT_FALSE(timer->Enabled());

  timer->SetInterval(30);
  timer->SetEnabled(true);
  EXPECT_TRUE(RunUntil([&] { return ticks >= stopped + 2; }));

  // A tick that disables its own timer runs once.
  ITimer* once = w->AddTimer("tmrClear", 10, true);
  int onceTicks = 0;
  once->onTick = [&] {
    once->SetEnabled(false);
    ++onceTicks;
  };
  ASSERT_TRUE(RunUntil([&] { return onceTicks > 0; }));
  ASSERT_TRUE(RunUntilTimerFires(20));
  EXPECT_EQ(onceTicks, 1);

  // Closing the window stops every timer for good.
  w->Close();
  int closedAt = ticks;
  timer->SetEnabled(true);
  ASSERT_TRUE(RunUntilTimerFires(60));
  EXPECT_EQ(ticks, closedAt);
}

TEST_F(WindowTest, ClosingFromAHandlerOfTheWindowItself) {
  REQUIRE_XDOTOOL();
  const int openBefore = gtk::OpenWindowCount();
  IWindow* w = NewWindow(Attributes("frmUP", 8205, 3225));
  ControlStyle hot;
  hot.accessibleName = "退出";
  ILabel* exit = w->AddLabel("lblExit", {300, 300, 1500, 600}, "退出", hot);
  ITimer* timer = w->AddTimer("Timer1", 20, true);
  int closed = 0;
  w->onClosed = [&] { ++closed; };
  exit->onClick = [&] {
    w->Close();
    w->Close();  // a second close does nothing
  };
  ShowAndSettle(w);
  EXPECT_TRUE(w->IsOpen());
  EXPECT_EQ(gtk::OpenWindowCount(), openBefore + 1);
  ClickWidget(gtk::NativeControlOf(w, "lblExit"));
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(w->IsOpen());
  EXPECT_FALSE(timer->Enabled());
  EXPECT_EQ(gtk::OpenWindowCount(), openBefore);
  EXPECT_TRUE(RunUntil([&] { return gtk::NativeWindowOf(w) == nullptr; }))
      << "the native window is gone";
  // The controls outlive their widgets harmlessly.
  exit->SetText("x");
  exit->SetVisible(false);
  EXPECT_EQ(exit->Text(), "x");
  w->Show();
  EXPECT_FALSE(w->IsOpen());
}

TEST_F(WindowTest, ShowModalWaitsWhileTimersGoOnAndTheOwnerTakesNoInput) {
  REQUIRE_XDOTOOL();
  IWindow* owner = NewWindow(Attributes("frmAdmin", 6000, 4000));
  ILabel* ownerLabel = owner->AddLabel("lblHome", {0, 0, 6000, 4000}, "home");
  int ownerClicks = 0;
  ownerLabel->onClick = [&] { ++ownerClicks; };
  ITimer* ownerTimer = owner->AddTimer("Timer1", 20, true);
  int ownerTicks = 0;
  ownerTimer->onTick = [&] { ++ownerTicks; };
  ShowAndSettle(owner);

  WindowAttributes attributes = Attributes("frmCheckCode", 3000, 1500, FrameKind::FixedDialog);
  attributes.placement = Placement::CenterOwner;
  IWindow* modal = NewWindow(attributes);
  GtkWidget* modalNative = gtk::NativeWindowOf(modal);
  bool clickedOwnerMeanwhile = false;
  ITimer* clicker = modal->AddTimer("tmrDraw", 20, true);
  clicker->onTick = [&] {
    if (!gtk_widget_get_mapped(modalNative)) return;
    clicker->SetEnabled(false);
    // A click on the owner while the modal window is up.
    ClickWidget(gtk::NativeControlOf(owner, "lblHome"), 5, 5);
    clickedOwnerMeanwhile = true;
  };
  const int ticksBefore = ownerTicks;
  // The modal window closes once the owner has been clicked and its timer
  // has ticked more than five times, or at the wait limit.
  const gint64 limit = g_get_monotonic_time() + gint64(kWaitLimit * G_USEC_PER_SEC);
  ITimer* closer = modal->AddTimer("tmrT", 20, true);
  closer->onTick = [&] {
    if ((clickedOwnerMeanwhile && ownerTicks > ticksBefore + 5) || g_get_monotonic_time() > limit)
      modal->Close();
  };
  modal->ShowModal(owner);
  EXPECT_FALSE(modal->IsOpen());
  EXPECT_TRUE(clickedOwnerMeanwhile);
  EXPECT_GT(ownerTicks, ticksBefore + 5) << "the owner's timer ran during the modal wait";
  EXPECT_EQ(ownerClicks, 0);
  ClickWidget(gtk::NativeControlOf(owner, "lblHome"), 9, 9);
  EXPECT_EQ(ownerClicks, 1) << "input returns to the owner";
}

TEST_F(WindowTest, NestedModalWindowsReturnInOrder) {
  IWindow* outer = NewWindow(Attributes("frmViewQQ", 3000, 1500, FrameKind::Sizable));
  IWindow* inner = NewWindow(Attributes("frmOpen", 90, 90, FrameKind::None));
  std::vector<std::string> events;
  ITimer* open = outer->AddTimer("t", 50, true);
  open->onTick = [&] {
    open->SetEnabled(false);
    events.push_back("inner shown");
    inner->ShowModal(outer);
    events.push_back("inner returned");
    outer->Close();
  };
  ITimer* closeInner = inner->AddTimer("t", 100, true);
  closeInner->onTick = [&] {
    if (inner->IsOpen()) inner->Close();
  };
  outer->ShowModal(nullptr);
  events.push_back("outer returned");
  EXPECT_EQ(events, (std::vector<std::string>{"inner shown", "inner returned", "outer returned"}));
}

TEST_F(WindowTest, MainLoopEndsWhenTheLastWindowCloses) {
  ASSERT_EQ(gtk::OpenWindowCount(), 0);
  gtk::RunUntilLastWindowCloses();  // none open: returns at once
  IWindow* first = NewWindow(Attributes("frmlogin", 3000, 3000));
  IWindow* second = NewWindow(Attributes("frmAdmin", 3000, 3000));
  first->Show();
  ITimer* t = first->AddTimer("t", 50, true);
  t->onTick = [&] {
    // The login window opens the console and closes itself.
    second->Show();
    first->Close();
  };
  ITimer* t2 = second->AddTimer("t", 200, true);
  t2->onTick = [&] {
    if (second->IsOpen()) second->Close();
  };
  gtk::RunUntilLastWindowCloses();
  EXPECT_FALSE(first->IsOpen());
  EXPECT_FALSE(second->IsOpen());
  EXPECT_EQ(gtk::OpenWindowCount(), 0);
}

TEST_F(WindowTest, DrawnButtonTakesClicksEnterAndItsAccessKey) {
  REQUIRE_XDOTOOL();
  IWindow* w = NewWindow(Attributes("frmUP", 8205, 3225, FrameKind::FixedDialog));
  ControlStyle under;
  IPicture* below = w->AddPicture("below", {2400, 1500, 2100, 800}, under);
  ProgButton* button = w->AddProgButton("Command1", {2505, 1605, 1800, 540});
  button->SetStyle(1);
  button->SetColor(8);
  button->SetCaption("&Download");
  int clicks = 0, doubles = 0, belowClicks = 0;
  button->onClick = [&] { ++clicks; };
  button->onDblClick = [&] { ++doubles; };
  below->onClick = [&] { ++belowClicks; };
  ShowAndSettle(w);

  GtkWidget* area = gtk::NativeControlOf(w, "Command1");
  EXPECT_EQ(gtk_widget_get_allocated_width(area), 120);
  EXPECT_EQ(gtk_widget_get_allocated_height(area), 36);
  EXPECT_EQ(button->Width(), 120);
  EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(area)), "Download");

  ClickWidget(area);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(button->HasFocus());
  EXPECT_FALSE(button->Pressed());
  PressKeys("Return");
  EXPECT_EQ(clicks, 2);
  PressKeys("alt+d");
  EXPECT_EQ(clicks, 3);
  ClickWidget(area, -1, -1, 2);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(clicks, 4) << "the second click of a double click is not a click";
  // The corner outside the rounded shape belongs to what lies beneath.
  ClickWidget(area, 0, 0);
  EXPECT_EQ(clicks, 4);
  EXPECT_EQ(belowClicks, 1);
}

TEST_F(WindowTest, DrawnButtonHandlerMayCloseTheWindow) {
  REQUIRE_XDOTOOL();
  auto window =
      Desktop().ui->CreateWindow(Attributes("frmCheckCode", 6075, 3690, FrameKind::FixedDialog));
  ProgButton* stop = window->AddProgButton("cmdStop", {3585, 2790, 1185, 465});
  stop->SetStyle(1);
  stop->SetCaption("停止测试");
  bool closed = false;
  window->onClosed = [&] { closed = true; };
  stop->onClick = [&] { window->Close(); };
  ShowAndSettle(window.get());
  ClickWidget(gtk::NativeControlOf(window.get(), "cmdStop"));
  EXPECT_TRUE(closed);
  window.reset();  // released right after, as the forms do
  ASSERT_TRUE(RunUntilIdle());
}

}  // namespace
}  // namespace lumaro::platform_test
