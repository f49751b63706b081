#include "windows/frmView.h"

#include <exception>

#include "core/desktop.h"
#include "core/globals.h"
#include "core/shared_window.h"
#include "windows/frmView_design.h"

namespace lumaro {

frmView::frmView() {
  DesignedControls controls = CreateDesignedWindow(frmViewDesign(), window_);
  IWindow& w = *window_;
  web = controls.Browser("web");

  w.onResize = [this] { Form_Resize(); };
  w.onClosed = [this] { closed_ = true; };

  Form_Load();
}

void frmView::Show() { window_->Show(); }

void frmView::Form_Load() {
  web->SetSilent(true);
  // Nothing sets a start address before a new-window request brings the
  // page; an empty one is not loaded.
  if (!gInfoTarget.empty()) web->Navigate2(gInfoTarget);
}

void frmView::Form_Resize() {
  // The page fills the client area: the outer size less the designed frame.
  const WindowAttributes& attributes = frmViewDesign().attributes;
  const int width = window_->OuterWidth() - attributes.frameWidth;
  const int height = window_->OuterHeight() - attributes.frameHeight;
  // A negative size (minimized, very small) is not applied.
  if (width < 0 || height < 0) return;
  try {
    web->Move({0, 0, width, height});
  } catch (const std::exception&) {
  }
}

void OpenInDetailViewer(NewWindowArgs& args) {
  try {
    frmView& viewer = frmView::Instance();
    args.target = viewer.Browser();
    viewer.Show();
  } catch (const std::exception&) {
  }
}

}  // namespace lumaro
