// The timers of a window: GLib timeouts whose ticks run the window's
// handler in turn with the user's input (core/dispatch_gate.h).
#pragma once

#include <glib.h>

#include <memory>

#include "core/ui.h"
#include "platform/alive_token.h"
#include "platform/window_state.h"

namespace lumaro::gtk {

// A timer of a window. An interval of 0 (or less) keeps it from ticking, as
// does its window's closing.
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

}  // namespace lumaro::gtk
