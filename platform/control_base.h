// The controls of a window: labels, text boxes, check boxes, pictures,
// panels and timers, each hosted in a GTK widget placed in the window's
// (or a panel's) GtkLayout at its twips position divided by 15.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "core/dispatch_gate.h"
#include "core/ui.h"
#include "platform/signal_connections.h"

namespace lumaro::gtk {

// State of a window that its controls share.
struct WindowState {
  // The native window and its widgets are gone (the window has closed);
  // controls then keep their values but touch no widget.
  bool destroyed = false;
  // The window has closed: timers no longer run.
  bool closed = false;
  // Which of the window's handlers are on the stack; its browser events
  // wait for them.
  DispatchGate::WindowRef gate = DispatchGate::NewWindow();
};

// Runs a handler of the window: nothing may be thrown through GTK, and the
// window's browser events wait until it has returned.
template <class Fn>
void RunHandler(const std::shared_ptr<WindowState>& window, Fn&& fn) {
  DispatchGate::HandlerScope scope(window ? window->gate : nullptr);
  Guarded(std::forward<Fn>(fn));
  FlushPageWrites();
}

// The part of a control the window deals with, whatever its interface.
class NativeControl {
 public:
  virtual ~NativeControl() = default;
  // The widget placed in the layout.
  virtual GtkWidget* Widget() const = 0;
  // Disconnects every signal handler; the widgets are about to be destroyed.
  virtual void Detach() = 0;
  // Whether the control takes part in the keyboard focus chain.
  virtual bool Focusable() const { return false; }
  // A key pressed in the control's window that a page shown by the control
  // acts on (reload, history, zoom, find, print); true when it took it.
  // Only a browser the user sees takes keys.
  virtual bool TakePageKey(GdkEventKey* event) { return false; }
};

// Visible/enabled state, tooltip, accessible name and the hand cursor,
// common to every control kind.
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

  std::string name_;
  ControlStyle style_;
  std::shared_ptr<WindowState> window_;
  GtkWidget* widget_ = nullptr;
  bool visible_ = true;
  bool enabled_ = true;
  Connections signals_;
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

// The GtkLayout that a window's or a panel's controls are placed in.
GtkWidget* NewControlLayout();
// Leaves a control's widget out of what assistive tools see of the layout
// that holds it: it is not among the layout's accessible children, so
// neither it nor anything inside it is in the accessibility tree. Call it
// before the widget is put into the layout.
void HideFromAssistiveTools(GtkWidget* widget);

// The widget of a clickable label or picture: a windowless event box that
// can take the keyboard focus (Enter or Space then activates it) and offers
// assistive tools a "click" action. Activation emits its "activate" signal;
// the control raises onClick from there. While `control` is set, the box is a
// push button to assistive tools whenever that control has a click handler.
GtkWidget* NewClickBox(IControl* control);
// The control is going away: the box no longer reports or raises clicks.
void ForgetClickBoxControl(GtkWidget* box);
// Whether a click through assistive tools may reach the widget now: it is
// shown and enabled, and no modal window holds the input elsewhere.
bool TakesInputNow(GtkWidget* widget);

// Paints the keyboard focus around a control's area when the focus is on it
// and the window shows keyboard focus: a dotted frame in black and white, seen
// on any background.
void DrawFocusFrame(GtkWidget* widget, cairo_t* cr);

// Raises IControl::onClick for a left click (press and release over the
// widget). The second click of a double click is not a click.
class ClickSource {
 public:
  void Attach(Connections& signals, GtkWidget* widget, IControl* control,
              std::shared_ptr<WindowState> window);

