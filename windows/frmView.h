// The plain detail viewer: one shared, modeless window around a browser. It
// receives the pages that the agent console's pages open in a new window.
#pragma once

#include <memory>

#include "core/ui.h"

namespace lumaro {

class frmView {
 public:
  // The shared instance: created (and loaded) on first use, and afresh once
  // the previous one has closed. A closed one is freed once none of its
  // handlers runs.
  static frmView& Instance();
  // Lets go of the shared instance (tests; the end of the program); it is
  // freed once none of its handlers runs.
  static void ReleaseInstance();

  // Creates the window with its controls and runs the window load, which
  // reads gInfoTarget.
  frmView();
  frmView(const frmView&) = delete;
  frmView& operator=(const frmView&) = delete;

  // Shows the window without waiting.
  void Show();
  IWindow& Window() { return *window_; }
  // The window has closed (by Close() or its close box).
  bool Closed() const { return closed_; }
  // The browser a new-window request is sent into.
  IBrowser* Browser() { return web; }

  void Form_Load();
  void Form_Resize();

  IBrowser* web = nullptr;

 private:
  std::unique_ptr<IWindow> window_;
  bool closed_ = false;
};

// A page asks for a new window: the page opens in the shared detail viewer,
// which is shown modeless. Cancel is left as it is.
void OpenInDetailViewer(NewWindowArgs& args);

}  // namespace lumaro
