// Modal message and input boxes.
#pragma once

#include <optional>
#include <string>

#include "core/desktop.h"

namespace lumaro::gtk {

// The message and input boxes of core/desktop.h as GTK dialogs, modal over
// the program's current window (CurrentParentWindow).
class Dialogs : public IDialogs {
 public:
  MsgResult MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                       MsgButtons buttons) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override;
};

}  // namespace lumaro::gtk
