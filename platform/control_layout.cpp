#include "platform/control_layout.h"

#include <gtk/gtk-a11y.h>

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

}  // namespace lumaro::gtk
