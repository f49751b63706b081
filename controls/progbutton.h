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

  // Client size in pixels; setting it redraws.
  void SetSize(int widthPx, int heightPx);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The persistent image of the client area (CAIRO_FORMAT_ARGB32, Width() x
  // Height()); pixels outside the rounded shape are fully transparent.
  cairo_surface_t* Image() const { return image_; }
  // True when the pixel lies inside the control's rounded shape.
  bool InShape(int x, int y) const;

  // Input from the hosting widget, in the order the platform delivers it
  // (press, release, then click).
  void NotifyMouseDown(int16_t button, int16_t shift, float x, float y);
  void NotifyMouseUp(int16_t button, int16_t shift, float x, float y);
  void NotifyMouseMove(int16_t button, int16_t shift, float x, float y);
  void NotifyClick();
  void NotifyDblClick();
  void NotifyKeyDown(int keyCode);  // 13 is Enter
  void NotifyAccessKey();
  void NotifyEnterFocus();
  void NotifyExitFocus();

  // Hooks the host sets: show the new image, give the control the input
  // focus, let pending window messages run.
  std::function<void()> onImageChanged;
  std::function<void()> grabFocus;
  std::function<void()> processPendingMessages;

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
  int width_ = 0, height_ = 0;
  cairo_surface_t* image_ = nullptr;
};

}  // namespace lumaro
