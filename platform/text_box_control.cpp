#include "platform/text_box_control.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <utility>

#include "core/spoken_names.h"
#include "platform/control_painting.h"
#include "platform/twips.h"

namespace lumaro::gtk {

TextBoxControl::TextBoxControl(std::string name, const Rect& r, const ControlStyle& style,
                               std::shared_ptr<WindowState> window)
    : ControlBase(std::move(name), style, std::move(window)) {
  GtkWidget* entry = gtk_entry_new();
  UseControlStyles(entry);
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
  gtk_entry_set_has_frame(GTK_ENTRY(entry), TRUE);
  if (style_.password) {
    gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
    gtk_entry_set_invisible_char(GTK_ENTRY(entry), '*');
    gtk_entry_set_input_purpose(GTK_ENTRY(entry), GTK_INPUT_PURPOSE_PASSWORD);
  }
  AdoptWidget(entry, FieldSpokenName(name_, style_.accessibleName), ATK_ROLE_INVALID);
  gtk_widget_set_size_request(entry, std::max(1, TwipsToPixels(r.width)),
                              std::max(1, TwipsToPixels(r.height)));
}

void TextBoxControl::SetText(const std::string& text) {
  text_ = text;
  if (Live()) gtk_entry_set_text(GTK_ENTRY(widget_), text.c_str());
}

std::string TextBoxControl::Text() const {
  if (!Live()) return text_;
  return gtk_entry_get_text(GTK_ENTRY(widget_));
}

void TextBoxControl::SetFocus() {
  if (!Live()) return;
  gtk_widget_grab_focus(widget_);
  // The caret goes to the end of the text; nothing is selected.
  gtk_editable_set_position(GTK_EDITABLE(widget_), -1);
}

}  // namespace lumaro::gtk
