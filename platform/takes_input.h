// Whether a widget takes input at this moment, for clicks that assistive
// tools ask for.
#pragma once

#include <gtk/gtk.h>

namespace lumaro::gtk {

// Whether a click through assistive tools may reach the widget now: it is
// shown and enabled, and no modal window holds the input elsewhere.
bool TakesInputNow(GtkWidget* widget);

}  // namespace lumaro::gtk
