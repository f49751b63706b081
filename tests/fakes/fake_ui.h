// In-memory windows, controls and browser for tests of the windows' logic.
//
// FakeUiFactory hands out FakeWindow objects and keeps track of every window
// that is alive. A FakeWindow keeps each control by name with the rectangle,
// style and caption it was created with, so tests can check a layout, click a
// control, type into a text box, fire a timer, or drive the browser's events.
//
// Modal windows: ShowModal cannot block in a test, so the factory runs a
// handler the test registered for the window's name while the window is
// "shown". The handler acts inside the window (types, clicks) and usually
// closes it; if it does not, the window is closed afterwards, as if the user
// had used the close box.
//
// Handlers run as the platform runs them: every click, timer tick, resize,
// close box and browser event the fake raises is a handler scope of its
// window in the dispatch gate, so the window is Busy() inside it, and a
// browser event raised while a handler of the same window runs waits in the
// gate until the pump delivers it (FakePump runs the gate).
#pragma once

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/progbutton.h"
#include "core/dispatch_gate.h"
#include "core/ui.h"

namespace lumaro {

class FakeWindow;
class FakeUiFactory;

enum class FakeControlKind { Label, TextBox, CheckBox, Picture, Panel, Browser, ProgButton };

// Visible/enabled state and the creation record shared by every fake control.
template <class Base>
class FakeControlImpl : public Base {
 public:
  FakeControlImpl(std::string name, const Rect& r, const ControlStyle& style)
      : name_(std::move(name)), rect_(r), style_(style), visible_(style.visible) {}
  const std::string& Name() const override { return name_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }

  const Rect& rect() const { return rect_; }
  const ControlStyle& style() const { return style_; }

 protected:
  std::string name_;
  Rect rect_;
  ControlStyle style_;
  bool visible_ = true;
  bool enabled_ = true;
};

class FakeLabel : public FakeControlImpl<ILabel> {
 public:
  FakeLabel(std::string name, const Rect& r, std::string text, const ControlStyle& s)
      : FakeControlImpl(std::move(name), r, s), text_(std::move(text)) {}
  void SetText(const std::string& text) override { text_ = text; }
  std::string Text() const override { return text_; }

 private:
  std::string text_;
};

class FakeTextBox : public FakeControlImpl<ITextBox> {
 public:
  using FakeControlImpl::FakeControlImpl;
  void SetText(const std::string& text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void SetFocus() override { ++focusCount_; }
  int focusCount() const { return focusCount_; }

 private:
  std::string text_;
  int focusCount_ = 0;
};

class FakeCheckBox : public FakeControlImpl<ICheckBox> {
 public:
  using FakeControlImpl::FakeControlImpl;
  void SetChecked(bool checked) override { checked_ = checked; }
  bool Checked() const override { return checked_; }

 private:
  bool checked_ = false;
};

class FakePicture : public FakeControlImpl<IPicture> {
 public:
  using FakeControlImpl::FakeControlImpl;
};

class FakeTimer : public ITimer {
 public:
  FakeTimer(std::string name, int intervalMs, bool enabled)
      : name_(std::move(name)), interval_(intervalMs), enabled_(enabled) {}
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }
  void SetInterval(int ms) override { interval_ = ms; }
  int Interval() const override { return interval_; }
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  int interval_;
  bool enabled_;
};

// A scripted document. Elements are looked up by name or id; the first one
// added under a name wins, as in the real document's `all` collection. An
// element has the name it is added under and no id, as a page's field
// written with only a name; give it an id by setting `id`.
class FakeDocument : public IDocument {
 public:
  struct Element {
    std::string name;
    std::string id;                    // "" unless the page gives one
    std::optional<std::string> value;  // nullopt: the element has no value
    bool focusable = true;
    std::string innerHtml;
    std::string display;
  };

  // The focused element is kept by address: a document moves, never copies.
  FakeDocument() = default;
  FakeDocument(const FakeDocument&) = delete;
  FakeDocument& operator=(const FakeDocument&) = delete;
  FakeDocument(FakeDocument&&) = default;
  FakeDocument& operator=(FakeDocument&&) = default;

