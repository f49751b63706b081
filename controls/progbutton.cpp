#include "controls/progbutton.h"

namespace lumaro {

ProgButton::ProgButton() = default;
ProgButton::~ProgButton() = default;

void ProgButton::SetValue(int32_t v) {
  if (v > max_) v = max_;
  if (v < min_) v = min_;
  value_ = v;
}
void ProgButton::SetMin(int32_t v) { min_ = v; }
void ProgButton::SetMax(int32_t v) { max_ = v; }
void ProgButton::SetCaption(const std::string& caption) { caption_ = caption; }
void ProgButton::SetStyle(int32_t v) { style_ = v; }
void ProgButton::SetColor(int32_t v) { color_ = v; }

}  // namespace lumaro
