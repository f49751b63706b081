// The visitor viewer: the detail page of one visitor. Export links are
// loaded by a hidden second browser so the visitor page stays in place, and
// messenger chat links are handed to a fresh chat-link opener.
#pragma once

#include <memory>
#include <string>

#include "core/ui.h"

namespace lumaro {

class frmViewQQ {
 public:
  // Creates the window with its controls and runs the window load, which
  // reads gVisitorTarget.
  frmViewQQ();
  frmViewQQ(const frmViewQQ&) = delete;
  frmViewQQ& operator=(const frmViewQQ&) = delete;

  // Shows the window modally over `owner`; returns when it has closed.
  void ShowModal(IWindow* owner);
  IWindow& Window() { return *window_; }

  void Form_Load();
  void Form_Resize();
  void Web_BeforeNavigate2(BeforeNavigateArgs& args);
  void Web_WindowClosing(bool& cancel);
  // An export loaded by webData has been saved at `path`.
  static void webData_DownloadSaved(const std::string& path);

  // Web lies on top of webData, which never moves.
  IBrowser* webData = nullptr;
  IBrowser* Web = nullptr;

 private:
  std::unique_ptr<IWindow> window_;
};

// Opens a fresh visitor viewer on gVisitorTarget, modally over `owner` (may
// be null), and releases it once it has closed and none of its handlers
// runs.
void OpenVisitorViewer(IWindow* owner);

// The notice that tells the user where an export was saved.
std::string ExportSavedText(const std::string& path);

}  // namespace lumaro
