#include "core/spoken_names.h"

namespace lumaro {

std::string LabelSpokenName(const std::string& caption, const std::string& given) {
  if (!given.empty()) return given;
  std::string out;
  bool blank = false;
  for (char c : caption) {
    if (c == ' ') {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

std::string FieldSpokenName(const std::string& control, const std::string& given) {
  return given.empty() ? control : given;
}

std::string DrawnButtonSpokenName(const std::string& control, const std::string& caption,
                                  const std::string& given) {
  const std::string shown = WithoutAccessKeyMarks(caption);
  if (!shown.empty()) return shown;
  return FieldSpokenName(control, given);
}

std::string WithoutAccessKeyMarks(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size())
      ++i;
    else if (caption[i] == '&')
      continue;
    out += caption[i];
  }
  return out;
}

}  // namespace lumaro
