// The drawn control on a display that shows each layout pixel as a block of
// device pixels: the face is drawn with that many more pixels, in the same
// layout, and its text is rendered at that resolution rather than enlarged.
#include <cairo.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/pixels.h"
#include "controls/progbutton.h"

namespace lumaro {
namespace {

using test::Alpha;
using test::ColourAt;
using test::Hex;
using test::IsInk;
using test::RawPixel;


constexpr uint32_t kOutline8 = PackBBGGRR(23, 139, 211);

std::unique_ptr<ProgButton> Button(int w, int h, const std::string& caption, int scale) {
  auto b = std::make_unique<ProgButton>();
  b->SetScale(scale);
  b->SetStyle(1);
  b->SetColor(8);
  b->SetCaption(caption);
  b->SetSize(w, h);
  return b;
}

std::unique_ptr<ProgButton> Bar(int w, int h, int value, int scale) {
  auto b = std::make_unique<ProgButton>();
  b->SetScale(scale);
  b->SetColor(8);
  b->SetMin(1);
  b->SetMax(100);
  b->SetValue(value);
  b->SetSize(w, h);
  return b;
}

// The control as a window shows it: a button, or a bar with its text.
struct Face {
  const char* label;
  bool bar;
  int width, height;
  const char* caption;
  int value;
};

std::unique_ptr<ProgButton> Make(const Face& f, int scale) {
  return f.bar ? Bar(f.width, f.height, f.value, scale) : Button(f.width, f.height, f.caption, scale);
}

const Face kFaces[] = {
    {"checker button", false, 79, 31, "重新检测", 0},
    {"latin caption", false, 100, 31, "&Close", 0},
    {"checker bar", true, 350, 28, nullptr, 50},  // 49.49%
};

TEST(ProgButtonScale, TheImageHoldsScaleTimesThePixelsOfTheSameLayout) {
  for (const Face& f : kFaces) {
    SCOPED_TRACE(f.label);
    auto one = Make(f, 1);
    for (int scale : {2, 3}) {
      SCOPED_TRACE(scale);
      auto b = Make(f, scale);
      EXPECT_EQ(b->Scale(), scale);
      cairo_surface_t* img = b->Image();
      ASSERT_EQ(cairo_surface_status(img), CAIRO_STATUS_SUCCESS);
      EXPECT_EQ(cairo_image_surface_get_width(img), f.width * scale);
      EXPECT_EQ(cairo_image_surface_get_height(img), f.height * scale);
      double sx = 0, sy = 0;
      cairo_surface_get_device_scale(img, &sx, &sy);
      EXPECT_EQ(sx, scale);
      EXPECT_EQ(sy, scale);
      // The layout does not move: size, text place and fill are those of
      // scale 1, in layout pixels.
      EXPECT_EQ(b->Width(), f.width);
      EXPECT_EQ(b->Height(), f.height);
      EXPECT_EQ(b->TextRect(), one->TextRect());
      EXPECT_EQ(b->FillWidth(), one->FillWidth());
      EXPECT_EQ(b->DrawnText(), one->DrawnText());
    }
  }
  // Out-of-range scales are brought into range; a new scale is a new image.
  auto b = Button(40, 20, "x", 1);
  cairo_surface_t* first = b->Image();
  b->SetScale(0);
  EXPECT_EQ(b->Scale(), 1);
  EXPECT_EQ(b->Image(), first);
  b->SetScale(1000);
  EXPECT_EQ(b->Scale(), ProgButton::kMaxScale);
  EXPECT_EQ(cairo_image_surface_get_width(b->Image()), 40 * ProgButton::kMaxScale);
  b->SetScale(2);
  EXPECT_EQ(cairo_image_surface_get_width(b->Image()), 80);
}

// Away from the text and the corners, each layout pixel's first device pixel
// has exactly the colour the layout pixel has at scale 1: the bands split at
// the same row, blend the same way, and the outline lies on the same rim,
// one layout pixel (two device pixels) wide.
TEST(ProgButtonScale, BandsAndOutlineKeepTheirPlacesAndColours) {
  for (const Face& f : kFaces) {
    SCOPED_TRACE(f.label);
    auto one = Make(f, 1);
    auto two = Make(f, 2);
    const PixelRect& text = one->TextRect();
    int compared = 0;
    for (int y = 0; y < f.height; ++y) {
      for (int x = 3; x < f.width - 4; ++x) {
        if (x >= text.left - 1 && x <= text.right && y >= text.top - 1 && y <= text.bottom) continue;
        ASSERT_EQ(Hex(RawPixel(two->Image(), 2 * x, 2 * y)), Hex(RawPixel(one->Image(), x, y)))
            << x << "," << y;
        ++compared;
      }
    }
    EXPECT_GT(compared, f.width * f.height / 2);
    // The outline is two device pixels thick all round; just inside, the face.
    const int mid = f.width;  // the middle column, in device pixels
    const int bottom = 2 * (f.height - 1);
    for (int row : {0, 1, bottom - 2, bottom - 1})
      EXPECT_EQ(Hex(ColourAt(two->Image(), mid, row)), Hex(kOutline8)) << "row " << row;
    for (int row : {2, bottom - 3})
      EXPECT_NE(Hex(ColourAt(two->Image(), mid, row)), Hex(kOutline8)) << "row " << row;
    const int right = 2 * (f.width - 1);
    for (int column : {0, 1, right - 2, right - 1})
      EXPECT_EQ(Hex(ColourAt(two->Image(), column, f.height)), Hex(kOutline8)) << "column " << column;
    // The last layout row and column are outside the shape.
    EXPECT_EQ(Alpha(two->Image(), mid, bottom), 0u);
    EXPECT_EQ(Alpha(two->Image(), mid, bottom + 1), 0u);
    EXPECT_EQ(Alpha(two->Image(), right, f.height), 0u);
  }
}

// 2 x 2 blocks of device pixels, aligned on the layout grid, inside `r`
// (layout pixels): how many hold ink, and how many of those have two
// different pixels side by side in a row. The face's colour changes only
// from row to row, so a scale-1 caption enlarged has no such block.
struct Blocks {
  int inked = 0, mixed = 0;
};

Blocks BlocksIn(cairo_surface_t* img, const PixelRect& r) {
  Blocks b;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const int dx = 2 * x, dy = 2 * y;
      const bool ink = IsInk(img, dx, dy) || IsInk(img, dx + 1, dy) || IsInk(img, dx, dy + 1) ||
                       IsInk(img, dx + 1, dy + 1);
      if (!ink) continue;
      ++b.inked;
      if (RawPixel(img, dx, dy) != RawPixel(img, dx + 1, dy) ||
          RawPixel(img, dx, dy + 1) != RawPixel(img, dx + 1, dy + 1))
        ++b.mixed;
    }
  }
  return b;
}

