#include "core/url_helpers.h"

#include <cctype>

#include "core/ansi.h"

namespace lumaro {

std::string UrlEncode(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : Utf8ToAnsi(text)) {
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out;
}

std::string GetUrlParam(const std::string& url, const std::string& key) {
  std::string lower = url;
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  size_t p = lower.find(key);
  if (p == std::string::npos) return "";
  size_t start = p + key.size();
  size_t amp = url.find('&', p);
  if (amp == std::string::npos) return url.substr(start);
  // A key that ends in "&" itself has its value end before it started.
  if (amp < start) return "";
  return url.substr(start, amp - start);
}

}  // namespace lumaro
