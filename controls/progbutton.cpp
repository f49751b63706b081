#include "controls/progbutton.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace lumaro {

namespace {

// Rounding to the nearest integer, ties to even (the default FP mode).
double RoundEven(double v) { return std::nearbyint(v); }

// The nine colour schemes, red, green and blue per entry: upper band at
// rest (top, bottom edge), lower band at rest, upper band active, lower band
// active, outline.
struct SchemeColour {
  uint8_t r, g, b;
};
constexpr SchemeColour kSchemes[9][9] = {
    {{248, 246, 242}, {233, 227, 211}, {226, 215, 182}, {239, 233, 215}, {251, 244, 223},
     {239, 213, 133}, {203, 166, 57}, {237, 224, 187}, {204, 168, 62}},
    {{247, 248, 242}, {231, 233, 211}, {222, 226, 182}, {237, 239, 215}, {249, 251, 223},
     {230, 239, 133}, {190, 203, 57}, {233, 237, 187}, {192, 204, 62}},
    {{242, 248, 243}, {211, 233, 213}, {182, 226, 186}, {215, 239, 217}, {223, 251, 225},
     {133, 239, 142}, {57, 203, 70}, {187, 237, 191}, {62, 204, 74}},
    {{242, 248, 247}, {211, 233, 231}, {182, 226, 222}, {215, 239, 237}, {223, 251, 249},
     {133, 239, 230}, {57, 203, 190}, {187, 237, 233}, {62, 204, 192}},
    {{243, 242, 248}, {213, 211, 233}, {186, 182, 226}, {217, 215, 239}, {225, 223, 251},
     {142, 133, 239}, {70, 57, 203}, {191, 187, 237}, {74, 62, 204}},
    {{248, 242, 247}, {233, 211, 231}, {226, 182, 222}, {239, 215, 237}, {251, 223, 249},
     {239, 133, 230}, {203, 57, 190}, {237, 187, 233}, {204, 62, 192}},
    {{248, 242, 242}, {233, 211, 211}, {226, 182, 182}, {239, 215, 215}, {251, 223, 223},
     {239, 133, 133}, {203, 57, 57}, {237, 187, 187}, {204, 62, 62}},
    {{250, 253, 254}, {228, 243, 252}, {199, 230, 249}, {237, 247, 253}, {225, 247, 255},
     {67, 208, 255}, {63, 112, 233}, {63, 226, 246}, {23, 139, 211}},
    {{231, 243, 232}, {225, 219, 225}, {179, 189, 179}, {226, 238, 226}, {223, 251, 223},
     {108, 255, 108}, {26, 228, 26}, {217, 244, 217}, {188, 184, 188}},
};

// An opaque ARGB32 pixel of a 0x00BBGGRR colour.
uint32_t OpaquePixel(uint32_t colour) {
  uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// Device pixels per layout pixel of a surface (its device scale, at least 1).
int DeviceScale(cairo_surface_t* s) {
  double sx = 1, sy = 1;
  cairo_surface_get_device_scale(s, &sx, &sy);
  return std::max(1, static_cast<int>(std::lround(sx)));
}

// `layout` layout pixels in device pixels at `scale`, kept within int.
int DevicePixels(int64_t layout, int scale) {
  return static_cast<int>(std::clamp<int64_t>(layout * scale, std::numeric_limits<int>::min(),
                                              std::numeric_limits<int>::max()));
}

// Direct access to the device pixels of an ARGB32 image surface. The surface
// is flushed on entry and marked dirty on exit, so cairo drawing and direct
// writes can be mixed.
class PixelAccess {
 public:
  explicit PixelAccess(cairo_surface_t* s) : s_(s) {
    if (!s_ || cairo_surface_status(s_) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(s_) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(s_) != CAIRO_FORMAT_ARGB32) {
      s_ = nullptr;
      return;
    }
    cairo_surface_flush(s_);
    data_ = cairo_image_surface_get_data(s_);
    w_ = cairo_image_surface_get_width(s_);
    h_ = cairo_image_surface_get_height(s_);
    stride_ = cairo_image_surface_get_stride(s_);
    scale_ = DeviceScale(s_);
  }
  ~PixelAccess() {
    if (s_) cairo_surface_mark_dirty(s_);
  }
  PixelAccess(const PixelAccess&) = delete;
  PixelAccess& operator=(const PixelAccess&) = delete;

  bool ok() const { return data_ != nullptr; }
  int width() const { return w_; }
  int height() const { return h_; }
  // Device pixels per layout pixel.
  int scale() const { return scale_; }
  uint32_t* row(int y) { return reinterpret_cast<uint32_t*>(data_ + static_cast<ptrdiff_t>(y) * stride_); }

 private:
  cairo_surface_t* s_ = nullptr;
  unsigned char* data_ = nullptr;
  int w_ = 0, h_ = 0, stride_ = 0, scale_ = 1;
};

// Layout of `text` in the control's font, as plain text (no prefix handling).
PangoLayout* NewLayout(cairo_t* cr) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoContext* context = pango_layout_get_context(layout);
  pango_cairo_context_set_resolution(context, 96.0);
  // Whole-pixel metrics keep the measured size, the glyphs and the
  // underline on the pixel grid, the same on every surface.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  pango_layout_context_changed(layout);
  PangoFontDescription* font = pango_font_description_from_string(ProgButton::kFontDescription);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  return layout;
}

// Logical size of the text in pixels, unrounded.
void MeasureText(const std::string& text, double* width, double* height) {
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* cr = cairo_create(scratch);
  PangoLayout* layout = NewLayout(cr);
  pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  int w = 0, h = 0;
  pango_layout_get_size(layout, &w, &h);
  *width = static_cast<double>(w) / PANGO_SCALE;
  *height = static_cast<double>(h) / PANGO_SCALE;
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(scratch);
}

// Length in bytes of the UTF-8 character starting at s[i] (1 for a stray byte).
size_t Utf8CharLength(const std::string& s, size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
  return std::min(n, s.size() - i);
}

// Prefix processing: "&x" shows x underlined, "&&" shows "&", a final lone
// "&" shows nothing. Returns the shown text and the underlined byte ranges.
std::string StripPrefixes(const std::string& text, std::vector<std::pair<size_t, size_t>>* underlined) {
  std::string shown;
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '&') {
      shown += text[i++];
      continue;
    }
    if (i + 1 >= text.size()) break;
    if (text[i + 1] == '&') {
      shown += '&';
      i += 2;
      continue;
    }
    size_t n = Utf8CharLength(text, i + 1);
    underlined->emplace_back(shown.size(), shown.size() + n);
    shown.append(text, i + 1, n);
    i += 1 + n;
  }
  return shown;
}

