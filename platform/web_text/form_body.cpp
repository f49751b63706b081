#include "platform/web_text/form_body.h"

#include <glib.h>

#include <cctype>
#include <cstring>

namespace lumaro::gtkp {

std::string EncodeFormBody(const std::vector<std::pair<std::string, std::string>>& fields,
                           const std::string& charset) {
  gchar* lower = g_ascii_strdown(charset.c_str(), -1);
  const std::string cs = lower;
  g_free(lower);
  const bool gbk = cs == "gbk" || cs == "gb2312" || cs == "gb18030" || cs == "x-gbk" ||
                   cs == "gb_2312-80" || cs == "chinese" || cs == "csgb2312" ||
                   cs == "windows-936" || cs == "cp936" || cs == "iso-ir-58";
  GIConv conv = gbk ? g_iconv_open("GBK", "UTF-8") : (GIConv)-1;
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
      if (gbk && (unsigned char)*p >= 0x80) {
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
  if (conv != (GIConv)-1) g_iconv_close(conv);
  return body;
}

}  // namespace lumaro::gtkp
