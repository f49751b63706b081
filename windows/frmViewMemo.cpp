#include "windows/frmViewMemo.h"

#include "core/desktop.h"
#include "core/globals.h"
#include "core/shared_window.h"
#include "windows/frmViewMemo_design.h"

namespace lumaro {

frmViewMemo::frmViewMemo() {
  DesignedControls controls = CreateDesignedWindow(frmViewMemoDesign(), window_);
  web1 = controls.Browser("web1");

  Form_Load();
}

void frmViewMemo::ShowModal(IWindow* owner) { window_->ShowModal(owner); }

void frmViewMemo::Form_Load() {
  web1->SetSilent(true);
  web1->Navigate2(gMemoTarget);
}

void OpenMemoViewer(IWindow* owner) {
  auto viewer = std::make_shared<frmViewMemo>();
  viewer->ShowModal(owner);
  RetireWindow(std::move(viewer));
}

}  // namespace lumaro
