// Artwork for displays of scale 2: surfaces with twice the pixels that keep
// their size in layout pixels.
#include <cairo.h>

#include <cstdlib>

#include "platform/assets.h"
#include "platform/platform_fixture.h"

namespace lumaro::platform_test {
namespace {

TEST(AssetScaleTest, SurfacesHoldScaleTimesThePixelsOfTheirLayoutSize) {
  REQUIRE_DISPLAY();
  struct Case {
    const char* name;
    int width, height, scale;
    int pixelWidth, pixelHeight;  // 0: no surface
  };
  const Case cases[] = {
      {"login_background.svg", 0, 0, 2, 2004, 1228},  // natural size, from the build-time @2x
      {"login_background.svg", 0, 0, 1, 1002, 614},
      {"button.svg", 79, 23, 2, 158, 46},
      {"menu_bar.svg", 300, 40, 2, 600, 80},  // stretched: drawn afresh at that size
      {"button.svg", 79, 23, 3, 237, 69},
      {"no_such_picture.svg", 0, 0, 2, 0, 0},
      {"no_such_picture.svg", 10, 10, 2, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.width) + "x" +
                 std::to_string(c.height) + " at scale " + std::to_string(c.scale));
    cairo_surface_t* surface = gtk::AssetSurface(c.name, c.width, c.height, c.scale);
    if (c.pixelWidth == 0) {
      EXPECT_EQ(surface, nullptr);
      continue;
    }
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(cairo_surface_get_type(surface), CAIRO_SURFACE_TYPE_IMAGE);
    EXPECT_EQ(cairo_image_surface_get_width(surface), c.pixelWidth);
    EXPECT_EQ(cairo_image_surface_get_height(surface), c.pixelHeight);
    double sx = 0, sy = 0;
    cairo_surface_get_device_scale(surface, &sx, &sy);
    EXPECT_EQ(sx, c.scale);
    EXPECT_EQ(sy, c.scale);
    // Asked again: the same surface, not a new one.
    EXPECT_EQ(gtk::AssetSurface(c.name, c.width, c.height, c.scale), surface);
  }
}

// The picture at scale 2 is the drawing rendered at twice the size (here by
// gdk-pixbuf from the SVG itself), not the scale-1 picture enlarged, which
// differs along every edge of the artwork.
TEST(AssetScaleTest, TheScaleTwoPictureIsTheDrawingAtTwiceTheSize) {
  REQUIRE_DISPLAY();
  cairo_surface_t* surface = gtk::AssetSurface("login_background.svg", 0, 0, 2);
  ASSERT_NE(surface, nullptr);
  const std::string svg = gtk::FindAsset("login_background.svg");
  ASSERT_FALSE(svg.empty());
  GdkPixbuf* drawn = gdk_pixbuf_new_from_file_at_scale(svg.c_str(), 2004, 1228, FALSE, nullptr);
  ASSERT_NE(drawn, nullptr);
  GdkPixbuf* enlarged = gdk_pixbuf_scale_simple(gtk::AssetPixbuf("login_background.svg"), 2004,
                                                1228, GDK_INTERP_BILINEAR);
  ASSERT_NE(enlarged, nullptr);

  // Mean difference per channel (0..255) between the surface and a picture.
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  auto difference = [&](GdkPixbuf* picture) {
    const guchar* pixels = gdk_pixbuf_read_pixels(picture);
    const int rowstride = gdk_pixbuf_get_rowstride(picture);
    const int channels = gdk_pixbuf_get_n_channels(picture);
    double total = 0;
    long count = 0;
    for (int y = 0; y < 1228; ++y) {
      auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      for (int x = 0; x < 2004; ++x) {
        const guchar* p = pixels + y * rowstride + x * channels;
        // The background is opaque: premultiplied colour is the colour.
        const uint32_t v = row[x];
        total += std::abs(int((v >> 16) & 0xFF) - p[0]) + std::abs(int((v >> 8) & 0xFF) - p[1]) +
                 std::abs(int(v & 0xFF) - p[2]);
        count += 3;
      }
    }
    return total / double(count);
  };
  const double toDrawing = difference(drawn);
  const double toEnlarged = difference(enlarged);
  EXPECT_LT(toDrawing, 0.5);
  EXPECT_GT(toEnlarged, 4 * toDrawing + 1);
  g_object_unref(drawn);
  g_object_unref(enlarged);
}

}  // namespace
}  // namespace lumaro::platform_test
