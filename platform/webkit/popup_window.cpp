#include "platform/webkit/popup_window.h"

#include "platform/webkit/web_context.h"

namespace lumaro::gtk {

namespace {

void PopupReady(WebKitWebView* view, gpointer window) {
  WebKitWindowProperties* props = webkit_web_view_get_window_properties(view);
  GdkRectangle geometry{};
  webkit_window_properties_get_geometry(props, &geometry);
  if (geometry.width > 0 && geometry.height > 0)
    gtk_window_set_default_size(GTK_WINDOW(window), geometry.width, geometry.height);
  gtk_widget_show_all(GTK_WIDGET(window));
}

void PopupClose(WebKitWebView*, gpointer window) { gtk_widget_destroy(GTK_WIDGET(window)); }

void PopupTitle(WebKitWebView* view, GParamSpec*, gpointer window) {
  const char* title = webkit_web_view_get_title(view);
  gtk_window_set_title(GTK_WINDOW(window), title ? title : "");
}

GtkWidget* PopupCreate(WebKitWebView* view, WebKitNavigationAction*, gpointer) {
  return OpenPopup(view);
}

}  // namespace

GtkWidget* OpenPopup(WebKitWebView* opener) {
  auto* view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", opener,
                                            "settings", SharedSettings(), nullptr));
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
  g_signal_connect(view, "ready-to-show", G_CALLBACK(PopupReady), window);
  g_signal_connect(view, "close", G_CALLBACK(PopupClose), window);
  g_signal_connect(view, "notify::title", G_CALLBACK(PopupTitle), window);
  g_signal_connect(view, "create", G_CALLBACK(PopupCreate), nullptr);
  return GTK_WIDGET(view);
}

void ShowPopup(WebKitWebView* view) {
  PopupReady(view, gtk_widget_get_toplevel(GTK_WIDGET(view)));
}

}  // namespace lumaro::gtk
