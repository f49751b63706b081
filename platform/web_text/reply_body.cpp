#include "platform/web_text/reply_body.h"

#include <algorithm>

namespace lumaro::gtk {

bool AppendCapped(std::string& body, const char* data, size_t size, size_t cap) noexcept {
  if (size > cap - std::min(body.size(), cap)) return false;
  try {
    body.append(data, size);
  } catch (...) {
    return false;
  }
  return true;
}

}  // namespace lumaro::gtk
