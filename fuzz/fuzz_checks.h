// Small helpers shared by the fuzz targets: a failed property stops the run
// with a message (libFuzzer keeps the input), and a UTF-8 reader that is
// independent of the code under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace lumaro::fuzz {

// Stops the run when `ok` is false; libFuzzer saves the input as a crash.
inline void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "property failed: %s\n", what);
  std::abort();
}

// The code points of `text`, or false when it is not well-formed UTF-8
// (overlong forms, surrogates and values above U+10FFFF included).
inline bool DecodeUtf8(const std::string& text, std::vector<char32_t>* out) {
  out->clear();
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length;
    char32_t c;
    if (lead < 0x80) {
      out->push_back(lead);
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      c = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    out->push_back(c);
    i += length;
  }
  return true;
}

inline bool IsUtf8(const std::string& text) {
  std::vector<char32_t> ignored;
  return DecodeUtf8(text, &ignored);
}

inline std::string Bytes(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace lumaro::fuzz
