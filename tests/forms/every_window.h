// Every window of the program, opened once each as its opener opens it, for
// tests of what all windows must have in common.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_ui.h"

namespace lumaro {

// Opens each window in turn and runs `check` while it is shown. The site
// checker asks for its site address first: the test scripts that request.
// Returns the names of the windows checked, in order (every window once).
std::vector<std::string> ForEveryWindow(FakeUiFactory& ui,
                                        const std::function<void(FakeWindow&)>& check);

}  // namespace lumaro
