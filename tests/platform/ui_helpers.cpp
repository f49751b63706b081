#include "platform/ui_helpers.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/dispatch_gate.h"
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

DrawWatch::DrawWatch(GtkWidget* widget) : widget_(GTK_WIDGET(g_object_ref(widget))) {
  handler_ = g_signal_connect_after(
      widget, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t*, gpointer count) {
        ++*static_cast<int*>(count);
        return gboolean(FALSE);
      }),
      &draws_);
}

DrawWatch::~DrawWatch() {
  g_signal_handler_disconnect(widget_, handler_);
  g_object_unref(widget_);
}

bool DrawWatch::WaitForDraw() {
  return RunUntil([&] { return draws_ > 0; }) && RunUntilIdle();
}

void ShowAndSettle(IWindow* window) {
  GtkWidget* native = gtk::NativeWindowOf(window);
  DrawWatch painted(native);
  window->Show();
  EXPECT_TRUE(RunUntil([&] { return gtk_widget_get_mapped(native); }))
      << "the window was not mapped";
  EXPECT_TRUE(painted.WaitForDraw()) << "the window was not painted";
}

bool RunUntilInputHandled() {
  // xdotool has synced with the display before it exits: the events it
  // caused are on their way to this program, and a sync brings them in.
  gdk_display_sync(gdk_display_get_default());
  const gint64 deadline = g_get_monotonic_time() + gint64(kWaitLimit * G_USEC_PER_SEC);
  auto left = [&] { return double(deadline - g_get_monotonic_time()) / G_USEC_PER_SEC; };
  const DispatchGate& gate = DispatchGate::Get();
  // Input held until a page has caught up goes on once it has; handling it
  // may hold the input after it for a page again.
  do {
    if (!RunUntil([&] { return !gate.HoldingInput(); }, left())) return false;
    if (!RunUntilIdle(left())) return false;
  } while (gate.HoldingInput());
  return true;
}

GtkDialog* VisibleDialog() {
  GtkDialog* found = nullptr;
  GList* toplevels = gtk_window_list_toplevels();
  for (GList* it = toplevels; it; it = it->next)
    if (GTK_IS_DIALOG(it->data) && gtk_widget_get_visible(GTK_WIDGET(it->data)))
      found = GTK_DIALOG(it->data);
  g_list_free(toplevels);
  return found;
}

namespace {

struct PendingAnswer {
  std::function<bool()> ready;
  int response;
  gint64 limit;
};

gboolean TryToAnswer(gpointer data) {
  auto* answer = static_cast<PendingAnswer*>(data);
  GtkDialog* dialog = VisibleDialog();
  const bool late = g_get_monotonic_time() >= answer->limit;
  if (!dialog) return late ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
  if (!late && !answer->ready()) return G_SOURCE_CONTINUE;
  gtk_dialog_response(dialog, answer->response);
  return G_SOURCE_REMOVE;
}

}  // namespace

void AnswerDialogWhen(std::function<bool()> ready, int response) {
  // Checked every few milliseconds: the answer follows the event, whatever
  // the time it takes to come.
  const gint64 limit = g_get_monotonic_time() + gint64(kWaitLimit * G_USEC_PER_SEC);
  g_timeout_add_full(G_PRIORITY_DEFAULT, 5, TryToAnswer,
                     new PendingAnswer{std::move(ready), response, limit},
                     [](gpointer data) { delete static_cast<PendingAnswer*>(data); });
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
  EXPECT_TRUE(RunUntilInputHandled()) << "the click was not handled";
}

void PressKeys(const std::string& keys) {
  Run({"xdotool", "key", "--delay", "30", keys});
  EXPECT_TRUE(RunUntilInputHandled()) << "the keys were not handled: " << keys;
}

void TypeText(const std::string& text) {
  Run({"xdotool", "type", "--delay", "20", text});
  EXPECT_TRUE(RunUntilInputHandled()) << "the text was not handled: " << text;
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
