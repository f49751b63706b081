// Real input for the platform tests: pointer and keys through XTEST
// (xdotool), at positions of GTK widgets on the screen.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

#include "core/ui.h"

namespace lumaro::platform_test {

bool HaveXdotool();

// Counts the times a widget is drawn, from the watch's creation on.
class DrawWatch {
 public:
  explicit DrawWatch(GtkWidget* widget);
  ~DrawWatch();
  DrawWatch(const DrawWatch&) = delete;
  DrawWatch& operator=(const DrawWatch&) = delete;

  // Runs the main loop until the widget has been drawn since the watch
  // began and what was ready after that has been handled; false when it was
  // not drawn within the wait limit.
  bool WaitForDraw();

 private:
  GtkWidget* widget_;
  gulong handler_;
  int draws_ = 0;
};

// Shows `window` and runs the loop until it is mapped and painted.
void ShowAndSettle(IWindow* window);

// Runs the main loop until the input sent to the display so far has been
// handled: the display has handed over the events it made of it, no input
// is held for a page (a page has taken in what it was sent) and nothing
// that was ready is left. False when that did not happen within the wait
// limit.
bool RunUntilInputHandled();

// The visible dialog of this program, if one is up (nullptr otherwise).
GtkDialog* VisibleDialog();

// Answers the visible dialog of this program with `response` once it is up
// and `ready` holds, as seen from the main loop (also from the dialog's own
// loop). At the wait limit it answers the dialog whether `ready` holds or
// not, so that a test whose event never comes fails instead of hanging.
void AnswerDialogWhen(std::function<bool()> ready, int response);

// Clicks (button 1) at (dx, dy) inside `widget`, or at its centre, and
// runs the loop until the click has been handled.
void ClickWidget(GtkWidget* widget, int dx = -1, int dy = -1, int clicks = 1);
// Sends keys as xdotool names them ("Return", "alt+d", "a b c" types words)
// and runs the loop until they have been handled.
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
