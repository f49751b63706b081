// The chat-link opener's design: its frame, size, browser and timer.
#pragma once

#include "core/window_design.h"

namespace lumaro {

const WindowDesign& frmOpenDesign();

}  // namespace lumaro
