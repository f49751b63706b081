// The default treatment of a page's request for a new window: a plain window
// of its own, sharing the opener's session.
#pragma once

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

namespace lumaro::gtk {

// The view of a new window for `opener`'s page; the window shows once the
// page is ready and closes with it.
GtkWidget* OpenPopup(WebKitWebView* opener);
// Shows the window of a view OpenPopup made, at the size its page asked for.
void ShowPopup(WebKitWebView* view);

}  // namespace lumaro::gtk
