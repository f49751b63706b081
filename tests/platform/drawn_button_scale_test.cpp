// The drawn button and progress bar on a display of scale 2: the window
// shows the face drawn with twice the pixels each way, one image pixel to
// one screen pixel, so that the caption and the percentage are as sharp as
// the display allows instead of enlarged from the scale-1 picture.
#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/progbutton.h"
#include "platform/platform_fixture.h"
#include "platform/top_window.h"

// Last: the X headers define names (None, Status) that the program's own
// headers use.
#include <gdk/gdkx.h>

namespace lumaro::platform_test {
namespace {

// Puts every window of the display at `scale` for the test's length, as
// GDK_SCALE does for a whole program.
class ScopedWindowScale {
 public:
  ScopedWindowScale(GdkDisplay* display, int scale) : display_(display) {
    previous_ = gdk_monitor_get_scale_factor(gdk_display_get_monitor(display, 0));
    gdk_x11_display_set_window_scale(display_, scale);
  }
  ~ScopedWindowScale() { gdk_x11_display_set_window_scale(display_, previous_); }

 private:
  GdkDisplay* display_;
  int previous_ = 1;
};

// The widget's area on the screen, in device pixels, as 0xAARRGGBB rows.
struct ScreenPixels {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

ScreenPixels ReadScreen(GtkWidget* widget) {
  GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
  GtkAllocation a;
  gtk_widget_get_allocation(widget, &a);
  int x = 0, y = 0;
  gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &x, &y);
  // Taken from the X server: what the window shows, at the device scale.
  GdkPixbuf* shot = gdk_pixbuf_get_from_window(gtk_widget_get_window(toplevel), x, y, a.width,
                                               a.height);
  ScreenPixels out;
  if (!shot) return out;
  out.width = gdk_pixbuf_get_width(shot);
  out.height = gdk_pixbuf_get_height(shot);
  const int stride = gdk_pixbuf_get_rowstride(shot);
  const int channels = gdk_pixbuf_get_n_channels(shot);
  const guchar* data = gdk_pixbuf_read_pixels(shot);
  for (int row = 0; row < out.height; ++row)
    for (int col = 0; col < out.width; ++col) {
      const guchar* p = data + row * stride + col * channels;
      out.pixels.push_back(0xFF000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]);
    }
  g_object_unref(shot);
  return out;
}

uint32_t ImagePixel(cairo_surface_t* image, int x, int y) {
  cairo_surface_flush(image);
  const unsigned char* data = cairo_image_surface_get_data(image);
  return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(image))[x];
}

bool IsInk(uint32_t p) {
  return ((p >> 16) & 0xFF) < 110 && ((p >> 8) & 0xFF) < 110 && (p & 0xFF) < 110;
}

TEST(DrawnButtonScaleTest, TheWindowShowsTheFaceDrawnWithTwiceThePixels) {
  REQUIRE_DISPLAY();
  GdkDisplay* display = gdk_display_get_default();
  if (!GDK_IS_X11_DISPLAY(display)) GTEST_SKIP() << "sets the scale of an X display";
  auto scale = std::make_unique<ScopedWindowScale>(display, 2);

  // The site checker's button and bar.
  WindowAttributes attributes;
  attributes.name = "frmCheckCode";
  attributes.caption = "frmCheckCode";
  attributes.clientWidth = 6075;
  attributes.clientHeight = 3690;
  std::unique_ptr<IWindow> window = Desktop().ui->CreateWindow(attributes);
  ProgButton* button = window->AddProgButton("Command1", {1275, 2790, 1185, 465});
  button->SetStyle(1);
  button->SetColor(8);
  button->SetCaption("重新检测");
  ProgButton* bar = window->AddProgButton("pbar", {540, 1065, 5250, 420});
  bar->SetColor(8);
  bar->SetMax(100);
  bar->SetMin(1);
  bar->SetValue(50);

  struct Shown {
    const char* name;
    ProgButton* model;
    GtkWidget* widget = nullptr;
  };
  Shown shown[] = {{"Command1", button}, {"pbar", bar}};
  for (Shown& s : shown) {
    s.widget = gtk::NativeControlOf(window.get(), s.name);
    ASSERT_NE(s.widget, nullptr);
  }
  window->Show();
  // Painted: a frame of the window has been painted since it was mapped.
  GdkWindow* native = gtk_widget_get_window(gtk::NativeWindowOf(window.get()));
  ASSERT_NE(native, nullptr);
  int paints = 0;
  gulong painted = g_signal_connect(gdk_window_get_frame_clock(native), "after-paint",
                                    G_CALLBACK(+[](GdkFrameClock*, gpointer count) {
                                      ++*static_cast<int*>(count);
                                    }),
                                    &paints);
  ASSERT_TRUE(RunUntil(
      [&] {
        for (const Shown& s : shown)
          if (!gtk_widget_get_mapped(s.widget)) paints = 0;
        return paints > 0;
      },
      10))
      << "the window was never painted";
  g_signal_handler_disconnect(gdk_window_get_frame_clock(native), painted);
  gdk_display_sync(display);

  for (const Shown& s : shown) {
    SCOPED_TRACE(s.name);
    EXPECT_EQ(gtk_widget_get_scale_factor(s.widget), 2);
    ASSERT_EQ(s.model->Scale(), 2);
    cairo_surface_t* image = s.model->Image();
    const ScreenPixels screen = ReadScreen(s.widget);
    ASSERT_EQ(screen.width, 2 * s.model->Width());
    ASSERT_EQ(screen.height, 2 * s.model->Height());
    ASSERT_EQ(cairo_image_surface_get_width(image), screen.width);
    ASSERT_EQ(cairo_image_surface_get_height(image), screen.height);

    // Every pixel of the face is on the screen as drawn: the image is not
    // scaled on its way there.
    int compared = 0;
    for (int y = 0; y < screen.height; ++y)
      for (int x = 0; x < screen.width; ++x) {
        const uint32_t drawn = ImagePixel(image, x, y);
        if ((drawn >> 24) != 0xFF) continue;
        ASSERT_EQ(screen.At(x, y), drawn) << x << "," << y;
        ++compared;
      }
    EXPECT_GT(compared, screen.width * screen.height * 9 / 10);

    // The text's glyph edges fall inside layout pixels: in most 2 x 2 blocks
    // that hold ink the two pixels side by side differ somewhere, which a
    // pixel-doubled caption (each layout pixel one colour) never shows.
    const PixelRect& r = s.model->TextRect();
    int inked = 0, split = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const uint32_t a = screen.At(2 * x, 2 * y), b = screen.At(2 * x + 1, 2 * y);
        const uint32_t c = screen.At(2 * x, 2 * y + 1), d = screen.At(2 * x + 1, 2 * y + 1);
        if (!IsInk(a) && !IsInk(b) && !IsInk(c) && !IsInk(d)) continue;
        ++inked;
        if (a != b || c != d) ++split;
      }
    EXPECT_GT(inked, 20);
    EXPECT_GT(split * 2, inked) << split << " of " << inked;
  }

  // Back at scale 1 the face is drawn anew with one pixel per layout pixel.
  scale.reset();
  if (gdk_monitor_get_scale_factor(gdk_display_get_monitor(display, 0)) == 1) {
    EXPECT_TRUE(RunUntil([&] { return button->Scale() == 1 && bar->Scale() == 1; }));
    EXPECT_EQ(cairo_image_surface_get_width(button->Image()), button->Width());
  }
  window->Close();
}

}  // namespace
}  // namespace lumaro::platform_test
