// Text in the system's ANSI code page (GBK). Text inside the program is UTF-8.
#pragma once

#include <string>

namespace lumaro {

// UTF-8 to GBK; a character GBK cannot represent becomes "?".
std::string Utf8ToAnsi(const std::string& utf8);
// GBK to UTF-8, reading back whatever Utf8ToAnsi writes: ASCII bytes as they
// are, 0x80 as the euro sign, every other byte of 128 or more paired with the
// next one. Lenient: a lone lead byte at the end and an unmapped pair become
// U+FFFD.
std::string AnsiToUtf8(const std::string& ansi);

}  // namespace lumaro
