// Reading and writing UTF-8 one character at a time: the one walker the
// text helpers, the GBK conversion and the tests share.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lumaro {

// Length of the sequence that a byte starting it announces: 1 for ASCII, 2
// to 4 for a lead byte, and 1 for any other byte (a stray continuation or a
// byte that never starts one), which is then read on its own.
size_t Utf8SequenceLength(unsigned char lead);

// Reads the character that starts at `at`; its length in bytes, or 0 when
// the bytes there are not one well-formed character (cut short, overlong,
// a surrogate, past U+10FFFF, a stray byte).
size_t DecodeUtf8(std::string_view text, size_t at, char32_t* character);

// Appends a character (up to U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, char32_t character);

}  // namespace lumaro
