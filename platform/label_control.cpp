#include "platform/label_control.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/spoken_names.h"
#include "platform/click_box.h"
#include "platform/control_painting.h"
#include "platform/twips.h"

namespace lumaro::gtk {

namespace {

constexpr uint32_t kDefaultTextColor = 0x000000;
constexpr uint32_t kDisabledTextColor = 0x808080;
constexpr double kDefaultPointSize = 9;

}  // namespace

LabelControl::LabelControl(std::string name, const Rect& r, std::string text,
                           const ControlStyle& style, std::shared_ptr<WindowState> window)
    : ClickableControl(std::move(name), style, std::move(window)),
      rect_(r),
      text_(std::move(text)) {
  // A windowless event box: transparent, with an input window for clicks.
  GtkWidget* box = NewClickBox(this);
  gtk_widget_set_can_focus(box, style_.tabStop);
  const bool button = style_.handCursor || style_.tabStop;
  AdoptWidget(box, "", button ? ATK_ROLE_PUSH_BUTTON : ATK_ROLE_LABEL);
  atk_object_set_name(gtk_widget_get_accessible(box),
                      LabelSpokenName(text_, style_.accessibleName).c_str());
  signals_.Connect(box, "draw", OnDraw, this);
  TakeClicks(box, /*activates=*/true);
  UpdateSize();
}

void LabelControl::SetText(const std::string& text) {
  text_ = text;
  if (!Live()) return;
  if (style_.accessibleName.empty())
    atk_object_set_name(gtk_widget_get_accessible(widget_),
                        LabelSpokenName(text_, style_.accessibleName).c_str());
  UpdateSize();
  gtk_widget_queue_draw(widget_);
}

void LabelControl::SetEnabled(bool enabled) {
  ClickableControl::SetEnabled(enabled);
  if (Live()) gtk_widget_queue_draw(widget_);
}

PangoLayout* LabelControl::MakeLayout(int* width, int* height) const {
  PangoLayout* layout = gtk_widget_create_pango_layout(widget_, nullptr);
  PangoFontDescription* font = pango_font_description_from_string("Sans");
  pango_font_description_set_size(
      font, int((style_.pointSize > 0 ? style_.pointSize : kDefaultPointSize) * PANGO_SCALE));
  if (style_.bold) pango_font_description_set_weight(font, PANGO_WEIGHT_BOLD);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_text(layout, text_.c_str(), -1);

  const int boxWidth = std::max(1, TwipsToPixels(rect_.width));
  const int boxHeight = std::max(1, TwipsToPixels(rect_.height));
  pango_layout_set_width(layout, boxWidth * PANGO_SCALE);
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  int w = 0, h = 0;
  pango_layout_get_pixel_size(layout, &w, &h);
  // A text wrapped onto more lines than the box shows is kept on one line
  // and may reach past the box, rather than losing its end.
  if (pango_layout_get_line_count(layout) > 1 && h > boxHeight) {
    pango_layout_set_width(layout, -1);
    pango_layout_get_pixel_size(layout, &w, &h);
  }
  *width = w;
  *height = h;
  return layout;
}

void LabelControl::UpdateSize() {
  int w = 0, h = 0;
  g_object_unref(MakeLayout(&w, &h));
  gtk_widget_set_size_request(widget_, std::max(TwipsToPixels(rect_.width), w),
                              std::max(TwipsToPixels(rect_.height), h));
}

gboolean LabelControl::OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
  auto* self = static_cast<LabelControl*>(data);
  DrawFocusFrame(widget, cr);
  if (self->text_.empty()) return FALSE;
  int w = 0, h = 0;
  PangoLayout* layout = self->MakeLayout(&w, &h);
  uint32_t color = self->style_.color == kDefaultColor ? kDefaultTextColor : self->style_.color;
  if (!self->enabled_) color = kDisabledTextColor;
  SetSourceRgb(cr, color);
  cairo_move_to(cr, 0, 0);
  pango_cairo_show_layout(cr, layout);
  g_object_unref(layout);
  return FALSE;
}

}  // namespace lumaro::gtk
