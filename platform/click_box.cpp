#include "platform/control_base.h"

#include <gtk/gtk-a11y.h>

#include <algorithm>

#include "core/spoken_names.h"
#include "platform/assets.h"

// ---------------------------------------------------------------- click box
//
// A GtkEventBox that can be activated (keyboard, assistive tools), with an
// accessible object that offers the "click" action.

struct LumaroClickBox {
  GtkEventBox parent;
  lumaro::IControl* control;
};
struct LumaroClickBoxClass {
  GtkEventBoxClass parent_class;
};

struct LumaroClickBoxAccessible {
  GtkContainerAccessible parent;
};
struct LumaroClickBoxAccessibleClass {
  GtkContainerAccessibleClass parent_class;
};

namespace {

GType lumaro_click_box_get_type();
GType lumaro_click_box_accessible_get_type();

guint g_activateSignal = 0;

G_DEFINE_TYPE(LumaroClickBox, lumaro_click_box, GTK_TYPE_EVENT_BOX)

void lumaro_click_box_init(LumaroClickBox* box) { box->control = nullptr; }

bool IsActivationKey(const GdkEventKey* event) {
  if (event->state & gtk_accelerator_get_default_mod_mask()) return false;
  switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
    case GDK_KEY_space:
    case GDK_KEY_KP_Space:
      return true;
    default:
      return false;
  }
}

gboolean ClickBoxKeyPress(GtkWidget* widget, GdkEventKey* event) {
  if (gtk_widget_has_focus(widget) && IsActivationKey(event)) {
    gtk_widget_activate(widget);
    return TRUE;
  }
  return GTK_WIDGET_CLASS(lumaro_click_box_parent_class)->key_press_event(widget, event);
}

void lumaro_click_box_class_init(LumaroClickBoxClass* klass) {
  GtkWidgetClass* widget = GTK_WIDGET_CLASS(klass);
  widget->key_press_event = ClickBoxKeyPress;
  g_activateSignal = g_signal_new("activate", G_TYPE_FROM_CLASS(klass),
                                  GSignalFlags(G_SIGNAL_RUN_FIRST | G_SIGNAL_ACTION), 0, nullptr,
                                  nullptr, nullptr, G_TYPE_NONE, 0);
  widget->activate_signal = g_activateSignal;
  gtk_widget_class_set_accessible_type(widget, lumaro_click_box_accessible_get_type());
}

LumaroClickBox* ClickBoxOf(AtkObject* accessible) {
  GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible));
  if (!widget || !G_TYPE_CHECK_INSTANCE_TYPE(widget, lumaro_click_box_get_type())) return nullptr;
  return reinterpret_cast<LumaroClickBox*>(widget);
}

bool Clickable(LumaroClickBox* box) {
  return box && box->control && static_cast<bool>(box->control->onClick);
}

void ClickBoxActionInit(AtkActionIface* iface);

G_DEFINE_TYPE_WITH_CODE(LumaroClickBoxAccessible, lumaro_click_box_accessible,
                        GTK_TYPE_CONTAINER_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, ClickBoxActionInit))

void lumaro_click_box_accessible_init(LumaroClickBoxAccessible*) {}

// A label or picture with a click handler is a push button, whatever role it
// was given when it was made.
AtkRole ClickBoxRole(AtkObject* accessible) {
  if (Clickable(ClickBoxOf(accessible))) return ATK_ROLE_PUSH_BUTTON;
  return ATK_OBJECT_CLASS(lumaro_click_box_accessible_parent_class)->get_role(accessible);
}

void lumaro_click_box_accessible_class_init(LumaroClickBoxAccessibleClass* klass) {
  ATK_OBJECT_CLASS(klass)->get_role = ClickBoxRole;
}

gint ClickBoxActionCount(AtkAction* action) {
  return Clickable(ClickBoxOf(ATK_OBJECT(action))) ? 1 : 0;
}

const gchar* ClickBoxActionName(AtkAction*, gint i) { return i == 0 ? "click" : nullptr; }
const gchar* ClickBoxActionLocalizedName(AtkAction*, gint i) { return i == 0 ? "点击" : nullptr; }
const gchar* ClickBoxActionDescription(AtkAction*, gint i) {
  return i == 0 ? "Clicks the control" : nullptr;
}