TEST(ProgButtonScale, TextIsRenderedAtTheDeviceResolution) {
  for (const Face& f : kFaces) {
    SCOPED_TRACE(f.label);
    auto two = Make(f, 2);
    const PixelRect& r = two->TextRect();
    cairo_surface_t* img = two->Image();
    // Ink only inside the text rectangle.
    for (int y = 0; y < 2 * f.height; ++y)
      for (int x = 0; x < 2 * f.width; ++x)
        if (IsInk(img, x, y)) {
          ASSERT_TRUE(x >= 2 * r.left && x < 2 * r.right && y >= 2 * r.top && y < 2 * r.bottom)
              << x << "," << y;
        }
    // Glyph edges fall between the device pixels of a layout pixel: most
    // inked blocks are not one colour.
    const Blocks blocks = BlocksIn(img, r);
    EXPECT_GT(blocks.inked, 20);
    EXPECT_GT(blocks.mixed * 2, blocks.inked) << blocks.mixed << " of " << blocks.inked;
  }
}

TEST(ProgButtonScale, PrefixUnderlineIsASolidLineOfDevicePixels) {
  auto b = Button(60, 30, "&I", 2);
  cairo_surface_t* img = b->Image();
  int longest = 0;
  for (int y = 0; y < 60; ++y) {
    int run = 0;
    for (int x = 0; x < 120; ++x) {
      run = IsInk(img, x, y) ? run + 1 : 0;
      longest = std::max(longest, run);
    }
  }
  // The stem of "I" is a few device pixels wide; the underline spans the
  // letter's advance (about four layout pixels).
  EXPECT_GE(longest, 7);
  auto plain = Button(60, 30, "I", 2);
  int widest = 0;
  for (int y = 0; y < 60; ++y) {
    int run = 0;
    for (int x = 0; x < 120; ++x) {
      run = IsInk(plain->Image(), x, y) ? run + 1 : 0;
      widest = std::max(widest, run);
    }
  }
  EXPECT_LT(widest, longest);
}