// Calls a hook or event from a copy, so a handler that destroys the control
// does not destroy the function while it runs.
template <typename F, typename... Args>
void Raise(const F& handler, Args&... args) {
  if (!handler) return;
  F copy = handler;
  copy(args...);
}

}  // namespace

std::string TwoDecimals(double value) {
  if (!std::isfinite(value)) return std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf";
  // The decimal value as the system writes a double: 15 significant digits,
  // d.dddddddddddddde[+-]x.
  char scientific[40];
  std::snprintf(scientific, sizeof scientific, "%.14e", std::fabs(value));
  std::string digits(1, scientific[0]);
  digits.append(scientific + 2, 14);
  const int exponent = std::atoi(std::strchr(scientific, 'e') + 1);
  // Hundredths: the digits before the decimal point of |value| x 100 (zeros
  // past the 15th), then the next digit decides, a 5 rounding away from zero.
  const int whole = exponent + 3;
  std::string hundredths;
  for (int i = 0; i < whole; ++i)
    hundredths += i < static_cast<int>(digits.size()) ? digits[i] : '0';
  if (whole >= 0 && whole < static_cast<int>(digits.size()) && digits[whole] >= '5') {
    int i = static_cast<int>(hundredths.size()) - 1;
    for (; i >= 0 && hundredths[i] == '9'; --i) hundredths[i] = '0';
    if (i >= 0)
      ++hundredths[i];
    else
      hundredths.insert(hundredths.begin(), '1');
  }
  if (hundredths.size() < 3) hundredths.insert(0, 3 - hundredths.size(), '0');
  hundredths.insert(hundredths.size() - 2, 1, '.');
  return (value < 0 ? "-" : "") + hundredths;
}

