#include "core/guard_post.h"

#include <cmath>
#include <stdexcept>

#include "core/form_text.h"
#include "core/url_helpers.h"

namespace lumaro {

GuardPost ReadGuardPost(const std::string& postText) {
  GuardPost post;
  post.transtype = GetUrlParam(postText, "transtype=");
  post.types = GetUrlParam(postText, "types=");
  return post;
}

double GuardPostNumber(const std::string& text) {
  double value = 0;
  if (!ReadWholeNumber(text, &value) || !std::isfinite(value))
    throw std::runtime_error("not a number: " + text);
  return value;
}

}  // namespace lumaro
