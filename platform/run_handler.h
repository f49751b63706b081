// Running the program's handlers from GTK's and GLib's callbacks.
#pragma once

#include <glib.h>

#include <exception>
#include <memory>
#include <utility>

#include "core/dispatch_gate.h"
#include "platform/page_writes.h"
#include "platform/window_state.h"

namespace lumaro::gtk {

// Calls a handler of the program's windows from a GLib callback: nothing
// may be thrown through GTK. What the handler throws is logged as a warning.
template <class Fn>
void Guarded(Fn&& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    g_warning("event handler failed: %s", e.what());
  } catch (...) {
    g_warning("event handler failed");
  }
}

// Runs a handler of the window: nothing may be thrown through GTK, and the
// window's browser events wait until it has returned. The pages' writes it
// made go out afterwards.
template <class Fn>
void RunHandler(const std::shared_ptr<WindowState>& window, Fn&& fn) {
  DispatchGate::HandlerScope scope(window ? window->gate : nullptr);
  Guarded(std::forward<Fn>(fn));
  FlushPageWrites();
}

}  // namespace lumaro::gtk
