// ProgButton: the program's own drawn push button and progress bar.
// The model keeps the properties and renders the face into an image; the
// platform's widget shows that image and feeds mouse, key and focus input in.
//
// Geometry is in layout pixels. On a display that shows each layout pixel as
// a block of device pixels (scale 2 and up) the image holds that many more
// pixels and the face is drawn at that resolution: text, outline and corners
// come out sharp instead of enlarged.
//
// Everything here is plain cairo/pango on an image surface, so the control
// renders (and is tested) without a display.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

namespace lumaro {

// Red, green and blue packed as 0x00BBGGRR: red in the lowest byte, as the
// control's palette and drawing helpers take colours. (The windows' other
// controls take 0xRRGGBB: see PackRRGGBB in core/ui.h.)
constexpr uint32_t PackBBGGRR(uint32_t r, uint32_t g, uint32_t b) {
  return r | (g << 8) | (b << 16);
}

// `value` with exactly two decimals, as the pattern "0.00" writes it: the
// decimal value a double shows (15 significant digits), rounded half away
// from zero, so 0.125 gives "0.13" and 0.145 (a binary value a little
// below it) "0.15". A negative value that rounds to zero keeps its sign.
std::string TwoDecimals(double value);

// Stored form data of a control: named values kept in the order written.
class PropertyBag {
 public:
  std::optional<std::string> Get(const std::string& name) const;
  // Adds the value, or replaces it in place when the name is present.
  void Set(const std::string& name, const std::string& value);
  void Erase(const std::string& name);
  bool Has(const std::string& name) const { return Get(name).has_value(); }
  const std::vector<std::pair<std::string, std::string>>& Items() const { return items_; }

 private:
  std::vector<std::pair<std::string, std::string>> items_;
};

// A pixel rectangle; right and bottom are exclusive, as in the classic GDI
// calls this control's drawing follows.
struct PixelRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const PixelRect&) const = default;
};

class ProgButton {
 public:
  // Corner ellipse (width and height) of the shape and of the outline.
  static constexpr int16_t kCornerSize = 5;
  // The face's text font (pango description, 96 dots per inch).
  static constexpr const char* kFontDescription = "Sans 9";
  static constexpr uint32_t kTextColour = 0x000000;

  ProgButton();
  ~ProgButton();
  ProgButton(const ProgButton&) = delete;
  ProgButton& operator=(const ProgButton&) = delete;

  // Properties. Setting any of them redraws.
  int32_t Value() const { return value_; }
  // Lowered to Max, then raised to Min.
  void SetValue(int32_t v);
  int32_t Min() const { return min_; }
  void SetMin(int32_t v);  // Value is not re-clamped
  int32_t Max() const { return max_; }
  void SetMax(int32_t v);  // Value is not re-clamped
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // 0 progress bar, otherwise a push button (keyboard activation needs 1).
  int32_t Style() const { return style_; }
  void SetStyle(int32_t v);
  // Colour scheme 1..9; any other number keeps the palette of the last redraw.
  int32_t Color() const { return color_; }
  void SetColor(int32_t v);
  // The character after the last "&" of a caption ("" when none).
  const std::string& AccessKey() const { return accessKey_; }

  // Form data under the names "Value", "MyMin", "MyMax", "MyCaption",
  // "MyType" (Style) and "MyStyle" (Color). Reading stores the values as
  // they are (no clamping, no access-key update) and redraws; writing leaves
  // out every value equal to its default (0, 0, 100, "Command", 0, 1).
  void ReadProperties(const PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;

  // Client size in layout pixels; setting it redraws.
  void SetSize(int widthPx, int heightPx);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Device pixels per layout pixel along each axis (1 to kMaxScale; other
  // numbers are brought into that range); a new scale redraws.
  static constexpr int kMaxScale = 8;
  void SetScale(int scale);
  int Scale() const { return scale_; }
  // The persistent image of the client area: CAIRO_FORMAT_ARGB32, Width() x
  // Height() layout pixels held as Scale() times as many device pixels each
  // way (its device scale is Scale()). Pixels outside the rounded shape are
  // fully transparent. A new size or scale makes a new surface: take it again
  // after onImageChanged.
  cairo_surface_t* Image() const { return image_; }
  // True when the layout pixel lies inside the control's rounded shape. Like
  // a GDI round-rect region made from (0, 0, Width(), Height()), the shape
  // spans columns 0..Width()-2 and rows 0..Height()-2, so the outline is its
  // rim.
  bool InShape(int x, int y) const;

  // The complete repaint; the host calls it on paint, everything else that
  // changes the face calls it itself. onImageChanged runs after it.
  void Redraw();

  // Drawing helpers, used by Redraw and callable from outside. `target` is
  // an ARGB32 image surface; nullptr means this control's image.
  // One vertical gradient over (left, top, right, bottom), in layout pixels
  // of the target (its device scale tells how many device pixels each is):
  // colour1 on row `top`, blending towards colour2, which lies on row
  // `bottom` (not painted). Colours are 0x00BBGGRR.
  void DrawColor(cairo_surface_t* target, int32_t left, int32_t top, int32_t right,
                 int32_t bottom, uint32_t colour1, uint32_t colour2);
  // Draws the text centred on the control (as of the last redraw), in black;
  // "&" underlines the next character and "&&" shows one "&".
  void DrawTextR(const std::string& text);
  // Size of the text as passed ("&" included) in the control's font, in
  // whole pixels (rounded, ties to even).
  int32_t GetFontWidth(const std::string& text) const;
  int32_t GetFontHeight(const std::string& text) const;
  // Copies colour scheme 1..9 into the palette; other numbers do nothing.
  void LoadPalette(int32_t scheme);

  // State of the last redraw and of the input, for the host and for tests.
  uint32_t PaletteEntry(int index) const { return palette_[index]; }
  bool Pressed() const { return pressed_; }
  bool HasFocus() const { return hasFocus_; }
  int32_t FillWidth() const { return fillWidth_; }
  const PixelRect& TextRect() const { return textRect_; }
  // The text of the last DrawTextR, as passed.
  const std::string& DrawnText() const { return drawnText_; }
  const PixelRect& FocusRect() const { return focusRect_; }

  // Input from the hosting widget, in the order the platform delivers it
  // (press, release, then click). Handlers may destroy the control; nothing
  // touches it after that.
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
  void ApplyShape();
  // The run of device pixels [x0, x1) that row y (in device pixels) of the
  // rounded box over the layout pixels [left, right) x [top, bottom) covers
  // at `scale`; false when the row is outside the box.
  static bool RowSpan(int32_t left, int32_t top, int32_t right, int32_t bottom, int scale, int y,
                      int* x0, int* x1);
  void DrawOutline();
  void DrawFocusRect(const PixelRect& r);

  int32_t value_ = 0, min_ = 0, max_ = 100, style_ = 0, color_ = 1;
  std::string caption_;
  std::string accessKey_;
  int width_ = 0, height_ = 0;
  int scale_ = 1;
  cairo_surface_t* image_ = nullptr;

  uint32_t palette_[9] = {};
  int32_t right_ = 0, bottom_ = 0;
  int32_t fillWidth_ = 0;
  bool pressed_ = false, hasFocus_ = false;
  PixelRect focusRect_;
  PixelRect textRect_;
  std::string drawnText_;
  // Shape of the last redraw (the client size it was made for).
  int shapeWidth_ = 0, shapeHeight_ = 0;
  // Expires with the control, so that input handlers notice an event
  // handler that destroyed it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace lumaro
