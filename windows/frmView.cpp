#include "windows/frmView.h"

#include <exception>

#include "core/desktop.h"
#include "core/globals.h"
#include "core/shared_window.h"

namespace lumaro {

namespace {

constexpr int kClientWidth = 10200;
constexpr int kClientHeight = 7995;
constexpr int kFrameWidth = 120;
constexpr int kFrameHeight = 500;

}  // namespace

frmView::frmView() {
  WindowSpec design;
  design.name = "frmView";
  design.caption = "详细信息浏览";
  design.clientWidth = kClientWidth;
  design.clientHeight = kClientHeight;
  design.frame = FrameKind::Sizable;
  design.maximizeButton = false;
  design.placement = Placement::CenterOwner;
  // The frame the resize below takes off the outer size: the page fills the
  // client area exactly.
  design.frameWidth = kFrameWidth;
  design.frameHeight = kFrameHeight;
  window_ = Desktop().ui->CreateWindow(design);
  IWindow& w = *window_;

  ControlStyle page;
  page.accessibleName = "详细信息";
  page.pageKeys = true;  // reload, history, zoom, find and print keys
  web = w.AddBrowser("web", {0, 0, kClientWidth, kClientHeight}, page);

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
  const int width = window_->OuterWidth() - kFrameWidth;
  const int height = window_->OuterHeight() - kFrameHeight;
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
