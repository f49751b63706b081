// The pointing-hand cursor over a control that asks for it.
#pragma once

#include <gtk/gtk.h>

#include "platform/signal_connections.h"

namespace lumaro::gtk {

// When `handCursor` is set, shows the program's hand cursor (HandCursor) on
// the widget's own and input windows once it is realized; otherwise does
// nothing.
void UseCursor(SignalConnections& signals, GtkWidget* widget, bool handCursor);

}  // namespace lumaro::gtk
