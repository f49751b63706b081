#include "platform/web_text/browser_address.h"

#include <cctype>

namespace lumaro::gtk {

std::string BrowserAddress(const std::string& address) {
  size_t begin = address.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  size_t end = address.find_last_not_of(" \t\r\n");
  std::string a = address.substr(begin, end - begin + 1);
  size_t colon = a.find(':');
  bool scheme = colon != std::string::npos && colon > 0 && std::isalpha((unsigned char)a[0]);
  for (size_t i = 0; scheme && i < colon; ++i) {
    char c = a[i];
    if (!std::isalnum((unsigned char)c) && c != '+' && c != '-' && c != '.') scheme = false;
  }
  return scheme ? a : "http://" + a;
}

}  // namespace lumaro::gtk
