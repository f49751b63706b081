#include "platform/progbutton_widget.h"

#include <cairo.h>
#include <gtk/gtk-a11y.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "core/desktop.h"
#include "core/spoken_names.h"
#include "platform/idle_call.h"
#include "platform/run_handler.h"
#include "platform/shutting_down.h"
#include "platform/takes_input.h"
#include "platform/twips.h"

// The drawn button's widget: a drawing area that knows its host, whose
// accessible object offers a click (buttons) and the value (progress bar).
struct LumaroDrawnButton {
  GtkDrawingArea parent;
  lumaro::gtk::ProgButtonHost* host;
};
struct LumaroDrawnButtonClass {
  GtkDrawingAreaClass parent_class;
};
struct LumaroDrawnButtonAccessible {
  GtkWidgetAccessible parent;
};
struct LumaroDrawnButtonAccessibleClass {
  GtkWidgetAccessibleClass parent_class;
};

namespace {

GType lumaro_drawn_button_get_type();
GType lumaro_drawn_button_accessible_get_type();

G_DEFINE_TYPE(LumaroDrawnButton, lumaro_drawn_button, GTK_TYPE_DRAWING_AREA)

void lumaro_drawn_button_init(LumaroDrawnButton* button) { button->host = nullptr; }

void lumaro_drawn_button_class_init(LumaroDrawnButtonClass* klass) {
  gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass),
                                       lumaro_drawn_button_accessible_get_type());
}

lumaro::gtk::ProgButtonHost* HostOf(gpointer accessible) {
  GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible));
  if (!widget || !G_TYPE_CHECK_INSTANCE_TYPE(widget, lumaro_drawn_button_get_type()))
    return nullptr;
  return reinterpret_cast<LumaroDrawnButton*>(widget)->host;
}

gint DrawnActionCount(AtkAction* action) {
  auto* host = HostOf(action);
  return host && host->ActsAsButton() ? 1 : 0;
}
const gchar* DrawnActionName(AtkAction*, gint i) { return i == 0 ? "click" : nullptr; }
const gchar* DrawnActionLocalizedName(AtkAction*, gint i) { return i == 0 ? "点击" : nullptr; }
const gchar* DrawnActionDescription(AtkAction*, gint i) {
  return i == 0 ? "Clicks the button" : nullptr;
}

gboolean DrawnDoAction(AtkAction* action, gint i) {
  auto* host = HostOf(action);
  if (i != 0 || !host || !host->ActsAsButton()) return FALSE;
  if (!lumaro::gtk::TakesInputNow(host->Widget())) return FALSE;
  host->ClickFromAssistiveTool();
  return TRUE;
}

void DrawnActionInit(AtkActionIface* iface) {
  iface->do_action = DrawnDoAction;
  iface->get_n_actions = DrawnActionCount;
  iface->get_name = DrawnActionName;
  iface->get_localized_name = DrawnActionLocalizedName;
  iface->get_description = DrawnActionDescription;
}

void DrawnValueAndText(AtkValue* value, gdouble* current, gchar** text) {
  auto* host = HostOf(value);
  if (current) *current = host ? host->Model()->Value() : 0;
  if (text) *text = host && !host->ActsAsButton() ? g_strdup(host->ValueText().c_str()) : nullptr;
}

AtkRange* DrawnRange(AtkValue* value) {
  auto* host = HostOf(value);
  if (!host) return nullptr;
  return atk_range_new(host->Model()->Min(), host->Model()->Max(), nullptr);
}

void DrawnValueInit(AtkValueIface* iface) {
  iface->get_value_and_text = DrawnValueAndText;
  iface->get_range = DrawnRange;
}

G_DEFINE_TYPE_WITH_CODE(LumaroDrawnButtonAccessible, lumaro_drawn_button_accessible,
                        GTK_TYPE_WIDGET_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, DrawnActionInit)
                            G_IMPLEMENT_INTERFACE(ATK_TYPE_VALUE, DrawnValueInit))

void lumaro_drawn_button_accessible_init(LumaroDrawnButtonAccessible*) {}
void lumaro_drawn_button_accessible_class_init(LumaroDrawnButtonAccessibleClass*) {}

}  // namespace

