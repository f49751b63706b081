// Windows, controls and the embedded browser, as the windows' logic sees them.
// Geometry is in twips (15 twips per pixel) unless a name says pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace lumaro {

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;  // twips
};

inline constexpr int kTwipsPerPixel = 15;

// The frame of a window (its outer size less its client area), in twips,
// unless its design gives another.
inline constexpr int kClassicFrameWidth = 105;
inline constexpr int kClassicFrameHeight = 510;

// Colours of the windows' controls are 0xRRGGBB, or kDefaultColor for the
// theme's colour. (The drawn button's palette keeps the opposite byte order:
// see PackBBGGRR in controls/progbutton.h.)
inline constexpr uint32_t kDefaultColor = 0xFFFFFFFFu;
// Red, green and blue packed as 0xRRGGBB: red in the third byte.
inline constexpr uint32_t PackRRGGBB(int r, int g, int b) {
  return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// How a control looks. Only the fields a control kind understands are used.
// Every field has a default, so that a style written with designated
// initializers names only the fields that differ.
struct ControlStyle {
  uint32_t color = kDefaultColor;  // text colour
  bool bold = false;
  double pointSize = 0;            // 0: the default font size
  bool handCursor = false;         // the pointing-hand cursor
  std::string tooltip{};
  bool visible = true;
  bool password = false;           // text box shows "*" for every character
  std::string image{};             // asset file name of a picture or panel
  bool stretch = false;            // picture scaled to the control's size
  std::string parent{};            // name of the panel that holds the control
  // The name assistive tools (screen readers) give the control. When empty,
  // a label is named by its caption, each run of blanks made one and the
  // blanks at either end removed (core/spoken_names.h).
  std::string accessibleName{};
  // A clickable label or picture that the Tab key reaches; Enter or Space
  // then clicks it. Text boxes, check boxes and drawn buttons always are.
  bool tabStop = false;
  // A browser the user never sees (it lies under other controls): Tab passes
  // it by, so that the keyboard never lands in its page.
  bool unseen = false;
  // A browser whose pages' downloads (the service's exports) are saved in
  // the user's download folder without asking; other browsers ask the user
  // where to save a download.
  bool savesDownloads = false;
  // A browser showing the window's page, which takes the keys people know
  // from web browsers: F5 or Ctrl+R reload, Alt+Left and Alt+Right go back
  // and forward, Ctrl+plus, Ctrl+minus and Ctrl+0 zoom, Ctrl+F finds, Ctrl+P
  // prints.
  bool pageKeys = false;

  // The same style with one thing changed, for designs that refine a
  // shared style (see core/control_styles.h).
  ControlStyle Named(const std::string& name) const {
    return With([&](ControlStyle& s) { s.accessibleName = name; });
  }
  ControlStyle WithHandCursor() const { return With([](ControlStyle& s) { s.handCursor = true; }); }
  ControlStyle WithTabStop() const { return With([](ControlStyle& s) { s.tabStop = true; }); }
  ControlStyle Hidden() const { return With([](ControlStyle& s) { s.visible = false; }); }
  ControlStyle InPanel(const std::string& panel) const {
    return With([&](ControlStyle& s) { s.parent = panel; });
  }
  ControlStyle WithTooltip(const std::string& text) const {
    return With([&](ControlStyle& s) { s.tooltip = text; });
  }
  ControlStyle WithFont(double points, bool isBold) const {
    return With([&](ControlStyle& s) { s.pointSize = points; s.bold = isBold; });
  }
  ControlStyle AsPassword() const { return With([](ControlStyle& s) { s.password = true; }); }

 private:
  template <class Change>
  ControlStyle With(Change change) const {
    ControlStyle s = *this;
    change(s);
    return s;
  }
};

class IControl {
 public:
  virtual ~IControl() = default;
  virtual const std::string& Name() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  // Raised on a single click (labels, pictures, check boxes).
  std::function<void()> onClick;
};

class ILabel : public IControl {
 public:
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
};

class ITextBox : public IControl {
 public:
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
  // Puts the caret into the box.
  virtual void SetFocus() = 0;
};

class ICheckBox : public IControl {
 public:
  virtual void SetChecked(bool checked) = 0;
  virtual bool Checked() const = 0;
};

class IPicture : public IControl {};

class ITimer {
 public:
  virtual ~ITimer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetInterval(int ms) = 0;
  virtual int Interval() const = 0;
  std::function<void()> onTick;
};

// A failed document operation: the element is absent, holds no value, or
// cannot take the focus; or no document is loaded.
class DocumentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The document shown in a browser. Elements are found by name or id, as the
// document's `all` collection finds them; where several share the name, the
// first is used. Every operation throws DocumentError on failure; writes
// (SetValue, SetInnerHtml, SetDisplay) may be sent to the page together
// with the next operation that needs an answer, or once the handler that
// made them has returned: they run in order and stop at the first that
// fails, which that next operation reports (at the end of a handler, nothing
// does).
class IDocument {
 public:
  virtual ~IDocument() = default;
  virtual bool Exists(const std::string& name) = 0;
  virtual std::string Value(const std::string& name) = 0;
  virtual void SetValue(const std::string& name, const std::string& value) = 0;
  virtual std::string InnerHtml(const std::string& name) = 0;
  virtual void SetInnerHtml(const std::string& name, const std::string& html) = 0;
  virtual void SetDisplay(const std::string& name, const std::string& display) = 0;
  // Focuses the element; throws when the focus did not move to it.
  virtual void Focus(const std::string& name) = 0;
  virtual std::string BodyInnerHtml() = 0;
  // Text of the body as the user sees it (a text/plain answer: the raw text).
  virtual std::string BodyText() = 0;
  // Posts the document's first form.
  virtual void SubmitFirstForm() = 0;
  // The id of the focused element ("" when it has none).
  virtual std::string ActiveElementId() = 0;
  // The value of the focused element itself (not of the first element that
  // shares its name); throws when nothing is focused or it holds no value.
  virtual std::string ActiveElementValue() = 0;
};

struct BeforeNavigateArgs {
  std::string url{};       // as requested
  std::string postText{};  // the form body, "" when there is none
  bool cancel = false;
};

class IBrowser;

struct NewWindowArgs {
  IBrowser* target = nullptr;  // set by the handler: where the new page opens
  bool cancel = false;
};

class IBrowser : public IControl {
 public:
  // Suppresses the pages' script error dialogs.
  virtual void SetSilent(bool silent) = 0;
  virtual void Navigate(const std::string& url) = 0;
  virtual void Navigate2(const std::string& url) = 0;
  // Return false when there is no page to go to.
  virtual bool GoBack() = 0;
  virtual bool GoForward() = 0;
  virtual void Refresh() = 0;
  virtual void Move(const Rect& twips) = 0;
  virtual std::string LocationUrl() = 0;
  // The current top-level document. Its operations throw DocumentError when
  // nothing is loaded.
  virtual IDocument& Document() = 0;

  // Before every navigation of the page and of its frames. The handler may
  // open modal windows and use Document() before it decides.
  std::function<void(BeforeNavigateArgs&)> onBeforeNavigate2;
  std::function<void(NewWindowArgs&)> onNewWindow2;
  // A page or frame has finished loading; the argument is its address.
  std::function<void(const std::string&)> onDocumentComplete;
  // Page script closes the window; set the flag to keep it.
  std::function<void(bool& cancel)> onWindowClosing;
  // Document events. The page's own handling of a click always goes on.
  std::function<void()> onDocumentClick;
  std::function<void()> onDocumentKeyUp;
  // A download that this browser's page started has been saved; the
  // argument is the file's path.
  std::function<void(const std::string& path)> onDownloadSaved;
};

class ProgButton;  // controls/progbutton.h

enum class FrameKind { Sizable, FixedDialog, FixedSingle, None };
enum class Placement { CenterScreen, CenterOwner, System };

// Every field has a default, so that a window's design names only the
// fields that differ (see core/window_design.h).
struct WindowAttributes {
  std::string name{};        // the form's name, e.g. "frmlogin"
  std::string caption{};
  int clientWidth = 0;       // twips
  int clientHeight = 0;      // twips
  std::string background{};  // asset drawn over the whole client area
  uint32_t backgroundColor = kDefaultColor;
  FrameKind frame = FrameKind::Sizable;
  bool minimizeButton = true;
  bool maximizeButton = true;
  bool showInTaskbar = true;
  Placement placement = Placement::CenterScreen;
  // The frame the window was designed with (outer size less client area):
  // the outer size the window reports is its client area plus this, and an
  // outer size it is given is this much larger than its client area.
  int frameWidth = kClassicFrameWidth;    // twips
  int frameHeight = kClassicFrameHeight;  // twips
};

class IWindow {
 public:
  virtual ~IWindow() = default;
  virtual const std::string& Name() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;

  // Controls are stacked in the order they are added: later ones lie on top.
  // The window owns them; the pointers live as long as the window object.
  virtual ILabel* AddLabel(const std::string& name, const Rect& r, const std::string& text,
                           const ControlStyle& style = {}) = 0;
  virtual ITextBox* AddTextBox(const std::string& name, const Rect& r,
                               const ControlStyle& style = {}) = 0;
  virtual ICheckBox* AddCheckBox(const std::string& name, const Rect& r,
                                 const ControlStyle& style = {}) = 0;
  virtual IPicture* AddPicture(const std::string& name, const Rect& r,
                               const ControlStyle& style = {}) = 0;
  // A panel (picture box) that holds other controls; children name it in
  // ControlStyle::parent and are placed relative to it.
  virtual IPicture* AddPanel(const std::string& name, const Rect& r,
                             const ControlStyle& style = {}) = 0;
  virtual IBrowser* AddBrowser(const std::string& name, const Rect& r,
                               const ControlStyle& style = {}) = 0;
  virtual ProgButton* AddProgButton(const std::string& name, const Rect& r,
                                     const ControlStyle& style = {}) = 0;
  virtual ITimer* AddTimer(const std::string& name, int intervalMs, bool enabled) = 0;

  // Shows the window without waiting.
  virtual void Show() = 0;
  // Shows the window modally (transient for `owner` when given) and returns
  // when it has closed. Other windows take no input meanwhile; timers go on.
  virtual void ShowModal(IWindow* owner) = 0;
  // Closes the window (its timers stop); onClosed runs. Safe to call from the
  // window's own handlers.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // One of the window's handlers is on the stack (it may be waiting in a
  // modal window or a fetch): the window object must not be freed now.
  virtual bool Busy() const = 0;

  // Outer size (frame included) in twips; setting it may fail while the
  // window is minimized or maximized, which the setter reports with false.
  virtual bool SetOuterWidth(int twips) = 0;
  virtual bool SetOuterHeight(int twips) = 0;
  virtual int OuterWidth() const = 0;
  virtual int OuterHeight() const = 0;

  // The user dragged the frame or the window changed state.
  std::function<void()> onResize;
  // The window has closed, by Close() or by its close box.
  std::function<void()> onClosed;
  // The user pressed Escape while the window had the keyboard focus.
  std::function<void()> onEscape;
  // The user asked for the home page with the keyboard (Alt+Home).
  std::function<void()> onGoHome;
};

class IUiFactory {
 public:
  virtual ~IUiFactory() = default;
  virtual std::unique_ptr<IWindow> CreateWindow(const WindowAttributes& attributes) = 0;
};

}  // namespace lumaro
