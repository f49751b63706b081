// The desktop's side of the dispatch gate (core/dispatch_gate.h): the
// user's keyboard and mouse input passes through the gate before GTK sees
// it, and the gate's queued work runs from the main loop.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>

namespace lumaro::gtk {

// Routes GDK's events through the gate and lets the gate run its queue from
// idle callbacks. Call once, after GTK has been initialised.
void InstallInputGate();

// A widget showing a web page takes one key or click at a time: after each,
// further input waits until `catchUp` has made sure the page has taken it in
// and has called DispatchGate::PageCaughtUp with the token.
using PageCatchUp = void (*)(GtkWidget* widget, uint64_t token);
void SetPageCatchUp(GtkWidget* widget, PageCatchUp catchUp);

}  // namespace lumaro::gtk
