// Twips, the unit the windows' layouts are given in, as GTK's pixels.
#pragma once

#include <cmath>

#include "core/ui.h"

namespace lumaro::gtk {

// Twips to whole pixels (kTwipsPerPixel twips per pixel), rounded to the
// nearest pixel.
inline int TwipsToPixels(int twips) { return int(std::lround(twips / double(kTwipsPerPixel))); }

}  // namespace lumaro::gtk
