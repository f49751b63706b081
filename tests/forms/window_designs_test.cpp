// The windows' design tables: well formed, and read as the windows and the
// end-to-end steps read them.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

#include "agent/frmSys_design.h"
#include "core/window_design.h"
#include "fakes/fake_ui.h"
#include "member/frmAdmin_design.h"
#include "signin/frmReg_design.h"
#include "signin/frmlogin_design.h"
#include "windows/frmCheckCode_design.h"
#include "windows/frmOpen_design.h"
#include "windows/frmUP_design.h"
#include "windows/frmViewMemo_design.h"
#include "windows/frmViewQQ_design.h"
#include "windows/frmView_design.h"

namespace lumaro {
namespace {

// Every window's design: names are unique within the window, and a control
// placed in a panel names a panel designed before it (so that the panel
// exists when the control is added).
TEST(WindowDesigns, EveryDesignIsWellFormed) {
  const WindowDesign* designs[] = {
      &frmloginDesign(), &frmRegDesign(),     &frmAdminDesign(),     &frmSysDesign(),
      &frmUPDesign(),    &frmOpenDesign(),    &frmCheckCodeDesign(), &frmViewDesign(),
      &frmViewQQDesign(), &frmViewMemoDesign(),
  };
  for (const WindowDesign* design : designs) {
    const std::string window = design->attributes.name;
    EXPECT_FALSE(window.empty());
    std::set<std::string> names, panels;
    for (const ControlDesign& control : design->controls) {
      EXPECT_TRUE(names.insert(control.name).second) << window << ": " << control.name << " twice";
      if (!control.style.parent.empty()) {
        EXPECT_TRUE(panels.count(control.style.parent))
            << window << ": " << control.name << " lies in " << control.style.parent
            << ", which is no panel designed before it";
      }
      if (control.kind == ControlKind::Panel) panels.insert(control.name);
    }
    for (const TimerDesign& timer : design->timers)
      EXPECT_TRUE(names.insert(timer.name).second) << window << ": " << timer.name << " twice";
  }
}

// A design of three controls, one of them in a panel, to read back.
WindowDesign SmallDesign() {
  using enum ControlKind;
  return {.attributes = {.name = "frmSmall", .clientWidth = 3000, .clientHeight = 2000},
          .controls = {{"Panel1", Panel, {300, 450, 1500, 900}},
                       {"Label1", Label, {150, 75, 600, 300}, "标签", ControlStyle{}.InPanel("Panel1")},
                       {"Text1", TextBox, {1800, 1500, 915, 301}}},
          .timers = {{"Timer1", 250, true}}};
}

TEST(WindowDesigns, PlacesAreInTheClientAreaWithThePanelsOffsetsAdded) {
  const WindowDesign design = SmallDesign();
  const Rect inPanel = design.ClientRect("Label1");
  EXPECT_EQ(inPanel.left, 450);
  EXPECT_EQ(inPanel.top, 525);
  EXPECT_EQ(inPanel.width, 600);
  EXPECT_EQ(inPanel.height, 300);
  // Centres in pixels, rounded to the nearest: (450 + 300) / 15 = 50,
  // (525 + 150) / 15 = 45; (1800 + 457.5) / 15 = 150.5, (1500 + 150.5) / 15
  // = 110.03.
  EXPECT_EQ(CentreInPixels(design, "Label1").x, 50);
  EXPECT_EQ(CentreInPixels(design, "Label1").y, 45);
  EXPECT_EQ(CentreInPixels(design, "Text1").x, 151);
  EXPECT_EQ(CentreInPixels(design, "Text1").y, 110);
  EXPECT_THROW(design.Control("Nothing"), std::out_of_range);
}

TEST(WindowDesigns, AWindowGetsTheDesignsControlsInOrderAndHandsThemOutByKind) {
  FakeUiFactory ui;
  const WindowDesign design = SmallDesign();
  auto window = ui.CreateWindow(design.attributes);
  DesignedControls controls = AddDesignedControls(*window, design);

  auto& fake = static_cast<FakeWindow&>(*window);
  EXPECT_EQ(fake.ControlNames(), (std::vector<std::string>{"Panel1", "Label1", "Text1"}));
  EXPECT_EQ(controls.Label("Label1")->Text(), "标签");
  EXPECT_EQ(fake.Label("Label1")->style().parent, "Panel1");
  EXPECT_NE(controls.Picture("Panel1"), nullptr) << "a panel is a picture";
  EXPECT_NE(controls.TextBox("Text1"), nullptr);
  EXPECT_EQ(controls.Timer("Timer1")->Interval(), 250);
  EXPECT_TRUE(controls.Timer("Timer1")->Enabled());
  // A window asking for a control its design lacks, or of another kind.
  EXPECT_THROW(controls.Label("Text1"), std::logic_error);
  EXPECT_THROW(controls.Browser("web"), std::logic_error);
  EXPECT_THROW(controls.Timer("Timer2"), std::logic_error);
}

}  // namespace
}  // namespace lumaro
