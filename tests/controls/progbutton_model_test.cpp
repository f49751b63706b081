// Properties, persistence and input handling of the drawn control.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/progbutton.h"

namespace lumaro {
namespace {

TEST(ProgButtonModel, CreationValues) {
  ProgButton b;
  EXPECT_EQ(b.Value(), 0);
  EXPECT_EQ(b.Min(), 0);
  EXPECT_EQ(b.Max(), 100);
  EXPECT_EQ(b.Color(), 1);
  EXPECT_EQ(b.Style(), 0);
  EXPECT_EQ(b.Caption(), "");
  EXPECT_EQ(b.AccessKey(), "");
  EXPECT_FALSE(b.Pressed());
  EXPECT_FALSE(b.HasFocus());
  for (int i = 0; i < 9; ++i) EXPECT_EQ(b.PaletteEntry(i), 0u);
}

TEST(ProgButtonModel, ValueIsLoweredToMaxThenRaisedToMin) {
  struct Case {
    int min, max, set, stored;
  };
  const Case cases[] = {
      {0, 100, 150, 100}, {0, 100, -5, 0}, {0, 100, 42, 42}, {1, 100, 0, 1},
      {1, 100, 100, 100}, {50, 10, 30, 50},  // an inverted range ends at Min
  };
  for (const Case& c : cases) {
    ProgButton b;
    b.SetMin(c.min);
    b.SetMax(c.max);
    b.SetValue(c.set);
    EXPECT_EQ(b.Value(), c.stored) << c.min << ".." << c.max << " <- " << c.set;
  }
}

// The percentage's pattern "0.00": the decimal value (15 significant
// digits) rounded half away from zero, whatever the binary value's side.
TEST(ProgButtonText, TwoDecimalsRoundTheDecimalValueHalfAwayFromZero) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {0, "0.00"},          {0.125, "0.13"},      {0.145, "0.15"},     {2.675, "2.68"},
      {1.005, "1.01"},      {0.625, "0.63"},      {0.124, "0.12"},     {0.1249999, "0.12"},
      {-0.125, "-0.13"},    {-1.0101, "-1.01"},   {-0.001, "-0.00"},   {0.005, "0.01"},
      {0.0049, "0.00"},     {99.995, "100.00"},   {9.999, "10.00"},    {100, "100.00"},
      {49.494949494949495, "49.49"},             {-100000, "-100000.00"},
      {1.23456789012345678e20, "123456789012346000000.00"},
  };
  for (const auto& c : cases) EXPECT_EQ(TwoDecimals(c.value), c.text) << c.value;
}

TEST(ProgButtonModel, RangeChangesDoNotReclampValue) {
  ProgButton b;
  b.SetValue(5);
  b.SetMin(20);
  EXPECT_EQ(b.Value(), 5);
  b.SetValue(80);
  b.SetMax(50);
  EXPECT_EQ(b.Value(), 80);
}

TEST(ProgButtonModel, AccessKeyFollowsTheLastAmpersand) {
  struct Step {
    const char* caption;
    const char* key;
  };
  // Each sequence runs on one control, so earlier captions matter.
  const std::vector<std::vector<Step>> sequences = {
      {{"&Check", "C"}},
      {{"Save &As", "A"}},
      {{"&a&b", "b"}},
      {{"&OK", "O"}, {"Cancel", "O"}},  // no "&": the key stays
      {{"&OK", "O"}, {"End&", ""}},     // "&" last: no key
      {{"&检测", "检"}},
      {{"Tom && Jerry", " "}},
      {{"plain", ""}},
  };
  for (const auto& seq : sequences) {
    ProgButton b;
    for (const Step& s : seq) {
      b.SetCaption(s.caption);
      EXPECT_EQ(b.Caption(), s.caption);
      EXPECT_EQ(b.AccessKey(), s.key) << s.caption;
    }
  }
}

TEST(ProgButtonModel, PropertySettersRedraw) {
  ProgButton b;
  b.SetSize(40, 20);
  int images = 0;
  b.onImageChanged = [&] { ++images; };
  b.SetValue(3);
  b.SetMin(1);
  b.SetMax(90);
  b.SetCaption("x");
  b.SetStyle(1);
  b.SetColor(4);
  b.SetSize(50, 20);
  b.Redraw();
  EXPECT_EQ(images, 8);
}

