#include "windows/frmOpen.h"

#include <exception>

#include "core/address_kinds.h"
#include "core/desktop.h"
#include "core/globals.h"
#include "windows/frmOpen_design.h"

namespace lumaro {

frmOpen::frmOpen() {
  DesignedControls controls = CreateDesignedWindow(frmOpenDesign(), window_);
  IWindow& w = *window_;
  Web = controls.Browser("Web");
  tmrGiveUp = controls.Timer("tmrGiveUp");

  Web->onBeforeNavigate2 = [this](BeforeNavigateArgs& args) { Web_BeforeNavigate2(args); };
  Web->onWindowClosing = [this](bool& cancel) { Web_WindowClosing(cancel); };
  tmrGiveUp->onTick = [this] { tmrGiveUp_Timer(); };
  w.onEscape = [this] { Form_Escape(); };
  w.onClosed = [this] { closed_ = true; };

  Form_Load();
}

void frmOpen::ShowModal(IWindow* owner) { window_->ShowModal(owner); }

void frmOpen::Form_Load() {
  Web->SetSilent(true);
  Web->Navigate2(gOpenTarget);
}

void frmOpen::Web_BeforeNavigate2(BeforeNavigateArgs& args) {
  if (!IsChatAppLink(args.url)) return;
  // The messenger's chat-link page hands the chat over this way; the browser
  // has nothing to load for it.
  args.cancel = true;
  // A hand-over that arrives once the window is closing is not repeated.
  if (closed_) return;
  try {
    // A desktop without the messenger program refuses it; the window closes
    // all the same, there is nothing more it could do.
    Desktop().shell->OpenChatApp(args.url);
  } catch (const std::exception&) {
  }
  PageClosed();
}

void frmOpen::Web_WindowClosing(bool&) { PageClosed(); }

void frmOpen::PageClosed() {
  if (!closed_) window_->Close();
}

void frmOpen::tmrGiveUp_Timer() { window_->Close(); }

void frmOpen::Form_Escape() { window_->Close(); }

}  // namespace lumaro
