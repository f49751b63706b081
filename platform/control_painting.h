// How the controls and the layouts that hold them are painted: the focus
// frame, the order of the children, the face colour and the controls' style
// sheet.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>

namespace lumaro::gtk {

// Default face colour of windows and panels without a picture.
inline constexpr uint32_t kFaceColor = 0xF0F0F0;

// Sets the source of `cr` to a colour given as 0xRRGGBB.
void SetSourceRgb(cairo_t* cr, uint32_t rgb);

// Paints the keyboard focus around a control's area when the focus is on it
// and the window shows keyboard focus: a dotted frame in black and white, seen
// on any background.
void DrawFocusFrame(GtkWidget* widget, cairo_t* cr);

// Paints a layout's children in the order they were added, whatever their
// kind: GTK's own order puts every child with a window of its own (drawn
// buttons, panels, browsers) above every child without one. Call from the
// layout's draw handler for its inner window and stop the default drawing.
void DrawChildrenInOrder(GtkWidget* layout, cairo_t* cr);

// Gives a text box's or check box's widget the controls' style sheet
// (installed on the first call): as small as the classic layouts place them.
void UseControlStyles(GtkWidget* widget);

}  // namespace lumaro::gtk
