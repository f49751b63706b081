// The agent console: the skinned main window of the service's agents and
// administrators around the browser that shows the agent pages, with its
// menu, toolbar, chat links, version setting and the checks made before the
// browser posts one of the agent forms.
#pragma once

#include <memory>
#include <string>

#include "core/desktop.h"
#include "core/shared_window.h"
#include "core/ui.h"
#include "windows/console_toolbar.h"

namespace lumaro {

class frmSys : public SharedInstance<frmSys> {
 public:
  // Creates the window with its controls and runs the window load.
  frmSys();
  frmSys(const frmSys&) = delete;
  frmSys& operator=(const frmSys&) = delete;

  void Show();
  IWindow& Window() { return *window_; }
  // The window has closed (by Close() or its close box).
  bool Closed() const { return closed_; }

  // Event handlers.
  void Form_Load();
  void Form_Resize();
  void tmrHand_Timer();
  void Image4_Click();
  void Image8_Click();
  void lbl8_Click();
  void web_BeforeNavigate2(BeforeNavigateArgs& args);
  void web_NewWindow2(NewWindowArgs& args);

  // The keep-alive address composed by the last tmrHand tick ("" before).
  const std::string& KeepAliveAddress() const { return keepAliveAddress_; }

  // Controls.
  IBrowser* web = nullptr;
  IPicture* Image6 = nullptr;
  IPicture* Image1 = nullptr;
  IPicture* Picture2 = nullptr;
  IPicture* Image2 = nullptr;
  IPicture* Image3 = nullptr;
  IPicture* Image5 = nullptr;
  IPicture* Image7 = nullptr;
  IPicture* Picture1 = nullptr;
  IPicture* img8 = nullptr;
  IPicture* Image4 = nullptr;
  IPicture* Image8 = nullptr;
  IPicture* Image9 = nullptr;
  ILabel* lblTop = nullptr;
  ILabel* lblUser = nullptr;
  ILabel* lblTip = nullptr;
  ILabel* lblSubTip = nullptr;
  ILabel* lbl1 = nullptr;
  ILabel* lblItem1 = nullptr;
  ILabel* lblItem2 = nullptr;
  ILabel* lblItem4 = nullptr;
  ILabel* lbl2 = nullptr;
  ILabel* lbl3 = nullptr;
  ILabel* Label1 = nullptr;
  ILabel* lbl7 = nullptr;
  ILabel* Label4 = nullptr;
  ILabel* Label3 = nullptr;
  ILabel* Label2 = nullptr;
  ILabel* lbl8 = nullptr;
  ConsoleToolbar toolbar;  // lblEdit, lblHome, lblBack, lblGo, lblReFresh, lblExit, lblSearch
  ITimer* tmrHand = nullptr;

 private:
  void ShowWelcomePage();
  // Sets the title area and loads kServiceBase + page + the stamp.
  void OpenMenuPage(const std::string& title, const std::string& page, bool navigate2 = false);
  void OpenChatLink();

  // The guard's rules; each returns true when it has ended the handler.
  void Guard(BeforeNavigateArgs& args);
  bool CheckOpeningDays(IDocument& doc, BeforeNavigateArgs& args);
  bool CheckKeywordQuery(IDocument& doc, BeforeNavigateArgs& args);
  bool CheckPasswordChange(IDocument& doc, BeforeNavigateArgs& args);
  bool CheckNewAccount(IDocument& doc, BeforeNavigateArgs& args);
  bool CheckSettings(IDocument& doc, BeforeNavigateArgs& args);
  void DivertChatLink(BeforeNavigateArgs& args);
  // A failed check: the message, the caret into `field` (none when empty),
  // and the navigation stopped. A field that cannot take the focus throws,
  // which ends in the handler's recovery.
  bool Reject(IDocument& doc, BeforeNavigateArgs& args, const std::string& message,
              const std::string& field, MsgIcon icon = MsgIcon::None);
  // After a wait (a message box, a fetch): true when the console has closed
  // meanwhile, with the navigation cancelled; the handler then ends without
  // touching the page or saying more.
  bool ClosedMeanwhile(BeforeNavigateArgs& args);

  std::unique_ptr<IWindow> window_;
  bool closed_ = false;
  std::string keepAliveAddress_;
};

// Opens the shared agent console (modeless).
void ShowAgentConsole();


// True when `text` reads as a number as a whole: digits with an optional
// sign, decimal point and exponent, blanks around it allowed. The empty
// text, and a number too large to hold, are not numeric.
bool IsNumericText(const std::string& text);

}  // namespace lumaro
