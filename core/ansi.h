// Text in the system's ANSI code page (GBK). Text inside the program is UTF-8.
#pragma once

#include <string>

namespace lumaro {

// UTF-8 to GBK; a character GBK cannot represent becomes "?".
std::string Utf8ToAnsi(const std::string& utf8);
// GBK to UTF-8 by the double-byte rule of BytesToString, but lenient: a lone
// lead byte at the end becomes U+FFFD. Unmapped pairs become U+FFFD.
std::string AnsiToUtf8(const std::string& ansi);

}  // namespace lumaro
