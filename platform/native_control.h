// The part of a control that its window deals with, whatever the control's
// interface.
#pragma once

#include <gtk/gtk.h>

namespace lumaro::gtk {

// The part of a control the window deals with, whatever its interface.
class NativeControl {
 public:
  virtual ~NativeControl() = default;
  // The widget placed in the layout.
  virtual GtkWidget* Widget() const = 0;
  // Disconnects every signal handler; the widgets are about to be destroyed.
  virtual void Detach() = 0;
  // Whether the control takes part in the keyboard focus chain.
  virtual bool Focusable() const { return false; }
  // A key pressed in the control's window that a page shown by the control
  // acts on (reload, history, zoom, find, print); true when it took it.
  // Only a browser the user sees takes keys.
  virtual bool TakePageKey(GdkEventKey* event) { return false; }
};

}  // namespace lumaro::gtk