TEST(ProgButtonPersistence, MissingValuesReadAsDefaultsAndDefaultsAreNotWritten) {
  ProgButton b;
  int images = 0;
  b.onImageChanged = [&] { ++images; };
  b.ReadProperties(PropertyBag{});
  EXPECT_EQ(images, 1);
  EXPECT_EQ(b.Value(), 0);
  EXPECT_EQ(b.Min(), 0);
  EXPECT_EQ(b.Max(), 100);
  EXPECT_EQ(b.Caption(), "Command");
  EXPECT_EQ(b.Style(), 0);
  EXPECT_EQ(b.Color(), 1);

  PropertyBag out;
  out.Set("MyMax", "7");  // stale data of an earlier save goes
  b.WriteProperties(out);
  EXPECT_TRUE(out.Items().empty());
}

TEST(ProgButtonPersistence, ReadStoresValuesAsTheyAreAndWriteKeepsTheOrder) {
  PropertyBag in;
  in.Set("MyStyle", "8");
  in.Set("MyType", "1");
  in.Set("MyCaption", "&Go");
  in.Set("MyMax", "120");
  in.Set("MyMin", "10");
  in.Set("Value", "150");
  ProgButton b;
  b.ReadProperties(in);
  EXPECT_EQ(b.Value(), 150);  // not clamped to Max
  EXPECT_EQ(b.Min(), 10);
  EXPECT_EQ(b.Max(), 120);
  EXPECT_EQ(b.Caption(), "&Go");
  EXPECT_EQ(b.AccessKey(), "");  // not taken from stored data
  EXPECT_EQ(b.Style(), 1);
  EXPECT_EQ(b.Color(), 8);

  PropertyBag out;
  b.WriteProperties(out);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Value", "150"}, {"MyMin", "10"}, {"MyMax", "120"},
      {"MyCaption", "&Go"}, {"MyType", "1"}, {"MyStyle", "8"}};
  EXPECT_EQ(out.Items(), expected);

  // Written data reads back to the same control state.
  ProgButton again;
  again.ReadProperties(out);
  EXPECT_EQ(again.Value(), 150);
  EXPECT_EQ(again.Caption(), "&Go");
  EXPECT_EQ(again.Color(), 8);
}

TEST(ProgButtonPersistence, PartialAndUnreadableValues) {
  PropertyBag in;
  in.Set("MyMin", "-3");
  in.Set("MyMax", "lots");  // unreadable: the default
  in.Set("Value", "12abc");
  in.Set("MyCaption", "");
  ProgButton b;
  b.ReadProperties(in);
  EXPECT_EQ(b.Min(), -3);
  EXPECT_EQ(b.Max(), 100);
  EXPECT_EQ(b.Value(), 0);
  EXPECT_EQ(b.Caption(), "");
  PropertyBag out;
  b.WriteProperties(out);
  const std::vector<std::pair<std::string, std::string>> expected = {{"MyMin", "-3"}, {"MyCaption", ""}};
  EXPECT_EQ(out.Items(), expected);
}

// Records hooks and events in the order they happen.
struct Recorder {
  std::vector<std::string> log;
  void Attach(ProgButton& b) {
    b.processPendingMessages = [this] { log.push_back("pump"); };
    b.onImageChanged = [this] { log.push_back("image"); };
    b.grabFocus = [this] { log.push_back("focus"); };
    b.onClick = [this] { log.push_back("Click"); };
    b.onDblClick = [this] { log.push_back("DblClick"); };
    b.onMouseDown = [this, &b](int16_t& button, int16_t& shift, float& x, float& y) {
      log.push_back("MouseDown " + std::to_string(button) + " " + std::to_string(shift) + " " +
                    std::to_string(static_cast<int>(x)) + " " + std::to_string(static_cast<int>(y)) +
                    (b.Pressed() ? " pressed" : ""));
    };
    b.onMouseUp = [this, &b](int16_t&, int16_t&, float&, float&) {
      log.push_back(std::string("MouseUp") + (b.Pressed() ? " pressed" : ""));
    };
    b.onMouseMove = [this](int16_t&, int16_t&, float&, float&) { log.push_back("MouseMove"); };
  }
};

