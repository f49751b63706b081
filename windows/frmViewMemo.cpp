#include "windows/frmViewMemo.h"

#include "core/globals.h"
#include "core/platform.h"

namespace lumaro {

frmViewMemo::frmViewMemo() {
  WindowSpec spec;
  spec.name = "frmViewMemo";
  spec.caption = "查看详情";
  spec.clientWidth = 7020;
  spec.clientHeight = 6285;
  spec.frame = FrameKind::FixedDialog;
  spec.minimizeButton = false;
  spec.maximizeButton = false;
  spec.showInTaskbar = false;
  spec.placement = Placement::CenterScreen;
  window_ = Svc().ui->CreateWindow(spec);

  ControlStyle page;
  page.accessibleName = "备注";
  web1 = window_->AddBrowser("web1", {30, 15, 6915, 6210}, page);

  Form_Load();
}

void frmViewMemo::ShowModal(IWindow* owner) { window_->ShowModal(owner); }

void frmViewMemo::Form_Load() {
  web1->SetSilent(true);
  web1->Navigate2(gMemoTarget);
}

void OpenMemoViewer(IWindow* owner) {
  frmViewMemo viewer;
  viewer.ShowModal(owner);
}

}  // namespace lumaro