  // A document starts loaded and empty. Unloaded, every operation throws.
  void SetLoaded(bool loaded) { loaded_ = loaded; }
  bool loaded() const { return loaded_; }
  // Adds an element (or replaces the first one with that name).
  Element& AddElement(const std::string& name, std::optional<std::string> value = std::string(),
                      bool focusable = true);
  // Adds one more element under a name that may already be taken (radio
  // buttons of one group); lookups by name still find the first.
  Element& AppendElement(const std::string& name, std::optional<std::string> value = std::string());
  void RemoveElement(const std::string& name);
  // nullptr when absent.
  Element* Find(const std::string& name);
  void SetBodyText(const std::string& text) { bodyText_ = text; }
  void SetBodyHtml(const std::string& html) { bodyHtml_ = html; }
  // With no form, SubmitFirstForm throws.
  void SetHasForm(bool hasForm) { hasForm_ = hasForm; }
  int formsSubmitted() const { return formsSubmitted_; }
  // Runs on every SubmitFirstForm that succeeds.
  std::function<void()> onSubmit;
  // Gives the focus to the `nth` (from 0) of the elements whose id is `id`,
  // so that one of several elements sharing an id can hold it; no element
  // has the focus when none matches ("" included).
  void SetActiveElement(const std::string& id, size_t nth = 0);
  // The name of the element that has the focus ("" when none has).
  std::string FocusedName() const { return active_ ? active_->name : std::string(); }
  // Names passed to Focus that succeeded, in order.
  const std::vector<std::string>& focusCalls() const { return focusCalls_; }
  // Makes the next operations throw after `count` more successful ones
  // (negative: never), to test recovery from a document that changes.
  void FailAfter(int count) { failAfter_ = count; }

  bool Exists(const std::string& name) override;
  std::string Value(const std::string& name) override;
  void SetValue(const std::string& name, const std::string& value) override;
  std::string InnerHtml(const std::string& name) override;
  void SetInnerHtml(const std::string& name, const std::string& html) override;
  void SetDisplay(const std::string& name, const std::string& display) override;
  void Focus(const std::string& name) override;
  std::string BodyInnerHtml() override;
  std::string BodyText() override;
  void SubmitFirstForm() override;
  std::string ActiveElementId() override;
  std::string ActiveElementValue() override;

 private:
  void Check();
  Element& Need(const std::string& name);

  bool loaded_ = true;
  // A list, so that elements stay where they are while others come and go.
  std::list<Element> elements_;
  std::string bodyText_, bodyHtml_;
  bool hasForm_ = true;
  int formsSubmitted_ = 0;
  const Element* active_ = nullptr;
  std::vector<std::string> focusCalls_;
  int failAfter_ = -1;
};

class FakeBrowser : public FakeControlImpl<IBrowser> {
 public:
  struct Call {
    std::string op;   // "Navigate", "Navigate2", "GoBack", "GoForward", "Refresh"
    std::string url;  // "" for the history operations
    bool operator==(const Call&) const = default;
  };

  using FakeControlImpl::FakeControlImpl;

  void SetSilent(bool silent) override { silent_ = silent; }
  void Navigate(const std::string& url) override;
  void Navigate2(const std::string& url) override;
  bool GoBack() override;
  bool GoForward() override;
  void Refresh() override { calls_.push_back({"Refresh", ""}); }
  void Move(const Rect& twips) override { rect_ = twips; ++moves_; }
  std::string LocationUrl() override { return location_; }
  IDocument& Document() override { return doc_; }

  bool silent() const { return silent_; }
  const std::vector<Call>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  std::optional<Call> LastCall() const;
  int moves() const { return moves_; }
  FakeDocument& doc() { return doc_; }
  // Replaces the document with a fresh, loaded, empty one.
  FakeDocument& NewDocument();
  void SetLocation(const std::string& url) { location_ = url; }
  // What GoBack/GoForward report (false: no page to go to).
  void SetCanGoBack(bool can) { canGoBack_ = can; }
  void SetCanGoForward(bool can) { canGoForward_ = can; }

