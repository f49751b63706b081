#include "windows/frmOpen.h"

#include "core/globals.h"
#include "core/platform.h"

namespace lumaro {

frmOpen::frmOpen() {
  WindowSpec design;
  design.name = "frmOpen";
  design.caption = "Form1";
  design.clientWidth = 90;
  design.clientHeight = 90;
  design.frame = FrameKind::None;
  design.minimizeButton = false;
  design.maximizeButton = false;
  design.showInTaskbar = false;
  design.placement = Placement::System;
  window_ = Svc().ui->CreateWindow(design);
  IWindow& w = *window_;

  // Lies almost wholly outside the tiny client area: the page runs unseen.
  ControlStyle page;
  page.accessibleName = "聊天链接";
  Web = w.AddBrowser("Web", {240, 165, 3300, 2430}, page);
  tmrGiveUp = w.AddTimer("tmrGiveUp", kGiveUpMs, true);

  Web->onWindowClosing = [this](bool& cancel) { Web_WindowClosing(cancel); };
  tmrGiveUp->onTick = [this] { tmrGiveUp_Timer(); };
  w.onEscape = [this] { Form_Escape(); };

  Form_Load();
}

void frmOpen::ShowModal(IWindow* owner) { window_->ShowModal(owner); }

void frmOpen::Form_Load() {
  Web->SetSilent(true);
  Web->Navigate2(gOpenTarget);
}

void frmOpen::Web_WindowClosing(bool&) { window_->Close(); }

void frmOpen::tmrGiveUp_Timer() { window_->Close(); }

void frmOpen::Form_Escape() { window_->Close(); }

}  // namespace lumaro
