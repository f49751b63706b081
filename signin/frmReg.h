// The registration window: fills in and posts the service's registration
// form, kept in a browser the user never sees, from native text boxes.
#pragma once

#include <memory>
#include <string>

#include "core/shared_window.h"
#include "core/ui.h"

namespace lumaro {

class frmReg : public SharedInstance<frmReg> {
 public:
  // Creates the window with its controls and runs the window load.
  frmReg();
  frmReg(const frmReg&) = delete;
  frmReg& operator=(const frmReg&) = delete;

  // Shows the window modally over `owner`; returns when it has closed.
  void ShowModal(IWindow* owner);
  IWindow& Window() { return *window_; }
  // The window has closed (by Close() or its close box).
  bool Closed() const { return closed_; }

  // Event handlers.
  void Form_Load();
  void cmdOk_Click();
  void cmdExit_Click();
  void web_DocumentComplete(const std::string& url);

  ILabel* Label16 = nullptr;
  ITextBox* txtuser = nullptr;
  ITextBox* txtEmail = nullptr;
  ITextBox* txtpass = nullptr;
  ITextBox* txtPASS2 = nullptr;
  ITextBox* txtQQ = nullptr;
  ITextBox* txtMobile = nullptr;
  ITextBox* txtMan = nullptr;
  IPicture* cmdOk = nullptr;
  ILabel* Label14 = nullptr;
  IPicture* cmdExit = nullptr;
  ILabel* Label15 = nullptr;
  IPicture* Image2 = nullptr;
  IBrowser* web = nullptr;

 private:
  void Register();
  // Shows a check's message and puts the caret into `box` (when given).
  void Refuse(const std::string& message, ITextBox* box);
  // Judges the page that answered the registration post.
  void JudgeAnswer();
  // Shows the failure message and fetches an empty form again.
  void Failed();

  std::unique_ptr<IWindow> window_;
  bool closed_ = false;
  // Counts register actions; an action that finds a newer one has run
  // while it waited leaves the rest to that one.
  unsigned registerRuns_ = 0;
  // A registration post is under way: from the first field written until
  // its answer page has been judged, the post failed, or another page has
  // completed in the browser. Register clicks meanwhile are ignored.
  bool posting_ = false;
};

}  // namespace lumaro
