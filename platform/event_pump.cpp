#include "platform/event_pump.h"

#include <glib.h>

#include <cmath>

#include "platform/page_writes.h"

namespace lumaro::gtk {

namespace {

// A source that is always ready (a redraw loop, an animation) must not keep
// PumpEvents from returning.
constexpr int kMaxPumpIterations = 200;

gboolean StopWaiting(gpointer) { return G_SOURCE_REMOVE; }

}  // namespace

void GlibEventPump::PumpEvents() {
  FlushPageWrites();
  for (int i = 0; i < kMaxPumpIterations && g_main_context_pending(nullptr); ++i)
    g_main_context_iteration(nullptr, FALSE);
}

void GlibEventPump::WaitForEvents(double maxSeconds) {
  FlushPageWrites();
  if (!(maxSeconds > 0)) {
    g_main_context_iteration(nullptr, FALSE);
    return;
  }
  // The timeout source guarantees that the blocking iteration ends in time
  // even when nothing else happens.
  double ms = std::ceil(maxSeconds * 1000.0);
  if (ms > 24.0 * 3600 * 1000) ms = 24.0 * 3600 * 1000;
  GSource* timeout = g_timeout_source_new(guint(ms));
  g_source_set_callback(timeout, StopWaiting, nullptr, nullptr);
  g_source_attach(timeout, nullptr);
  g_main_context_iteration(nullptr, TRUE);
  g_source_destroy(timeout);
  g_source_unref(timeout);
}

}  // namespace lumaro::gtk
