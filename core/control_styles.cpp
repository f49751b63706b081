#include "core/control_styles.h"

namespace lumaro {

ControlStyle NamedStyle(const std::string& accessibleName) {
  ControlStyle s;
  s.accessibleName = accessibleName;
  return s;
}

ControlStyle TextStyle(uint32_t color) {
  ControlStyle s;
  s.color = color;
  return s;
}

ControlStyle ClickableStyle(const std::string& purpose) {
  ControlStyle s = NamedStyle(purpose);
  s.handCursor = true;
  s.tabStop = true;
  return s;
}

ControlStyle MenuEntryStyle(uint32_t color) {
  ControlStyle s = ClickableStyle();
  s.color = color;
  return s;
}

ControlStyle UnmarkedSpotStyle(const std::string& purpose) { return NamedStyle(purpose); }

ControlStyle PictureStyle(const std::string& image, bool stretch) {
  ControlStyle s;
  s.image = image;
  s.stretch = stretch;
  return s;
}

ControlStyle PageBrowserStyle() {
  ControlStyle s = NamedStyle("网页");
  s.pageKeys = true;
  return s;
}

ControlStyle UnseenBrowserStyle(const std::string& purpose) {
  ControlStyle s = NamedStyle(purpose);
  s.unseen = true;
  return s;
}

}  // namespace lumaro
