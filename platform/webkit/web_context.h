// The one web context and settings every browser of the program shares, and
// the web process started ahead of the first browser.
#pragma once

#include <webkit2/webkit2.h>

namespace lumaro::gtk {

// One web context for the program: its pages share the service's session
// cookies, and nothing is written to disk. WebKit's sandbox is on where it
// can run (the download folder allowed); where it cannot, the program says
// so in one line on standard error and runs without it.
WebKitWebContext* SharedContext();
// The settings of every view: GBK for pages without a character set, no
// windows opened without a click, no developer tools, no GPU.
WebKitSettings* SharedSettings();

// Starts the browser's web process with an empty page nobody sees, unless a
// browser has been made already.
void StartWebProcess();
// For the first browser made: the view of that empty page (the caller makes
// its view share the page's process and then lets it go), or nullptr; from
// then on StartWebProcess does nothing.
WebKitWebView* TakeWarmView();

}  // namespace lumaro::gtk
