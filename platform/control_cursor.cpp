#include "platform/control_cursor.h"

#include <algorithm>
#include <vector>

#include "platform/assets.h"

namespace lumaro::gtk {

namespace {

// Windows of `widget` that receive its input: its own window, or the input
// windows it created inside its parent's window.
std::vector<GdkWindow*> InputWindowsOf(GtkWidget* widget) {
  std::vector<GdkWindow*> found;
  if (!gtk_widget_get_realized(widget)) return found;
  if (gtk_widget_get_has_window(widget)) found.push_back(gtk_widget_get_window(widget));
  GdkWindow* parent = gtk_widget_get_parent_window(widget);
  if (!parent) return found;
  GList* children = gdk_window_peek_children(parent);
  for (GList* it = children; it; it = it->next) {
    auto* window = GDK_WINDOW(it->data);
    gpointer owner = nullptr;
    gdk_window_get_user_data(window, &owner);
    if (owner == widget && std::find(found.begin(), found.end(), window) == found.end())
      found.push_back(window);
  }
  return found;
}

void ApplyCursor(GtkWidget* widget, gpointer) {
  GdkCursor* cursor = HandCursor(gtk_widget_get_display(widget));
  for (GdkWindow* window : InputWindowsOf(widget)) gdk_window_set_cursor(window, cursor);
}

}  // namespace

void UseCursor(SignalConnections& signals, GtkWidget* widget, bool handCursor) {
  if (!handCursor) return;
  signals.Connect(widget, "realize", ApplyCursor, nullptr, /*after=*/true);
}

}  // namespace lumaro::gtk
