#include "platform/web_text/download_name.h"

#include <glib.h>

namespace lumaro::gtk {

namespace {

bool IsBidiControl(gunichar c) {
  return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
         c == 0x200F || c == 0x061C;
}

}  // namespace

std::string SafeFileName(const std::string& suggested) {
  // Folder parts go, whichever separator a server uses.
  std::string last = suggested;
  const size_t slash = last.find_last_of("/\\");
  if (slash != std::string::npos) last.erase(0, slash + 1);
  gchar* valid = g_utf8_make_valid(last.data(), gssize(last.size()));
  std::string name;
  for (const char* p = valid; *p; p = g_utf8_next_char(p)) {
    const gunichar c = g_utf8_get_char(p);
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || IsBidiControl(c)) continue;
    name.append(p, size_t(g_utf8_next_char(p) - p));
  }
  g_free(valid);
  size_t dots = 0;
  while (dots < name.size() && (name[dots] == '.' || name[dots] == ' ')) ++dots;
  name.erase(0, dots);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  if (name.empty()) name = "download";
  return name;
}

}  // namespace lumaro::gtk
