// The program's windows and the elements of the pages its browsers show, as
// the accessibility tree (AT-SPI) presents them: found by role and accessible
// name, focused, and checked to hold the focus before a key is pressed.
#pragma once

#include <string>

#include "a11y/atspi_driver.h"
#include "e2e/desktop_driver.h"

namespace e2e {

using a11y::Node;

// The client's application on the accessibility bus; waits up to `seconds`.
// An empty node, with a failure recorded, when AT-SPI cannot be used here
// (the tests run inside dbus-run-session) or the program never appears.
Node AccessibleApp(ClientProcess& client, double seconds = 20);

// The application's shown window (frame or dialog) with exactly that
// title; waits up to `seconds`.
Node AccessibleWindow(const Node& app, const std::string& title, double seconds = 10);

// The first element under `scope` (a window or a page), pages included,
// with that role and accessible name (the name as given, e.g. a field's
// label "网站名称："). For links, `hrefPart` (when given) keeps to the links
// whose address contains it (case-insensitive). An empty node when there is
// none.
Node PageElement(const Node& scope, AtspiRole role, const std::string& name,
                 const std::string& hrefPart = "");
// The same, waiting up to `seconds` for it to appear.
Node WaitForPageElement(const Node& scope, AtspiRole role, const std::string& name,
                        double seconds = 10, const std::string& hrefPart = "");

// A page's caption (a label element) that reads `text`; waits.
Node WaitForCaption(const Node& scope, const std::string& text, double seconds = 10);

// A page's text field (a text box or a password box) with that name; waits.
Node WaitForTextField(const Node& scope, const std::string& name, double seconds = 10);

// The page (web document) shown under `scope` whose title is `title`; waits.
Node WaitForPage(const Node& scope, const std::string& title, double seconds = 10);

// Gives the element the keyboard focus and waits until the tree says it has
// it.
bool FocusElement(const Node& element, double seconds = 5);

// Focuses the element of a page in window `windowId`, checks that it holds
// the focus, sends the keyboard to the window and presses `keys` there.
// False (and nothing pressed) when the element did not take the focus.
bool PressOn(const std::string& windowId, const Node& element, const std::string& keys = "Return");
// The same, typing `text` (ASCII) at `delayMs` a key.
bool TypeInto(const std::string& windowId, const Node& element, const std::string& text,
              int delayMs = 15);

// Clicks the element on the screen with the pointer: its middle, or the box
// of a radio button or check box.
bool ClickOn(const Node& element);

// Waits until the element's text (a text box's contents) is `text`.
bool WaitForText(const Node& element, const std::string& text, double seconds = 5);

}  // namespace e2e