namespace lumaro::gtk {

namespace {

// Mouse buttons and shift state as the control's events carry them.
int16_t ButtonCode(guint button) {
  switch (button) {
    case 1: return 1;
    case 3: return 2;
    case 2: return 4;
    default: return 0;
  }
}

int16_t ShiftCode(guint state) {
  int16_t shift = 0;
  if (state & GDK_SHIFT_MASK) shift |= 1;
  if (state & GDK_CONTROL_MASK) shift |= 2;
  if (state & GDK_MOD1_MASK) shift |= 4;
  return shift;
}

int16_t HeldButtons(guint state) {
  int16_t buttons = 0;
  if (state & GDK_BUTTON1_MASK) buttons |= 1;
  if (state & GDK_BUTTON3_MASK) buttons |= 2;
  if (state & GDK_BUTTON2_MASK) buttons |= 4;
  return buttons;
}

// The key code of a key press: Enter is 13, letters and digits their
// upper-case character code, anything else 0.
int KeyCode(guint keyval) {
  if (keyval == GDK_KEY_Return || keyval == GDK_KEY_KP_Enter || keyval == GDK_KEY_ISO_Enter)
    return 13;
  guint32 c = gdk_keyval_to_unicode(gdk_keyval_to_upper(keyval));
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return int(c);
  return 0;
}

}  // namespace

ProgButtonHost::ProgButtonHost(std::string name, const Rect& r, const ControlStyle& style,
                               std::shared_ptr<WindowState> window)
    : name_(std::move(name)),
      accessibleName_(style.accessibleName),
      window_(std::move(window)),
      model_(std::make_unique<ProgButton>()) {
  auto* drawn =
      static_cast<LumaroDrawnButton*>(g_object_new(lumaro_drawn_button_get_type(), nullptr));
  drawn->host = this;
  area_ = GTK_WIDGET(g_object_ref_sink(drawn));
  // Only a button takes the keyboard focus (see onImageChanged); a progress
  // bar, the control's first style, is passed by.
  gtk_widget_set_can_focus(area_, FALSE);
  gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                   GDK_POINTER_MOTION_MASK | GDK_KEY_PRESS_MASK |
                                   GDK_FOCUS_CHANGE_MASK);
  gtk_widget_set_size_request(area_, std::max(1, TwipsToPixels(r.width)),
                              std::max(1, TwipsToPixels(r.height)));
  gtk_widget_set_no_show_all(area_, TRUE);
  gtk_widget_set_visible(area_, style.visible);
  if (!style.tooltip.empty()) gtk_widget_set_tooltip_text(area_, style.tooltip.c_str());

  signals_.Connect(area_, "draw", OnDraw, this);
  signals_.Connect(area_, "size-allocate", OnSizeAllocate, this);
  signals_.Connect(area_, "realize", OnRealize, this, /*after=*/true);
  signals_.Connect(area_, "notify::scale-factor", OnScaleFactor, this);
  signals_.Connect(area_, "button-press-event", OnButton, this);
  signals_.Connect(area_, "button-release-event", OnButton, this);
  signals_.Connect(area_, "motion-notify-event", OnMotion, this);
  signals_.Connect(area_, "key-press-event", OnKeyPress, this);
  signals_.Connect(area_, "focus-in-event", OnFocus, this);
  signals_.Connect(area_, "focus-out-event", OnFocus, this);

  ProgButton* model = model_.get();
  std::weak_ptr<bool> alive = alive_;
  model->onImageChanged = [this, alive] {
    if (alive.expired() || window_->destroyed) return;
    // Every change of the style redraws: a button is a Tab stop, a progress
    // bar is not.
    gtk_widget_set_can_focus(area_, model_->Style() != 0);
    UpdateAccessible();
    gtk_widget_queue_draw(area_);
  };
  model->grabFocus = [this, alive] {
    if (alive.expired() || window_->destroyed) return;
    gtk_widget_grab_focus(area_);
  };
  model->processPendingMessages = [] {
    if (Desktop().pump) Desktop().pump->PumpEvents();
  };
  // Drawn at the display's scale from the start: the window it goes into
  // has the scale of the screen until it is shown elsewhere.
  model->SetScale(gtk_widget_get_scale_factor(area_));
  model->SetSize(std::max(0, TwipsToPixels(r.width)), std::max(0, TwipsToPixels(r.height)));
}

ProgButtonHost::~ProgButtonHost() {
  alive_.reset();
  queued_.clear();
  if (ShuttingDown()) return;
  reinterpret_cast<LumaroDrawnButton*>(area_)->host = nullptr;
  signals_.DisconnectAll();
  g_object_unref(area_);
}

