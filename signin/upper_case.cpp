#include "signin/upper_case.h"

#include <cstdint>

namespace lumaro {

namespace {

char32_t UpperOf(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - 0x20;
  if (c < 0x80) return c;
  // Latin-1: à..þ except ÷; ÿ has its capital in Latin Extended-A.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c == 0xB5) return 0x39C;  // micro sign -> Greek capital mu
  // Latin Extended-A: capital/small pairs, even/odd in most blocks,
  // odd/even in Ĺ..ň and Ź..ž.
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x131) return U'I';  // dotless i
    if (c == 0x17F) return U'S';  // long s
    if (c == 0x138 || c == 0x149) return c;  // kra, 'n: no capital
    bool oddSmall = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddSmall) return (c % 2 == 0) ? c - 1 : c;
    return (c % 2 == 1) ? c - 1 : c;
  }
  // Greek α..ω; final sigma becomes Σ.
  if (c == 0x3C2) return 0x3A3;
  if (c >= 0x3B1 && c <= 0x3C9) return c - 0x20;
  // Cyrillic а..я and ѐ..џ.
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  // Full-width ａ..ｚ.
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
  return c;
}

char32_t LowerOf(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c < 0x80) return c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c == 0x178) return 0xFF;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x130) return U'i';  // capital I with dot
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    bool oddCapital = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddCapital) return (c % 2 == 1) ? c + 1 : c;
    return (c % 2 == 0) ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;
  return c;
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

// Decodes one character at `i`; returns its length, 0 for an invalid sequence.
size_t DecodeUtf8(const std::string& s, size_t i, char32_t* out) {
  auto b = [&](size_t k) { return uint8_t(s[k]); };
  uint8_t lead = b(i);
  size_t len;
  char32_t c;
  if (lead < 0x80) {
    *out = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    len = 2;
    c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    len = 3;
    c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    len = 4;
    c = lead & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b(i + k) & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *out = c;
  return len;
}

std::string MapText(const std::string& text, char32_t (*map)(char32_t)) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char32_t c;
    size_t len = DecodeUtf8(text, i, &c);
    if (len == 0) {
      out += text[i];
      ++i;
      continue;
    }
    AppendUtf8(out, map(c));
    i += len;
  }
  return out;
}

}  // namespace

std::string UpperCaseText(const std::string& text) { return MapText(text, UpperOf); }

std::string LowerCaseText(const std::string& text) { return MapText(text, LowerOf); }

}  // namespace lumaro
