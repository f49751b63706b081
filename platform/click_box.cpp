#include "platform/click_box.h"

#include <gtk/gtk-a11y.h>

#include "platform/takes_input.h"

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

namespace lumaro::gtk {

GtkWidget* NewClickBox(IControl* control) {
  auto* box = static_cast<LumaroClickBox*>(g_object_new(lumaro_click_box_get_type(), nullptr));
  box->control = control;
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(box), FALSE);
  return GTK_WIDGET(box);
}

void ForgetClickBoxControl(GtkWidget* box) {
  if (box && G_TYPE_CHECK_INSTANCE_TYPE(box, lumaro_click_box_get_type()))
    reinterpret_cast<LumaroClickBox*>(box)->control = nullptr;
}

}  // namespace lumaro::gtk