void ProgButtonHost::Detach() {
  reinterpret_cast<LumaroDrawnButton*>(area_)->host = nullptr;
  signals_.DisconnectAll();
}

std::string ProgButtonHost::ValueText() const {
  return model_->Style() == 0 ? model_->DrawnText() : std::string();
}

void ProgButtonHost::UpdateAccessible() {
  AtkObject* accessible = gtk_widget_get_accessible(area_);
  const int role = model_->Style() == 0 ? ATK_ROLE_PROGRESS_BAR : ATK_ROLE_PUSH_BUTTON;
  if (role != spokenRole_) {
    spokenRole_ = role;
    atk_object_set_role(accessible, AtkRole(role));
  }
  const std::string shown = DrawnButtonSpokenName(name_, model_->Caption(), accessibleName_);
  if (shown != spokenName_) {
    spokenName_ = shown;
    atk_object_set_name(accessible, shown.c_str());
  }
  if (model_->Value() != spokenValue_ || ValueText() != spokenValueText_) {
    spokenValue_ = model_->Value();
    spokenValueText_ = ValueText();
    g_object_notify(G_OBJECT(accessible), "accessible-value");
  }
}

void ProgButtonHost::ClickFromAssistiveTool() {
  RunWhenIdle(alive_, [this] {
    if (window_->destroyed || !TakesInputNow(area_)) return;
    std::function<void()> click = [this] { model_->NotifyClick(); };
    if (busy_)
      queued_.push_back(std::move(click));
    else
      Run(click);
  });
}

// The image is drawn at the widget's scale (see UpdateScale), so it covers
// the device pixels one for one.
gboolean ProgButtonHost::OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  auto* self = static_cast<ProgButtonHost*>(data);
  cairo_surface_t* image = self->model_->Image();
  if (!image) return FALSE;
  cairo_set_source_surface(cr, image, 0, 0);
  cairo_paint(cr);
  return TRUE;
}

void ProgButtonHost::OnSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
  auto* self = static_cast<ProgButtonHost*>(data);
  self->UpdateScale();
  if (allocation->width != self->model_->Width() || allocation->height != self->model_->Height())
    self->model_->SetSize(allocation->width, allocation->height);
  self->ApplyShape();
}

void ProgButtonHost::OnRealize(GtkWidget*, gpointer data) {
  auto* self = static_cast<ProgButtonHost*>(data);
  self->UpdateScale();
  self->shapeWidth_ = self->shapeHeight_ = -1;
  self->ApplyShape();
}

void ProgButtonHost::OnScaleFactor(GtkWidget*, GParamSpec*, gpointer data) {
  static_cast<ProgButtonHost*>(data)->UpdateScale();
}

// The face is drawn with as many device pixels as the display shows for each
// layout pixel; a window moved to a display of another scale redraws it.
void ProgButtonHost::UpdateScale() {
  const int scale = gtk_widget_get_scale_factor(area_);
  if (scale != model_->Scale()) model_->SetScale(scale);
}

// Clicks outside the rounded shape go to whatever lies beneath.
void ProgButtonHost::ApplyShape() {
  if (!gtk_widget_get_realized(area_)) return;
  const int w = model_->Width(), h = model_->Height();
  if (w == shapeWidth_ && h == shapeHeight_) return;
  shapeWidth_ = w;
  shapeHeight_ = h;
  cairo_region_t* region = cairo_region_create();
  for (int y = 0; y < h; ++y) {
    int x = 0;
    while (x < w) {
      while (x < w && !model_->InShape(x, y)) ++x;
      int start = x;
      while (x < w && model_->InShape(x, y)) ++x;
      if (x > start) {
        cairo_rectangle_int_t run = {start, y, x - start, 1};
        cairo_region_union_rectangle(region, &run);
      }
    }
  }
  gtk_widget_input_shape_combine_region(area_, region);
  cairo_region_destroy(region);
}

void ProgButtonHost::Deliver(GdkEvent* event) {
  if (busy_) {
    std::shared_ptr<GdkEvent> copy(gdk_event_copy(event), gdk_event_free);
    queued_.push_back([this, copy] { Handle(copy.get()); });
    return;
  }
  Run([&] { Handle(event); });
}

