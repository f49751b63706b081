#include "platform/picture_control.h"

#include <algorithm>
#include <utility>

#include "platform/assets.h"
#include "platform/click_box.h"
#include "platform/control_layout.h"
#include "platform/control_painting.h"
#include "platform/twips.h"

namespace lumaro::gtk {

PictureControl::PictureControl(std::string name, const Rect& r, const ControlStyle& style,
                               bool panel, std::shared_ptr<WindowState> window)
    : ClickableControl(std::move(name), style, std::move(window)), rect_(r), panel_(panel) {
  GtkWidget* widget;
  if (panel_) {
    // A panel is opaque and clips what it holds.
    widget = NewControlLayout();
    gtk_layout_set_size(GTK_LAYOUT(widget), std::max(1, TwipsToPixels(r.width)),
                        std::max(1, TwipsToPixels(r.height)));
  } else {
    widget = NewClickBox(this);
    gtk_widget_set_can_focus(widget, style_.tabStop);
  }
  gtk_widget_set_size_request(widget, std::max(0, TwipsToPixels(r.width)),
                              std::max(0, TwipsToPixels(r.height)));
  const bool button = !panel_ && (style_.handCursor || style_.tabStop);
  AdoptWidget(widget, "",
              button ? ATK_ROLE_PUSH_BUTTON : (panel_ ? ATK_ROLE_PANEL : ATK_ROLE_IMAGE));
  signals_.Connect(widget, "draw", OnDraw, this);
  TakeClicks(widget, /*activates=*/!panel_);
}

gboolean PictureControl::OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
  auto* self = static_cast<PictureControl*>(data);
  if (self->panel_) {
    // Painted once, under the children, on the layout's inner window.
    if (!gtk_cairo_should_draw_window(cr, gtk_layout_get_bin_window(GTK_LAYOUT(widget))))
      return FALSE;
    SetSourceRgb(cr, kFaceColor);
    cairo_paint(cr);
  }
  if (!self->style_.image.empty()) {
    const int w = TwipsToPixels(self->rect_.width), h = TwipsToPixels(self->rect_.height);
    if (self->style_.stretch) PaintAsset(cr, widget, self->style_.image, w, h);
    else PaintAsset(cr, widget, self->style_.image);
  }
  if (!self->panel_) {
    DrawFocusFrame(widget, cr);
    return FALSE;
  }
  DrawChildrenInOrder(widget, cr);
  return TRUE;
}

}  // namespace lumaro::gtk
