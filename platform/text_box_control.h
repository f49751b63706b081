// Text boxes: one line of text the user types, or a password shown as
// asterisks.
#pragma once

#include <memory>
#include <string>

#include "core/ui.h"
#include "platform/control_base.h"
#include "platform/window_state.h"

namespace lumaro::gtk {

// A GtkEntry as small as the classic layouts place it; a password box shows
// asterisks. The text is kept once the window has closed.
class TextBoxControl : public ControlBase<ITextBox> {
 public:
  TextBoxControl(std::string name, const Rect& r, const ControlStyle& style,
                 std::shared_ptr<WindowState> window);
  void SetText(const std::string& text) override;
  std::string Text() const override;
  void SetFocus() override;
  bool Focusable() const override { return true; }

 private:
  std::string text_;  // kept for a closed window
};

}  // namespace lumaro::gtk
