// The member console: a skinned window around the browser that shows the
// service's member pages, with a menu, a toolbar and the welcome page.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/shared_window.h"
#include "core/ui.h"
#include "windows/console_toolbar.h"

namespace lumaro {

class frmAdmin : public SharedInstance<frmAdmin> {
 public:
  // Creates the window with its controls and runs the window load.
  frmAdmin();
  frmAdmin(const frmAdmin&) = delete;
  frmAdmin& operator=(const frmAdmin&) = delete;

  void Show();
  IWindow& Window() { return *window_; }
  // The window has closed (by Close() or its close box).
  bool Closed() const { return closed_; }

  // Event handlers.
  void Form_Load();
  void Form_Resize();
  void Timer1_Timer();
  void tmrHand_Timer();
  void tmrTest_Timer();
  void web_DocumentComplete(const std::string& url);
  void web_BeforeNavigate2(BeforeNavigateArgs& args);
  bool m_doc_onclick();
  void m_doc_onkeyup();

  // The keep-alive address composed by the last tmrHand tick ("" before).
  const std::string& KeepAliveAddress() const { return keepAliveAddress_; }

  // Controls.
  IBrowser* web = nullptr;
  IPicture* Image1 = nullptr;
  IPicture* picture2 = nullptr;
  IPicture* Image5 = nullptr;
  IPicture* Image2 = nullptr;
  IPicture* Image3 = nullptr;
  IPicture* Image6 = nullptr;
  ILabel* lblTop = nullptr;
  ILabel* lblUser = nullptr;
  ILabel* lblTip = nullptr;
  ILabel* lblSubTip = nullptr;
  ILabel* lblItem1 = nullptr;
  ILabel* lblitem3 = nullptr;
  ILabel* lblitem2 = nullptr;
  ILabel* lblitem6 = nullptr;
  ILabel* lblItem7 = nullptr;
  ILabel* lblItem8 = nullptr;
  ConsoleToolbar toolbar;  // lblEdit, lblHome, lblBack, lblGo, lblReFresh, lblExit, lblSearch
  ILabel* Label1 = nullptr;
  ITimer* Timer1 = nullptr;
  ITimer* tmrHand = nullptr;
  ITimer* tmrTest = nullptr;

 private:
  // The guard's steps; each returns true when it has ended the handler.
  void Guard(BeforeNavigateArgs& args);
  bool CheckSiteForm(IDocument& doc, BeforeNavigateArgs& args);
  bool CheckKeywordQuery(IDocument& doc, BeforeNavigateArgs& args);
  bool CheckPasswordChange(IDocument& doc, BeforeNavigateArgs& args);
  bool CheckRankUpdate(IDocument& doc, BeforeNavigateArgs& args);
  bool CheckAdForm(IDocument& doc, BeforeNavigateArgs& args);
  // Shows `message`, puts the caret into the page field and cancels.
  bool RejectAt(IDocument& doc, BeforeNavigateArgs& args, const std::string& field,
                const std::string& message, bool information);
  // After a wait (a message box, a modal window, a fetch): true when the
  // console has closed meanwhile, with the navigation cancelled; the handler
  // then ends without touching the page or saying more.
  bool ClosedMeanwhile(BeforeNavigateArgs& args);
  void OpenSiteChecker(const std::string& id);
  void OpenWindow(const std::function<void(IWindow&)>& opener);

  void ShowWelcomePage();
  // Sets the title area and loads kServiceBase + page + the stamp.
  void OpenMenuPage(const std::string& title, const std::string& page);

  std::unique_ptr<IWindow> window_;
  bool closed_ = false;
  std::string keepAliveAddress_;
  // The document of the last completed load; nullptr before the first.
  IDocument* m_doc = nullptr;
};

// How the guard opens the windows it shows in place of a request: each
// opener creates a new window, shows it modally over `owner` (the console
// whose guard opens it) and returns once it has closed. The hand-off
// variable (gCheckTarget, gMemoTarget, gVisitorTarget) is set before the
// opener runs. An opener that is not set opens nothing.
struct MemberWindows {
  std::function<void(IWindow& owner)> siteChecker;    // frmCheckCode
  std::function<void(IWindow& owner)> memoViewer;     // frmViewMemo
  std::function<void(IWindow& owner)> visitorViewer;  // frmViewQQ
};
MemberWindows& MemberWindowOpeners();

// Opens the shared member console (modeless).
void ShowMemberConsole();

// The account whose console offers the ad page.
inline constexpr const char* kSpecialAccount = "vyrd";

}  // namespace lumaro
