// The program's single shared windows (login, registration, member and agent
// consoles, detail viewer, update window) live in function-local statics.
// The executable releases them while the platform that made their windows
// still exists.
#pragma once

namespace lumaro {

// Destroys every shared window object (closed or not).
void ReleaseSharedWindows();

}  // namespace lumaro
