#include "windows/frmUP.h"

#include <exception>

#include "build_config.h"
#include "controls/progbutton.h"
#include "core/desktop.h"
#include "core/notice.h"
#include "core/shared_window.h"

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
  WindowSpec design;
  design.name = "frmUP";
  design.caption = "版本升级";
  design.clientWidth = 8205;
  design.clientHeight = 3225;
  design.frame = FrameKind::FixedDialog;
  design.minimizeButton = false;
  design.maximizeButton = false;
  design.showInTaskbar = false;
  design.placement = Placement::CenterScreen;
  window_ = Desktop().ui->CreateWindow(design);
  IWindow& w = *window_;

  ControlStyle side;
  side.image = "update_side.svg";
  PicM = w.AddPicture("PicM", {-45, -15, 1740, 3270}, side);

  ControlStyle message;
  message.bold = true;
  message.pointSize = 18;
  message.color = PackRRGGBB(7, 137, 243);
  Label2 = w.AddLabel("Label2", {2355, 540, 4875, 435}, "检测到有最新功能的更新程序", message);

  Command1 = w.AddProgButton("Command1", {2505, 1605, 1800, 540});
  Command1->SetStyle(1);
  Command1->SetColor(8);
  Command1->SetCaption("下载");
  Command2 = w.AddProgButton("Command2", {4845, 1620, 1800, 540});
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
