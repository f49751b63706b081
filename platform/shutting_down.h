// Whether the program is ending, after which window objects leave their
// native widgets alone.
#pragma once

namespace lumaro::gtk {

// True once ShutdownGtkPlatform has run: native objects are left alone.
bool ShuttingDown();
void SetShuttingDown();

}  // namespace lumaro::gtk
