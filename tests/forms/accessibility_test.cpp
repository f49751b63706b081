// What assistive tools and the keyboard get from every window: each control
// a user can act on has a name a screen reader can speak, and each clickable
// label or picture is reached with Tab, directly or through the caption that
// lies on it.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "controls/progbutton.h"
#include "core/spoken_names.h"
#include "forms/every_window.h"
#include "forms/forms_fixture.h"

namespace lumaro {
namespace {

// The name a screen reader speaks for the control, by the platform's rule.
std::string SpokenName(const FakeControlRecord& r) {
  switch (r.kind) {
    case FakeControlKind::ProgButton:
      return DrawnButtonSpokenName(r.name, r.progButton->Caption(), r.style.accessibleName);
    case FakeControlKind::Label: {
      const auto* label = dynamic_cast<const ILabel*>(r.control);
      return LabelSpokenName(label ? label->Text() : r.caption, r.style.accessibleName);
    }
    case FakeControlKind::TextBox:
    case FakeControlKind::CheckBox:
    case FakeControlKind::Browser:
      return FieldSpokenName(r.name, r.style.accessibleName);
    default:
      return r.style.accessibleName;
  }
}

bool Clickable(const FakeControlRecord& r) {
  if (r.kind == FakeControlKind::ProgButton) return static_cast<bool>(r.progButton->onClick);
  return r.control && r.control->onClick &&
         (r.kind == FakeControlKind::Label || r.kind == FakeControlKind::Picture);
}

// Controls that need a name whether or not a handler is attached: the user
// types into them, ticks them, reads them or watches them.
bool AlwaysNamed(const FakeControlRecord& r) {
  switch (r.kind) {
    case FakeControlKind::TextBox:
    case FakeControlKind::CheckBox:
    case FakeControlKind::Browser:
    case FakeControlKind::ProgButton:
      return true;
    default:
      return false;
  }
}

bool Inside(const Rect& outer, const Rect& inner) {
  const int cx = inner.left + inner.width / 2, cy = inner.top + inner.height / 2;
  return cx >= outer.left && cx < outer.left + outer.width && cy >= outer.top &&
         cy < outer.top + outer.height;
}

// A clickable picture or label that Tab passes by is fine when a caption
// with the same name lies on it and takes the Tab stop for it.
bool CoveredByATabStop(const FakeWindow& w, const FakeControlRecord& r) {
  for (const FakeControlRecord& other : w.controls()) {
    if (&other == &r || !other.style.tabStop || other.style.parent != r.style.parent) continue;
    if (Inside(r.rect, other.rect) && SpokenName(other) == SpokenName(r)) return true;
  }
  return false;
}

class AccessibilityTest : public FormsTest {
 protected:
  AccessibilityTest() {
    Reply(Base() + "GetNet.asp", "http://site.example/Index.htm");
    Reply(Base() + "queryFlag.asp", "waiting");
  }
};

// Whether a control added after `r` in the same container covers it whole.
bool CoveredByALaterControl(const FakeWindow& w, const FakeControlRecord& r) {
  bool later = false;
  for (const FakeControlRecord& other : w.controls()) {
    if (&other == &r) {
      later = true;
      continue;
    }
    if (!later || other.style.parent != r.style.parent) continue;
    const Rect& o = other.rect;
    if (o.left <= r.rect.left && o.top <= r.rect.top &&
        o.left + o.width >= r.rect.left + r.rect.width &&
        o.top + o.height >= r.rect.top + r.rect.height)
      return true;
  }
  return false;
}

void CheckWindow(const FakeWindow& w, const std::set<std::string>& noTabStop) {
  SCOPED_TRACE(w.Name());
  for (const FakeControlRecord& r : w.controls()) {
    SCOPED_TRACE(r.name);
    // A browser the user never sees keeps the keyboard out of its page.
    if (r.kind == FakeControlKind::Browser) {
      EXPECT_EQ(r.style.unseen, CoveredByALaterControl(w, r)) << "unseen";
    }
    const bool click = Clickable(r);
    if (!click && !AlwaysNamed(r)) continue;
    const std::string name = SpokenName(r);
    EXPECT_FALSE(name.empty()) << "no name for assistive tools";
    EXPECT_NE(name, r.name) << "named by its identifier, not by its purpose";
    if (!click || r.kind == FakeControlKind::ProgButton) continue;
    if (noTabStop.count(r.name)) {
      EXPECT_FALSE(r.style.tabStop);
      continue;
    }
    EXPECT_TRUE(r.style.tabStop || CoveredByATabStop(w, r)) << "Tab never reaches it";
  }
}

TEST_F(AccessibilityTest, EveryControlHasANameAndEveryClickableOneIsReachedWithTab) {
  // Clickable controls the keyboard deliberately passes by: the special
  // account's spot under the console's bottom edge.
  const std::map<std::string, std::set<std::string>> noTabStop = {{"frmAdmin", {"Label1"}}};
  const std::vector<std::string> checked = ForEveryWindow(ui, [&](FakeWindow& w) {
    auto it = noTabStop.find(w.Name());
    CheckWindow(w, it == noTabStop.end() ? std::set<std::string>{} : it->second);
  });
  EXPECT_EQ(checked.size(), 10u);
}

// Tab reaches the text boxes first, in their designed order (the hidden
// registration page is passed by), and the captions of the buttons after
// them.
TEST_F(AccessibilityTest, TabStopsFollowTheBoxesInTheirDesignedOrder) {
  struct Expect {
    const char* window;
    std::vector<std::string> order;
  };
  const Expect expected[] = {
      {"frmlogin", {"txtuser", "txtpass", "chkWrite", "lblLogin", "lblExit", "lblReg"}},
      {"frmReg",
       {"txtuser", "txtEmail", "txtpass", "txtPASS2", "txtQQ", "txtMobile", "txtMan", "Label14",
        "Label15"}},
  };
  frmlogin::Instance();
  frmReg::Instance();
  for (const Expect& e : expected) {
    FakeWindow* w = ui.Find(e.window);
    ASSERT_NE(w, nullptr);
    std::vector<std::string> stops;
    for (const FakeControlRecord& r : w->controls()) {
      const bool box = r.kind == FakeControlKind::TextBox || r.kind == FakeControlKind::CheckBox ||
                       (r.kind == FakeControlKind::Browser && !r.style.unseen);
      if (box || r.style.tabStop) stops.push_back(r.name);
    }
    EXPECT_EQ(stops, e.order) << e.window;
  }
}

}  // namespace
}  // namespace lumaro
