#include "core/desktop.h"

namespace lumaro {

namespace {
DesktopServices g_services;
}

DesktopServices& Desktop() { return g_services; }

void InstallDesktop(const DesktopServices& services) { g_services = services; }

}  // namespace lumaro