gboolean ActivateWhenIdle(gpointer data) {
  auto* widget = GTK_WIDGET(data);
  auto* box = reinterpret_cast<LumaroClickBox*>(widget);
  if (box->control && lumaro::gtk::TakesInputNow(widget)) gtk_widget_activate(widget);
  return G_SOURCE_REMOVE;
}

// The click runs from the main loop, not inside the request of the assistive
// tool: it may open a modal window that waits for the user.
gboolean ClickBoxDoAction(AtkAction* action, gint i) {
  LumaroClickBox* box = ClickBoxOf(ATK_OBJECT(action));
  if (i != 0 || !Clickable(box)) return FALSE;
  auto* widget = GTK_WIDGET(box);
  if (!lumaro::gtk::TakesInputNow(widget)) return FALSE;
  g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, ActivateWhenIdle, g_object_ref(widget), g_object_unref);
  return TRUE;
}

void ClickBoxActionInit(AtkActionIface* iface) {
  iface->do_action = ClickBoxDoAction;
  iface->get_n_actions = ClickBoxActionCount;
  iface->get_name = ClickBoxActionName;
  iface->get_localized_name = ClickBoxActionLocalizedName;
  iface->get_description = ClickBoxActionDescription;
}

}  // namespace

// ---------------------------------------------------------------- control layout
//
// The GtkLayout that holds a window's or a panel's controls. Its accessible
// object leaves out the children marked unseen (browsers that lie under
// other controls): assistive tools meet only what the user can see.

struct LumaroControlLayout {
  GtkLayout parent;
};
struct LumaroControlLayoutClass {
  GtkLayoutClass parent_class;
};

struct LumaroControlLayoutAccessible {
  GtkContainerAccessible parent;
  // The children assistive tools see, as of the last change: what a removed
  // child's index was.
  GList* shown;
};
struct LumaroControlLayoutAccessibleClass {
  GtkContainerAccessibleClass parent_class;
};

namespace {

GType lumaro_control_layout_get_type();
GType lumaro_control_layout_accessible_get_type();

const char kUnseenKey[] = "lumaro-unseen";

bool IsUnseen(GtkWidget* widget) { return g_object_get_data(G_OBJECT(widget), kUnseenKey); }

G_DEFINE_TYPE(LumaroControlLayout, lumaro_control_layout, GTK_TYPE_LAYOUT)

void lumaro_control_layout_init(LumaroControlLayout*) {}

void lumaro_control_layout_class_init(LumaroControlLayoutClass* klass) {
  gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass),
                                       lumaro_control_layout_accessible_get_type());
}

G_DEFINE_TYPE(LumaroControlLayoutAccessible, lumaro_control_layout_accessible,
              GTK_TYPE_CONTAINER_ACCESSIBLE)

void lumaro_control_layout_accessible_init(LumaroControlLayoutAccessible* self) {
  self->shown = nullptr;
}

// The layout's children that assistive tools see, in the layout's order.
GList* ShownChildren(GtkWidget* layout) {
  if (!layout) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(layout));
  for (GList* it = children; it;) {
    GList* next = it->next;
    if (IsUnseen(GTK_WIDGET(it->data))) children = g_list_delete_link(children, it);
    it = next;
  }
  return children;
}

LumaroControlLayoutAccessible* LayoutAccessibleOf(gpointer accessible) {
  return reinterpret_cast<LumaroControlLayoutAccessible*>(accessible);
}

void RefreshShown(LumaroControlLayoutAccessible* self, GtkWidget* layout) {
  g_list_free(self->shown);
  self->shown = ShownChildren(layout);
}

// Controls are put into a layout without its "add" signal: the list of the
// children seen is brought up to date whenever assistive tools ask for them.
gint ControlLayoutChildCount(AtkObject* accessible) {
  LumaroControlLayoutAccessible* self = LayoutAccessibleOf(accessible);
  RefreshShown(self, gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible)));
  return gint(g_list_length(self->shown));
}

