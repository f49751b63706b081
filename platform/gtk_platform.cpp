#include "platform/gtk_platform.h"

#include <gtk/gtk.h>

#include "platform/assets.h"
#include "platform/browser_module.h"
#include "platform/curl_http.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/input_gate.h"
#include "platform/linux_system.h"
#include "platform/shutting_down.h"
#include "platform/top_window.h"

namespace lumaro::gtk {

bool InitGtkPlatform(int* argc, char*** argv) {
  g_set_prgname("lumaro");
  // An X server that is busy turns new connections away for a moment
  // (EAGAIN): a display that is named is tried again for up to two seconds.
  bool opened = gtk_init_check(argc, argv);
  for (int i = 0; !opened && i < 20 && g_getenv("DISPLAY"); ++i) {
    g_usleep(100 * 1000);
    opened = gtk_init_check(argc, argv);
  }
  if (!opened) return false;
  InstallInputGate();
  if (GdkPixbuf* icon = AssetPixbuf("lumaro.svg", 48, 48)) gtk_window_set_default_icon(icon);
  return true;
}

DesktopServices InstallGtkPlatform() {
  // Created once and never destroyed: windows released by static
  // destructors may still reach them.
  static DesktopServices services = [] {
    DesktopServices s;
    s.pump = new GlibEventPump();
    s.clock = new SystemClock();
    s.http = new CurlHttpFactory();
    s.files = new LocalFiles();
    s.shell = new XdgShell();
    s.instance = new FlockInstanceGuard();
    s.dialogs = new Dialogs();
    s.ui = new WindowFactory();
    return s;
  }();
  InstallDesktop(services);
  return services;
}

void RunUntilLastWindowCloses() {
  while (OpenWindowCount() > 0) g_main_context_iteration(nullptr, TRUE);
}

void PreloadBrowser() { PreloadBrowserModule(); }

void PrepareBrowser() { PrepareWebProcess(); }

void ShutdownGtkPlatform() { SetShuttingDown(); }

}  // namespace lumaro::gtk
