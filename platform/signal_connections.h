// The GLib signal handlers that one C++ object connects, disconnected
// together.
#pragma once

#include <glib-object.h>

#include <utility>
#include <vector>

namespace lumaro::gtk {

// Signal handlers connected on behalf of one C++ object. Each connected
// object is referenced, so that the handlers can be disconnected safely
// even after the widgets were destroyed.
class SignalConnections {
 public:
  SignalConnections() = default;
  SignalConnections(const SignalConnections&) = delete;
  SignalConnections& operator=(const SignalConnections&) = delete;
  ~SignalConnections() { DisconnectAll(); }

  template <class Callback>
  gulong Connect(gpointer instance, const char* signal, Callback callback, gpointer data,
                 bool after = false) {
    gulong id = g_signal_connect_data(instance, signal, G_CALLBACK(callback), data, nullptr,
                                      after ? G_CONNECT_AFTER : GConnectFlags(0));
    g_object_ref(instance);
    items_.emplace_back(instance, id);
    return id;
  }

  void DisconnectAll() {
    for (auto& [instance, id] : items_) {
      if (g_signal_handler_is_connected(instance, id)) g_signal_handler_disconnect(instance, id);
      g_object_unref(instance);
    }
    items_.clear();
  }

 private:
  std::vector<std::pair<gpointer, gulong>> items_;
};

}  // namespace lumaro::gtk