namespace {

int32_t ParseInt(const std::optional<std::string>& s, int32_t fallback) {
  if (!s) return fallback;
  int32_t v = 0;
  const char* b = s->data();
  const char* e = b + s->size();
  while (b < e && *b == ' ') ++b;
  if (b < e && *b == '+') ++b;
  while (e > b && e[-1] == ' ') --e;
  auto [p, ec] = std::from_chars(b, e, v);
  if (ec != std::errc() || p == b || p != e) return fallback;
  return v;
}

}  // namespace

// ---------------------------------------------------------------- PropertyBag

std::optional<std::string> PropertyBag::Get(const std::string& name) const {
  for (const auto& [k, v] : items_)
    if (k == name) return v;
  return std::nullopt;
}

void PropertyBag::Set(const std::string& name, const std::string& value) {
  for (auto& [k, v] : items_) {
    if (k == name) {
      v = value;
      return;
    }
  }
  items_.emplace_back(name, value);
}

void PropertyBag::Erase(const std::string& name) {
  std::erase_if(items_, [&](const auto& kv) { return kv.first == name; });
}

// ---------------------------------------------------------------- ProgButton

ProgButton::ProgButton() : image_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0)) {}

ProgButton::~ProgButton() {
  if (image_) cairo_surface_destroy(image_);
}

void ProgButton::SetValue(int32_t v) {
  if (v > max_) v = max_;
  if (v < min_) v = min_;
  value_ = v;
  Redraw();
}

void ProgButton::SetMin(int32_t v) {
  min_ = v;
  Redraw();
}

void ProgButton::SetMax(int32_t v) {
  max_ = v;
  Redraw();
}

void ProgButton::SetCaption(const std::string& caption) {
  size_t amp = caption.rfind('&');
  if (amp != std::string::npos) {
    accessKey_ = amp + 1 < caption.size() ? caption.substr(amp + 1, Utf8CharLength(caption, amp + 1))
                                          : std::string();
  }
  caption_ = caption;
  Redraw();
}

void ProgButton::SetStyle(int32_t v) {
  style_ = v;
  Redraw();
}

void ProgButton::SetColor(int32_t v) {
  color_ = v;
  Redraw();
}

void ProgButton::ReadProperties(const PropertyBag& bag) {
  value_ = ParseInt(bag.Get("Value"), 0);
  min_ = ParseInt(bag.Get("MyMin"), 0);
  max_ = ParseInt(bag.Get("MyMax"), 100);
  caption_ = bag.Get("MyCaption").value_or("Command");
  style_ = ParseInt(bag.Get("MyType"), 0);
  color_ = ParseInt(bag.Get("MyStyle"), 1);
  Redraw();
}

void ProgButton::WriteProperties(PropertyBag& bag) const {
  auto write = [&](const char* name, int32_t v, int32_t def) {
    if (v == def)
      bag.Erase(name);
    else
      bag.Set(name, std::to_string(v));
  };
  write("Value", value_, 0);
  write("MyMin", min_, 0);
  write("MyMax", max_, 100);
  if (caption_ == "Command")
    bag.Erase("MyCaption");
  else
    bag.Set("MyCaption", caption_);
  write("MyType", style_, 0);
  write("MyStyle", color_, 1);
}

void ProgButton::SetSize(int widthPx, int heightPx) {
  width_ = std::max(0, widthPx);
  height_ = std::max(0, heightPx);
  Redraw();
}

