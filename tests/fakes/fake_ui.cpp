#include "fakes/fake_ui.h"

#include <algorithm>
#include <stdexcept>

namespace lumaro {

// ---------------------------------------------------------------- document

void FakeDocument::Check() {
  if (!loaded_) throw DocumentError("no document is loaded");
  if (failAfter_ == 0) throw DocumentError("the document went away");
  if (failAfter_ > 0) --failAfter_;
}

FakeDocument::Element* FakeDocument::Find(const std::string& name) {
  for (auto& e : elements_)
    if (e.name == name || (!e.id.empty() && e.id == name)) return &e;
  return nullptr;
}

FakeDocument::Element& FakeDocument::Need(const std::string& name) {
  Element* e = Find(name);
  if (!e) throw DocumentError("no element named " + name);
  return *e;
}

FakeDocument::Element& FakeDocument::AddElement(const std::string& name,
                                                std::optional<std::string> value, bool focusable) {
  for (auto& e : elements_) {
    if (e.name == name) {
      e.value = std::move(value);
      e.focusable = focusable;
      return e;
    }
  }
  elements_.push_back(Element{name, "", std::move(value), focusable, "", ""});
  return elements_.back();
}

FakeDocument::Element& FakeDocument::AppendElement(const std::string& name,
                                                   std::optional<std::string> value) {
  elements_.push_back(Element{name, "", std::move(value), true, "", ""});
  return elements_.back();
}

void FakeDocument::RemoveElement(const std::string& name) {
  std::erase_if(elements_, [&](const Element& e) {
    if (e.name != name) return false;
    if (active_ == &e) active_ = nullptr;
    return true;
  });
}

void FakeDocument::SetActiveElement(const std::string& id, size_t nth) {
  active_ = nullptr;
  if (id.empty()) return;
  size_t seen = 0;
  for (const Element& e : elements_) {
    if (e.id == id && seen++ == nth) {
      active_ = &e;
      return;
    }
  }
}

bool FakeDocument::Exists(const std::string& name) {
  Check();
  return Find(name) != nullptr;
}

std::string FakeDocument::Value(const std::string& name) {
  Check();
  Element& e = Need(name);
  if (!e.value) throw DocumentError(name + " has no value");
  return *e.value;
}

void FakeDocument::SetValue(const std::string& name, const std::string& value) {
  Check();
  Element& e = Need(name);
  if (!e.value) throw DocumentError(name + " has no value");
  e.value = value;
}

std::string FakeDocument::InnerHtml(const std::string& name) {
  Check();
  return Need(name).innerHtml;
}

void FakeDocument::SetInnerHtml(const std::string& name, const std::string& html) {
  Check();
  Need(name).innerHtml = html;
}

void FakeDocument::SetDisplay(const std::string& name, const std::string& display) {
  Check();
  Need(name).display = display;
}

void FakeDocument::Focus(const std::string& name) {
  Check();
  Element& e = Need(name);
  if (!e.focusable) throw DocumentError(name + " cannot take the focus");
  active_ = &e;
  focusCalls_.push_back(name);
}

std::string FakeDocument::BodyInnerHtml() {
  Check();
  return bodyHtml_;
}

std::string FakeDocument::BodyText() {
  Check();
  return bodyText_;
}

void FakeDocument::SubmitFirstForm() {
  Check();
  if (!hasForm_) throw DocumentError("the document has no form");
  ++formsSubmitted_;
  if (onSubmit) onSubmit();
}

std::string FakeDocument::ActiveElementId() {
  Check();
  return active_ ? active_->id : std::string();
}

std::string FakeDocument::ActiveElementValue() {
  Check();
  if (!active_) throw DocumentError("no element has the focus");
  if (!active_->value) throw DocumentError(active_->name + " has no value");
  return *active_->value;
}

// ----------------------------------------------------------------- browser

void FakeBrowser::Navigate(const std::string& url) {
  calls_.push_back({"Navigate", url});
  location_ = url;
}

void FakeBrowser::Navigate2(const std::string& url) {
  calls_.push_back({"Navigate2", url});
  location_ = url;
}

bool FakeBrowser::GoBack() {
  calls_.push_back({"GoBack", ""});
  return canGoBack_;
}

bool FakeBrowser::GoForward() {
  calls_.push_back({"GoForward", ""});
  return canGoForward_;
}

std::optional<FakeBrowser::Call> FakeBrowser::LastCall() const {
  if (calls_.empty()) return std::nullopt;
  return calls_.back();
}

FakeDocument& FakeBrowser::NewDocument() {
  doc_ = FakeDocument();
  return doc_;
}

void FakeBrowser::Raise(std::function<void()> event) {
  std::weak_ptr<char> alive = alive_;
  DispatchGate::Get().Raise(window_, [alive, event = std::move(event)] {
    if (alive.lock()) event();
  });
}

BeforeNavigateArgs FakeBrowser::FireBeforeNavigate2(const std::string& url,
                                                    const std::string& postText, bool topLevel) {
  auto args = std::make_shared<BeforeNavigateArgs>();
  args->url = url;
  args->postText = postText;
  Raise([this, args] {
    std::weak_ptr<char> alive = alive_;
    if (auto handler = onBeforeNavigate2) handler(*args);
    if (alive.lock()) decided_.push_back(*args);
  });
  return *args;
}

void FakeBrowser::FireDocumentComplete(const std::string& url, bool topLevel) {
  if (topLevel) location_ = url;
  Raise([this, url] {
    if (auto handler = onDocumentComplete) handler(url);
  });
}

NewWindowArgs FakeBrowser::FireNewWindow2() {
  NewWindowArgs args;
  DispatchGate::HandlerScope scope(window_);
  if (auto handler = onNewWindow2) handler(args);
  return args;
}

bool FakeBrowser::FireWindowClosing() {
  auto cancel = std::make_shared<bool>(false);
  Raise([this, cancel] {
    if (auto handler = onWindowClosing) handler(*cancel);
  });
  return *cancel;
}

void FakeBrowser::FireDocumentClick() {
  Raise([this] {
    if (auto handler = onDocumentClick) handler();
  });
}

void FakeBrowser::FireDocumentKeyUp() {
  Raise([this] {
    if (auto handler = onDocumentKeyUp) handler();
  });
}

// ------------------------------------------------------------------ window

FakeWindow::FakeWindow(FakeUiFactory* factory, const WindowAttributes& attributes)
    : factory_(factory),
      attributes_(attributes),
      caption_(attributes.caption),
      outerWidth_(attributes.clientWidth + attributes.frameWidth),
      outerHeight_(attributes.clientHeight + attributes.frameHeight) {}

FakeWindow::~FakeWindow() {
  if (factory_) factory_->Forget(this);
}

FakeControlRecord& FakeWindow::AddRecord(const std::string& name, FakeControlKind kind,
                                         const Rect& r, const ControlStyle& style) {
  if (Record(name))
    throw std::logic_error("two controls named " + name + " in " + attributes_.name);
  if (!style.parent.empty()) {
    const FakeControlRecord* p = Record(style.parent);
    if (!p || p->kind != FakeControlKind::Panel)
      throw std::logic_error(name + " names a parent panel that does not exist: " + style.parent);
  }
  records_.push_back(FakeControlRecord{name, kind, r, style, "", nullptr, nullptr});
  return records_.back();
}

ILabel* FakeWindow::AddLabel(const std::string& name, const Rect& r, const std::string& text,
                             const ControlStyle& style) {
  auto& rec = AddRecord(name, FakeControlKind::Label, r, style);
  rec.caption = text;
  auto c = std::make_unique<FakeLabel>(name, r, text, style);
  rec.control = c.get();
  auto* raw = c.get();
  owned_.push_back(std::move(c));
  return raw;
}

ITextBox* FakeWindow::AddTextBox(const std::string& name, const Rect& r,
                                 const ControlStyle& style) {
  auto& rec = AddRecord(name, FakeControlKind::TextBox, r, style);
  auto c = std::make_unique<FakeTextBox>(name, r, style);
  rec.control = c.get();
  auto* raw = c.get();
  owned_.push_back(std::move(c));
  return raw;
}

ICheckBox* FakeWindow::AddCheckBox(const std::string& name, const Rect& r,
                                   const ControlStyle& style) {
  auto& rec = AddRecord(name, FakeControlKind::CheckBox, r, style);
  auto c = std::make_unique<FakeCheckBox>(name, r, style);
  rec.control = c.get();
  auto* raw = c.get();
  owned_.push_back(std::move(c));
  return raw;
}

IPicture* FakeWindow::AddPicture(const std::string& name, const Rect& r,
                                 const ControlStyle& style) {
  auto& rec = AddRecord(name, FakeControlKind::Picture, r, style);
  auto c = std::make_unique<FakePicture>(name, r, style);
  rec.control = c.get();
  auto* raw = c.get();
  owned_.push_back(std::move(c));
  return raw;
}

IPicture* FakeWindow::AddPanel(const std::string& name, const Rect& r, const ControlStyle& style) {
  auto& rec = AddRecord(name, FakeControlKind::Panel, r, style);
  auto c = std::make_unique<FakePicture>(name, r, style);
  rec.control = c.get();
  auto* raw = c.get();
  owned_.push_back(std::move(c));
  return raw;
}

IBrowser* FakeWindow::AddBrowser(const std::string& name, const Rect& r,
                                 const ControlStyle& style) {
  auto& rec = AddRecord(name, FakeControlKind::Browser, r, style);
  auto c = std::make_unique<FakeBrowser>(name, r, style);
  c->AttachTo(gate_);
  rec.control = c.get();
  auto* raw = c.get();
  owned_.push_back(std::move(c));
  return raw;
}

ProgButton* FakeWindow::AddProgButton(const std::string& name, const Rect& r,
                                      const ControlStyle& style) {
  auto& rec = AddRecord(name, FakeControlKind::ProgButton, r, style);
  auto b = std::make_unique<ProgButton>();
  b->SetSize(r.width / kTwipsPerPixel, r.height / kTwipsPerPixel);
  rec.progButton = b.get();
  auto* raw = b.get();
  buttons_.push_back(std::move(b));
  return raw;
}

ITimer* FakeWindow::AddTimer(const std::string& name, int intervalMs, bool enabled) {
  if (Timer(name)) throw std::logic_error("two timers named " + name + " in " + attributes_.name);
  timers_.push_back(std::make_unique<FakeTimer>(name, intervalMs, enabled));
  return timers_.back().get();
}

void FakeWindow::Show() {
  open_ = true;
  ++showCount_;
  if (factory_) factory_->RunShow(*this);
}

void FakeWindow::ShowModal(IWindow* owner) {
  open_ = true;
  ++modalCount_;
  modalOwner_ = owner;
  ++modalDepth_;
  if (factory_) factory_->RunModal(*this);
  if (open_) UserClose();
  --modalDepth_;
}

void FakeWindow::Close() {
  if (!open_) return;
  open_ = false;
  ++closeCount_;
  if (onClosed) onClosed();
}

void FakeWindow::UserClose() {
  DispatchGate::HandlerScope scope(gate_);
  Close();
}

void FakeWindow::RunHandler(const std::function<void()>& body) {
  DispatchGate::HandlerScope scope(gate_);
  body();
}

bool FakeWindow::SetOuterWidth(int twips) {
  if (sizeLocked_) return false;
  outerWidth_ = twips;
  return true;
}

bool FakeWindow::SetOuterHeight(int twips) {
  if (sizeLocked_) return false;
  outerHeight_ = twips;
  return true;
}

std::vector<std::string> FakeWindow::ControlNames() const {
  std::vector<std::string> names;
  for (const auto& r : records_) names.push_back(r.name);
  return names;
}

const FakeControlRecord* FakeWindow::Record(const std::string& name) const {
  for (const auto& r : records_)
    if (r.name == name) return &r;
  return nullptr;
}

namespace {
template <class T>
T* As(const FakeControlRecord* r) {
  return r ? dynamic_cast<T*>(r->control) : nullptr;
}
}  // namespace

FakeLabel* FakeWindow::Label(const std::string& name) const { return As<FakeLabel>(Record(name)); }
FakeTextBox* FakeWindow::TextBox(const std::string& name) const {
  return As<FakeTextBox>(Record(name));
}
FakeCheckBox* FakeWindow::CheckBox(const std::string& name) const {
  return As<FakeCheckBox>(Record(name));
}
FakePicture* FakeWindow::Picture(const std::string& name) const {
  return As<FakePicture>(Record(name));
}
FakeBrowser* FakeWindow::Browser(const std::string& name) const {
  return As<FakeBrowser>(Record(name));
}
ProgButton* FakeWindow::Button(const std::string& name) const {
  const FakeControlRecord* r = Record(name);
  return r ? r->progButton : nullptr;
}

FakeTimer* FakeWindow::Timer(const std::string& name) const {
  for (const auto& t : timers_)
    if (t->name() == name) return t.get();
  return nullptr;
}

IControl& FakeWindow::Control(const std::string& name) const {
  const FakeControlRecord* r = Record(name);
  if (!r || !r->control)
    throw std::out_of_range("no control named " + name + " in " + attributes_.name);
  return *r->control;
}

bool FakeWindow::Click(const std::string& name) {
  const FakeControlRecord* r = Record(name);
  if (!r) throw std::out_of_range("no control named " + name + " in " + attributes_.name);
  if (!open_) return false;
  DispatchGate::HandlerScope scope(gate_);
  if (r->progButton) {
    ProgButton* b = r->progButton;
    b->NotifyMouseDown(1, 0, 2, 2);
    b->NotifyMouseUp(1, 0, 2, 2);
    b->NotifyClick();
    return true;
  }
  IControl* c = r->control;
  if (!c->Visible() || !c->Enabled()) return false;
  // A parent panel that is hidden or disabled hides or disables its children.
  for (const FakeControlRecord* p = Record(r->style.parent); p; p = Record(p->style.parent))
    if (!p->control->Visible() || !p->control->Enabled()) return false;
  if (auto* box = dynamic_cast<FakeCheckBox*>(c)) box->SetChecked(!box->Checked());
  if (c->onClick) {
    auto handler = c->onClick;  // the handler may replace itself
    handler();
  }
  return true;
}

void FakeWindow::Type(const std::string& name, const std::string& text) {
  FakeTextBox* box = TextBox(name);
  if (!box) throw std::out_of_range("no text box named " + name + " in " + attributes_.name);
  box->SetText(text);
}

bool FakeWindow::FireTimer(const std::string& name) {
  FakeTimer* t = Timer(name);
  if (!t) throw std::out_of_range("no timer named " + name + " in " + attributes_.name);
  if (!open_ || !t->Enabled()) return false;
  DispatchGate::HandlerScope scope(gate_);
  if (t->onTick) {
    auto handler = t->onTick;
    handler();
  }
  return true;
}

void FakeWindow::UserResize(int outerWidth, int outerHeight) {
  DispatchGate::HandlerScope scope(gate_);
  outerWidth_ = outerWidth;
  outerHeight_ = outerHeight;
  if (onResize) onResize();
}

// ----------------------------------------------------------------- factory

FakeUiFactory::~FakeUiFactory() {
  for (FakeWindow* w : windows_) w->factory_ = nullptr;
}

std::unique_ptr<IWindow> FakeUiFactory::CreateWindow(const WindowAttributes& attributes) {
  auto w = std::make_unique<FakeWindow>(this, attributes);
  windows_.push_back(w.get());
  created_.push_back(attributes.name);
  return w;
}

void FakeUiFactory::OnModal(const std::string& windowName, WindowHandler handler) {
  if (handler)
    modal_[windowName] = std::move(handler);
  else
    modal_.erase(windowName);
}

void FakeUiFactory::OnShow(const std::string& windowName, WindowHandler handler) {
  if (handler)
    show_[windowName] = std::move(handler);
  else
    show_.erase(windowName);
}

FakeWindow* FakeUiFactory::Find(const std::string& name) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
    if ((*it)->Name() == name) return *it;
  return nullptr;
}

std::vector<FakeWindow*> FakeUiFactory::OpenWindows() const {
  std::vector<FakeWindow*> open;
  for (FakeWindow* w : windows_)
    if (w->IsOpen()) open.push_back(w);
  return open;
}

int FakeUiFactory::CreatedCount(const std::string& name) const {
  return int(std::count(created_.begin(), created_.end(), name));
}

void FakeUiFactory::Forget(FakeWindow* w) { std::erase(windows_, w); }

void FakeUiFactory::RunModal(FakeWindow& w) {
  auto it = modal_.find(w.Name());
  if (it == modal_.end()) return;
  auto handler = it->second;  // copied: the handler may register another one
  handler(w);
}

void FakeUiFactory::RunShow(FakeWindow& w) {
  auto it = show_.find(w.Name());
  if (it == show_.end()) return;
  auto handler = it->second;
  handler(w);
}

}  // namespace lumaro
