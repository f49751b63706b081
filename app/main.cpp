// Lumaro: the desktop client of the web-visitor statistics service.
#include <cstdio>

#include "core/startup.h"
#include "platform/gtk_platform.h"
#include "signin/frmlogin.h"
#include "windows/frmUP.h"

int main(int argc, char** argv) {
  if (!lumaro::InitGtkPlatform(&argc, &argv)) {
    std::fputs("lumaro: no graphical display available (set DISPLAY)\n", stderr);
    return 1;
  }
  lumaro::InstallGtkPlatform();
  lumaro::StartupWindows& openers = lumaro::StartupOpeners();
  openers.showLogin = [] { lumaro::ShowLoginWindow(); };
  openers.showUpdate = [] { lumaro::ShowUpdateWindow(); };

  lumaro::Main();
  // The program ends when its last window has closed.
  lumaro::RunUntilLastWindowCloses();
  lumaro::ShutdownGtkPlatform();
  return 0;
}
