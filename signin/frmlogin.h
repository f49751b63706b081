// The login window: signs a member in and opens the member console.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/shared_window.h"
#include "core/ui.h"

namespace lumaro {

class frmlogin : public SharedInstance<frmlogin> {
 public:
  // Creates the window with its controls and runs the window load.
  frmlogin();
  frmlogin(const frmlogin&) = delete;
  frmlogin& operator=(const frmlogin&) = delete;

  void Show();
  IWindow& Window() { return *window_; }
  // The window has closed (by Close() or its close box).
  bool Closed() const { return closed_; }

  // Event handlers.
  void Form_Load();
  void Form_Resize();
  void tmrClear_Timer();
  void cmdLogin_Click();
  void cmdExit_Click();
  void lblReg_Click();

  // Controls. The registration window writes the new user name into
  // txtuser and empties txtpass.
  ITextBox* txtuser = nullptr;
  ITextBox* txtpass = nullptr;
  ICheckBox* chkWrite = nullptr;
  IPicture* Image2 = nullptr;
  IPicture* Image3 = nullptr;
  IPicture* cmdLogin = nullptr;
  ILabel* lblLogin = nullptr;
  IPicture* cmdExit = nullptr;
  ILabel* lblExit = nullptr;
  IPicture* imgReg = nullptr;
  ILabel* lblReg = nullptr;
  ILabel* lblInfo = nullptr;
  ITimer* tmrClear = nullptr;

 private:
  void SignIn();
  void LoadRememberedSignIn();

  std::unique_ptr<IWindow> window_;
  bool signingIn_ = false;
  bool closed_ = false;
};

// Opens the shared login window (modeless).
void ShowLoginWindow();

// Separator of the fields of the remembered sign-in file's line.
inline constexpr const char* kIniSeparator = "@@@@@@@@@@";

// Whether the service's answer to the sign-in request accepts the user: its
// first "||" field is exactly "ok".
bool SignInAccepted(const std::string& reply);

// The remembered sign-in as read from "ini.txt".
struct RememberedSignIn {
  std::string user;
  std::string password;  // as stored; empty when it was not remembered
  // Whether field 2 reads as the number 1; none when it is no number.
  std::optional<bool> remembered;
};
// Reads the file's bytes (GBK): the first line, split on kIniSeparator;
// none unless it has exactly three fields.
std::optional<RememberedSignIn> ReadRememberedSignIn(const std::string& bytes);
// The file's line (GBK, ending in CR LF) after an accepted sign-in; the
// password is kept only when `remember` is set.
std::string RememberedSignInLine(const std::string& user, const std::string& password,
                                 bool remember);

}  // namespace lumaro
