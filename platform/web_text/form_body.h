// The body a browser posts for a form, for the navigation handler to read.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace lumaro::gtkp {

// The application/x-www-form-urlencoded body a browser posts for these
// fields, in the form's character set (GBK and its relatives, else UTF-8):
// line breaks as CR LF, blanks as "+", a character the character set lacks
// as its decimal character reference.
std::string EncodeFormBody(const std::vector<std::pair<std::string, std::string>>& fields,
                           const std::string& charset);

}  // namespace lumaro::gtkp
