// The styles the windows' designs share. Each builder returns a whole
// ControlStyle; a design refines one with ControlStyle's own modifiers
// (Hidden(), InPanel(), WithTooltip(), WithFont(), AsPassword()).
#pragma once

#include <cstdint>
#include <string>

#include "core/ui.h"

namespace lumaro {

inline constexpr uint32_t kWhite = PackRRGGBB(255, 255, 255);
inline constexpr uint32_t kRed = PackRRGGBB(255, 0, 0);
inline constexpr uint32_t kNavy = PackRRGGBB(0, 0, 128);

// A control that assistive tools name `accessibleName`.
ControlStyle NamedStyle(const std::string& accessibleName);

// Text in `color`.
ControlStyle TextStyle(uint32_t color);

// A label or picture that does something when clicked: the hand cursor, a
// stop of the Tab key, named `purpose` for assistive tools (a label without
// a purpose is named by its caption).
ControlStyle ClickableStyle(const std::string& purpose = "");

// A menu entry: text in `color` that is clicked (ClickableStyle).
ControlStyle MenuEntryStyle(uint32_t color);

// A caption-less label over a part of the skin that does something, which
// nothing on the screen marks: no hand cursor, and Tab passes it by.
ControlStyle UnmarkedSpotStyle(const std::string& purpose);

// A picture showing the asset `image`; `stretch` scales it to the control.
ControlStyle PictureStyle(const std::string& image, bool stretch = false);

// A browser showing the window's page (named "网页"), taking the keys people
// know from web browsers (reload, history, zoom, find, print).
ControlStyle PageBrowserStyle();

// A browser the user never sees (it lies under other controls), named
// `purpose` for assistive tools: Tab passes it by, so that the keyboard
// never lands in its page.
ControlStyle UnseenBrowserStyle(const std::string& purpose);

}  // namespace lumaro
