// Rendering of the drawn control: checked pixel by pixel on its image.
#include <cairo.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

#include "controls/pixels.h"
#include "controls/progbutton.h"

namespace lumaro {
namespace {

using test::Alpha;
using test::ColourAt;
using test::Hex;
using test::IsInk;

// The nine colour schemes as the control's table gives them: red, green and
// blue of palette entries 0 to 8 (upper band at rest, top and bottom edge;
// lower band at rest; upper band active; lower band active; outline).
constexpr uint8_t kSchemes[9][9][3] = {
    {{248, 246, 242}, {233, 227, 211}, {226, 215, 182}, {239, 233, 215}, {251, 244, 223},
     {239, 213, 133}, {203, 166, 57}, {237, 224, 187}, {204, 168, 62}},
    {{247, 248, 242}, {231, 233, 211}, {222, 226, 182}, {237, 239, 215}, {249, 251, 223},
     {230, 239, 133}, {190, 203, 57}, {233, 237, 187}, {192, 204, 62}},
    {{242, 248, 243}, {211, 233, 213}, {182, 226, 186}, {215, 239, 217}, {223, 251, 225},
     {133, 239, 142}, {57, 203, 70}, {187, 237, 191}, {62, 204, 74}},
    {{242, 248, 247}, {211, 233, 231}, {182, 226, 222}, {215, 239, 237}, {223, 251, 249},
     {133, 239, 230}, {57, 203, 190}, {187, 237, 233}, {62, 204, 192}},
    {{243, 242, 248}, {213, 211, 233}, {186, 182, 226}, {217, 215, 239}, {225, 223, 251},
     {142, 133, 239}, {70, 57, 203}, {191, 187, 237}, {74, 62, 204}},
    {{248, 242, 247}, {233, 211, 231}, {226, 182, 222}, {239, 215, 237}, {251, 223, 249},
     {239, 133, 230}, {203, 57, 190}, {237, 187, 233}, {204, 62, 192}},
    {{248, 242, 242}, {233, 211, 211}, {226, 182, 182}, {239, 215, 215}, {251, 223, 223},
     {239, 133, 133}, {203, 57, 57}, {237, 187, 187}, {204, 62, 62}},
    {{250, 253, 254}, {228, 243, 252}, {199, 230, 249}, {237, 247, 253}, {225, 247, 255},
     {67, 208, 255}, {63, 112, 233}, {63, 226, 246}, {23, 139, 211}},
    {{231, 243, 232}, {225, 219, 225}, {179, 189, 179}, {226, 238, 226}, {223, 251, 223},
     {108, 255, 108}, {26, 228, 26}, {217, 244, 217}, {188, 184, 188}},
};

// Palette entry `i` of scheme 1..9, as 0x00BBGGRR.
constexpr uint32_t Entry(int scheme, int i) {
  const uint8_t* c = kSchemes[scheme - 1][i];
  return PackBBGGRR(c[0], c[1], c[2]);
}

constexpr std::array<uint32_t, 9> Palette(int scheme) {
  std::array<uint32_t, 9> p{};
  for (int i = 0; i < 9; ++i) p[i] = Entry(scheme, i);
  return p;
}

// Scheme 8, the one every window of the program uses.
constexpr std::array<uint32_t, 9> kPal8 = Palette(8);

std::unique_ptr<ProgButton> Button(int w, int h, const std::string& caption = "", int colour = 8) {
  auto b = std::make_unique<ProgButton>();
  b->SetStyle(1);
  b->SetColor(colour);
  b->SetCaption(caption);
  b->SetSize(w, h);
  return b;
}

std::unique_ptr<ProgButton> Bar(int w, int h, int min, int max, int value, int colour = 8) {
  auto b = std::make_unique<ProgButton>();
  b->SetColor(colour);
  b->SetMax(max);
  b->SetMin(min);
  b->SetValue(value);
  b->SetSize(w, h);
  return b;
}

TEST(ProgButtonDrawColor, BlendsFromTopRowToJustBelowTheLastRow) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 10, 12);
  ProgButton b;
  const uint32_t c1 = PackBBGGRR(0, 10, 250), c2 = PackBBGGRR(255, 200, 50);
  b.DrawColor(s, 2, 3, 7, 7, c1, c2);  // rows 3..6, columns 2..6