void ProgButton::SetScale(int scale) {
  scale = std::clamp(scale, 1, kMaxScale);
  if (scale == scale_) return;
  scale_ = scale;
  Redraw();
}

void ProgButton::LoadPalette(int32_t scheme) {
  if (scheme < 1 || scheme > 9) return;
  for (int i = 0; i < 9; ++i) {
    const SchemeColour& c = kSchemes[scheme - 1][i];
    palette_[i] = PackBBGGRR(c.r, c.g, c.b);
  }
}

// A rounded box over the layout pixels [left, right) x [top, bottom) with the
// control's corner ellipse. As with GDI's small ellipses, the corner arc runs
// through the centres of the box's outermost layout pixels: for the 5 x 5
// ellipse at scale 1 the first row loses two pixels at each end and the
// second row one. At a larger scale the same arc is followed at the device
// pixels' resolution: a device pixel belongs to the box when its centre lies
// inside the arc's span on its row. Each row of the box is one run of device
// pixels; false when the row is outside the box.
bool ProgButton::RowSpan(int32_t left, int32_t top, int32_t right, int32_t bottom, int scale, int y,
                         int* x0, int* x1) {
  *x0 = *x1 = 0;
  const int64_t s = scale;
  if (right <= left || y < int64_t{top} * s || y >= int64_t{bottom} * s) return false;
  const int64_t e = std::min<int64_t>(
      {kCornerSize, int64_t{right} - left, int64_t{bottom} - top});
  int64_t inset = 0;
  if (e >= 2) {
    // Arc centre (from the box's edge) and radius in device pixels.
    const double c = (e - 1) / 2.0;
    const double centre = s * (c + 0.5), radius = s * c;
    // Distance of the row's centre from the nearer of the box's top and bottom.
    const double row = std::min(y - int64_t{top} * s, int64_t{bottom} * s - 1 - y) + 0.5;
    if (row < centre) {
      const double dy = centre - row;
      const double half = dy < radius ? std::sqrt(radius * radius - dy * dy) : 0.0;
      inset = static_cast<int64_t>(std::ceil(centre - half - 0.5 - 1e-9));
    }
  }
  *x0 = DevicePixels(left, scale) + static_cast<int>(inset);
  *x1 = DevicePixels(right, scale) - static_cast<int>(inset);
  return *x1 > *x0;
}

// The window shape is the region GDI makes of (0, 0, W, H): the box loses the
// last column and row, so the outline at (0, 0)-(W-1, H-1) is its rim.
bool ProgButton::InShape(int x, int y) const {
  int x0, x1;
  return RowSpan(0, 0, shapeWidth_ - 1, shapeHeight_ - 1, 1, y, &x0, &x1) && x >= x0 && x < x1;
}

void ProgButton::ApplyShape() {
  PixelAccess px(image_);
  if (!px.ok()) return;
  for (int y = 0; y < px.height(); ++y) {
    int x0, x1;
    if (!RowSpan(0, 0, shapeWidth_ - 1, shapeHeight_ - 1, px.scale(), y, &x0, &x1))
      x0 = x1 = px.width();
    uint32_t* row = px.row(y);
    std::fill(row, row + std::clamp(x0, 0, px.width()), 0u);
    std::fill(row + std::clamp(x1, 0, px.width()), row + px.width(), 0u);
  }
}

