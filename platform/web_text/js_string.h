// Text handed to page scripts.
#pragma once

#include <string>

namespace lumaro::gtk {

// `text` as a JavaScript string literal (in double quotes) that evaluates to
// the same text; bytes that are no UTF-8 become U+FFFD.
std::string JsString(const std::string& text);

}  // namespace lumaro::gtk
