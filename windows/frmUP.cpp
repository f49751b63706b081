#include "windows/frmUP.h"

#include <exception>

#include "build_config.h"
#include "controls/progbutton.h"
#include "core/desktop.h"
#include "core/notice.h"
#include "core/shared_window.h"
#include "windows/frmUP_design.h"

namespace lumaro {

namespace {

// The file name without its last extension ("lumaro.exe" -> "lumaro"); a
// leading dot does not start an extension.
std::string WithoutExtension(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name;
  return name.substr(0, dot);
}

}  // namespace

void ShowUpdateWindow() { frmUP::Instance().Show(); }

frmUP::frmUP() {
  DesignedControls controls = CreateDesignedWindow(frmUPDesign(), window_);
  IWindow& w = *window_;
  PicM = controls.Picture("PicM");
  Label2 = controls.Label("Label2");
  Command1 = controls.DrawnButton("Command1");
  Command2 = controls.DrawnButton("Command2");

  Command1->SetStyle(1);
  Command1->SetColor(8);
  Command1->SetCaption("下载");
  Command2->SetStyle(1);
  Command2->SetColor(8);
  Command2->SetCaption("以后再说");

  Command1->onClick = [this] { Command1_Click(); };
  Command2->onClick = [this] { Command2_Click(); };
  w.onClosed = [this] { closed_ = true; };
}

void frmUP::Show() { window_->Show(); }

std::string frmUP::DownloadAddress() {
  return std::string(kServiceBase) + "1/" + WithoutExtension(Desktop().files->ExecutableName()) +
         ".rar";
}

void frmUP::Command1_Click() {
  bool started = false;
  try {
    started = Desktop().shell->OpenInBrowser(DownloadAddress());
  } catch (const std::exception&) {
  }
  if (!started) {
    // No browser took the address: the window stays, so that the user can
    // try again.
    ShowNotice("下载程序出错，请稍候再试！", MsgIcon::Information);
    return;
  }
  window_->Close();
}

void frmUP::Command2_Click() { window_->Close(); }

}  // namespace lumaro