// A child is given this object as its parent, so that its index in its
// parent counts the children seen, not the layout's.
AtkObject* ControlLayoutRefChild(AtkObject* accessible, gint i) {
  LumaroControlLayoutAccessible* self = LayoutAccessibleOf(accessible);
  RefreshShown(self, gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible)));
  GList* link = i >= 0 ? g_list_nth(self->shown, guint(i)) : nullptr;
  AtkObject* child = link ? gtk_widget_get_accessible(GTK_WIDGET(link->data)) : nullptr;
  if (!child) return nullptr;
  if (child->accessible_parent != accessible) atk_object_set_parent(child, accessible);
  return ATK_OBJECT(g_object_ref(child));
}

gint ControlLayoutAdded(GtkContainer* layout, GtkWidget* widget, gpointer data) {
  LumaroControlLayoutAccessible* self = LayoutAccessibleOf(data);
  RefreshShown(self, GTK_WIDGET(layout));
  if (IsUnseen(widget)) return 1;
  AtkObject* child = gtk_widget_get_accessible(widget);
  atk_object_set_parent(child, ATK_OBJECT(data));
  g_signal_emit_by_name(data, "children-changed::add", g_list_index(self->shown, widget), child,
                        nullptr);
  return 1;
}

gint ControlLayoutRemoved(GtkContainer* layout, GtkWidget* widget, gpointer data) {
  LumaroControlLayoutAccessible* self = LayoutAccessibleOf(data);
  const gint index = g_list_index(self->shown, widget);
  RefreshShown(self, GTK_WIDGET(layout));
  if (index < 0) return 1;  // one that assistive tools never saw
  AtkObject* child = gtk_widget_get_accessible(widget);
  g_signal_emit_by_name(data, "children-changed::remove", index, child, nullptr);
  return 1;
}

void ControlLayoutInitialize(AtkObject* accessible, gpointer data) {
  ATK_OBJECT_CLASS(lumaro_control_layout_accessible_parent_class)->initialize(accessible, data);
  RefreshShown(LayoutAccessibleOf(accessible), GTK_WIDGET(data));
}

void ControlLayoutFinalize(GObject* object) {
  LumaroControlLayoutAccessible* self = LayoutAccessibleOf(object);
  g_list_free(self->shown);
  self->shown = nullptr;
  G_OBJECT_CLASS(lumaro_control_layout_accessible_parent_class)->finalize(object);
}

void lumaro_control_layout_accessible_class_init(LumaroControlLayoutAccessibleClass* klass) {
  G_OBJECT_CLASS(klass)->finalize = ControlLayoutFinalize;
  AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
  atk->initialize = ControlLayoutInitialize;
  atk->get_n_children = ControlLayoutChildCount;
  atk->ref_child = ControlLayoutRefChild;
  GtkContainerAccessibleClass* container = GTK_CONTAINER_ACCESSIBLE_CLASS(klass);
  container->add_gtk = ControlLayoutAdded;
  container->remove_gtk = ControlLayoutRemoved;
}

}  // namespace

namespace lumaro::gtk {

GtkWidget* NewControlLayout() {
  return GTK_WIDGET(g_object_new(lumaro_control_layout_get_type(), nullptr));
}

void HideFromAssistiveTools(GtkWidget* widget) {
  g_object_set_data(G_OBJECT(widget), kUnseenKey, GINT_TO_POINTER(1));
}

namespace {

bool g_shuttingDown = false;

constexpr uint32_t kDefaultTextColor = 0x000000;
constexpr uint32_t kDisabledTextColor = 0x808080;
constexpr double kDefaultPointSize = 9;

// Windows of `widget` that receive its input: its own window, or the input
// windows it created inside its parent's window.
std::vector<GdkWindow*> InputWindowsOf(GtkWidget* widget) {
  std::vector<GdkWindow*> found;
  if (!gtk_widget_get_realized(widget)) return found;
  if (gtk_widget_get_has_window(widget)) found.push_back(gtk_widget_get_window(widget));
  GdkWindow* parent = gtk_widget_get_parent_window(widget);
  if (!parent) return found;
  GList* children = gdk_window_peek_children(parent);
  for (GList* it = children; it; it = it->next) {
    auto* window = GDK_WINDOW(it->data);
    gpointer owner = nullptr;
    gdk_window_get_user_data(window, &owner);
    if (owner == widget && std::find(found.begin(), found.end(), window) == found.end())
      found.push_back(window);
  }
  return found;
}

void RaiseClick(IControl* control, const std::shared_ptr<WindowState>& window) {
  // The handler may destroy the control: copy it first.
  std::function<void()> handler = control->onClick;
  if (handler) RunHandler(window, handler);
}

void ApplyCursor(GtkWidget* widget, gpointer) {
  GdkCursor* cursor = HandCursor(gtk_widget_get_display(widget));
  for (GdkWindow* window : InputWindowsOf(widget)) gdk_window_set_cursor(window, cursor);
}

}  // namespace

GtkWidget* NewClickBox(IControl* control) {
  auto* box = static_cast<LumaroClickBox*>(g_object_new(lumaro_click_box_get_type(), nullptr));
  box->control = control;
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(box), FALSE);
  return GTK_WIDGET(box);
}

