#include "platform/click_source.h"

#include <functional>
#include <utility>

#include "platform/run_handler.h"

namespace lumaro::gtk {

void RaiseClick(IControl* control, const std::shared_ptr<WindowState>& window) {
  // The handler may destroy the control: copy it first.
  std::function<void()> handler = control->onClick;
  if (handler) RunHandler(window, handler);
}

void ClickSource::Attach(SignalConnections& signals, GtkWidget* widget, IControl* control,
                         std::shared_ptr<WindowState> window) {
  control_ = control;
  window_ = std::move(window);
  gtk_widget_add_events(widget, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
  signals.Connect(widget, "button-press-event", OnPress, this);
  signals.Connect(widget, "button-release-event", OnRelease, this);
}

gboolean ClickSource::OnPress(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto* self = static_cast<ClickSource*>(data);
  if (event->button != 1) return FALSE;
  if (event->type == GDK_2BUTTON_PRESS || event->type == GDK_3BUTTON_PRESS) {
    // Only the second click of a double click on this control; a first
    // click that went elsewhere (to a modal window's grab) does not count.
    self->doubled_ = self->previousWasClick_;
  } else if (event->type == GDK_BUTTON_PRESS) {
    self->pressed_ = true;
    self->doubled_ = false;
    self->previousWasClick_ = self->lastWasClick_;
    self->lastWasClick_ = false;
  }
  return self->control_->onClick ? TRUE : FALSE;
}

gboolean ClickSource::OnRelease(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  auto* self = static_cast<ClickSource*>(data);
  if (event->button != 1 || !self->pressed_) return FALSE;
  self->pressed_ = false;
  if (self->doubled_) {
    self->doubled_ = false;
    return FALSE;
  }
  GtkAllocation a;
  gtk_widget_get_allocation(widget, &a);
  // Event coordinates are relative to the window that received the event.
  int x = 0, y = 0;
  GdkWindow* own = gtk_widget_get_window(widget);
  if (event->window == own || !gtk_widget_get_has_window(widget)) {
    // For a widget without a window of its own the coordinates are those of
    // its input window, which lies exactly on the allocation.
    x = int(event->x);
    y = int(event->y);
  }
  if (x < 0 || y < 0 || x >= a.width || y >= a.height) return FALSE;
  self->lastWasClick_ = true;
  // The handler may destroy the control (and this object).
  RaiseClick(self->control_, std::shared_ptr<WindowState>(self->window_));
  return TRUE;
}

}  // namespace lumaro::gtk
