// Lumaro: the desktop client of the web-visitor statistics service.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "agent/frmSys.h"
#include "core/dispatch_gate.h"
#include "core/shared_window.h"
#include "core/startup.h"
#include "member/frmAdmin.h"
#include "platform/gtk_platform.h"
#include "signin/frmlogin.h"
#include "windows/frmCheckCode.h"
#include "windows/frmUP.h"
#include "windows/frmViewMemo.h"
#include "windows/frmViewQQ.h"

int main(int argc, char** argv) {
  // A write past the file size limit (a full disk's quota) fails as a write
  // and leaves the file it replaces as it was, instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  if (!lumaro::gtk::InitGtkPlatform(&argc, &argv)) {
    std::fputs("lumaro: no graphical display available (set DISPLAY)\n", stderr);
    return 1;
  }
  lumaro::gtk::InstallGtkPlatform();
  lumaro::StartupWindows& openers = lumaro::StartupOpeners();
  // While the login window waits for the user, the browser of the console
  // that follows is made ready.
  // (LUMARO_BROWSER_AHEAD=0 leaves it until the console: the benchmarks
  // measure what it costs.)
  static const bool browserAhead = [] {
    const char* ahead = std::getenv("LUMARO_BROWSER_AHEAD");
    return !ahead || std::string_view(ahead) != "0";
  }();
  openers.showLogin = [] {
    lumaro::ShowLoginWindow();
    if (browserAhead) lumaro::gtk::PrepareBrowser();
  };
  openers.showUpdate = [] { lumaro::ShowUpdateWindow(); };
  openers.showMemberConsole = [] { lumaro::ShowMemberConsole(); };
  openers.showAgentConsole = [] { lumaro::ShowAgentConsole(); };

  // The member console's links open these as fresh modal windows over the
  // console whose link it was.
  lumaro::MemberWindows& member = lumaro::MemberWindowOpeners();
  member.siteChecker = [](lumaro::IWindow& owner) { lumaro::OpenSiteCodeChecker(&owner); };
  member.memoViewer = [](lumaro::IWindow& owner) { lumaro::OpenMemoViewer(&owner); };
  member.visitorViewer = [](lumaro::IWindow& owner) { lumaro::OpenVisitorViewer(&owner); };

  lumaro::Main();
  // The first window is up: the browser that the consoles need is loaded
  // while the user signs in.
  if (lumaro::gtk::OpenWindowCount() > 0) lumaro::gtk::PreloadBrowser();
  // The program ends when its last window has closed.
  lumaro::gtk::RunUntilLastWindowCloses();
  lumaro::ReleaseSharedWindows();
  // Windows that closed while a handler of theirs ran and are still held go
  // now, while the platform that made them exists.
  lumaro::DispatchGate::Get().Reset();
  lumaro::gtk::ShutdownGtkPlatform();
  return 0;
}
