// The embedded browser lives in a module of its own: WebKitGTK and the
// libraries it pulls in take about a tenth of a second to load, which the
// program would otherwise spend before its first window appears. The module
// is loaded shortly after the first window is up, or at the latest when the
// first browser is made.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/ui.h"
#include "platform/control_base.h"
#include "platform/window_state.h"

namespace lumaro::gtk {

using BrowserControl = ControlBase<IBrowser>;
using BrowserMaker = std::unique_ptr<BrowserControl> (*)(
    const std::string& name, const Rect& r, const ControlStyle& style,
    std::shared_ptr<WindowState> window, std::function<void()> closeWindow);

// Loads the browser module from the main loop a moment from now; returns at
// once.
void PreloadBrowserModule();
// As PreloadBrowserModule, and then starts the browser's web process, so
// that the first page a window shows does not wait for it.
void PrepareWebProcess();

// A new browser control. When the module cannot be loaded, a stand-in that
// says so in its area and has no document.
std::unique_ptr<BrowserControl> MakeBrowser(const std::string& name, const Rect& r,
                                            const ControlStyle& style,
                                            std::shared_ptr<WindowState> window,
                                            std::function<void()> closeWindow);

// The module's file name and the entry points it exports.
inline constexpr const char* kBrowserModuleFile = "lumaro_webkit.so";
inline constexpr const char* kBrowserMakerSymbol = "lumaro_webkit_browser_maker";
inline constexpr const char* kWebProcessStarterSymbol = "lumaro_webkit_start_web_process";

}  // namespace lumaro::gtk

// Defined by the browser module (and by programs that link the browser in).
extern "C" lumaro::gtk::BrowserMaker lumaro_webkit_browser_maker();
extern "C" void lumaro_webkit_start_web_process();