  // Row `top` is colour1 exactly; each row y is c1 + (c2 - c1) * (y - top) / 4
  // in 16-bit channels, so the last painted row stops a quarter short of c2.
  EXPECT_EQ(Hex(ColourAt(s, 2, 3)), Hex(c1));
  EXPECT_EQ(Hex(ColourAt(s, 6, 5)), Hex(PackBBGGRR(127, 105, 150)));
  const uint32_t last = ColourAt(s, 4, 6);
  EXPECT_EQ(Hex(last), Hex(PackBBGGRR(191, 152, 100)));
  EXPECT_LE(test::MaxChannelDistance(last, c2), 255 / 4 + 1);
  // Every pixel of a row has the row's colour, and the right column and the
  // bottom row are left alone.
  for (int x = 2; x < 7; ++x) EXPECT_EQ(ColourAt(s, x, 4), ColourAt(s, 2, 4));
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 10; ++x) {
      bool painted = x >= 2 && x < 7 && y >= 3 && y < 7;
      EXPECT_EQ(Alpha(s, x, y), painted ? 255u : 0u) << x << "," << y;
    }
  }
  cairo_surface_destroy(s);
}

TEST(ProgButtonDrawColor, ClipsToTheImageAndIgnoresEmptyRectangles) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 6, 6);
  ProgButton b;
  b.DrawColor(s, 4, 4, 4, 9, PackBBGGRR(1, 2, 3), PackBBGGRR(1, 2, 3));    // no width
  b.DrawColor(s, 0, 5, 6, 2, PackBBGGRR(1, 2, 3), PackBBGGRR(1, 2, 3));    // upside down
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Alpha(s, x, y), 0u);
  // A rectangle reaching past the image: the blend still starts at `top`.
  b.DrawColor(s, -5, -2, 50, 8, PackBBGGRR(0, 0, 0), PackBBGGRR(250, 0, 0));
  EXPECT_EQ(Hex(ColourAt(s, 0, 0)), Hex(PackBBGGRR(50, 0, 0)));
  EXPECT_EQ(Hex(ColourAt(s, 5, 5)), Hex(PackBBGGRR(175, 0, 0)));
  cairo_surface_destroy(s);
}

TEST(ProgButtonRender, SplitsTheBandsAtHalfTheHeightRoundedToEven) {
  struct Case {
    int height, split;
  };
  for (Case c : {Case{31, 16}, Case{29, 14}, Case{28, 14}, Case{36, 18}}) {
    SCOPED_TRACE(c.height);
    auto b = Button(60, c.height);
    cairo_surface_t* img = b->Image();
    // Upper band from palette 0 at the top, lower band from palette 2 at
    // the split row; the row above the split is still the upper band.
    EXPECT_LE(test::MaxChannelDistance(ColourAt(img, 30, 1), kPal8[0]), 3);
    EXPECT_EQ(Hex(ColourAt(img, 30, c.split)), Hex(kPal8[2]));
    EXPECT_LE(test::MaxChannelDistance(ColourAt(img, 30, c.split - 1), kPal8[1]), 3);
    EXPECT_GT(test::MaxChannelDistance(ColourAt(img, 30, c.split - 1), kPal8[2]), 10);
  }
}

