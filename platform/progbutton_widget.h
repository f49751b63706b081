// The GTK widget that hosts a ProgButton model: shows its image, cuts its
// input to the rounded shape and feeds mouse, key and focus input in.
#pragma once

#include <gtk/gtk.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "controls/progbutton.h"
#include "core/ui.h"
#include "platform/alive_token.h"
#include "platform/native_control.h"
#include "platform/signal_connections.h"
#include "platform/window_state.h"

namespace lumaro::gtk {

class ProgButtonHost : public NativeControl {
 public:
  ProgButtonHost(std::string name, const Rect& r, const ControlStyle& style,
                 std::shared_ptr<WindowState> window);
  ~ProgButtonHost() override;

  ProgButton* Model() { return model_.get(); }
  const std::string& Name() const { return name_; }
  GtkWidget* Widget() const override { return area_; }
  void Detach() override;
  bool Focusable() const override { return true; }

  // Alt + the access key of the caption.
  bool MatchesAccessKey(guint keyval) const;
  void AccessKeyPressed();

  // For assistive tools: a drawn button (any Style but 0) offers a click,
  // which runs from the main loop in turn with the other input.
  bool ActsAsButton() const { return model_->Style() != 0; }
  void ClickFromAssistiveTool();
  // The progress text as drawn ("49.49%"), for a progress bar.
  std::string ValueText() const;

 private:
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data);
  static void OnSizeAllocate(GtkWidget* widget, GdkRectangle* allocation, gpointer data);
  static void OnRealize(GtkWidget* widget, gpointer data);
  static void OnScaleFactor(GtkWidget* widget, GParamSpec* property, gpointer data);
  static gboolean OnButton(GtkWidget* widget, GdkEventButton* event, gpointer data);
  static gboolean OnMotion(GtkWidget* widget, GdkEventMotion* event, gpointer data);
  static gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer data);
  static gboolean OnFocus(GtkWidget* widget, GdkEventFocus* event, gpointer data);

  // Input that arrives while the model is still handling earlier input (its
  // handlers pump events) waits its turn, so the model sees it in order.
  void Deliver(GdkEvent* event);
  void Run(const std::function<void()>& input);
  void Handle(GdkEvent* event);
  void ApplyShape();
  void UpdateScale();
  void UpdateAccessible();

  std::string name_;
  std::string accessibleName_;
  std::shared_ptr<WindowState> window_;
  std::unique_ptr<ProgButton> model_;
  GtkWidget* area_ = nullptr;
  SignalConnections signals_;
  bool busy_ = false;
  std::deque<std::function<void()>> queued_;
  // What assistive tools were last told, so that a redraw that changes
  // nothing of it (the bar's animation redraws ten times a second) is quiet.
  std::string spokenName_;
  int spokenRole_ = -1;
  int32_t spokenValue_ = 0;
  std::string spokenValueText_;
  bool pressed_ = false;
  bool doubled_ = false;
  bool lastWasClick_ = false;
  bool previousWasClick_ = false;
  int shapeWidth_ = -1, shapeHeight_ = -1;
  AliveToken alive_ = NewAliveToken();
};

}  // namespace lumaro::gtk
