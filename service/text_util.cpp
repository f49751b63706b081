#include "text_util.h"

#include "gbk.h"

namespace lumaro::service {

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string UpperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return LowerAscii(a) == LowerAscii(b);
}

bool ContainsNoCase(const std::string& haystack, const std::string& needle) {
  return LowerAscii(haystack).find(LowerAscii(needle)) != std::string::npos;
}

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Strict UTF-8 check; reports whether a multi-byte sequence occurred and
// whether a two-byte one did.
bool IsUtf8(const std::string& s, bool* multiByte, bool* twoByte) {
  *multiByte = false;
  *twoByte = false;
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t n;
    unsigned int cp;
    if (c >= 0xC2 && c <= 0xDF) {
      n = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;
    for (size_t k = 1; k <= n; ++k) {
      unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    *multiByte = true;
    if (n == 1) *twoByte = true;
    i += n + 1;
  }
  return true;
}

}  // namespace

std::string PercentDecode(const std::string& raw, bool plusIsSpace) {
  std::string out;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '%' && i + 2 < raw.size()) {
      int hi = HexValue(raw[i + 1]);
      int lo = HexValue(raw[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    out.push_back(plusIsSpace && c == '+' ? ' ' : c);
  }
  return out;
}

std::string PercentEncode(const std::string& bytes) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                 (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

std::string RequestTextToUtf8(const std::string& bytes) {
  bool multiByte = false, twoByte = false;
  if (!IsUtf8(bytes, &multiByte, &twoByte)) return FromGbk(bytes);
  if (!multiByte) return bytes;  // ASCII
  // Chinese text in UTF-8 is made of three-byte sequences; a two-byte one is
  // far more likely a GBK pair that happens to look like UTF-8 ("模" is C4 A3).
  return twoByte ? FromGbk(bytes) : bytes;
}

void ParseParams(const std::string& raw, bool plusIsSpace,
                 std::multimap<std::string, std::string>& out) {
  size_t start = 0;
  while (start <= raw.size()) {
    size_t end = raw.find('&', start);
    if (end == std::string::npos) end = raw.size();
    std::string pair = raw.substr(start, end - start);
    if (!pair.empty()) {
      size_t eq = pair.find('=');
      std::string name = pair.substr(0, eq);
      std::string value = eq == std::string::npos ? "" : pair.substr(eq + 1);
      out.emplace(RequestTextToUtf8(PercentDecode(name, plusIsSpace)),
                  RequestTextToUtf8(PercentDecode(value, plusIsSpace)));
    }
    start = end + 1;
  }
}

std::string HtmlEscape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

const std::string* FindParam(const std::multimap<std::string, std::string>& params,
                             const std::string& name) {
  for (const auto& [key, value] : params)
    if (EqualsNoCase(key, name)) return &value;
  return nullptr;
}

std::string ParamOrEmpty(const std::multimap<std::string, std::string>& params,
                         const std::string& name) {
  const std::string* value = FindParam(params, name);
  return value ? *value : std::string();
}

}  // namespace lumaro::service
