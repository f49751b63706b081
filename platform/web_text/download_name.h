// Names for files that pages download.
#pragma once

#include <string>

namespace lumaro::gtk {

// The server's suggested name made safe to save under: its last path part
// only, without control characters, bidirectional controls (which could make
// "invoice\u202Efdp.desktop" read as "invoice.pdf"), leading dots or folder
// separators; "download" when nothing is left.
std::string SafeFileName(const std::string& suggested);

}  // namespace lumaro::gtk
