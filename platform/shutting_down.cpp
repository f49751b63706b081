#include "platform/shutting_down.h"

namespace lumaro::gtk {

namespace {

bool g_shuttingDown = false;

}  // namespace

bool ShuttingDown() { return g_shuttingDown; }
void SetShuttingDown() { g_shuttingDown = true; }

}  // namespace lumaro::gtk
