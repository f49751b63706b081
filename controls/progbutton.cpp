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

namespace lumaro {
void ProgButton::SetSize(int w, int h) { width_ = w; height_ = h; }
bool ProgButton::InShape(int, int) const { return true; }
void ProgButton::NotifyMouseDown(int16_t, int16_t, float, float) {}
void ProgButton::NotifyMouseUp(int16_t, int16_t, float, float) {}
void ProgButton::NotifyMouseMove(int16_t, int16_t, float, float) {}
void ProgButton::NotifyClick() { if (onClick) onClick(); }
void ProgButton::NotifyDblClick() {}
void ProgButton::NotifyKeyDown(int) {}
void ProgButton::NotifyAccessKey() {}
void ProgButton::NotifyEnterFocus() {}
void ProgButton::NotifyExitFocus() {}
}  // namespace lumaro
