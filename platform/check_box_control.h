// Check boxes, whose click handler runs when the user toggles them.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "core/ui.h"
#include "platform/control_base.h"
#include "platform/window_state.h"

namespace lumaro::gtk {

// A GtkCheckButton as small as the classic layouts place it. A toggle by the
// user raises onClick; one by SetChecked does not.
class CheckBoxControl : public ControlBase<ICheckBox> {
 public:
  CheckBoxControl(std::string name, const Rect& r, const ControlStyle& style,
                  std::shared_ptr<WindowState> window);
  void SetChecked(bool checked) override;
  bool Checked() const override { return checked_; }
  bool Focusable() const override { return true; }

 private:
  static void OnToggled(GtkToggleButton* button, gpointer data);
  bool checked_ = false;
  bool settingChecked_ = false;
};

}  // namespace lumaro::gtk
