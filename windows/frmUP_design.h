// The update window's design: its frame, size and controls.
#pragma once

#include "core/window_design.h"

namespace lumaro {

const WindowDesign& frmUPDesign();

}  // namespace lumaro
