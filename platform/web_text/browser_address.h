// Addresses as the browsers load them.
#pragma once

#include <string>

namespace lumaro::gtk {

// An address as the browser loads it: blanks trimmed, "http://" added when
// it names no scheme; "" for nothing to load.
std::string BrowserAddress(const std::string& address);

}  // namespace lumaro::gtk
