// How the windows tell the user something: a message box titled
// kNoticeTitle with one OK button.
#pragma once

#include <string>

#include "core/desktop.h"

namespace lumaro {

// Shows `text` with `icon` (the information icon, or none) and returns once
// the user has answered.
void ShowNotice(const std::string& text, MsgIcon icon);

}  // namespace lumaro
