#include "platform/web_text/js_string.h"

#include <glib.h>

namespace lumaro::gtk {

std::string JsString(const std::string& text) {
  std::string out = "\"";
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    gunichar c = *p == '\0' ? 0 : g_utf8_get_char_validated(p, gssize(end - p));
    size_t length;
    if (*p == '\0') {
      length = 1;
    } else if (c == gunichar(-1) || c == gunichar(-2)) {
      c = 0xFFFD;  // not UTF-8: one byte goes
      length = 1;
    } else {
      length = size_t(g_utf8_next_char(p) - p);
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x2028 || c == 0x2029 || c == 0xFFFD) {
          char buffer[8];
          g_snprintf(buffer, sizeof buffer, "\\u%04x", unsigned(c));
          out += buffer;
        } else {
          out.append(p, length);
        }
    }
    p += length;
  }
  return out + "\"";
}

}  // namespace lumaro::gtk
