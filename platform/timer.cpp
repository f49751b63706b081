#include "platform/timer.h"

#include <functional>
#include <utility>

#include "core/dispatch_gate.h"
#include "platform/run_handler.h"
#include "platform/shutting_down.h"

namespace lumaro::gtk {

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
