// The site code checker's design: its frame, size, controls and timers.
#pragma once

#include "core/window_design.h"

namespace lumaro {

const WindowDesign& frmCheckCodeDesign();

}  // namespace lumaro
