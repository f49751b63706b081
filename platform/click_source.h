// Left clicks on a label or picture, raised as the control's onClick.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "core/ui.h"
#include "platform/signal_connections.h"
#include "platform/window_state.h"

namespace lumaro::gtk {

// Raises the control's onClick as a handler of its window (RunHandler);
// nothing when it has none. The handler may destroy the control.
void RaiseClick(IControl* control, const std::shared_ptr<WindowState>& window);

// Raises IControl::onClick for a left click (press and release over the
// widget). The second click of a double click is not a click.
class ClickSource {
 public:
  void Attach(SignalConnections& signals, GtkWidget* widget, IControl* control,
              std::shared_ptr<WindowState> window);

 private:
  static gboolean OnPress(GtkWidget* widget, GdkEventButton* event, gpointer data);
  static gboolean OnRelease(GtkWidget* widget, GdkEventButton* event, gpointer data);
  IControl* control_ = nullptr;
  std::shared_ptr<WindowState> window_;
  bool pressed_ = false;
  bool doubled_ = false;
  bool lastWasClick_ = false;
  bool previousWasClick_ = false;
};

}  // namespace lumaro::gtk
