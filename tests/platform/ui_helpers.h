// Real input for the platform tests: pointer and keys through XTEST
// (xdotool), at positions of GTK widgets on the screen.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "core/ui.h"

namespace lumaro::platform_test {

bool HaveXdotool();

// Shows `window` and runs the loop until it is mapped and painted.
void ShowAndSettle(IWindow* window);

// Clicks (button 1) at (dx, dy) inside `widget`, or at its centre.
void ClickWidget(GtkWidget* widget, int dx = -1, int dy = -1, int clicks = 1);
// Sends keys as xdotool names them ("Return", "alt+d", "a b c" types words).
void PressKeys(const std::string& keys);
void TypeText(const std::string& text);

// `root` and every widget inside it, depth first, `root` first.
std::vector<GtkWidget*> WidgetsUnder(GtkWidget* root);

// The widget's position inside its window's client area.
GdkRectangle PlaceInClient(GtkWidget* widget, GtkWidget* client);

// Colours (0xRRGGBB) of the window's pixels in `r` of its client area,
// row by row, as shown on the screen.
std::vector<uint32_t> PixelsIn(GtkWidget* client, const GdkRectangle& r);

// The colour (0xRRGGBB) of a pixel of the window's client area on screen.
uint32_t PixelAt(GtkWidget* client, int x, int y);

}  // namespace lumaro::platform_test
