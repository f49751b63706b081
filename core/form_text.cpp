#include "core/form_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/utf8.h"

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

size_t CharacterCount(const std::string& text) {
  size_t n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

std::string WithoutFirstCharacter(const std::string& text) {
  if (text.empty()) return text;
  char32_t c;
  size_t len = DecodeUtf8(text, 0, &c);
  return text.substr(len == 0 ? 1 : len);
}

bool ReadWholeNumber(const std::string& text, double* value) {
  size_t b = text.find_first_not_of(" \t");
  if (b == std::string::npos) return false;
  size_t e = text.find_last_not_of(" \t");
  std::string core = text.substr(b, e - b + 1);
  // Only plain decimal notation: strtod alone would also take "inf", "nan"
  // and hexadecimal numbers.
  if (core.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
  char* end = nullptr;
  double v = std::strtod(core.c_str(), &end);
  if (end == core.c_str() || *end != '\0') return false;
  *value = v;
  return true;
}

std::optional<double> ReadLeadingNumber(const std::string& text) {
  std::string s;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\n') s += c;
  const auto digit = [&](size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };
  size_t i = 0;
  std::string number;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) number += s[i++];
  size_t digits = 0;
  while (digit(i)) number += s[i++], ++digits;
  if (i < s.size() && s[i] == '.') {
    number += s[i++];
    while (digit(i)) number += s[i++], ++digits;
  }
  if (digits == 0) return 0.0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
    if (digit(j)) {
      while (digit(j)) exponent += s[j++];
      number += exponent;
    }
  }
  const double value = std::strtod(number.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::string NumberText(double value) {
  if (value == 0 || !std::isfinite(value)) return "0";
  // 15 significant digits: d.dddddddddddddde±x
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", value);
  std::string text = buf;
  bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  size_t ePos = text.find('e');
  int exponent = std::atoi(text.c_str() + ePos + 1);
  std::string digits = text.substr(0, 1) + text.substr(2, ePos - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out;
  int pointAt = exponent + 1;  // digits before the decimal point
  if (pointAt <= 0) {
    out = "0." + std::string(-pointAt, '0') + digits;
  } else if (pointAt >= int(digits.size())) {
    out = digits + std::string(pointAt - digits.size(), '0');
  } else {
    out = digits.substr(0, pointAt) + "." + digits.substr(pointAt);
  }
  return negative ? "-" + out : out;
}

}  // namespace lumaro
