// Entry point of the browser module.
#include "platform/browser_module.h"
#include "platform/webkit/web_context.h"
#include "platform/webkit/webkit_browser.h"

namespace {

std::unique_ptr<lumaro::gtk::BrowserControl> MakeWebkitBrowser(
    const std::string& name, const lumaro::Rect& r, const lumaro::ControlStyle& style,
    std::shared_ptr<lumaro::gtk::WindowState> window, std::function<void()> closeWindow) {
  return std::make_unique<lumaro::gtk::WebkitBrowser>(name, r, style, std::move(window),
                                                      std::move(closeWindow));
}

}  // namespace

extern "C" __attribute__((visibility("default"))) lumaro::gtk::BrowserMaker
lumaro_webkit_browser_maker() {
  return &MakeWebkitBrowser;
}

extern "C" __attribute__((visibility("default"))) void lumaro_webkit_start_web_process() {
  lumaro::gtk::StartWebProcess();
}
