// The update window: offers the download of the newer program.
#pragma once

#include <memory>
#include <string>

#include "core/shared_window.h"
#include "core/ui.h"

namespace lumaro {

class ProgButton;

class frmUP : public SharedInstance<frmUP> {
 public:
  frmUP();
  frmUP(const frmUP&) = delete;
  frmUP& operator=(const frmUP&) = delete;

  void Show();
  IWindow& Window() { return *window_; }
  // The window has closed (by Close() or its close box).
  bool Closed() const { return closed_; }

  void Command1_Click();
  void Command2_Click();

  // kServiceBase + "1/" + the executable's name without extension + ".rar".
  static std::string DownloadAddress();

  ILabel* Label2 = nullptr;
  IPicture* PicM = nullptr;
  ProgButton* Command1 = nullptr;
  ProgButton* Command2 = nullptr;

 private:
  std::unique_ptr<IWindow> window_;
  bool closed_ = false;
};

// Opens the shared update window (modeless).
void ShowUpdateWindow();

}  // namespace lumaro
