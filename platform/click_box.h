// The widget of a clickable label or picture: a windowless event box that
// the keyboard and assistive tools can click.
#pragma once

#include <gtk/gtk.h>

#include "core/ui.h"

namespace lumaro::gtk {

// The widget of a clickable label or picture: a windowless event box that
// can take the keyboard focus (Enter or Space then activates it) and offers
// assistive tools a "click" action. Activation emits its "activate" signal;
// the control raises onClick from there. While `control` is set, the box is a
// push button to assistive tools whenever that control has a click handler.
GtkWidget* NewClickBox(IControl* control);
// The control is going away: the box no longer reports or raises clicks.
void ForgetClickBoxControl(GtkWidget* box);

}  // namespace lumaro::gtk
