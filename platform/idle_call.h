// Work run from the main loop once it is idle, for an owner that may be gone
// by then.
#pragma once

#include <functional>
#include <memory>

namespace lumaro::gtk {

// Runs `fn` from an idle callback unless `token` (an AliveToken of the
// owner) has expired by then.
void RunWhenIdle(std::weak_ptr<bool> token, std::function<void()> fn);

}  // namespace lumaro::gtk