TEST(ProgButtonRender, OutlineLiesOnTheRimOfTheShape) {
  auto b = Button(120, 36);
  cairo_surface_t* img = b->Image();
  const std::string pen = Hex(kPal8[8]);
  EXPECT_EQ(Hex(ColourAt(img, 60, 0)), pen);
  EXPECT_EQ(Hex(ColourAt(img, 60, 34)), pen);
  EXPECT_EQ(Hex(ColourAt(img, 0, 18)), pen);
  EXPECT_EQ(Hex(ColourAt(img, 118, 18)), pen);
  // Inside the outline the face shows; the interior is not filled.
  EXPECT_NE(Hex(ColourAt(img, 60, 1)), pen);
  EXPECT_NE(Hex(ColourAt(img, 60, 33)), pen);
  EXPECT_NE(Hex(ColourAt(img, 1, 18)), pen);
  EXPECT_NE(Hex(ColourAt(img, 117, 18)), pen);
  EXPECT_EQ(Hex(ColourAt(img, 60, 1)), Hex(ColourAt(img, 5, 1)));
  // The last column and row are outside the shape.
  EXPECT_EQ(Alpha(img, 119, 18), 0u);
  EXPECT_EQ(Alpha(img, 60, 35), 0u);
  // The corners follow the 5 x 5 ellipse: two pixels cut from the first
  // row, one from the second, with the pen on the diagonal.
  EXPECT_EQ(Alpha(img, 0, 0), 0u);
  EXPECT_EQ(Alpha(img, 1, 0), 0u);
  EXPECT_EQ(Alpha(img, 0, 1), 0u);
  EXPECT_EQ(Hex(ColourAt(img, 1, 1)), pen);
  EXPECT_EQ(Hex(ColourAt(img, 2, 0)), pen);
  EXPECT_EQ(Hex(ColourAt(img, 0, 2)), pen);
  EXPECT_EQ(Alpha(img, 118, 34), 0u);
  EXPECT_EQ(Alpha(img, 117, 34), 0u);
  EXPECT_EQ(Hex(ColourAt(img, 117, 33)), pen);
}

