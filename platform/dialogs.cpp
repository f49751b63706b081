#include "platform/dialogs.h"

#include <gtk/gtk.h>

#include <string>

#include "build_config.h"
#include "platform/page_writes.h"
#include "platform/top_window.h"

namespace lumaro::gtk {

namespace {

GtkWidget* NewDialog(const std::string& title) {
  GtkWindow* parent = CurrentParentWindow();
  const std::string shown = title.empty() ? std::string(kApplicationTitle) : title;
  GtkWidget* dialog = gtk_dialog_new();
  gtk_window_set_title(GTK_WINDOW(dialog), shown.c_str());
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  gtk_window_set_skip_taskbar_hint(GTK_WINDOW(dialog), parent != nullptr);
  if (parent) {
    gtk_window_set_transient_for(GTK_WINDOW(dialog), parent);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER_ON_PARENT);
  } else {
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  }
  return dialog;
}

// A message box shows about a screenful of its text, as the desktop's own
// message boxes do: laying out megabytes of text (a service's answer page
// passed on whole) would hold the program for minutes. Longer texts are cut
// at a character boundary and end in an ellipsis.
constexpr long kMaxShownCharacters = 3000;
constexpr int kMaxShownLines = 40;

std::string ShownText(const std::string& text) {
  const char* start = text.c_str();
  const char* end = start + text.size();
  const char* p = start;
  long characters = 0;
  int lines = 1;
  while (p < end && *p) {
    if (characters == kMaxShownCharacters || (*p == '\n' && lines == kMaxShownLines))
      return std::string(start, p) + "\xE2\x80\xA6";  // …
    if (*p == '\n') ++lines;
    ++characters;
    p = g_utf8_find_next_char(p, end);
    if (!p) break;
  }
  return text;
}

// The dialog's content: an optional image at the left, then `body`.
void SetContent(GtkWidget* dialog, GtkWidget* image, GtkWidget* body) {
  GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
  gtk_container_set_border_width(GTK_CONTAINER(row), 12);
  if (image) {
    gtk_widget_set_valign(image, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(row), image, FALSE, FALSE, 0);
  }
  gtk_box_pack_start(GTK_BOX(row), body, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(area), row, TRUE, TRUE, 0);
  gtk_widget_show_all(row);
}

}  // namespace

MsgResult Dialogs::MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                              MsgButtons buttons) {
  GtkWidget* dialog = NewDialog(title);
  GtkWidget* image = nullptr;
  // GTK 3 draws no icon for a message type; the box shows the picture itself.
  if (icon == MsgIcon::Information) {
    image = gtk_image_new_from_icon_name("dialog-information", GTK_ICON_SIZE_DIALOG);
    atk_object_set_name(gtk_widget_get_accessible(image), "information");
  }
  GtkWidget* label = gtk_label_new(ShownText(text).c_str());
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_max_width_chars(GTK_LABEL(label), 60);
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  gtk_widget_set_valign(label, GTK_ALIGN_CENTER);
  SetContent(dialog, image, label);

  if (buttons == MsgButtons::YesNo) {
    gtk_dialog_add_button(GTK_DIALOG(dialog), "是(_Y)", GTK_RESPONSE_YES);
    gtk_dialog_add_button(GTK_DIALOG(dialog), "否(_N)", GTK_RESPONSE_NO);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_YES);
  } else {
    gtk_dialog_add_button(GTK_DIALOG(dialog), "确定", GTK_RESPONSE_OK);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  }
  GtkWidget* defaultButton = gtk_dialog_get_widget_for_response(
      GTK_DIALOG(dialog), buttons == MsgButtons::YesNo ? GTK_RESPONSE_YES : GTK_RESPONSE_OK);
  if (defaultButton) gtk_widget_grab_focus(defaultButton);

  FlushPageWrites();  // the page shows what the handler wrote while the box waits
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  if (buttons == MsgButtons::Ok) return MsgResult::Ok;
  // Escape and the close box answer No.
  return response == GTK_RESPONSE_YES ? MsgResult::Yes : MsgResult::No;
}

std::optional<std::string> Dialogs::InputBox(const std::string& prompt, const std::string& title,
                                             const std::string& defaultText) {
  GtkWidget* dialog = NewDialog(title);
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
  GtkWidget* label = gtk_label_new(prompt.c_str());
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_max_width_chars(GTK_LABEL(label), 60);
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(entry), defaultText.c_str());
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 40);
  atk_object_set_name(gtk_widget_get_accessible(entry), prompt.c_str());
  gtk_box_pack_start(GTK_BOX(column), label, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(column), entry, FALSE, FALSE, 0);
  SetContent(dialog, nullptr, column);
  gtk_dialog_add_button(GTK_DIALOG(dialog), "确定", GTK_RESPONSE_OK);
  gtk_dialog_add_button(GTK_DIALOG(dialog), "取消", GTK_RESPONSE_CANCEL);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  gtk_widget_grab_focus(entry);
  gtk_editable_select_region(GTK_EDITABLE(entry), 0, -1);

  FlushPageWrites();  // the page shows what the handler wrote while the box waits
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  std::optional<std::string> result;
  if (response == GTK_RESPONSE_OK) result = std::string(gtk_entry_get_text(GTK_ENTRY(entry)));
  gtk_widget_destroy(dialog);
  return result;
}

}  // namespace lumaro::gtk
