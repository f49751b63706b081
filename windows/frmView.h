// The plain detail viewer: one shared, modeless window around a browser. It
// receives the pages that the agent console's pages open in a new window.
#pragma once

#include <memory>

#include "core/shared_window.h"
#include "core/ui.h"

namespace lumaro {

class frmView : public SharedInstance<frmView> {
 public:
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