TEST(ProgButtonRender, TransparentExactlyOutsideTheShape) {
  for (auto [w, h] : {std::pair{120, 36}, std::pair{350, 28}, std::pair{7, 5}, std::pair{3, 2}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    auto b = Button(w, h, "x");
    cairo_surface_t* img = b->Image();
    ASSERT_EQ(cairo_image_surface_get_width(img), w);
    ASSERT_EQ(cairo_image_surface_get_height(img), h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_EQ(Alpha(img, x, y), b->InShape(x, y) ? 255u : 0u) << x << "," << y;
    EXPECT_FALSE(b->InShape(-1, 1));
    EXPECT_FALSE(b->InShape(w, 1));
  }
  EXPECT_TRUE(Button(120, 36)->InShape(2, 0));
  EXPECT_TRUE(Button(120, 36)->InShape(60, 18));
}

TEST(ProgButtonRender, ProgressFillWidth) {
  struct Case {
    int width, min, max, value, fill;
  };
  const Case cases[] = {
      {100, 0, 100, 50, 50},   // round(49.5) is 50
      {100, 0, 100, 100, 99},  // Value at Max fills to right
      {100, 0, 100, 0, 0},     {100, 0, 100, 1, 1},
      {102, 0, 100, 50, 50},   // round(50.5) is 50, not 51
      {100, 1, 100, 50, 49},   // 49.49 rounds to 49; round(48.51)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " " << c.min << ".." << c.max << " @" << c.value);
    auto b = Bar(c.width, 28, c.min, c.max, c.value);
    EXPECT_EQ(b->FillWidth(), c.fill);
    cairo_surface_t* img = b->Image();
    // Row 24 lies in the lower band below the text: the fill is the dark
    // blue of palette 6..7 (red 63), the rest the pale palette 2..3.
    const int row = 24;
    ASSERT_GE(row, b->TextRect().bottom);
    for (int x = 1; x < b->Width() - 2; ++x) {
      bool filled = test::Channel(ColourAt(img, x, row), 0) < 130;
      EXPECT_EQ(filled, x < c.fill) << "column " << x;
    }
  }
}

TEST(ProgButtonRender, ProgressTextIsThePercentageWithTwoDecimals) {
  struct Case {
    int min, max, value;
    const char* text;
  };
  const Case cases[] = {
      {1, 100, 50, "49.49%"}, {1, 100, 100, "100.00%"}, {1, 100, 10, "9.09%"},
      {0, 100, 0, "0.00%"},   {0, 100, 150, "100.00%"},
      // Ties round away from zero, on the decimal value: 0.125 exactly, and
      // 0.145 and 2.675, whose binary values lie a little below.
      {0, 800, 1, "0.13%"},   {0, 800, 5, "0.63%"},    {0, 20000, 29, "0.15%"},
      {0, 4000, 107, "2.68%"},
  };
  for (const Case& c : cases) {
    auto b = Bar(350, 28, c.min, c.max, c.value);
    EXPECT_EQ(b->DrawnText(), c.text) << c.min << ".." << c.max << " @" << c.value;
  }
  // Raising Min above Value leaves Value alone, and the text goes negative.
  ProgButton b;
  b.SetMax(100);
  b.SetValue(0);
  b.SetMin(1);
  b.SetSize(350, 28);
  EXPECT_EQ(b.Value(), 0);
  EXPECT_EQ(b.DrawnText(), "-1.01%");
  EXPECT_EQ(b.FillWidth(), -3);  // round(-1 * 349 / 100)
}

TEST(ProgButtonRender, TextIsCentredFromRightAndBottom) {
  struct Case {
    int w, h;
    std::string caption;
  };
  for (const Case& c : {Case{120, 36, "OK"}, Case{79, 23, "检测"}, Case{100, 31, "&Close"}}) {
    SCOPED_TRACE(c.caption);
    auto b = Button(c.w, c.h, c.caption);
    const int tw = b->GetFontWidth(c.caption), th = b->GetFontHeight(c.caption);
    ASSERT_GT(tw, 0);
    ASSERT_GT(th, 0);
    const PixelRect expected{static_cast<int32_t>(std::nearbyint((c.w - 1) / 2.0 - tw / 2.0)),
                             static_cast<int32_t>(std::nearbyint((c.h - 1) / 2.0 - th / 2.0)), 0, 0};
    EXPECT_EQ(b->TextRect(), (PixelRect{expected.left, expected.top, expected.left + tw, expected.top + th}));
    // Ink only inside the text rectangle, and some of it there.
    int ink = 0;
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) {
        if (!IsInk(b->Image(), x, y)) continue;
        ++ink;
        const PixelRect& r = b->TextRect();
        EXPECT_TRUE(x >= r.left && x < r.right && y >= r.top && y < r.bottom) << x << "," << y;
      }
    }
    EXPECT_GT(ink, 5);
  }
}

// Longest horizontal run of ink in the image.
int LongestInkRun(ProgButton& b) {
  int best = 0;
  for (int y = 0; y < b.Height(); ++y) {
    int run = 0;
    for (int x = 0; x < b.Width(); ++x) {
      run = IsInk(b.Image(), x, y) ? run + 1 : 0;
      best = std::max(best, run);
    }
  }
  return best;
}

int InkCount(ProgButton& b) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) n += IsInk(b.Image(), x, y);
  return n;
}

TEST(ProgButtonRender, AmpersandUnderlinesTheNextCharacterAndIsNotShown) {
  // "I" is a bare stem; underlined it gains a horizontal stroke.
  auto plain = Button(60, 30, "I");
  auto prefixed = Button(60, 30, "&I");
  EXPECT_LE(LongestInkRun(*plain), 2);
  EXPECT_GE(LongestInkRun(*prefixed), 4);
  // The rectangle is measured with the "&", the text drawn without it.
  EXPECT_GT(prefixed->GetFontWidth("&I"), prefixed->GetFontWidth("I"));
  EXPECT_EQ(prefixed->TextRect().right - prefixed->TextRect().left, prefixed->GetFontWidth("&I"));
  // "&&" shows one "&"; a lone final "&" shows nothing.
  auto doubled = Button(60, 30, "&&");
  auto single = Button(60, 30, "&");
  EXPECT_GT(InkCount(*doubled), 10);
  EXPECT_EQ(InkCount(*single), 0);
}