TEST(ProgButtonScale, CornersAreRoundedAtTheDeviceResolution) {
  auto one = Button(120, 36, "", 1);
  auto two = Button(120, 36, "", 2);
  cairo_surface_t* img = two->Image();
  // Away from the corners the shape is that of scale 1; every pixel is
  // either drawn or cut away.
  for (int y = 0; y < 72; ++y) {
    for (int x = 0; x < 240; ++x) {
      const int lx = x / 2, ly = y / 2;
      const bool corner = (lx < 3 || lx > 115) && (ly < 3 || ly > 31);
      const uint32_t alpha = Alpha(img, x, y);
      ASSERT_TRUE(alpha == 0 || alpha == 255) << x << "," << y;
      if (!corner) {
        ASSERT_EQ(alpha, one->InShape(lx, ly) ? 255u : 0u) << x << "," << y;
      }
    }
  }
  // In each corner of the box (device columns 0..237, rows 0..69) the cut
  // narrows row by row towards the straight edges, from the outermost pixel
  // to none.
  struct Corner {
    int x, y, dx, dy;
  };
  for (const Corner& c : {Corner{0, 0, 1, 1}, Corner{237, 0, -1, 1}, Corner{0, 69, 1, -1},
                          Corner{237, 69, -1, -1}}) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    int last = 1000;
    for (int k = 0; k < 8; ++k) {
      int cutHere = 0;
      while (cutHere < 20 && Alpha(img, c.x + c.dx * cutHere, c.y + c.dy * k) == 0) ++cutHere;
      if (k == 0) {
        EXPECT_GT(cutHere, 0);
      }
      EXPECT_LE(cutHere, last) << "row " << k;
      last = cutHere;
    }
    EXPECT_EQ(last, 0);
  }
  // The corner's edge steps by single device pixels: some 2 x 2 blocks there
  // are partly cut away.
  int cut = 0;
  for (int ly = 0; ly < 3; ++ly) {
    for (int lx = 0; lx < 3; ++lx) {
      const uint32_t a = Alpha(img, 2 * lx, 2 * ly) + Alpha(img, 2 * lx + 1, 2 * ly) +
                         Alpha(img, 2 * lx, 2 * ly + 1) + Alpha(img, 2 * lx + 1, 2 * ly + 1);
      if (a != 0 && a != 4 * 255) ++cut;
    }
  }
  EXPECT_GT(cut, 0);
}

TEST(ProgButtonScale, FocusRectangleInvertsWholeLayoutPixelsAndGoesAway) {
  auto b = Button(120, 36, "", 2);
  cairo_surface_t* before = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 240, 72);
  cairo_surface_set_device_scale(before, 2, 2);
  {
    cairo_t* cr = cairo_create(before);
    cairo_set_source_surface(cr, b->Image(), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
  }
  b->NotifyEnterFocus();
  EXPECT_EQ(b->FocusRect(), (PixelRect{3, 3, 116, 32}));
  for (int y = 0; y < 72; ++y) {
    for (int x = 0; x < 240; ++x) {
      const int lx = x / 2, ly = y / 2;
      const bool onFrame = (lx >= 3 && lx <= 115 && (ly == 3 || ly == 31)) ||
                           (ly >= 3 && ly <= 31 && (lx == 3 || lx == 115));
      uint32_t want = RawPixel(before, x, y);
      if (onFrame && (lx + ly) % 2 == 0) want ^= 0x00FFFFFF;
      ASSERT_EQ(Hex(RawPixel(b->Image(), x, y)), Hex(want)) << x << "," << y;
    }
  }
  b->NotifyExitFocus();
  for (int y = 0; y < 72; ++y)
    for (int x = 0; x < 240; ++x) ASSERT_EQ(RawPixel(b->Image(), x, y), RawPixel(before, x, y));
  cairo_surface_destroy(before);
}

// DrawColor on any image takes its rectangle in layout pixels of that image:
// on one of device scale 2 every layout row's first device row has the
// scale-1 colour, and the row below it lies halfway to the next.
TEST(ProgButtonScale, DrawColorBlendsOverTheDeviceRowsOfAScaledImage) {
  cairo_surface_t* one = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 10, 12);
  cairo_surface_t* two = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 24);
  cairo_surface_set_device_scale(two, 2, 2);
  ProgButton b;
  const uint32_t c1 = PackBBGGRR(0, 10, 250), c2 = PackBBGGRR(255, 200, 50);
  b.DrawColor(one, 2, 3, 7, 7, c1, c2);
  b.DrawColor(two, 2, 3, 7, 7, c1, c2);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 10; ++x) {
      SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
      for (int d = 0; d < 4; ++d)
        EXPECT_EQ(Alpha(two, 2 * x + d % 2, 2 * y + d / 2), Alpha(one, x, y));
      if (Alpha(one, x, y) == 0) continue;
      EXPECT_EQ(Hex(ColourAt(two, 2 * x, 2 * y)), Hex(ColourAt(one, x, y)));
      EXPECT_EQ(Hex(ColourAt(two, 2 * x + 1, 2 * y)), Hex(ColourAt(one, x, y)));
    }
  }
  // Row 3's second device row: an eighth of the way from c1 to c2.
  EXPECT_EQ(Hex(ColourAt(two, 4, 7)), Hex(PackBBGGRR(31, 33, 225)));
  cairo_surface_destroy(one);
  cairo_surface_destroy(two);
}

}  // namespace
}  // namespace lumaro
