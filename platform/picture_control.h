// Pictures, and panels (picture boxes) that hold other controls.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "core/ui.h"
#include "platform/clickable_control.h"
#include "platform/window_state.h"

namespace lumaro::gtk {

// A picture, or a panel (picture box) that holds other controls. A picture
// is drawn over what lies beneath it and may take clicks and the keyboard
// focus; a panel is opaque (the face colour under its picture) and clips
// what it holds.
class PictureControl : public ClickableControl<IPicture> {
 public:
  PictureControl(std::string name, const Rect& r, const ControlStyle& style, bool panel,
                 std::shared_ptr<WindowState> window);
  // The layout that a panel's children are placed in (nullptr for a picture).
  GtkWidget* ChildLayout() const { return panel_ ? widget_ : nullptr; }
  bool Focusable() const override { return !panel_ && style_.tabStop; }

 private:
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data);
  Rect rect_;
  bool panel_;
};

}  // namespace lumaro::gtk
