// The detail viewer's design: its frame, size and browser.
#pragma once

#include "core/window_design.h"

namespace lumaro {

const WindowDesign& frmViewDesign();

}  // namespace lumaro
