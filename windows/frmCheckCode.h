// The site code checker: loads a member's site page in a browser the user
// never sees, so that the page's counting code runs, and asks the service
// once a second whether that code has reported, while a progress bar runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/ui.h"

namespace lumaro {

class ProgButton;

class frmCheckCode {
 public:
  // Creates the window with its controls and runs the window load, which
  // reads gCheckTarget and waits for the site's address before it returns;
  // the window is not shown yet.
  frmCheckCode();
  ~frmCheckCode();
  frmCheckCode(const frmCheckCode&) = delete;
  frmCheckCode& operator=(const frmCheckCode&) = delete;

  // Shows the window modally over `owner`; returns when it has closed.
  void ShowModal(IWindow* owner);
  IWindow& Window() { return *window_; }

  // Event handlers.
  void Form_Load();
  void tmrDraw_Timer();
  void tmrT_Timer();
  void Command1_Click();
  void cmdStop_Click();

  bool Stopped() const { return mStopped; }
  int16_t Step() const { return mStep; }

  // Controls; web1 lies beneath the panel.
  IBrowser* web1 = nullptr;
  IPicture* Picture1 = nullptr;
  ILabel* Label1 = nullptr;
  ProgButton* pbar = nullptr;
  ProgButton* Command1 = nullptr;
  ProgButton* cmdStop = nullptr;
  ITimer* tmrDraw = nullptr;
  ITimer* tmrT = nullptr;

 private:
  std::unique_ptr<IWindow> window_;
  bool mStopped = false;
  int16_t mStep = 0;
  // The site record this checker checks: gCheckTarget as it was at load.
  // Another checker opened while this one waits sets gCheckTarget anew,
  // which must not change the site polled here.
  std::string target_;
  // True while this instance exists and its window is open. A handler that
  // waits (and so lets other handlers run) keeps a copy and looks at it when
  // the wait is over: once it is false, neither the object nor its window
  // may be touched.
  std::shared_ptr<bool> live_ = std::make_shared<bool>(true);
};

// Opens a fresh checker on gCheckTarget, modally over `owner` (may be null),
// and releases it once it has closed and none of its handlers runs.
void OpenSiteCodeChecker(IWindow* owner);

}  // namespace lumaro
