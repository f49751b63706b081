#include "platform/input_gate.h"

#include <memory>

#include "core/dispatch_gate.h"

namespace lumaro::gtk {

namespace {

constexpr const char* kCatchUpKey = "lumaro-page-catch-up";

bool g_wakePending = false;

// What the user does with the keyboard, the mouse and the frame's close box.
bool IsInput(GdkEventType type) {
  switch (type) {
    case GDK_KEY_PRESS:
    case GDK_KEY_RELEASE:
    case GDK_BUTTON_PRESS:
    case GDK_2BUTTON_PRESS:
    case GDK_3BUTTON_PRESS:
    case GDK_BUTTON_RELEASE:
    case GDK_MOTION_NOTIFY:
    case GDK_SCROLL:
    case GDK_ENTER_NOTIFY:
    case GDK_LEAVE_NOTIFY:
    case GDK_TOUCH_BEGIN:
    case GDK_TOUCH_UPDATE:
    case GDK_TOUCH_END:
    case GDK_TOUCH_CANCEL:
    case GDK_TOUCHPAD_SWIPE:
    case GDK_TOUCHPAD_PINCH:
    case GDK_DELETE:
      return true;
    default:
      return false;
  }
}

// The page widget that a key or a click goes to, when it goes to one.
GtkWidget* PageTarget(GdkEvent* event) {
  GtkWidget* widget = gtk_get_event_widget(event);
  if (!widget) return nullptr;
  switch (event->type) {
    case GDK_KEY_PRESS:
    case GDK_KEY_RELEASE: {
      GtkWidget* top = gtk_widget_get_toplevel(widget);
      widget = GTK_IS_WINDOW(top) ? gtk_window_get_focus(GTK_WINDOW(top)) : nullptr;
      break;
    }
    case GDK_BUTTON_PRESS:
    case GDK_BUTTON_RELEASE:
      break;
    default:
      return nullptr;
  }
  return widget && g_object_get_data(G_OBJECT(widget), kCatchUpKey) ? widget : nullptr;
}

void Deliver(GdkEvent* event) {
  // Where a key goes is decided before GTK handles it: handling may move the
  // focus.
  GtkWidget* page = PageTarget(event);
  if (page) g_object_ref(page);
  gtk_main_do_event(event);
  if (!page) return;
  auto catchUp = reinterpret_cast<PageCatchUp>(g_object_get_data(G_OBJECT(page), kCatchUpKey));
  if (catchUp && gtk_widget_get_realized(page)) catchUp(page, DispatchGate::Get().AwaitPage());
  g_object_unref(page);
}

void OnEvent(GdkEvent* event, gpointer) {
  if (!IsInput(event->type)) {
    gtk_main_do_event(event);
    return;
  }
  DispatchGate& gate = DispatchGate::Get();
  if (!gate.HoldingInput()) {
    Deliver(event);
    return;
  }
  std::shared_ptr<GdkEvent> copy(gdk_event_copy(event), gdk_event_free);
  gate.Input([copy] { Deliver(copy.get()); });
}

void Wake();

gboolean RunGate(gpointer) {
  g_wakePending = false;
  DispatchGate& gate = DispatchGate::Get();
  // One item a callback: an item may wait in a loop of its own (a modal
  // window), where the next callback goes on with the queue.
  if (gate.RunNext() && gate.HasDue()) Wake();
  return G_SOURCE_REMOVE;
}

void Wake() {
  if (g_wakePending) return;
  g_wakePending = true;
  g_idle_add_full(G_PRIORITY_DEFAULT, RunGate, nullptr, nullptr);
}

}  // namespace

void InstallInputGate() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  DispatchGate::Get().SetWake(Wake);
  gdk_event_handler_set(OnEvent, nullptr, nullptr);
}

void SetPageCatchUp(GtkWidget* widget, PageCatchUp catchUp) {
  g_object_set_data(G_OBJECT(widget), kCatchUpKey, reinterpret_cast<gpointer>(catchUp));
}

}  // namespace lumaro::gtk
