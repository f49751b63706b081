#include "platform/web_text/form_body.h"

#include <glib.h>

#include <cctype>
#include <cstring>
#include <initializer_list>

namespace lumaro::gtk {

namespace {

bool OneOf(const std::string& label, std::initializer_list<const char*> names) {
  for (const char* name : names)
    if (label == name) return true;
  return false;
}

}  // namespace

std::string FormEncoding(const std::string& charset) {
  gchar* lower = g_ascii_strdown(charset.c_str(), -1);
  gchar* trimmed = g_strstrip(lower);
  const std::string label = trimmed;
  g_free(lower);
  if (OneOf(label, {"gbk", "gb2312", "x-gbk", "chinese", "csgb2312", "csiso58gb231280",
                    "gb_2312", "gb_2312-80", "iso-ir-58", "windows-936", "cp936"}))
    return "GBK";
  if (label == "gb18030") return "GB18030";
  if (OneOf(label, {"windows-1252", "x-cp1252", "cp1252", "latin1", "l1", "iso-8859-1",
                    "iso8859-1", "iso88591", "iso_8859-1", "iso_8859-1:1987", "iso-ir-100",
                    "csisolatin1", "ibm819", "cp819", "ascii", "us-ascii", "ansi_x3.4-1968"}))
    return "WINDOWS-1252";
  // UTF-16 forms are posted in UTF-8.
  if (label.empty() || label.rfind("utf-", 0) == 0 || label == "utf8" ||
      label == "unicode-1-1-utf-8" || label == "unicode" || label.rfind("ucs-2", 0) == 0)
    return "";
  GIConv probe = g_iconv_open(label.c_str(), "UTF-8");
  if (probe == (GIConv)-1) return "";
  g_iconv_close(probe);
  return label;
}

std::string EncodeFormBody(const std::vector<std::pair<std::string, std::string>>& fields,
                           const std::string& charset) {
  const std::string encoding = FormEncoding(charset);
  GIConv conv = encoding.empty() ? (GIConv)-1 : g_iconv_open(encoding.c_str(), "UTF-8");
  const bool convert = conv != (GIConv)-1;
  static const char* kHex = "0123456789ABCDEF";

  auto encode = [&](const std::string& text) {
    // Line breaks are sent as CR LF.
    std::string normal;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        normal += "\r\n";
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else if (text[i] == '\n') {
        normal += "\r\n";
      } else {
        normal += text[i];
      }
    }
    gchar* valid = g_utf8_make_valid(normal.c_str(), gssize(normal.size()));
    std::string bytes;
    for (const char* p = valid; *p; p = g_utf8_next_char(p)) {
      const char* next = g_utf8_next_char(p);
      if (convert && (unsigned char)*p >= 0x80) {
        gchar in[8];
        size_t inLeft = size_t(next - p);
        memcpy(in, p, inLeft);
        gchar* inPtr = in;
        gchar out[8];
        gchar* outPtr = out;
        size_t outLeft = sizeof out;
        g_iconv(conv, nullptr, nullptr, nullptr, nullptr);
        if (g_iconv(conv, &inPtr, &inLeft, &outPtr, &outLeft) != (size_t)-1) {
          bytes.append(out, size_t(outPtr - out));
        } else {
          // What browsers send for a character the form's encoding lacks.
          bytes += "&#" + std::to_string(g_utf8_get_char(p)) + ";";
        }
      } else {
        bytes.append(p, size_t(next - p));
      }
    }
    g_free(valid);
    std::string out;
    for (unsigned char c : bytes) {
      if (std::isalnum(c) || c == '*' || c == '-' || c == '.' || c == '_') {
        out += char(c);
      } else if (c == ' ') {
        out += '+';
      } else {
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
      }
    }
    return out;
  };

  std::string body;
  for (const auto& [name, value] : fields) {
    if (!body.empty()) body += '&';
    body += encode(name) + "=" + encode(value);
  }
  if (convert) g_iconv_close(conv);
  return body;
}

}  // namespace lumaro::gtk
