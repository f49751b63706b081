#include "platform/ui_helpers.h"

#include <glib.h>

#include <vector>

#include "platform/platform_fixture.h"
#include "platform/top_window.h"

namespace lumaro::platform_test {

namespace {

void Run(const std::vector<std::string>& args) {
  std::vector<gchar*> argv;
  for (const auto& a : args) argv.push_back(const_cast<gchar*>(a.c_str()));
  argv.push_back(nullptr);
  g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr,
               nullptr, nullptr, nullptr);
}

}  // namespace

bool HaveXdotool() {
  static const bool have = [] {
    gchar* path = g_find_program_in_path("xdotool");
    g_free(path);
    return path != nullptr;
  }();
  return have;
}

void ShowAndSettle(IWindow* window) {
  window->Show();
  GtkWidget* native = gtk::NativeWindowOf(window);
  RunUntil([&] { return native && gtk_widget_get_mapped(native); }, 5);
  RunFor(0.3);
}

void ClickWidget(GtkWidget* widget, int dx, int dy, int clicks) {
  GtkAllocation a;
  gtk_widget_get_allocation(widget, &a);
  if (dx < 0) dx = a.width / 2;
  if (dy < 0) dy = a.height / 2;
  GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
  int x = 0, y = 0;
  gtk_widget_translate_coordinates(widget, toplevel, dx, dy, &x, &y);
  int ox = 0, oy = 0;
  gdk_window_get_origin(gtk_widget_get_window(toplevel), &ox, &oy);
  Run({"xdotool", "mousemove", std::to_string(ox + x), std::to_string(oy + y), "click",
       "--repeat", std::to_string(clicks), "--delay", "60", "1"});
  RunFor(0.25);
}

void PressKeys(const std::string& keys) {
  Run({"xdotool", "key", "--delay", "30", keys});
  RunFor(0.25);
}

void TypeText(const std::string& text) {
  Run({"xdotool", "type", "--delay", "20", text});
  RunFor(0.25);
}

GdkRectangle PlaceInClient(GtkWidget* widget, GtkWidget* client) {
  GtkAllocation a;
  gtk_widget_get_allocation(widget, &a);
  GdkRectangle r{0, 0, a.width, a.height};
  gtk_widget_translate_coordinates(widget, client, 0, 0, &r.x, &r.y);
  return r;
}

std::vector<uint32_t> PixelsIn(GtkWidget* client, const GdkRectangle& r) {
  GtkWidget* toplevel = gtk_widget_get_toplevel(client);
  int tx = 0, ty = 0;
  gtk_widget_translate_coordinates(client, toplevel, r.x, r.y, &tx, &ty);
  GdkPixbuf* pixbuf =
      gdk_pixbuf_get_from_window(gtk_widget_get_window(toplevel), tx, ty, r.width, r.height);
  std::vector<uint32_t> pixels;
  if (!pixbuf) return pixels;
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  const guchar* data = gdk_pixbuf_get_pixels(pixbuf);
  for (int y = 0; y < r.height; ++y)
    for (int x = 0; x < r.width; ++x) {
      const guchar* p = data + y * stride + x * channels;
      pixels.push_back((uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]);
    }
  g_object_unref(pixbuf);
  return pixels;
}

std::vector<GtkWidget*> WidgetsUnder(GtkWidget* root) {
  std::vector<GtkWidget*> found;
  std::vector<GtkWidget*> pending{root};
  while (!pending.empty()) {
    GtkWidget* widget = pending.back();
    pending.pop_back();
    found.push_back(widget);
    if (!GTK_IS_CONTAINER(widget)) continue;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    // Pushed last to first, so that the first child is visited next.
    for (GList* it = g_list_last(children); it; it = it->prev) pending.push_back(GTK_WIDGET(it->data));
    g_list_free(children);
  }
  return found;
}

uint32_t PixelAt(GtkWidget* client, int x, int y) {
  std::vector<uint32_t> one = PixelsIn(client, GdkRectangle{x, y, 1, 1});
  return one.empty() ? 0xFFFFFFFF : one[0];
}

}  // namespace lumaro::platform_test
