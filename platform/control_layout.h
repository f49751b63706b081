// The layout that a window's or a panel's controls are placed in, which
// shows assistive tools only the controls the user can see.
#pragma once

#include <gtk/gtk.h>

namespace lumaro::gtk {

// The GtkLayout that a window's or a panel's controls are placed in.
GtkWidget* NewControlLayout();
// Leaves a control's widget out of what assistive tools see of the layout
// that holds it: it is not among the layout's accessible children, so
// neither it nor anything inside it is in the accessibility tree. Call it
// before the widget is put into the layout.
void HideFromAssistiveTools(GtkWidget* widget);

}  // namespace lumaro::gtk
