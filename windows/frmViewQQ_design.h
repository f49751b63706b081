// The visitor viewer's design: its frame, size and browsers.
#pragma once

#include "core/window_design.h"

namespace lumaro {

const WindowDesign& frmViewQQDesign();

}  // namespace lumaro
