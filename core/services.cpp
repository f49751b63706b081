#include "core/platform.h"

namespace lumaro {

namespace {
Services g_services;
}

Services& Svc() { return g_services; }

void InstallServices(const Services& services) { g_services = services; }

}  // namespace lumaro
