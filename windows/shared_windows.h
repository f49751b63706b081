// The program's single shared windows (login, registration, member and agent
// consoles, detail viewer, update window) live in function-local statics
// (SharedWindow, core/shared_window.h). The executable releases them while
// the platform that made their windows still exists.
#pragma once

namespace lumaro {

// Lets go of every shared window object (closed or not); each is freed as
// soon as none of its handlers runs (at once when none does).
void ReleaseSharedWindows();

}  // namespace lumaro
