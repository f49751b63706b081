// Helpers shared by the GTK implementation files.
#pragma once

#include <glib-object.h>

#include <cmath>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/ui.h"

namespace lumaro::gtk {

// Twips to whole pixels (15 twips per pixel), rounded to the nearest pixel.
inline int TwipsToPixels(int twips) { return int(std::lround(twips / double(kTwipsPerPixel))); }

// Signal handlers connected on behalf of one C++ object. Each connected
// object is referenced, so that the handlers can be disconnected safely
// even after the widgets were destroyed.
class Connections {
 public:
  Connections() = default;
  Connections(const Connections&) = delete;
  Connections& operator=(const Connections&) = delete;
  ~Connections() { DisconnectAll(); }

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

// Expires with its owner; callbacks that may outlive the owner hold a
// weak_ptr to it and do nothing once it has expired.
using AliveToken = std::shared_ptr<bool>;
inline AliveToken NewAliveToken() { return std::make_shared<bool>(true); }

// Runs `fn` from an idle callback unless `token` has expired by then.
void RunWhenIdle(std::weak_ptr<bool> token, std::function<void()> fn);

// Pages' writes that wait to be sent (the browser sends a handler's writes
// together) go out: at the end of every handler, and before anything that
// lets the world in (a modal window, a fetch's wait).
void FlushPageWrites();
void SetPageWriteFlusher(void (*flush)());

}  // namespace lumaro::gtk

namespace lumaro::gtk {

// True once ShutdownGtkPlatform has run: native objects are left alone.
bool ShuttingDown();
void SetShuttingDown();

}  // namespace lumaro::gtk

#include <exception>

#include <glib.h>

namespace lumaro::gtk {

// Calls a handler of the program's windows from a GLib callback: nothing
// may be thrown through GTK.
template <class Fn>
void Guarded(Fn&& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    g_warning("event handler failed: %s", e.what());
  } catch (...) {
    g_warning("event handler failed");
  }
}

}  // namespace lumaro::gtk