TEST(ProgButtonRender, PressedButtonShowsTheActiveBands) {
  auto b = Button(120, 36);
  cairo_surface_t* img = b->Image();
  const uint32_t rest = ColourAt(img, 60, 18);
  EXPECT_EQ(Hex(rest), Hex(kPal8[2]));
  b->NotifyMouseDown(1, 0, 5, 5);
  EXPECT_TRUE(b->Pressed());
  EXPECT_EQ(Hex(ColourAt(img = b->Image(), 60, 18)), Hex(kPal8[6]));
  EXPECT_EQ(Hex(ColourAt(img, 60, 0)), Hex(kPal8[8]));  // outline over the bands
  b->NotifyMouseUp(1, 0, 5, 5);
  EXPECT_FALSE(b->Pressed());
  EXPECT_EQ(Hex(ColourAt(b->Image(), 60, 18)), Hex(rest));
}

// Row y of a gradient over rows [top, bottom): colour1 on row `top`,
// blending towards colour2 in 16-bit channels, as the DrawColor tests above
// pin it.
uint32_t GradientRow(uint32_t colour1, uint32_t colour2, int y, int top, int bottom) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int64_t a = int64_t((colour1 >> shift) & 0xFF) * 256;
    const int64_t b = int64_t((colour2 >> shift) & 0xFF) * 256;
    out |= uint32_t((a + (b - a) * (y - top) / (bottom - top)) >> 8) << shift;
  }
  return out;
}

// Every scheme paints each band of each state from its own palette entries,
// top edge to bottom edge: a button at rest (entries 0-1 above the split,
// 2-3 below) and pressed (4-5, 6-7), a progress bar's filled part (4-7) and
// the rest of it (0-3), each inside the outline of entry 8.
TEST(ProgButtonRender, EverySchemePaintsBothBandsOfBothStatesFromItsOwnEntries) {
  constexpr int kWidth = 200, kHeight = 36, kSplit = 18;
  for (int scheme = 1; scheme <= 9; ++scheme) {
    SCOPED_TRACE(::testing::Message() << "scheme " << scheme);
    const std::array<uint32_t, 9> pal = Palette(scheme);
    auto button = Button(kWidth, kHeight, "", scheme);
    auto pressed = Button(kWidth, kHeight, "", scheme);
    pressed->NotifyMouseDown(1, 0, 5, 5);
    // Filled to column 100 (round(50 x 199 / 100)); the text lies around
    // the middle, away from the columns looked at.
    auto bar = Bar(kWidth, kHeight, 0, 100, 50, scheme);
    ASSERT_EQ(bar->FillWidth(), 100);
    struct Look {
      const char* what;
      ProgButton* control;
      int column;
      int first;  // palette entry of the upper band's top edge; the other three follow it
    } looks[] = {{"button at rest", button.get(), 100, 0},
                 {"pressed button", pressed.get(), 100, 4},
                 {"filled part of the bar", bar.get(), 20, 4},
                 {"rest of the bar", bar.get(), 180, 0}};
    for (const Look& look : looks) {
      SCOPED_TRACE(look.what);
      cairo_surface_t* img = look.control->Image();
      const PixelRect& text = look.control->TextRect();
      ASSERT_TRUE(look.column < text.left || look.column >= text.right) << "column under the text";
      // Row 0 and row kHeight - 2 are the outline; the last row lies outside.
      EXPECT_EQ(Hex(ColourAt(img, look.column, 0)), Hex(pal[8]));
      EXPECT_EQ(Hex(ColourAt(img, look.column, kHeight - 2)), Hex(pal[8]));
      for (int y = 1; y < kHeight - 2; ++y) {
        const bool upper = y < kSplit;
        const int top = upper ? 0 : kSplit, bottom = upper ? kSplit : kHeight;
        const int entry = look.first + (upper ? 0 : 2);
        ASSERT_EQ(Hex(ColourAt(img, look.column, y)),
                  Hex(GradientRow(pal[entry], pal[entry + 1], y, top, bottom)))
            << "row " << y;
      }
    }
  }
}

