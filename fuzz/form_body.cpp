// EncodeFormBody: the body a browser posts for a form's fields.
//
// The input's first byte picks the character set (GBK or UTF-8); the rest
// is cut into fields at each byte 0x01, and each field into name and value
// at its first byte 0x02. Properties: the body is made only of the
// characters a urlencoded body may hold, every "%" is followed by two
// upper-case hex digits; it has one "name=value" part per field, joined by
// "&", each with exactly one "="; and for UTF-8 fields of well-formed text,
// reading the parts back ("+" as a blank, "%XX" as a byte) gives the names
// and values with line breaks as CR LF.
#include <utility>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "platform/web_text/form_body.h"

using lumaro::fuzz::Require;

namespace {

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Unescape(const std::string& part) {
  std::string out;
  for (size_t i = 0; i < part.size(); ++i) {
    if (part[i] == '+') {
      out += ' ';
    } else if (part[i] == '%') {
      out += char(Hex(part[i + 1]) * 16 + Hex(part[i + 2]));
      i += 2;
    } else {
      out += part[i];
    }
  }
  return out;
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string charset = data[0] & 1 ? "GBK" : "UTF-8";
  std::vector<std::pair<std::string, std::string>> fields;
  std::string rest = lumaro::fuzz::Bytes(data + 1, size - 1);
  if (!rest.empty() || (data[0] & 2)) {
    size_t start = 0;
    for (;;) {
      const size_t cut = rest.find('\x01', start);
      const std::string field = rest.substr(start, cut == std::string::npos ? cut : cut - start);
      const size_t eq = field.find('\x02');
      fields.emplace_back(field.substr(0, eq),
                          eq == std::string::npos ? std::string() : field.substr(eq + 1));
      if (cut == std::string::npos) break;
      start = cut + 1;
    }
  }
  const std::string body = lumaro::gtk::EncodeFormBody(fields, charset);

  for (size_t i = 0; i < body.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(body[i]);
    const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                       (c >= 'a' && c <= 'z') || c == '*' || c == '-' || c == '.' || c == '_' ||
                       c == '+' || c == '&' || c == '=';
    if (c == '%') {
      Require(i + 2 < body.size() && Hex(body[i + 1]) >= 0 && Hex(body[i + 2]) >= 0,
              "% is followed by two upper-case hex digits");
      i += 2;
      continue;
    }
    Require(plain, "only characters a urlencoded body may hold");
  }
  std::vector<std::string> parts;
  size_t start = 0;
  while (!fields.empty()) {
    const size_t amp = body.find('&', start);
    parts.push_back(body.substr(start, amp == std::string::npos ? amp : amp - start));
    if (amp == std::string::npos) break;
    start = amp + 1;
  }
  Require(parts.size() == fields.size(), "one part per field");
  for (size_t i = 0; i < parts.size(); ++i) {
    const size_t eq = parts[i].find('=');
    Require(eq != std::string::npos && parts[i].find('=', eq + 1) == std::string::npos,
            "one = in each part");
    std::vector<char32_t> chars;
    if (charset == "UTF-8" && lumaro::fuzz::DecodeUtf8(fields[i].first, &chars) &&
        lumaro::fuzz::DecodeUtf8(fields[i].second, &chars) &&
        fields[i].first.find('\0') == std::string::npos &&
        fields[i].second.find('\0') == std::string::npos) {
      Require(Unescape(parts[i].substr(0, eq)) == WithCrLf(fields[i].first), "the name reads back");
      Require(Unescape(parts[i].substr(eq + 1)) == WithCrLf(fields[i].second),
              "the value reads back");
    }
  }
  return 0;
}
