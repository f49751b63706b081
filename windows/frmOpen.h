// The chat-link opener: an almost invisible window that loads a messenger
// chat link in a browser of its own and closes when that page closes itself,
// or when it hands the chat over to the messenger program (an address of the
// messenger's own scheme, the only one that goes to the desktop from here).
#pragma once

#include <memory>

#include "core/ui.h"

namespace lumaro {

class frmOpen {
 public:
  // Creates the window with its controls and runs the window load, which
  // reads gOpenTarget.
  frmOpen();
  frmOpen(const frmOpen&) = delete;
  frmOpen& operator=(const frmOpen&) = delete;

  // Shows the window modally over `owner`; returns when it has closed.
  void ShowModal(IWindow* owner);
  IWindow& Window() { return *window_; }

  void Form_Load();
  // An address of the messenger's own scheme goes to the desktop instead of
  // the browser, and the window closes as if the page had closed itself.
  void Web_BeforeNavigate2(BeforeNavigateArgs& args);
  // The page closes itself by script: the window closes with it.
  void Web_WindowClosing(bool& cancel);
  // The page has not closed itself in time (the timer's interval in
  // windows/frmOpen_design.cpp).
  void tmrGiveUp_Timer();
  // Escape: the user's way out of a window without a frame.
  void Form_Escape();

  IBrowser* Web = nullptr;
  ITimer* tmrGiveUp = nullptr;

 private:
  // The page is done: the window closes and the modal display ends.
  void PageClosed();

  std::unique_ptr<IWindow> window_;
  bool closed_ = false;
};

}  // namespace lumaro
