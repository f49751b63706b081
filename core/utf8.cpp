#include "core/utf8.h"

#include <cstdint>

namespace lumaro {

size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

size_t DecodeUtf8(std::string_view text, size_t at, char32_t* character) {
  const auto byte = [&](size_t k) { return uint8_t(text[k]); };
  const uint8_t lead = byte(at);
  if (lead < 0x80) {
    *character = lead;
    return 1;
  }
  const size_t length = Utf8SequenceLength(lead);
  if (length == 1 || at + length > text.size()) return 0;
  static constexpr uint8_t kLeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
  char32_t c = lead & kLeadBits[length];
  for (size_t k = 1; k < length; ++k) {
    if ((byte(at + k) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(at + k) & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *character = c;
  return length;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

}  // namespace lumaro
