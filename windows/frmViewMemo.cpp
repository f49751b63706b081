#include "windows/frmViewMemo.h"

#include "core/desktop.h"
#include "core/globals.h"
#include "core/shared_window.h"

namespace lumaro {

frmViewMemo::frmViewMemo() {
  WindowSpec design;
  design.name = "frmViewMemo";
  design.caption = "查看详情";
  design.clientWidth = 7020;
  design.clientHeight = 6285;
  design.frame = FrameKind::FixedDialog;
  design.minimizeButton = false;
  design.maximizeButton = false;
  design.showInTaskbar = false;
  design.placement = Placement::CenterScreen;
  window_ = Desktop().ui->CreateWindow(design);

  ControlStyle page;
  page.accessibleName = "备注";
  page.pageKeys = true;  // reload, history, zoom, find and print keys
  web1 = window_->AddBrowser("web1", {30, 15, 6915, 6210}, page);

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
