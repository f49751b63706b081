// What the controls that take clicks (labels and pictures) have in common:
// left clicks, the click box's keyboard and assistive-tool clicks, and the
// hand cursor.
#pragma once

#include <gtk/gtk.h>

#include "platform/click_box.h"
#include "platform/click_source.h"
#include "platform/control_base.h"
#include "platform/control_cursor.h"
#include "platform/shutting_down.h"

namespace lumaro::gtk {

// A control that raises onClick for the clicks on its widget.
template <class Interface>
class ClickableControl : public ControlBase<Interface> {
 public:
  using ControlBase<Interface>::ControlBase;
  ~ClickableControl() override {
    if (!ShuttingDown()) ForgetClickBoxControl(this->widget_);
  }
  void Detach() override {
    ForgetClickBoxControl(this->widget_);
    ControlBase<Interface>::Detach();
  }

 protected:
  // Raises onClick for left clicks on `widget` and, when `activates` (a click
  // box: Enter, Space, assistive tools), for its "activate" signal; shows the
  // hand cursor over it when the style asks for one. Call once, from the
  // constructor, after AdoptWidget.
  void TakeClicks(GtkWidget* widget, bool activates) {
    if (activates) this->signals_.Connect(widget, "activate", OnActivate, this);
    click_.Attach(this->signals_, widget, this, this->window_);
    UseCursor(this->signals_, widget, this->style_.handCursor);
  }

 private:
  static void OnActivate(GtkWidget*, gpointer data) {
    auto* self = static_cast<ClickableControl*>(data);
    RaiseClick(self, self->window_);
  }

  ClickSource click_;
};

}  // namespace lumaro::gtk
