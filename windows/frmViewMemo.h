// The memo viewer: shows one memo page of the member console in a small
// dialog of its own.
#pragma once

#include <memory>

#include "core/ui.h"

namespace lumaro {

class frmViewMemo {
 public:
  // Creates the window with its controls and runs the window load, which
  // reads gMemoTarget.
  frmViewMemo();
  frmViewMemo(const frmViewMemo&) = delete;
  frmViewMemo& operator=(const frmViewMemo&) = delete;

  // Shows the window modally over `owner`; returns when it has closed.
  void ShowModal(IWindow* owner);
  IWindow& Window() { return *window_; }

  void Form_Load();

  IBrowser* web1 = nullptr;

 private:
  std::unique_ptr<IWindow> window_;
};

// Opens a fresh memo viewer on gMemoTarget, modally over `owner` (may be
// null), and releases it once it has closed and none of its handlers
// runs.
void OpenMemoViewer(IWindow* owner);

}  // namespace lumaro
