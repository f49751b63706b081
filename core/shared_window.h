// Lifetimes of window objects whose handlers may still be on the stack.
//
// A handler that waits (in a message box, a modal window or a fetch) lets
// other handlers run, and one of them may close its window and open a fresh
// one in its place. The closed window's object must outlive the handler that
// waits in it, so it is handed to the dispatch gate, which frees it once none
// of its window's handlers is on the stack.
#pragma once

#include <memory>
#include <utility>

#include "core/dispatch_gate.h"
#include "core/ui.h"

namespace lumaro {

// Frees a window object (a form with Window()) once its window is no longer
// busy; at once when it is not busy now.
template <class Form>
void RetireWindow(std::shared_ptr<Form> form) {
  if (!form) return;
  const IWindow* window = &form->Window();
  DispatchGate::Get().Retire([window] { return window->Busy(); }, std::move(form));
}

// What every shared window offers the program's end: letting go of its
// instance. Each one is listed from its construction to its destruction.
class SharedWindowBase {
 public:
  SharedWindowBase();
  virtual ~SharedWindowBase();
  SharedWindowBase(const SharedWindowBase&) = delete;
  SharedWindowBase& operator=(const SharedWindowBase&) = delete;
  virtual void Release() = 0;
};

// Lets go of the instance of every shared window (closed or not); each is
// freed as soon as none of its handlers runs (at once when none does). The
// program does this at its end, while the desktop that made the windows
// still exists.
void ReleaseSharedWindows();

// The single shared instance of a form (the login window, the consoles, the
// update window, ...): made on first use, and afresh once the previous one
// has closed. `Form` offers Window() and Closed() (its window has closed).
template <class Form>
class SharedWindow : public SharedWindowBase {
 public:
  Form& Instance() {
    if (!form_ || form_->Closed()) {
      RetireWindow(std::move(form_));
      form_ = std::make_shared<Form>();
    }
    return *form_;
  }

  // The instance while it exists and has not closed, else nullptr.
  Form* OpenInstance() const { return form_ && !form_->Closed() ? form_.get() : nullptr; }

  // Lets go of the instance (closed or not), freed as soon as it is idle.
  void Release() override { RetireWindow(std::move(form_)); }

 private:
  std::shared_ptr<Form> form_;
};

// What a form with a single shared instance inherits: its instance, made on
// first use and afresh once the previous one has closed (a closed one is
// freed once none of its handlers runs); the instance while it is open; and
// letting go of it (tests; the end of the program).
template <class Form>
class SharedInstance {
 public:
  static Form& Instance() { return Shared().Instance(); }
  static Form* OpenInstance() { return Shared().OpenInstance(); }
  static void ReleaseInstance() { Shared().Release(); }

 private:
  static SharedWindow<Form>& Shared() {
    static SharedWindow<Form> shared;
    return shared;
  }
};

}  // namespace lumaro