// Runs one input, then whatever arrived meanwhile, in order. An input may
// destroy this host; nothing touches it after that.
void ProgButtonHost::Run(const std::function<void()>& input) {
  std::weak_ptr<bool> alive = alive_;
  busy_ = true;
  RunHandler(std::shared_ptr<WindowState>(window_), input);
  if (alive.expired()) return;
  while (!queued_.empty()) {
    std::function<void()> next = std::move(queued_.front());
    queued_.pop_front();
    RunHandler(std::shared_ptr<WindowState>(window_), next);
    if (alive.expired()) return;
  }
  busy_ = false;
}

void ProgButtonHost::Handle(GdkEvent* event) {
  ProgButton& model = *model_;
  std::weak_ptr<bool> alive = alive_;
  switch (event->type) {
    case GDK_BUTTON_PRESS: {
      auto& b = event->button;
      if (b.button == 1 && gtk_widget_get_can_focus(area_) && !gtk_widget_has_focus(area_))
        gtk_widget_grab_focus(area_);
      if (b.button == 1) {
        pressed_ = true;
        doubled_ = false;
        previousWasClick_ = lastWasClick_;
        lastWasClick_ = false;
      }
      model.NotifyMouseDown(ButtonCode(b.button), ShiftCode(b.state), float(b.x), float(b.y));
      break;
    }
    case GDK_2BUTTON_PRESS:
      // Only when this control took the first click too.
      if (event->button.button == 1 && previousWasClick_) {
        doubled_ = true;
        model.NotifyDblClick();
      }
      break;
    case GDK_BUTTON_RELEASE: {
      auto& b = event->button;
      const bool click = b.button == 1 && pressed_ && !doubled_ && b.x >= 0 && b.y >= 0 &&
                         b.x < model.Width() && b.y < model.Height();
      if (b.button == 1) pressed_ = false;
      model.NotifyMouseUp(ButtonCode(b.button), ShiftCode(b.state), float(b.x), float(b.y));
      if (alive.expired()) return;
      lastWasClick_ = click;
      if (click) model.NotifyClick();
      break;
    }
    case GDK_MOTION_NOTIFY: {
      auto& m = event->motion;
      model.NotifyMouseMove(HeldButtons(m.state), ShiftCode(m.state), float(m.x), float(m.y));
      break;
    }
    case GDK_KEY_PRESS:
      model.NotifyKeyDown(KeyCode(event->key.keyval));
      break;
    case GDK_FOCUS_CHANGE:
      if (event->focus_change.in) {
        if (!model.HasFocus()) model.NotifyEnterFocus();
      } else if (!gtk_widget_is_focus(area_)) {
        // Still the window's focus widget: only the window lost the focus.
        model.NotifyExitFocus();
      }
      break;
    default:
      break;
  }
}

gboolean ProgButtonHost::OnButton(GtkWidget*, GdkEventButton* event, gpointer data) {
  static_cast<ProgButtonHost*>(data)->Deliver(reinterpret_cast<GdkEvent*>(event));
  return TRUE;
}

gboolean ProgButtonHost::OnMotion(GtkWidget*, GdkEventMotion* event, gpointer data) {
  static_cast<ProgButtonHost*>(data)->Deliver(reinterpret_cast<GdkEvent*>(event));
  return TRUE;
}

gboolean ProgButtonHost::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
  // Tab and the other navigation keys keep moving the focus.
  if (KeyCode(event->keyval) == 0) return FALSE;
  static_cast<ProgButtonHost*>(data)->Deliver(reinterpret_cast<GdkEvent*>(event));
  return TRUE;
}

gboolean ProgButtonHost::OnFocus(GtkWidget*, GdkEventFocus* event, gpointer data) {
  static_cast<ProgButtonHost*>(data)->Deliver(reinterpret_cast<GdkEvent*>(event));
  return FALSE;
}

bool ProgButtonHost::MatchesAccessKey(guint keyval) const {
  const std::string& key = model_->AccessKey();
  if (key.empty() || !gtk_widget_is_visible(area_) || !gtk_widget_is_sensitive(area_)) return false;
  gunichar wanted = g_unichar_tolower(g_utf8_get_char_validated(key.c_str(), -1));
  gunichar pressed = g_unichar_tolower(gdk_keyval_to_unicode(keyval));
  return pressed != 0 && wanted == pressed;
}

void ProgButtonHost::AccessKeyPressed() {
  RunHandler(std::shared_ptr<WindowState>(window_), [&] { model_->NotifyAccessKey(); });
}

}  // namespace lumaro::gtk