  // Raise the browser's events as the real control would. While a handler
  // of the browser's window runs, an event waits in the dispatch gate and
  // runs when the pump delivers it; what it returns then is the state before
  // any handler has seen it (see decided() for the navigations).
  BeforeNavigateArgs FireBeforeNavigate2(const std::string& url, const std::string& postText = "",
                                         bool topLevel = true);
  // Sets the location (for a top-level load) and raises onDocumentComplete.
  void FireDocumentComplete(const std::string& url, bool topLevel = true);
  // Runs at once (the new window's target is needed there and then).
  NewWindowArgs FireNewWindow2();
  // Returns the cancel flag the handler left (false while it waits).
  bool FireWindowClosing();
  void FireDocumentClick();
  void FireDocumentKeyUp();
  // Navigations as their handler left them, in the order they were decided.
  const std::vector<BeforeNavigateArgs>& decided() const { return decided_; }

  // The window whose handlers hold this browser's events.
  void AttachTo(DispatchGate::WindowRef window) { window_ = std::move(window); }

 private:
  // Raises `event` through the gate; dropped if the browser is gone by the
  // time it is delivered.
  void Raise(std::function<void()> event);

  bool silent_ = false;
  std::vector<Call> calls_;
  std::string location_;
  bool canGoBack_ = true, canGoForward_ = true;
  int moves_ = 0;
  FakeDocument doc_;
  std::vector<BeforeNavigateArgs> decided_;
  DispatchGate::WindowRef window_;
  std::shared_ptr<char> alive_ = std::make_shared<char>();
};

// What a window was given for one control.
struct FakeControlRecord {
  std::string name;
  FakeControlKind kind;
  Rect rect;
  ControlStyle style;
  std::string caption;  // a label's initial text
  IControl* control = nullptr;   // nullptr for a ProgButton
  ProgButton* progButton = nullptr;
};

class FakeWindow : public IWindow {
 public:
  FakeWindow(FakeUiFactory* factory, const WindowAttributes& attributes);
  ~FakeWindow() override;

  const std::string& Name() const override { return attributes_.name; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }

  ILabel* AddLabel(const std::string& name, const Rect& r, const std::string& text,
                   const ControlStyle& style = {}) override;
  ITextBox* AddTextBox(const std::string& name, const Rect& r,
                       const ControlStyle& style = {}) override;
  ICheckBox* AddCheckBox(const std::string& name, const Rect& r,
                         const ControlStyle& style = {}) override;
  IPicture* AddPicture(const std::string& name, const Rect& r,
                       const ControlStyle& style = {}) override;
  IPicture* AddPanel(const std::string& name, const Rect& r,
                     const ControlStyle& style = {}) override;
  IBrowser* AddBrowser(const std::string& name, const Rect& r,
                       const ControlStyle& style = {}) override;
  ProgButton* AddProgButton(const std::string& name, const Rect& r,
                            const ControlStyle& style = {}) override;
  ITimer* AddTimer(const std::string& name, int intervalMs, bool enabled) override;

  void Show() override;
  void ShowModal(IWindow* owner) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  // A handler of the window is on the stack, or its modal display has not
  // returned yet.
  bool Busy() const override { return DispatchGate::Running(gate_) || modalDepth_ > 0; }

  // The outer size starts as the client size plus the design's frame and
  // stays as set.
  bool SetOuterWidth(int twips) override;
  bool SetOuterHeight(int twips) override;
  int OuterWidth() const override { return outerWidth_; }
  int OuterHeight() const override { return outerHeight_; }

