// The GTK 3 + WebKitGTK + libcurl realisation of the interfaces in
// core/desktop.h and core/ui.h.
//
// Typical use in an executable:
//
//   if (!lumaro::gtk::InitGtkPlatform(&argc, &argv)) { /* no display */ }
//   lumaro::gtk::InstallGtkPlatform();        // fills Desktop()
//   ... open the first window ...
//   lumaro::gtk::RunUntilLastWindowCloses();  // the program's main loop
//   lumaro::gtk::ShutdownGtkPlatform();
#pragma once

#include "core/desktop.h"

namespace lumaro::gtk {

// Opens the display. False when there is none (DISPLAY unset or unreachable).
bool InitGtkPlatform(int* argc, char*** argv);

// Creates the real services once and installs them with InstallDesktop.
// Call after InitGtkPlatform. Returns the installed set.
DesktopServices InstallGtkPlatform();

// Top-level windows that have been shown and not closed yet.
int OpenWindowCount();

// Runs the main loop until no window is open; returns at once when none is.
void RunUntilLastWindowCloses();

// Loads the embedded browser a moment from now, once the first window has
// appeared, so that the first window with a page does not wait for it.
void PreloadBrowser();
// As PreloadBrowser, and the browser's web process is started too: the
// first page of the window that comes next loads without waiting for it.
void PrepareBrowser();

// The program is ending: window objects destroyed from now on (for example
// by static destructors) leave their native widgets alone.
void ShutdownGtkPlatform();

}  // namespace lumaro::gtk