void ProgButton::DrawColor(cairo_surface_t* target, int32_t left, int32_t top, int32_t right,
                           int32_t bottom, uint32_t colour1, uint32_t colour2) {
  PixelAccess px(target ? target : image_);
  if (!px.ok() || right <= left || bottom <= top) return;
  // Channels in 16 bits (byte * 256), blended per device row, shown as
  // bytes. Every layout row's first device row has the colour that row has
  // at scale 1; the rows between continue the blend.
  const int64_t s = px.scale();
  const int64_t first = top * s;
  const int64_t span = (static_cast<int64_t>(bottom) - top) * s;
  const int x0 = static_cast<int>(std::max<int64_t>(left * s, 0));
  const int x1 = static_cast<int>(std::min<int64_t>(right * s, px.width()));
  const int y0 = static_cast<int>(std::max<int64_t>(first, 0));
  const int y1 = static_cast<int>(std::min<int64_t>(bottom * s, px.height()));
  for (int y = y0; y < y1; ++y) {
    uint32_t rowColour = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      int64_t a = static_cast<int64_t>((colour1 >> shift) & 0xFF) * 256;
      int64_t b = static_cast<int64_t>((colour2 >> shift) & 0xFF) * 256;
      int64_t v = a + (b - a) * (y - first) / span;
      rowColour |= static_cast<uint32_t>(v >> 8) << shift;
    }
    uint32_t pixel = OpaquePixel(rowColour);
    uint32_t* row = px.row(y);
    for (int x = x0; x < x1; ++x) row[x] = pixel;
  }
}

// RoundRect (0, 0)-(right, bottom), a pen one layout pixel wide in palette 8,
// hollow: the rim of the rounded box over columns 0..right-1 and rows
// 0..bottom-1, as thick as the scale in device pixels.
void ProgButton::DrawOutline() {
  PixelAccess px(image_);
  if (!px.ok()) return;
  const uint32_t pen = OpaquePixel(palette_[8]);
  const int s = px.scale();
  struct Span {
    int x0 = 0, x1 = 0;
    bool Has(int x) const { return x >= x0 && x < x1; }
  };
  const int rows = std::min(DevicePixels(bottom_, s), px.height());
  if (rows <= 0) return;
  // The box's runs for rows -s .. rows+s-1 (outside the box: empty).
  std::vector<Span> spans(static_cast<size_t>(rows) + 2 * s);
  for (int y = -s; y < rows + s; ++y) {
    Span& r = spans[static_cast<size_t>(y + s)];
    RowSpan(0, 0, right_, bottom_, s, y, &r.x0, &r.x1);
  }
  auto span = [&](int y) -> const Span& { return spans[static_cast<size_t>(y + s)]; };
  // A device pixel of the box is on the rim when a pixel at most `s` steps
  // away along its row or column lies outside the box.
  for (int y = 0; y < rows; ++y) {
    const Span& here = span(y);
    uint32_t* row = px.row(y);
    for (int x = std::max(here.x0, 0); x < std::min(here.x1, px.width()); ++x) {
      bool rim = x < here.x0 + s || x >= here.x1 - s;
      for (int k = 1; k <= s && !rim; ++k) rim = !span(y - k).Has(x) || !span(y + k).Has(x);
      if (rim) row[x] = pen;
    }
  }
}

// DrawFocusRect: a dotted frame just inside the rectangle, every other
// layout pixel inverted, so that drawing it twice restores the face.
void ProgButton::DrawFocusRect(const PixelRect& r) {
  PixelAccess px(image_);
  if (!px.ok() || r.right <= r.left || r.bottom <= r.top) return;
  const int s = px.scale();
  auto flip = [&](int x, int y) {
    if ((x + y) & 1) return;
    for (int64_t dy = int64_t{y} * s; dy < (int64_t{y} + 1) * s; ++dy) {
      if (dy < 0 || dy >= px.height()) continue;
      uint32_t* row = px.row(static_cast<int>(dy));
      for (int64_t dx = int64_t{x} * s; dx < (int64_t{x} + 1) * s; ++dx)
        if (dx >= 0 && dx < px.width()) row[dx] ^= 0x00FFFFFFu;
    }
  };
  const int l = r.left, t = r.top, rr = r.right - 1, b = r.bottom - 1;
  for (int x = l; x <= rr; ++x) {
    flip(x, t);
    if (b != t) flip(x, b);
  }
  for (int y = t + 1; y < b; ++y) {
    flip(l, y);
    if (rr != l) flip(rr, y);
  }
}

int32_t ProgButton::GetFontWidth(const std::string& text) const {
  double w = 0, h = 0;
  MeasureText(text, &w, &h);
  return static_cast<int32_t>(RoundEven(w));
}

