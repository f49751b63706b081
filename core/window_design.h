// A window's design as data: the window's frame and size, and each of its
// controls with its kind, rectangle, caption and style, in creation order.
// A window's constructor walks its design; the tests find where a control
// lies (to click it) from the same design.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/ui.h"

namespace lumaro {

enum class ControlKind { Label, TextBox, CheckBox, Picture, Panel, Browser, ProgButton };

// Every field of the designs below has a default, so that a design leaves
// out what it has none of: a control's caption or style, a window's timers.
struct ControlDesign {
  std::string name{};
  ControlKind kind = ControlKind::Label;
  // Twips, within the panel named in style.parent, else within the client
  // area.
  Rect rect{};
  std::string caption{};  // a label's text; other kinds have none
  ControlStyle style{};
};

struct TimerDesign {
  std::string name{};
  int intervalMs = 0;
  bool enabled = false;
};

// A fixed-size dialog centred on the screen, with neither minimize nor
// maximize button, not shown in the task bar.
WindowAttributes FixedDialogAttributes(std::string name, std::string caption, int clientWidth,
                           int clientHeight);

struct WindowDesign {
  WindowAttributes attributes{};
  // In creation order: later controls lie on top, and the Tab key visits
  // them in this order.
  std::vector<ControlDesign> controls{};
  std::vector<TimerDesign> timers{};

  // The named control's design; throws std::out_of_range when there is none.
  const ControlDesign& Control(const std::string& name) const;
  // The named control's rectangle within the client area (the positions of
  // the panels that hold it added), in twips.
  Rect ClientRect(const std::string& name) const;
};

struct PixelPoint {
  int x = 0, y = 0;
};

// The centre of the named control in the window's client area, in pixels.
PixelPoint CentreInPixels(const WindowDesign& design, const std::string& name);
// Its top left corner in the client area, in pixels.
PixelPoint CornerInPixels(const WindowDesign& design, const std::string& name);

// The controls and timers a window was given from its design, by name.
// Each getter throws std::logic_error when the design has no control of
// that name and kind: a window and its design disagree.
class DesignedControls {
 public:
  ILabel* Label(const std::string& name) const;
  ITextBox* TextBox(const std::string& name) const;
  ICheckBox* CheckBox(const std::string& name) const;
  // A picture or a panel.
  IPicture* Picture(const std::string& name) const;
  IBrowser* Browser(const std::string& name) const;
  ProgButton* DrawnButton(const std::string& name) const;
  ITimer* Timer(const std::string& name) const;

 private:
  friend DesignedControls AddDesignedControls(IWindow& window, const WindowDesign& design);
  struct Made {
    ControlKind kind;
    void* control;
  };
  void* Find(const std::string& name, ControlKind kind) const;

  std::map<std::string, Made> controls_;
  std::map<std::string, ITimer*> timers_;
};

// Adds the design's controls, in their order, and its timers to `window`.
DesignedControls AddDesignedControls(IWindow& window, const WindowDesign& design);

// Creates the window of `design` with the desktop's window factory into
// `window`, and adds its controls and timers.
DesignedControls CreateDesignedWindow(const WindowDesign& design,
                                      std::unique_ptr<IWindow>& window);

}  // namespace lumaro
