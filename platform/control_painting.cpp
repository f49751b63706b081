#include "platform/control_painting.h"

namespace lumaro::gtk {

void SetSourceRgb(cairo_t* cr, uint32_t rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                       (rgb & 0xFF) / 255.0);
}

void DrawFocusFrame(GtkWidget* widget, cairo_t* cr) {
  if (!gtk_widget_has_visible_focus(widget)) return;
  const int w = gtk_widget_get_allocated_width(widget);
  const int h = gtk_widget_get_allocated_height(widget);
  if (w < 3 || h < 3) return;
  cairo_save(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_stroke_preserve(cr);
  const double dash = 1;
  cairo_set_dash(cr, &dash, 1, 0);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void DrawChildrenInOrder(GtkWidget* layout, cairo_t* cr) {
  GList* children = gtk_container_get_children(GTK_CONTAINER(layout));
  for (GList* it = children; it; it = it->next)
    gtk_container_propagate_draw(GTK_CONTAINER(layout), GTK_WIDGET(it->data), cr);
  g_list_free(children);
}

void UseControlStyles(GtkWidget* widget) {
  static bool installed = false;
  if (!installed) {
    installed = true;
    // Text boxes and check boxes as small as the classic layouts place them.
    static const char* kCss =
        "entry.lumaro { min-height: 0; padding: 0 2px; font: 9pt Sans; border-radius: 0; }\n"
        "checkbutton.lumaro { padding: 0; min-height: 0; min-width: 0; }\n"
        "checkbutton.lumaro check { min-width: 11px; min-height: 11px; margin: 0; }\n";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
  }
  gtk_style_context_add_class(gtk_widget_get_style_context(widget), "lumaro");
}

}  // namespace lumaro::gtk
