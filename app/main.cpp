// Lumaro: the desktop client of the web-visitor statistics service.
#include <cstdio>

#include "core/startup.h"
#include "member/frmAdmin.h"
#include "platform/gtk_platform.h"
#include "signin/frmlogin.h"
#include "windows/frmCheckCode.h"
#include "windows/frmUP.h"
#include "windows/frmViewMemo.h"
#include "windows/frmViewQQ.h"
#include "windows/shared_windows.h"

int main(int argc, char** argv) {
  if (!lumaro::InitGtkPlatform(&argc, &argv)) {
    std::fputs("lumaro: no graphical display available (set DISPLAY)\n", stderr);
    return 1;
  }
  lumaro::InstallGtkPlatform();
  lumaro::StartupWindows& openers = lumaro::StartupOpeners();
  openers.showLogin = [] { lumaro::ShowLoginWindow(); };
  openers.showUpdate = [] { lumaro::ShowUpdateWindow(); };

  // The member console's links open these as fresh modal windows.
  lumaro::MemberWindows& member = lumaro::MemberWindowOpeners();
  auto console = [] { return &lumaro::frmAdmin::Instance().Window(); };
  member.siteChecker = [console] { lumaro::OpenSiteCodeChecker(console()); };
  member.memoViewer = [console] { lumaro::OpenMemoViewer(console()); };
  member.visitorViewer = [console] { lumaro::OpenVisitorViewer(console()); };

  lumaro::Main();
  // The first window is up: the browser that the consoles need is loaded
  // while the user signs in.
  if (lumaro::OpenWindowCount() > 0) lumaro::PreloadBrowser();
  // The program ends when its last window has closed.
  lumaro::RunUntilLastWindowCloses();
  lumaro::ReleaseSharedWindows();
  lumaro::ShutdownGtkPlatform();
  return 0;
}
