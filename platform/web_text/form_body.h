// The body a browser posts for a form, for the navigation handler to read.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace lumaro::gtk {

// The application/x-www-form-urlencoded body a browser posts for these
// fields, in the form's character set (FormEncoding): line breaks as CR LF,
// blanks as "+", a character the character set lacks as its decimal
// character reference.
std::string EncodeFormBody(const std::vector<std::pair<std::string, std::string>>& fields,
                           const std::string& charset);

// The encoding a browser posts a form in, for a character set as a page
// names it: the names that stand for GBK give "GBK", those for Windows'
// Western code page (Latin-1 and ASCII among them) "WINDOWS-1252", other
// names the converter knows themselves; "" for UTF-8, which is also used for
// UTF-16 and for names nobody knows.
std::string FormEncoding(const std::string& charset);

}  // namespace lumaro::gtk
