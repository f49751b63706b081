// Rendering of the drawn control: checked pixel by pixel on its image.
#include <cairo.h>
#include <gtest/gtest.h>

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
using test::Rgb;

// Scheme 8, the one every window of the program uses.
constexpr uint32_t kPal8[9] = {Rgb(250, 253, 254), Rgb(228, 243, 252), Rgb(199, 230, 249),
                               Rgb(237, 247, 253), Rgb(225, 247, 255), Rgb(67, 208, 255),
                               Rgb(63, 112, 233),  Rgb(63, 226, 246),  Rgb(23, 139, 211)};

std::unique_ptr<ProgButton> Button(int w, int h, const std::string& caption = "", int colour = 8) {
  auto b = std::make_unique<ProgButton>();
  b->SetStyle(1);
  b->SetColor(colour);
  b->SetCaption(caption);
  b->SetSize(w, h);
  return b;
}

std::unique_ptr<ProgButton> Bar(int w, int h, int min, int max, int value) {
  auto b = std::make_unique<ProgButton>();
  b->SetColor(8);
  b->SetMax(max);
  b->SetMin(min);
  b->SetValue(value);
  b->SetSize(w, h);
  return b;
}

TEST(ProgButtonDrawColor, BlendsFromTopRowToJustBelowTheLastRow) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 10, 12);
  ProgButton b;
  const uint32_t c1 = Rgb(0, 10, 250), c2 = Rgb(255, 200, 50);
  b.DrawColor(s, 2, 3, 7, 7, c1, c2);  // rows 3..6, columns 2..6

  // Row `top` is colour1 exactly; each row y is c1 + (c2 - c1) * (y - top) / 4
  // in 16-bit channels, so the last painted row stops a quarter short of c2.
  EXPECT_EQ(Hex(ColourAt(s, 2, 3)), Hex(c1));
  EXPECT_EQ(Hex(ColourAt(s, 6, 5)), Hex(Rgb(127, 105, 150)));
  const uint32_t last = ColourAt(s, 4, 6);
  EXPECT_EQ(Hex(last), Hex(Rgb(191, 152, 100)));
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
  b.DrawColor(s, 4, 4, 4, 9, Rgb(1, 2, 3), Rgb(1, 2, 3));    // no width
  b.DrawColor(s, 0, 5, 6, 2, Rgb(1, 2, 3), Rgb(1, 2, 3));    // upside down
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Alpha(s, x, y), 0u);
  // A rectangle reaching past the image: the blend still starts at `top`.
  b.DrawColor(s, -5, -2, 50, 8, Rgb(0, 0, 0), Rgb(250, 0, 0));
  EXPECT_EQ(Hex(ColourAt(s, 0, 0)), Hex(Rgb(50, 0, 0)));
  EXPECT_EQ(Hex(ColourAt(s, 5, 5)), Hex(Rgb(175, 0, 0)));
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
  };
  for (const Case& c : cases) {
    auto b = Bar(350, 28, c.min, c.max, c.value);
    EXPECT_EQ(b->DrawnText(), c.text);
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
  EXPECT_EQ(Hex(b->PaletteEntry(8)), Hex(Rgb(204, 62, 62)));
  EXPECT_EQ(Hex(ColourAt(b->Image(), 20, 0)), Hex(Rgb(204, 62, 62)));
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
