// Labels: text drawn in the window's layout, which may take clicks and the
// keyboard focus.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "core/ui.h"
#include "platform/clickable_control.h"
#include "platform/window_state.h"

namespace lumaro::gtk {

// A label: its text drawn in Sans at the style's size and colour (grey while
// disabled). It takes the keyboard focus when it is a tab stop, and it is a
// push button to assistive tools when it has the hand cursor, a tab stop or
// a click handler.
class LabelControl : public ClickableControl<ILabel> {
 public:
  LabelControl(std::string name, const Rect& r, std::string text, const ControlStyle& style,
               std::shared_ptr<WindowState> window);
  void SetText(const std::string& text) override;
  std::string Text() const override { return text_; }
  void SetEnabled(bool enabled) override;
  bool Focusable() const override { return style_.tabStop; }

 private:
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data);
  // The text's layout, wrapped at the control's width when its height holds
  // the wrapped lines, else on one line; `width` and `height` get its size.
  PangoLayout* MakeLayout(int* width, int* height) const;
  void UpdateSize();

  Rect rect_;
  std::string text_;
};

}  // namespace lumaro::gtk