int32_t ProgButton::GetFontHeight(const std::string& text) const {
  double w = 0, h = 0;
  MeasureText(text, &w, &h);
  return static_cast<int32_t>(RoundEven(h));
}

void ProgButton::DrawTextR(const std::string& text) {
  drawnText_ = text;
  const int32_t tw = GetFontWidth(text), th = GetFontHeight(text);
  textRect_.left = static_cast<int32_t>(RoundEven(right_ / 2.0 - tw / 2.0));
  textRect_.top = static_cast<int32_t>(RoundEven(bottom_ / 2.0 - th / 2.0));
  textRect_.right = textRect_.left + tw;
  textRect_.bottom = textRect_.top + th;
  if (!image_ || width_ <= 0 || height_ <= 0) return;

  std::vector<std::pair<size_t, size_t>> underlined;
  const std::string shown = StripPrefixes(text, &underlined);

  cairo_t* cr = cairo_create(image_);
  // Top-left in the text rectangle and clipped to it.
  cairo_rectangle(cr, textRect_.left, textRect_.top, tw, th);
  cairo_clip(cr);
  PangoLayout* layout = NewLayout(cr);
  pango_layout_set_text(layout, shown.data(), static_cast<int>(shown.size()));
  cairo_set_source_rgb(cr, (kTextColour & 0xFF) / 255.0, ((kTextColour >> 8) & 0xFF) / 255.0,
                       ((kTextColour >> 16) & 0xFF) / 255.0);
  cairo_move_to(cr, textRect_.left, textRect_.top);
  pango_cairo_show_layout(cr, layout);
  // The font's own underline is thinner than a pixel at this size and would
  // come out grey; the prefix underline is a solid line on the device pixel
  // grid, under the character's advance, at the font's underline position.
  if (!underlined.empty()) {
    const double s = scale_;
    PangoFontMetrics* metrics = pango_context_get_metrics(
        pango_layout_get_context(layout), pango_layout_get_font_description(layout), nullptr);
    const double below = static_cast<double>(pango_layout_get_baseline(layout) -
                                             pango_font_metrics_get_underline_position(metrics)) /
                         PANGO_SCALE;
    const double thick =
        std::max(1.0, RoundEven(s * pango_font_metrics_get_underline_thickness(metrics) / PANGO_SCALE)) / s;
    pango_font_metrics_unref(metrics);
    for (const auto& range : underlined) {
      PangoRectangle pos;
      pango_layout_index_to_pos(layout, static_cast<int>(range.first), &pos);
      const double x0 = RoundEven(s * std::min(pos.x, pos.x + pos.width) / PANGO_SCALE) / s;
      const double x1 = RoundEven(s * std::max(pos.x, pos.x + pos.width) / PANGO_SCALE) / s;
      cairo_rectangle(cr, textRect_.left + x0, textRect_.top + std::floor(s * below) / s, x1 - x0, thick);
    }
    cairo_fill(cr);
  }
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_flush(image_);
}

