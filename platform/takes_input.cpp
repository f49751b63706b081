#include "platform/takes_input.h"

namespace lumaro::gtk {

bool TakesInputNow(GtkWidget* widget) {
  if (!gtk_widget_is_sensitive(widget) || !gtk_widget_is_visible(widget)) return false;
  GtkWidget* grab = gtk_grab_get_current();
  return !grab || grab == widget || gtk_widget_is_ancestor(widget, grab);
}

}  // namespace lumaro::gtk
