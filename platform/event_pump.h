// The event pump over the default GLib main context.
#pragma once

#include "core/desktop.h"

namespace lumaro::gtk {

class GlibEventPump : public IEventPump {
 public:
  void PumpEvents() override;
  void WaitForEvents(double maxSeconds) override;
};

}  // namespace lumaro::gtk
