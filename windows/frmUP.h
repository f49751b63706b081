// The update window: offers the download of the newer program.
#pragma once

#include <memory>
#include <string>

#include "core/ui.h"

namespace lumaro {

class ProgButton;

class frmUP {
 public:
  // The shared instance: created on first use, and afresh once the previous
  // one has closed. A closed one is freed once none of its handlers runs.
  static frmUP& Instance();
  // Lets go of the shared instance (tests; the end of the program); it is
  // freed once none of its handlers runs.
  static void ReleaseInstance();

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
