#include "core/window_design.h"

#include <cmath>
#include <stdexcept>
#include <utility>

#include "core/desktop.h"

namespace lumaro {

WindowAttributes FixedDialogAttributes(std::string name, std::string caption, int clientWidth,
                           int clientHeight) {
  return {.name = std::move(name),
          .caption = std::move(caption),
          .clientWidth = clientWidth,
          .clientHeight = clientHeight,
          .frame = FrameKind::FixedDialog,
          .minimizeButton = false,
          .maximizeButton = false,
          .showInTaskbar = false,
          .placement = Placement::CenterScreen};
}

const ControlDesign& WindowDesign::Control(const std::string& name) const {
  for (const ControlDesign& control : controls)
    if (control.name == name) return control;
  throw std::out_of_range("no control named " + name + " in " + attributes.name);
}

Rect WindowDesign::ClientRect(const std::string& name) const {
  const ControlDesign* control = &Control(name);
  Rect r = control->rect;
  // A panel's chain of parents is short; a design naming itself as its own
  // ancestor is cut off rather than followed for ever.
  for (size_t depth = 0; !control->style.parent.empty() && depth < controls.size(); ++depth) {
    control = &Control(control->style.parent);
    r.left += control->rect.left;
    r.top += control->rect.top;
  }
  return r;
}

PixelPoint CentreInPixels(const WindowDesign& design, const std::string& name) {
  Rect r = design.ClientRect(name);
  return {int(std::lround((r.left + r.width / 2.0) / kTwipsPerPixel)),
          int(std::lround((r.top + r.height / 2.0) / kTwipsPerPixel))};
}

PixelPoint CornerInPixels(const WindowDesign& design, const std::string& name) {
  Rect r = design.ClientRect(name);
  return {int(std::lround(r.left / double(kTwipsPerPixel))),
          int(std::lround(r.top / double(kTwipsPerPixel)))};
}

void* DesignedControls::Find(const std::string& name, ControlKind kind) const {
  auto it = controls_.find(name);
  bool matches = it != controls_.end() &&
                 (it->second.kind == kind ||
                  (kind == ControlKind::Picture && it->second.kind == ControlKind::Panel));
  if (!matches) throw std::logic_error("the design has no such control: " + name);
  return it->second.control;
}

ILabel* DesignedControls::Label(const std::string& name) const {
  return static_cast<ILabel*>(Find(name, ControlKind::Label));
}
ITextBox* DesignedControls::TextBox(const std::string& name) const {
  return static_cast<ITextBox*>(Find(name, ControlKind::TextBox));
}
ICheckBox* DesignedControls::CheckBox(const std::string& name) const {
  return static_cast<ICheckBox*>(Find(name, ControlKind::CheckBox));
}
IPicture* DesignedControls::Picture(const std::string& name) const {
  return static_cast<IPicture*>(Find(name, ControlKind::Picture));
}
IBrowser* DesignedControls::Browser(const std::string& name) const {
  return static_cast<IBrowser*>(Find(name, ControlKind::Browser));
}
ProgButton* DesignedControls::DrawnButton(const std::string& name) const {
  return static_cast<ProgButton*>(Find(name, ControlKind::ProgButton));
}
ITimer* DesignedControls::Timer(const std::string& name) const {
  auto it = timers_.find(name);
  if (it == timers_.end()) throw std::logic_error("the design has no such timer: " + name);
  return it->second;
}

DesignedControls AddDesignedControls(IWindow& window, const WindowDesign& design) {
  DesignedControls made;
  for (const ControlDesign& c : design.controls) {
    void* control = nullptr;
    switch (c.kind) {
      case ControlKind::Label: control = window.AddLabel(c.name, c.rect, c.caption, c.style); break;
      case ControlKind::TextBox: control = window.AddTextBox(c.name, c.rect, c.style); break;
      case ControlKind::CheckBox: control = window.AddCheckBox(c.name, c.rect, c.style); break;
      case ControlKind::Picture: control = window.AddPicture(c.name, c.rect, c.style); break;
      case ControlKind::Panel: control = window.AddPanel(c.name, c.rect, c.style); break;
      case ControlKind::Browser: control = window.AddBrowser(c.name, c.rect, c.style); break;
      case ControlKind::ProgButton: control = window.AddProgButton(c.name, c.rect, c.style); break;
    }
    made.controls_[c.name] = {c.kind, control};
  }
  for (const TimerDesign& t : design.timers)
    made.timers_[t.name] = window.AddTimer(t.name, t.intervalMs, t.enabled);
  return made;
}

DesignedControls CreateDesignedWindow(const WindowDesign& design,
                                      std::unique_ptr<IWindow>& window) {
  window = Desktop().ui->CreateWindow(design.attributes);
  return AddDesignedControls(*window, design);
}

}  // namespace lumaro
