#include "platform/webkit/find_bar.h"

#include <string>

#include "platform/shutting_down.h"

namespace lumaro::gtk {

namespace {

constexpr guint32 kFindOptions =
    WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE | WEBKIT_FIND_OPTIONS_WRAP_AROUND;

}  // namespace

FindBar::FindBar(GtkWidget* overlay) {
  bar_ = GTK_WIDGET(g_object_ref_sink(gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6)));
  gtk_widget_set_name(bar_, "lumaro-find-bar");
  gtk_widget_set_halign(bar_, GTK_ALIGN_FILL);
  gtk_widget_set_valign(bar_, GTK_ALIGN_END);
  gtk_container_set_border_width(GTK_CONTAINER(bar_), 3);
  GtkStyleContext* style = gtk_widget_get_style_context(bar_);
  gtk_style_context_add_class(style, "background");

  entry_ = gtk_search_entry_new();
  gtk_entry_set_width_chars(GTK_ENTRY(entry_), 24);
  atk_object_set_name(gtk_widget_get_accessible(entry_), "查找");
  count_ = gtk_label_new("");
  atk_object_set_name(gtk_widget_get_accessible(count_), "匹配数");
  gtk_box_pack_start(GTK_BOX(bar_), entry_, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(bar_), count_, FALSE, FALSE, 0);
  gtk_widget_show(entry_);
  gtk_widget_show(count_);
  gtk_widget_set_no_show_all(bar_, TRUE);
  gtk_overlay_add_overlay(GTK_OVERLAY(overlay), bar_);
  signals_.Connect(entry_, "search-changed", OnChanged, this);
}

FindBar::~FindBar() {
  if (ShuttingDown()) return;
  Detach();
  g_object_unref(bar_);
}

void FindBar::Detach() {
  finder_.DisconnectAll();
  signals_.DisconnectAll();
  view_ = nullptr;
}

void FindBar::Open(WebKitWebView* view) {
  if (view_ != view) {
    finder_.DisconnectAll();
    view_ = view;
    WebKitFindController* finder = webkit_web_view_get_find_controller(view);
    finder_.Connect(finder, "counted-matches", OnCounted, this);
    finder_.Connect(finder, "failed-to-find-text", OnFailed, this);
  }
  gtk_widget_show(bar_);
  gtk_widget_grab_focus(entry_);
  Search();
}

void FindBar::Close() {
  if (!view_) return;
  webkit_find_controller_search_finish(webkit_web_view_get_find_controller(view_));
  gtk_widget_hide(bar_);
  gtk_label_set_text(GTK_LABEL(count_), "");
  gtk_widget_grab_focus(GTK_WIDGET(view_));
  finder_.DisconnectAll();
  view_ = nullptr;
}

void FindBar::Forget(WebKitWebView* view) {
  if (view_ != view) return;
  finder_.DisconnectAll();
  gtk_widget_hide(bar_);
  view_ = nullptr;
}

bool FindBar::TakeKey(GdkEventKey* event) {
  if (!view_) return false;
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  if (event->keyval == GDK_KEY_Escape && modifiers == 0) {
    Close();
    return true;
  }
  const bool enter = event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter;
  if (enter && gtk_widget_has_focus(entry_) && (modifiers & ~GDK_SHIFT_MASK) == 0) {
    WebKitFindController* finder = webkit_web_view_get_find_controller(view_);
    if (modifiers & GDK_SHIFT_MASK)
      webkit_find_controller_search_previous(finder);
    else
      webkit_find_controller_search_next(finder);
    return true;
  }
  return false;
}

void FindBar::Search() {
  if (!view_) return;
  WebKitFindController* finder = webkit_web_view_get_find_controller(view_);
  const char* text = gtk_entry_get_text(GTK_ENTRY(entry_));
  if (!text || !*text) {
    webkit_find_controller_search_finish(finder);
    gtk_label_set_text(GTK_LABEL(count_), "");
    return;
  }
  webkit_find_controller_search(finder, text, kFindOptions, G_MAXUINT);
  webkit_find_controller_count_matches(finder, text, kFindOptions, G_MAXUINT);
}

void FindBar::OnChanged(GtkSearchEntry*, gpointer data) {
  static_cast<FindBar*>(data)->Search();
}

void FindBar::OnCounted(WebKitFindController*, guint count, gpointer data) {
  auto* self = static_cast<FindBar*>(data);
  const std::string text = std::to_string(count) + " 个匹配";
  gtk_label_set_text(GTK_LABEL(self->count_), text.c_str());
}

void FindBar::OnFailed(WebKitFindController*, gpointer data) {
  gtk_label_set_text(GTK_LABEL(static_cast<FindBar*>(data)->count_), "0 个匹配");
}

}  // namespace lumaro::gtk