void ProgButton::Redraw() {
  // A cleared image of the client size, at the scale.
  const int pixelWidth = DevicePixels(width_, scale_), pixelHeight = DevicePixels(height_, scale_);
  if (!image_ || cairo_image_surface_get_width(image_) != pixelWidth ||
      cairo_image_surface_get_height(image_) != pixelHeight || DeviceScale(image_) != scale_) {
    if (image_) cairo_surface_destroy(image_);
    image_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelWidth, pixelHeight);
    cairo_surface_set_device_scale(image_, scale_, scale_);
  } else {
    PixelAccess px(image_);
    for (int y = 0; px.ok() && y < px.height(); ++y) std::fill_n(px.row(y), px.width(), 0u);
  }
  // The window's shape follows the client size.
  shapeWidth_ = width_;
  shapeHeight_ = height_;
  right_ = width_ - 1;
  bottom_ = height_ - 1;
  LoadPalette(color_);
  const int32_t half = static_cast<int32_t>(RoundEven(height_ / 2.0));
  // Resting bands, in both styles.
  DrawColor(image_, 0, 0, width_, half, palette_[0], palette_[1]);
  DrawColor(image_, 0, half, width_, height_, palette_[2], palette_[3]);

  if (style_ == 0) {
    // Progress bar. An empty range would divide by zero: it shows 0%.
    // Differences are taken in 64 bits, and the rounded percentage saturates
    // at the 16-bit limits, so a Value left outside the range by a later
    // Min or Max cannot overflow.
    const int64_t range = static_cast<int64_t>(max_) - min_;
    const double p = range == 0 ? 0.0 : 100.0 * static_cast<double>(static_cast<int64_t>(value_) - min_) /
                                             static_cast<double>(range);
    const double pr = std::clamp(RoundEven(p), static_cast<double>(std::numeric_limits<int16_t>::min()),
                                 static_cast<double>(std::numeric_limits<int16_t>::max()));
    const int64_t product = static_cast<int64_t>(pr) * right_;
    fillWidth_ = static_cast<int32_t>(RoundEven(static_cast<double>(product) / 100.0));
    DrawColor(image_, 0, 0, fillWidth_, half, palette_[4], palette_[5]);
    DrawColor(image_, 0, half, fillWidth_, height_, palette_[6], palette_[7]);
    DrawOutline();
    DrawTextR(TwoDecimals(p) + "%");
  } else {
    // Button: the active bands while pressed.
    if (pressed_) {
      DrawColor(image_, 0, 0, right_, half, palette_[4], palette_[5]);
      DrawColor(image_, 0, half, right_, height_, palette_[6], palette_[7]);
    }
    DrawOutline();
    DrawTextR(caption_);
    if (hasFocus_) DrawFocusRect(focusRect_);
  }
  ApplyShape();
  Raise(onImageChanged);
}

// ---------------------------------------------------------------- input
//
// A form's handler may close the window and so destroy this control: nothing
// touches the control once `alive` has expired.

void ProgButton::NotifyMouseDown(int16_t button, int16_t shift, float x, float y) {
  std::weak_ptr<bool> alive = alive_;
  Raise(processPendingMessages);
  if (alive.expired()) return;
  Raise(onMouseDown, button, shift, x, y);
  if (alive.expired()) return;
  pressed_ = true;
  Redraw();
}

void ProgButton::NotifyMouseMove(int16_t button, int16_t shift, float x, float y) {
  std::weak_ptr<bool> alive = alive_;
  Raise(processPendingMessages);
  if (alive.expired()) return;
  Raise(onMouseMove, button, shift, x, y);
}

void ProgButton::NotifyMouseUp(int16_t button, int16_t shift, float x, float y) {
  std::weak_ptr<bool> alive = alive_;
  Raise(processPendingMessages);
  if (alive.expired()) return;
  Raise(onMouseUp, button, shift, x, y);
  if (alive.expired()) return;
  pressed_ = false;
  Redraw();
}

void ProgButton::NotifyClick() {
  std::weak_ptr<bool> alive = alive_;
  Raise(onClick);
  if (alive.expired()) return;
  Redraw();
}

void ProgButton::NotifyDblClick() {
  std::weak_ptr<bool> alive = alive_;
  Raise(onDblClick);
  if (alive.expired()) return;
  Redraw();
}

void ProgButton::NotifyKeyDown(int keyCode) {
  if (keyCode != 13 || style_ != 1) return;
  std::weak_ptr<bool> alive = alive_;
  Raise(onClick);
  if (alive.expired()) return;
  Raise(grabFocus);
}

void ProgButton::NotifyAccessKey() {
  if (style_ == 1) Raise(onClick);
}

void ProgButton::NotifyEnterFocus() {
  focusRect_ = {3, 3, right_ - 3, bottom_ - 3};
  hasFocus_ = true;
  Redraw();
}

void ProgButton::NotifyExitFocus() {
  hasFocus_ = false;
  Redraw();
}

}  // namespace lumaro
