// The state of a window that its controls share.
#pragma once

#include "core/dispatch_gate.h"

namespace lumaro::gtk {

// State of a window that its controls share.
struct WindowState {
  // The native window and its widgets are gone (the window has closed);
  // controls then keep their values but touch no widget.
  bool destroyed = false;
  // The window has closed: timers no longer run.
  bool closed = false;
  // Which of the window's handlers are on the stack; its browser events
  // wait for them.
  DispatchGate::WindowRef gate = DispatchGate::NewWindow();
};

}  // namespace lumaro::gtk