 private:
  static gboolean OnPress(GtkWidget* widget, GdkEventButton* event, gpointer data);
  static gboolean OnRelease(GtkWidget* widget, GdkEventButton* event, gpointer data);
  IControl* control_ = nullptr;
  std::shared_ptr<WindowState> window_;
  bool pressed_ = false;
  bool doubled_ = false;
  bool lastWasClick_ = false;
  bool previousWasClick_ = false;
};

// Sets the cursor on the widget's own and input windows once it is realized.
void UseCursor(Connections& signals, GtkWidget* widget, bool handCursor);

class LabelControl : public ControlBase<ILabel> {
 public:
  LabelControl(std::string name, const Rect& r, std::string text, const ControlStyle& style,
               std::shared_ptr<WindowState> window);
  ~LabelControl() override;
  void SetText(const std::string& text) override;
  std::string Text() const override { return text_; }
  void SetEnabled(bool enabled) override;
  void Detach() override;
  bool Focusable() const override { return style_.tabStop; }

 private:
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data);
  static void OnActivate(GtkWidget* widget, gpointer data);
  // The text's layout, wrapped at the control's width when its height holds
  // the wrapped lines, else on one line; `width` and `height` get its size.
  PangoLayout* MakeLayout(int* width, int* height) const;
  void UpdateSize();

  Rect rect_;
  std::string text_;
  ClickSource click_;
};

// A picture, or a panel (picture box) that holds other controls.
class PictureControl : public ControlBase<IPicture> {
 public:
  PictureControl(std::string name, const Rect& r, const ControlStyle& style, bool panel,
                 std::shared_ptr<WindowState> window);
  ~PictureControl() override;
  // The layout that a panel's children are placed in (nullptr for a picture).
  GtkWidget* ChildLayout() const { return panel_ ? widget_ : nullptr; }
  void Detach() override;
  bool Focusable() const override { return !panel_ && style_.tabStop; }

 private:
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data);
  static void OnActivate(GtkWidget* widget, gpointer data);
  Rect rect_;
  bool panel_;
  ClickSource click_;
};

class TextBoxControl : public ControlBase<ITextBox> {
 public:
  TextBoxControl(std::string name, const Rect& r, const ControlStyle& style,
                 std::shared_ptr<WindowState> window);
  void SetText(const std::string& text) override;
  std::string Text() const override;
  void SetFocus() override;
  bool Focusable() const override { return true; }

 private:
  std::string text_;  // kept for a closed window
};

class CheckBoxControl : public ControlBase<ICheckBox> {
 public:
  CheckBoxControl(std::string name, const Rect& r, const ControlStyle& style,
                  std::shared_ptr<WindowState> window);
  void SetChecked(bool checked) override;
  bool Checked() const override { return checked_; }
  bool Focusable() const override { return true; }

 private:
  static void OnToggled(GtkToggleButton* button, gpointer data);
  bool checked_ = false;
  bool settingChecked_ = false;
};

class Timer : public ITimer {
 public:
  Timer(int intervalMs, bool enabled, std::shared_ptr<WindowState> window);
  ~Timer() override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  void SetInterval(int ms) override;
  int Interval() const override { return interval_; }
  // The window has closed.
  void Stop();

 private:
  struct TickData {
    std::weak_ptr<bool> alive;
    Timer* timer;
  };
  void Restart();
  static gboolean OnTick(gpointer data);

  int interval_;
  bool enabled_;
  std::shared_ptr<WindowState> window_;
  guint source_ = 0;
  AliveToken alive_ = NewAliveToken();
};

// Paints a layout's children in the order they were added, whatever their
// kind: GTK's own order puts every child with a window of its own (drawn
// buttons, panels, browsers) above every child without one. Call from the
// layout's draw handler for its inner window and stop the default drawing.
void DrawChildrenInOrder(GtkWidget* layout, cairo_t* cr);

// Default face colour of windows and panels without a picture.
inline constexpr uint32_t kFaceColor = 0xF0F0F0;

void SetSourceRgb(cairo_t* cr, uint32_t rgb);

// Installs the style sheet of the controls (once).
void EnsureControlStyles();

}  // namespace lumaro::gtk
