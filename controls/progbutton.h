// ProgButton: the program's own drawn push button and progress bar.
// The model keeps the properties and renders the face into an image; the
// platform's widget shows that image and feeds mouse, key and focus input in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

typedef struct _cairo_surface cairo_surface_t;

namespace lumaro {

class ProgButton {
 public:
  ProgButton();
  ~ProgButton();
  ProgButton(const ProgButton&) = delete;
  ProgButton& operator=(const ProgButton&) = delete;

  // Properties.
  int32_t Value() const { return value_; }
  void SetValue(int32_t v);
  int32_t Min() const { return min_; }
  void SetMin(int32_t v);
  int32_t Max() const { return max_; }
  void SetMax(int32_t v);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  int32_t Style() const { return style_; }
  void SetStyle(int32_t v);
  int32_t Color() const { return color_; }
  void SetColor(int32_t v);
  // The character after the last "&" of a caption ("" when none).
  const std::string& AccessKey() const { return accessKey_; }

  // Events raised to the form.
  std::function<void()> onClick;
  std::function<void()> onDblClick;
  std::function<void(int16_t& button, int16_t& shift, float& x, float& y)> onMouseDown;
  std::function<void(int16_t& button, int16_t& shift, float& x, float& y)> onMouseUp;
  std::function<void(int16_t& button, int16_t& shift, float& x, float& y)> onMouseMove;

 private:
  int32_t value_ = 0, min_ = 0, max_ = 100, style_ = 0, color_ = 1;
  std::string caption_;
  std::string accessKey_;
};

}  // namespace lumaro