TEST(ProgButtonInput, MouseClickSequence) {
  ProgButton b;
  b.SetSize(80, 24);
  Recorder r;
  r.Attach(b);
  b.NotifyMouseMove(0, 0, 3, 4);
  b.NotifyMouseDown(1, 2, 10, 11);
  EXPECT_TRUE(b.Pressed());
  b.NotifyMouseUp(1, 2, 10, 11);
  EXPECT_FALSE(b.Pressed());
  b.NotifyClick();
  b.NotifyDblClick();
  const std::vector<std::string> expected = {
      "pump", "MouseMove",                          // no redraw on a move
      "pump", "MouseDown 1 2 10 11", "image",       // pressed after the event
      "pump", "MouseUp pressed",      "image",
      "Click", "image",
      "DblClick", "image"};
  EXPECT_EQ(r.log, expected);
}

TEST(ProgButtonInput, KeyboardActivationOnlyForStyleOne) {
  struct Case {
    int style;
    int key;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {1, 13, {"Click", "focus"}}, {1, 32, {}},  {1, 27, {}},
      {0, 13, {}},                 {2, 13, {}},
  };
  for (const Case& c : cases) {
    ProgButton b;
    b.SetStyle(c.style);
    Recorder r;
    r.Attach(b);
    b.NotifyKeyDown(c.key);
    EXPECT_EQ(r.log, c.log) << "style " << c.style << " key " << c.key;
  }
  for (int style : {0, 1, 2, -1}) {
    ProgButton b;
    b.SetStyle(style);
    b.SetCaption("&Go");
    Recorder r;
    r.Attach(b);
    b.NotifyAccessKey();
    EXPECT_EQ(r.log, style == 1 ? std::vector<std::string>{"Click"} : std::vector<std::string>{}) << style;
  }
  // A mouse click works on a progress bar too.
  ProgButton bar;
  int clicks = 0;
  bar.onClick = [&] { ++clicks; };
  bar.NotifyClick();
  EXPECT_EQ(clicks, 1);
}

TEST(ProgButtonInput, FocusRectangleComesFromTheLastRedraw) {
  ProgButton b;
  b.SetStyle(1);
  b.SetSize(79, 23);
  b.NotifyEnterFocus();
  EXPECT_EQ(b.FocusRect(), (PixelRect{3, 3, 75, 19}));
  // Resizing while focused keeps the rectangle of the focus entry.
  b.SetSize(120, 36);
  EXPECT_EQ(b.FocusRect(), (PixelRect{3, 3, 75, 19}));
  b.NotifyExitFocus();
  b.NotifyEnterFocus();
  EXPECT_EQ(b.FocusRect(), (PixelRect{3, 3, 116, 32}));
}

TEST(ProgButtonInput, HandlerMayDestroyTheControl) {
  // A form's Click handler closing its window frees the control; the
  // control must not touch itself afterwards (checked under the sanitizers).
  auto make = [](std::unique_ptr<ProgButton>& holder) {
    holder = std::make_unique<ProgButton>();
    holder->SetStyle(1);
    holder->SetSize(40, 20);
  };
  std::unique_ptr<ProgButton> b;
  make(b);
  b->onClick = [&] { b.reset(); };
  b->NotifyClick();
  EXPECT_EQ(b, nullptr);

  make(b);
  b->onClick = [&] { b.reset(); };
  b->grabFocus = [] { FAIL() << "focus given to a destroyed control"; };
  b->NotifyKeyDown(13);
  EXPECT_EQ(b, nullptr);

  make(b);
  b->onMouseDown = [&](int16_t&, int16_t&, float&, float&) { b.reset(); };
  b->NotifyMouseDown(1, 0, 1, 1);
  EXPECT_EQ(b, nullptr);

  make(b);
  b->processPendingMessages = [&] { b.reset(); };
  b->NotifyMouseUp(1, 0, 1, 1);
  EXPECT_EQ(b, nullptr);
}

}  // namespace
}  // namespace lumaro
