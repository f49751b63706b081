// The registration window: fills in and posts the service's registration
// form, kept in a browser the user never sees, from native text boxes.
#pragma once

#include <memory>
#include <string>

#include "core/ui.h"

namespace lumaro {

class frmReg {
 public:
  // The shared instance: created (and loaded) on first use, and afresh once
  // the previous one has closed.
  static frmReg& Instance();
  // Drops the shared instance (tests; the end of the program).
  static void ReleaseInstance();

  // Creates the window with its controls and runs the window load.
  frmReg();
  frmReg(const frmReg&) = delete;
  frmReg& operator=(const frmReg&) = delete;

  // Shows the window modally over `owner`; returns when it has closed.
  void ShowModal(IWindow* owner);
  IWindow& Window() { return *window_; }

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

  // Marks a handler of this window as running while it lives, so that the
  // window is kept until the handler has returned (see Instance()).
  struct Running {
    explicit Running(frmReg* form) : form(form) { ++form->running_; }
    ~Running() { --form->running_; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    frmReg* form;
  };

  std::unique_ptr<IWindow> window_;
  bool closed_ = false;
  int running_ = 0;
  // Counts register actions; an action that finds a newer one has run
  // while it waited leaves the rest to that one.
  unsigned registerRuns_ = 0;
};

}  // namespace lumaro
