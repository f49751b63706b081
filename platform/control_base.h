// What every control kind has in common: its name and style, its widget,
// its visible and enabled state, tooltip and accessible name. Each control
// is hosted in a GTK widget placed in the window's (or a panel's) layout at
// its twips position in pixels.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <utility>

#include "core/ui.h"
#include "platform/native_control.h"
#include "platform/shutting_down.h"
#include "platform/signal_connections.h"
#include "platform/twips.h"
#include "platform/window_state.h"

namespace lumaro::gtk {

// Visible/enabled state, tooltip and accessible name, common to every
// control kind.
template <class Interface>
class ControlBase : public Interface, public NativeControl {
 public:
  ControlBase(std::string name, const ControlStyle& style, std::shared_ptr<WindowState> window)
      : name_(std::move(name)),
        style_(style),
        window_(std::move(window)),
        visible_(style.visible) {}
  ~ControlBase() override {
    if (ShuttingDown()) return;
    signals_.DisconnectAll();
    if (widget_) g_object_unref(widget_);
  }

  const std::string& Name() const override { return name_; }
  void SetVisible(bool visible) override {
    visible_ = visible;
    if (Live()) gtk_widget_set_visible(widget_, visible);
  }
  bool Visible() const override { return visible_; }
  void SetEnabled(bool enabled) override {
    enabled_ = enabled;
    if (Live()) gtk_widget_set_sensitive(widget_, enabled);
  }
  bool Enabled() const override { return enabled_; }

  GtkWidget* Widget() const override { return widget_; }
  void Detach() override { signals_.DisconnectAll(); }

 protected:
  // Makes `widget` the control's widget: keeps a reference, applies the
  // common style.
  void AdoptWidget(GtkWidget* widget, const std::string& accessibleName, AtkRole role);
  bool Live() const { return widget_ && !window_->destroyed; }
  // Places the widget at `twips` in the layout that holds it. A negative
  // size is refused as a whole: the control stays as it was.
  void PlaceWidget(const Rect& twips) {
    if (twips.width < 0 || twips.height < 0 || !Live()) return;
    GtkWidget* parent = gtk_widget_get_parent(widget_);
    if (parent && GTK_IS_LAYOUT(parent))
      gtk_layout_move(GTK_LAYOUT(parent), widget_, TwipsToPixels(twips.left),
                      TwipsToPixels(twips.top));
    gtk_widget_set_size_request(widget_, TwipsToPixels(twips.width),
                                TwipsToPixels(twips.height));
  }

  std::string name_;
  ControlStyle style_;
  std::shared_ptr<WindowState> window_;
  GtkWidget* widget_ = nullptr;
  bool visible_ = true;
  bool enabled_ = true;
  SignalConnections signals_;
};

template <class Interface>
void ControlBase<Interface>::AdoptWidget(GtkWidget* widget, const std::string& accessibleName,
                                         AtkRole role) {
  widget_ = GTK_WIDGET(g_object_ref_sink(widget));
  if (!style_.tooltip.empty()) gtk_widget_set_tooltip_text(widget_, style_.tooltip.c_str());
  gtk_widget_set_no_show_all(widget_, TRUE);
  gtk_widget_set_visible(widget_, visible_);
  AtkObject* accessible = gtk_widget_get_accessible(widget_);
  const std::string& shown = accessibleName.empty() ? style_.accessibleName : accessibleName;
  if (!shown.empty()) atk_object_set_name(accessible, shown.c_str());
  if (role != ATK_ROLE_INVALID) atk_object_set_role(accessible, role);
}

}  // namespace lumaro::gtk