  // ---- for tests ----
  const WindowAttributes& attributes() const { return attributes_; }
  // Controls in creation order (also the tab order).
  const std::vector<FakeControlRecord>& controls() const { return records_; }
  std::vector<std::string> ControlNames() const;
  // nullptr when there is no control of that name (and kind).
  const FakeControlRecord* Record(const std::string& name) const;
  FakeLabel* Label(const std::string& name) const;
  FakeTextBox* TextBox(const std::string& name) const;
  FakeCheckBox* CheckBox(const std::string& name) const;
  FakePicture* Picture(const std::string& name) const;
  FakeBrowser* Browser(const std::string& name) const;
  ProgButton* Button(const std::string& name) const;
  FakeTimer* Timer(const std::string& name) const;
  // Throws std::out_of_range for an unknown name.
  IControl& Control(const std::string& name) const;

  // A user's click: does nothing on a hidden or disabled control or on a
  // closed window. A ProgButton gets the press, release and click sequence.
  // Returns whether the click reached the control.
  bool Click(const std::string& name);
  // The user types into a text box (replaces its text).
  void Type(const std::string& name, const std::string& text);
  // The timer's interval elapsed: runs its tick when it is enabled and the
  // window is open. Returns whether the tick ran.
  bool FireTimer(const std::string& name);
  // The user dragged the frame: sets the outer size and raises onResize.
  void UserResize(int outerWidth, int outerHeight);
  // While set, SetOuterWidth/SetOuterHeight fail (minimized or maximized).
  void SetSizeLocked(bool locked) { sizeLocked_ = locked; }
  // The user clicked the close box.
  void UserClose();
  // Runs `body` as one handler of the window (any event the platform raises).
  void RunHandler(const std::function<void()>& body);
  // The window's state in the dispatch gate.
  const DispatchGate::WindowRef& gateRef() const { return gate_; }

  int showCount() const { return showCount_; }
  int modalCount() const { return modalCount_; }
  int closeCount() const { return closeCount_; }
  IWindow* modalOwner() const { return modalOwner_; }
  bool wasShown() const { return showCount_ + modalCount_ > 0; }

 private:
  friend class FakeUiFactory;
  FakeControlRecord& AddRecord(const std::string& name, FakeControlKind kind, const Rect& r,
                               const ControlStyle& style);

  FakeUiFactory* factory_;
  WindowAttributes attributes_;
  std::string caption_;
  std::vector<FakeControlRecord> records_;
  std::vector<std::unique_ptr<IControl>> owned_;
  std::vector<std::unique_ptr<ProgButton>> buttons_;
  std::vector<std::unique_ptr<FakeTimer>> timers_;
  bool open_ = false;
  bool sizeLocked_ = false;
  int outerWidth_, outerHeight_;
  int showCount_ = 0, modalCount_ = 0, closeCount_ = 0;
  int modalDepth_ = 0;
  IWindow* modalOwner_ = nullptr;
  DispatchGate::WindowRef gate_ = DispatchGate::NewWindow();
};

class FakeUiFactory : public IUiFactory {
 public:
  using WindowHandler = std::function<void(FakeWindow&)>;

  ~FakeUiFactory() override;
  std::unique_ptr<IWindow> CreateWindow(const WindowAttributes& attributes) override;

  // Runs while a window of that name is shown modally (every time, until
  // replaced or cleared with an empty handler).
  void OnModal(const std::string& windowName, WindowHandler handler);
  // Runs when a window of that name is shown modeless.
  void OnShow(const std::string& windowName, WindowHandler handler);

  // Windows alive now (not destroyed), oldest first.
  const std::vector<FakeWindow*>& windows() const { return windows_; }
  // The newest live window of that name, or nullptr.
  FakeWindow* Find(const std::string& name) const;
  // Live windows that are open (shown and not closed).
  std::vector<FakeWindow*> OpenWindows() const;
  // How many windows of that name were ever created.
  int CreatedCount(const std::string& name) const;
  // Names of every window created, in order.
  const std::vector<std::string>& createdNames() const { return created_; }

 private:
  friend class FakeWindow;
  void Forget(FakeWindow* w);
  void RunModal(FakeWindow& w);
  void RunShow(FakeWindow& w);

  std::vector<FakeWindow*> windows_;
  std::vector<std::string> created_;
  std::map<std::string, WindowHandler> modal_, show_;
};

}  // namespace lumaro
