// The program's top-level windows: each a GtkWindow whose client area is a
// GtkLayout of the form's design size, with the form's background picture
// and its controls; the factory that makes them, and what the platform asks
// of the open ones.
//
// Outer sizes: the layouts' fixed outer sizes were made for a classic
// desktop frame of 7 x 34 pixels (105 x 510 twips). Outer sizes here are
// the client size plus that frame, whatever the window manager draws, so a
// form that sets its outer size gets the client area it was designed for.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "core/ui.h"

namespace lumaro::gtk {

// Makes the windows of core/ui.h as GTK windows.
class WindowFactory : public IUiFactory {
 public:
  std::unique_ptr<IWindow> CreateWindow(const WindowAttributes& attributes) override;
};

// The window a message box belongs to: the focused window of this program,
// else the newest open modal window, else the newest open window; nullptr
// when none is open.
GtkWindow* CurrentParentWindow();

// Native widgets behind the interfaces (for tests and diagnostics); nullptr
// when the object is not one of this platform's.
GtkWidget* NativeWindowOf(IWindow* window);
GtkWidget* NativeClientAreaOf(IWindow* window);
GtkWidget* NativeControlOf(IWindow* window, const std::string& controlName);

}  // namespace lumaro::gtk
