#include "windows/frmOpen.h"

#include "core/globals.h"
#include "core/platform.h"

namespace lumaro {

frmOpen::frmOpen() {
  WindowSpec spec;
  spec.name = "frmOpen";
  spec.caption = "Form1";
  spec.clientWidth = 90;
  spec.clientHeight = 90;
  spec.frame = FrameKind::None;
  spec.minimizeButton = false;
  spec.maximizeButton = false;
  spec.showInTaskbar = false;
  spec.placement = Placement::System;
  window_ = Svc().ui->CreateWindow(spec);
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
