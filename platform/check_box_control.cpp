#include "platform/check_box_control.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "core/spoken_names.h"
#include "platform/control_painting.h"
#include "platform/run_handler.h"
#include "platform/twips.h"

namespace lumaro::gtk {

CheckBoxControl::CheckBoxControl(std::string name, const Rect& r, const ControlStyle& style,
                                 std::shared_ptr<WindowState> window)
    : ControlBase(std::move(name), style, std::move(window)) {
  GtkWidget* check = gtk_check_button_new();
  UseControlStyles(check);
  AdoptWidget(check, FieldSpokenName(name_, style_.accessibleName), ATK_ROLE_INVALID);
  gtk_widget_set_size_request(check, std::max(1, TwipsToPixels(r.width)),
                              std::max(1, TwipsToPixels(r.height)));
  signals_.Connect(check, "toggled", OnToggled, this);
}

void CheckBoxControl::SetChecked(bool checked) {
  checked_ = checked;
  if (!Live()) return;
  settingChecked_ = true;
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget_), checked);
  settingChecked_ = false;
}

void CheckBoxControl::OnToggled(GtkToggleButton* button, gpointer data) {
  auto* self = static_cast<CheckBoxControl*>(data);
  self->checked_ = gtk_toggle_button_get_active(button);
  if (self->settingChecked_) return;
  std::function<void()> handler = self->onClick;
  if (handler) RunHandler(std::shared_ptr<WindowState>(self->window_), handler);
}

}  // namespace lumaro::gtk