TEST(ProgButtonRender, FocusRectangleIsADottedInversionInsideTheOutline) {
  auto b = Button(120, 36);
  cairo_surface_t* before = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 120, 36);
  {
    cairo_t* cr = cairo_create(before);
    cairo_set_source_surface(cr, b->Image(), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
  }
  b->NotifyEnterFocus();
  EXPECT_TRUE(b->HasFocus());
  EXPECT_EQ(b->FocusRect(), (PixelRect{3, 3, 116, 32}));
  cairo_surface_t* img = b->Image();
  // Frame over columns 3..115 and rows 3..31, every other pixel inverted.
  for (int y = 0; y < 36; ++y) {
    for (int x = 0; x < 120; ++x) {
      bool onFrame = (x >= 3 && x <= 115 && (y == 3 || y == 31)) || (y >= 3 && y <= 31 && (x == 3 || x == 115));
      uint32_t want = test::RawPixel(before, x, y);
      if (onFrame && (x + y) % 2 == 0) want ^= 0x00FFFFFF;
      ASSERT_EQ(Hex(test::RawPixel(img, x, y)), Hex(want)) << x << "," << y;
    }
  }
  b->NotifyExitFocus();
  EXPECT_FALSE(b->HasFocus());
  for (int y = 0; y < 36; ++y)
    for (int x = 0; x < 120; ++x) ASSERT_EQ(test::RawPixel(b->Image(), x, y), test::RawPixel(before, x, y));
  cairo_surface_destroy(before);
}

TEST(ProgButtonRender, ProgressBarNeverShowsAFocusRectangle) {
  auto b = Bar(120, 36, 0, 100, 30);
  const uint32_t frame = test::RawPixel(b->Image(), 10, 3);
  b->NotifyEnterFocus();
  EXPECT_EQ(test::RawPixel(b->Image(), 10, 3), frame);
}

TEST(ProgButtonRender, InvalidSchemeKeepsThePreviousPalette) {
  // Never a valid scheme: the all-black palette of creation.
  ProgButton black;
  black.SetColor(0);
  black.SetStyle(1);
  black.SetSize(40, 20);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(black.PaletteEntry(i), 0u);
  EXPECT_EQ(Hex(ColourAt(black.Image(), 20, 10)), "000000");

  auto b = Button(40, 20);
  for (int bad : {0, 10, -1, 1000}) {
    b->SetColor(bad);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(Hex(b->PaletteEntry(i)), Hex(kPal8[i])) << bad;
  }
  b->SetColor(7);
  EXPECT_EQ(Hex(b->PaletteEntry(8)), Hex(PackBBGGRR(204, 62, 62)));
  EXPECT_EQ(Hex(ColourAt(b->Image(), 20, 0)), Hex(PackBBGGRR(204, 62, 62)));
}

TEST(ProgButtonRender, DegenerateSizesAndRanges) {
  ProgButton b;
  ASSERT_NE(b.Image(), nullptr);
  b.SetSize(0, 0);
  EXPECT_EQ(cairo_surface_status(b.Image()), CAIRO_STATUS_SUCCESS);
  EXPECT_FALSE(b.InShape(0, 0));
  b.SetSize(1, 1);
  b.SetSize(2, 40);
  // Max equal to Min would divide by zero: the bar shows 0%.
  b.SetMax(0);
  EXPECT_EQ(b.DrawnText(), "0.00%");
  EXPECT_EQ(b.FillWidth(), 0);
  // A Value far outside a later range: the rounded percentage saturates.
  b.SetMax(1001);
  b.SetMin(1000);
  b.SetSize(100, 20);
  EXPECT_EQ(b.DrawnText(), "-100000.00%");
  EXPECT_EQ(b.FillWidth(), static_cast<int32_t>(std::nearbyint(-32768 * 99 / 100.0)));
  b.SetMin(-2147483647 - 1);
  b.SetMax(2147483647);
  EXPECT_EQ(cairo_surface_status(b.Image()), CAIRO_STATUS_SUCCESS);
}

}  // namespace
}  // namespace lumaro