bool TakesInputNow(GtkWidget* widget) {
  if (!gtk_widget_is_sensitive(widget) || !gtk_widget_is_visible(widget)) return false;
  GtkWidget* grab = gtk_grab_get_current();
  return !grab || grab == widget || gtk_widget_is_ancestor(widget, grab);
}

void ForgetClickBoxControl(GtkWidget* box) {
  if (box && G_TYPE_CHECK_INSTANCE_TYPE(box, lumaro_click_box_get_type()))
    reinterpret_cast<LumaroClickBox*>(box)->control = nullptr;
}


void DrawFocusFrame(GtkWidget* widget, cairo_t* cr) {
  if (!gtk_widget_has_visible_focus(widget)) return;
  const int w = gtk_widget_get_allocated_width(widget);
  const int h = gtk_widget_get_allocated_height(widget);
  if (w < 3 || h < 3) return;
  cairo_save(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_stroke_preserve(cr);
  const double dash = 1;
  cairo_set_dash(cr, &dash, 1, 0);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_stroke(cr);
  cairo_restore(cr);
}

bool ShuttingDown() { return g_shuttingDown; }
void SetShuttingDown() { g_shuttingDown = true; }

void SetSourceRgb(cairo_t* cr, uint32_t rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                       (rgb & 0xFF) / 255.0);
}

void DrawChildrenInOrder(GtkWidget* layout, cairo_t* cr) {
  GList* children = gtk_container_get_children(GTK_CONTAINER(layout));
  for (GList* it = children; it; it = it->next)
    gtk_container_propagate_draw(GTK_CONTAINER(layout), GTK_WIDGET(it->data), cr);
  g_list_free(children);
}

void EnsureControlStyles() {
  static bool done = false;
  if (done) return;
  done = true;
  // Text boxes and check boxes as small as the classic layouts place them.
  static const char* kCss =
      "entry.lumaro { min-height: 0; padding: 0 2px; font: 9pt Sans; border-radius: 0; }\n"
      "checkbutton.lumaro { padding: 0; min-height: 0; min-width: 0; }\n"
      "checkbutton.lumaro check { min-width: 11px; min-height: 11px; margin: 0; }\n";
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, kCss, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

// ---------------------------------------------------------------- clicks

void ClickSource::Attach(Connections& signals, GtkWidget* widget, IControl* control,
                         std::shared_ptr<WindowState> window) {
  control_ = control;
  window_ = std::move(window);
  gtk_widget_add_events(widget, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
  signals.Connect(widget, "button-press-event", OnPress, this);
  signals.Connect(widget, "button-release-event", OnRelease, this);
}

gboolean ClickSource::OnPress(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto* self = static_cast<ClickSource*>(data);
  if (event->button != 1) return FALSE;
  if (event->type == GDK_2BUTTON_PRESS || event->type == GDK_3BUTTON_PRESS) {
    // Only the second click of a double click on this control; a first
    // click that went elsewhere (to a modal window's grab) does not count.
    self->doubled_ = self->previousWasClick_;
  } else if (event->type == GDK_BUTTON_PRESS) {
    self->pressed_ = true;
    self->doubled_ = false;
    self->previousWasClick_ = self->lastWasClick_;
    self->lastWasClick_ = false;
  }
  return self->control_->onClick ? TRUE : FALSE;
}

gboolean ClickSource::OnRelease(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  auto* self = static_cast<ClickSource*>(data);
  if (event->button != 1 || !self->pressed_) return FALSE;
  self->pressed_ = false;
  if (self->doubled_) {
    self->doubled_ = false;
    return FALSE;
  }
  GtkAllocation a;
  gtk_widget_get_allocation(widget, &a);
  // Event coordinates are relative to the window that received the event.
  int x = 0, y = 0;
  GdkWindow* own = gtk_widget_get_window(widget);
  if (event->window == own || !gtk_widget_get_has_window(widget)) {
    // For a widget without a window of its own the coordinates are those of
    // its input window, which lies exactly on the allocation.
    x = int(event->x);
    y = int(event->y);
  }
  if (x < 0 || y < 0 || x >= a.width || y >= a.height) return FALSE;
  self->lastWasClick_ = true;
  // The handler may destroy the control (and this object).
  RaiseClick(self->control_, std::shared_ptr<WindowState>(self->window_));
  return TRUE;
}

void UseCursor(Connections& signals, GtkWidget* widget, bool handCursor) {
  if (!handCursor) return;
  signals.Connect(widget, "realize", ApplyCursor, nullptr, /*after=*/true);
}

// ---------------------------------------------------------------- label

LabelControl::LabelControl(std::string name, const Rect& r, std::string text,
                           const ControlStyle& style, std::shared_ptr<WindowState> window)
    : ControlBase(std::move(name), style, std::move(window)), rect_(r), text_(std::move(text)) {
  // A windowless event box: transparent, with an input window for clicks.
  GtkWidget* box = NewClickBox(this);
  gtk_widget_set_can_focus(box, style_.tabStop);
  const bool button = style_.handCursor || style_.tabStop;
  AdoptWidget(box, "", button ? ATK_ROLE_PUSH_BUTTON : ATK_ROLE_LABEL);
  atk_object_set_name(gtk_widget_get_accessible(box),
                      LabelSpokenName(text_, style_.accessibleName).c_str());
  signals_.Connect(box, "draw", OnDraw, this);
  signals_.Connect(box, "activate", OnActivate, this);
  click_.Attach(signals_, box, this, window_);
  UseCursor(signals_, box, style_.handCursor);
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

LabelControl::~LabelControl() {
  if (!ShuttingDown()) ForgetClickBoxControl(widget_);
}

void LabelControl::Detach() {
  ForgetClickBoxControl(widget_);
  ControlBase::Detach();
}

void LabelControl::OnActivate(GtkWidget*, gpointer data) {
  auto* self = static_cast<LabelControl*>(data);
  RaiseClick(self, self->window_);
}

void LabelControl::SetEnabled(bool enabled) {
  ControlBase::SetEnabled(enabled);
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

// ---------------------------------------------------------------- picture

PictureControl::PictureControl(std::string name, const Rect& r, const ControlStyle& style,
                               bool panel, std::shared_ptr<WindowState> window)
    : ControlBase(std::move(name), style, std::move(window)), rect_(r), panel_(panel) {
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
  if (!panel_) signals_.Connect(widget, "activate", OnActivate, this);
  click_.Attach(signals_, widget, this, window_);
  UseCursor(signals_, widget, style_.handCursor);
}

PictureControl::~PictureControl() {
  if (!ShuttingDown()) ForgetClickBoxControl(widget_);
}

void PictureControl::Detach() {
  ForgetClickBoxControl(widget_);
  ControlBase::Detach();
}

void PictureControl::OnActivate(GtkWidget*, gpointer data) {
  auto* self = static_cast<PictureControl*>(data);
  RaiseClick(self, self->window_);
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

// ---------------------------------------------------------------- text box

TextBoxControl::TextBoxControl(std::string name, const Rect& r, const ControlStyle& style,
                               std::shared_ptr<WindowState> window)
    : ControlBase(std::move(name), style, std::move(window)) {
  EnsureControlStyles();
  GtkWidget* entry = gtk_entry_new();
  gtk_style_context_add_class(gtk_widget_get_style_context(entry), "lumaro");
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
  gtk_entry_set_has_frame(GTK_ENTRY(entry), TRUE);
  if (style_.password) {
    gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
    gtk_entry_set_invisible_char(GTK_ENTRY(entry), '*');
    gtk_entry_set_input_purpose(GTK_ENTRY(entry), GTK_INPUT_PURPOSE_PASSWORD);
  }
  AdoptWidget(entry, FieldSpokenName(name_, style_.accessibleName), ATK_ROLE_INVALID);
  gtk_widget_set_size_request(entry, std::max(1, TwipsToPixels(r.width)),
                              std::max(1, TwipsToPixels(r.height)));
}

void TextBoxControl::SetText(const std::string& text) {
  text_ = text;
  if (Live()) gtk_entry_set_text(GTK_ENTRY(widget_), text.c_str());
}

std::string TextBoxControl::Text() const {
  if (!Live()) return text_;
  return gtk_entry_get_text(GTK_ENTRY(widget_));
}

void TextBoxControl::SetFocus() {
  if (!Live()) return;
  gtk_widget_grab_focus(widget_);
  // The caret goes to the end of the text; nothing is selected.
  gtk_editable_set_position(GTK_EDITABLE(widget_), -1);
}

// ---------------------------------------------------------------- check box

CheckBoxControl::CheckBoxControl(std::string name, const Rect& r, const ControlStyle& style,
                                 std::shared_ptr<WindowState> window)
    : ControlBase(std::move(name), style, std::move(window)) {
  EnsureControlStyles();
  GtkWidget* check = gtk_check_button_new();
  gtk_style_context_add_class(gtk_widget_get_style_context(check), "lumaro");
  AdoptWidget(check, FieldSpokenName(name_, style_.accessibleName), ATK_ROLE_INVALID);
  gtk_widget_set_size_request(check, std::max(1, TwipsToPixels(r.width)),
                              std::max(1, TwipsToPixels(r.height)));
  signals_.Connect(check, "toggled", OnToggled, this);
}

void CheckBoxControl::SetChecked(bool checked) {
  checked_ = checked;
  if (!Live()) return;
  settingChecked_ = true;
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget_), checked);
  settingChecked_ = false;
}

void CheckBoxControl::OnToggled(GtkToggleButton* button, gpointer data) {
  auto* self = static_cast<CheckBoxControl*>(data);
  self->checked_ = gtk_toggle_button_get_active(button);
  if (self->settingChecked_) return;
  std::function<void()> handler = self->onClick;
  if (handler) RunHandler(std::shared_ptr<WindowState>(self->window_), handler);
}

// ---------------------------------------------------------------- timer

Timer::Timer(int intervalMs, bool enabled, std::shared_ptr<WindowState> window)
    : interval_(intervalMs), enabled_(enabled), window_(std::move(window)) {
  Restart();
}

Timer::~Timer() {
  if (source_ && !ShuttingDown()) g_source_remove(source_);
}

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Restart();
}

void Timer::SetInterval(int ms) {
  interval_ = ms;
  Restart();
}

void Timer::Stop() {
  enabled_ = false;
  Restart();
}

void Timer::Restart() {
  if (source_) {
    g_source_remove(source_);
    source_ = 0;
  }
  // An interval of 0 (or less) keeps the timer from ticking, as does a
  // closed window.
  if (!enabled_ || interval_ <= 0 || window_->closed) return;
  source_ = g_timeout_add_full(G_PRIORITY_DEFAULT, guint(interval_), OnTick,
                               new TickData{alive_, this},
                               [](gpointer p) { delete static_cast<TickData*>(p); });
}

gboolean Timer::OnTick(gpointer data) {
  auto* tick = static_cast<TickData*>(data);
  if (tick->alive.expired()) return G_SOURCE_REMOVE;
  Timer* timer = tick->timer;
  const guint id = timer->source_;
  // While a page call waits, the tick runs once it has returned.
  std::weak_ptr<bool> alive = tick->alive;
  DispatchGate::Get().Tick(timer, alive, [timer, alive] {
    if (alive.expired() || !timer->enabled_ || timer->window_->closed) return;
    // The handler may disable, re-arm or destroy the timer: copy it first.
    std::function<void()> handler = timer->onTick;
    if (handler) RunHandler(std::shared_ptr<WindowState>(timer->window_), handler);
  });
  if (tick->alive.expired()) return G_SOURCE_REMOVE;
  return id != 0 && timer->source_ == id ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

}  // namespace lumaro::gtk
