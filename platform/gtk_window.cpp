#include "platform/gtk_window.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/assets.h"
#include "platform/gtk_controls.h"
#include "platform/progbutton_widget.h"
#include "platform/browser_module.h"

namespace lumaro::gtk {

namespace {

class GtkWindowImpl;

std::vector<GtkWindowImpl*>& Registry() {
  static auto* windows = new std::vector<GtkWindowImpl*>();
  return *windows;
}

class GtkWindowImpl : public IWindow {
 public:
  explicit GtkWindowImpl(const WindowSpec& design);
  ~GtkWindowImpl() override;

  const std::string& Name() const override { return spec_.name; }
  void SetCaption(const std::string& caption) override;
  std::string Caption() const override { return caption_; }

  ILabel* AddLabel(const std::string& name, const Rect& r, const std::string& text,
                   const ControlStyle& style) override;
  ITextBox* AddTextBox(const std::string& name, const Rect& r, const ControlStyle& style) override;
  ICheckBox* AddCheckBox(const std::string& name, const Rect& r,
                         const ControlStyle& style) override;
  IPicture* AddPicture(const std::string& name, const Rect& r, const ControlStyle& style) override;
  IPicture* AddPanel(const std::string& name, const Rect& r, const ControlStyle& style) override;
  IBrowser* AddBrowser(const std::string& name, const Rect& r, const ControlStyle& style) override;
  ProgButton* AddProgButton(const std::string& name, const Rect& r,
                            const ControlStyle& style) override;
  ITimer* AddTimer(const std::string& name, int intervalMs, bool enabled) override;

  void Show() override;
  void ShowModal(IWindow* owner) override;
  void Close() override;
  bool IsOpen() const override { return shown_ && !closed_; }
  // A handler of the window is on the stack, or its own modal loop runs
  // (the caller of ShowModal is waiting in it).
  bool Busy() const override {
    return DispatchGate::Running(shared_->gate) || !modalLoops_.empty();
  }

  bool SetOuterWidth(int twips) override;
  bool SetOuterHeight(int twips) override;
  int OuterWidth() const override { return clientWidth_ * kTwipsPerPixel + spec_.frameWidth; }
  int OuterHeight() const override { return clientHeight_ * kTwipsPerPixel + spec_.frameHeight; }

  GtkWidget* Native() const { return shared_->destroyed ? nullptr : window_; }
  GtkWidget* Client() const { return shared_->destroyed ? nullptr : layout_; }
  GtkWidget* ControlWidget(const std::string& name) const;
  bool Modal() const { return !modalLoops_.empty(); }
  gint64 ShownAt() const { return shownAt_; }

 private:
  // Places the control's widget and keeps the control.
  template <class T>
  T* Keep(std::unique_ptr<T> control, const Rect& r, const std::string& parent);
  GtkWidget* ContainerFor(const std::string& parent) const;
  void UpdateFocusChain();
  void QueueRestack();
  void Restack(GtkWidget* layout);
  void QueueResize();
  void ApplyClientSize();
  void DestroyNative();
  bool SizeLocked() const;

  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data);
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data);
  static void OnSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data);
  static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data);
  static void OnRealize(GtkWidget* widget, gpointer data);
  static gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data);
  static void OnChildRealize(GtkWidget*, gpointer data);

  WindowSpec spec_;
  std::string caption_;
  std::shared_ptr<WindowShared> shared_ = std::make_shared<WindowShared>();
  GtkWidget* window_ = nullptr;
  GtkWidget* layout_ = nullptr;
  bool resizable_ = false;
  // Controls in creation order (the stacking and tab order).
  std::vector<std::unique_ptr<NativeControl>> controls_;
  std::map<std::string, NativeControl*> byName_;
  std::map<std::string, GtkPictureControl*> panels_;
  std::vector<ProgButtonHost*> buttons_;
  std::vector<std::unique_ptr<GtkTimer>> timers_;
  Connections signals_;
  bool shown_ = false;
  bool closed_ = false;
  gint64 shownAt_ = 0;
  std::vector<GMainLoop*> modalLoops_;
  int clientWidth_, clientHeight_;  // pixels
  int allocatedWidth_ = -1, allocatedHeight_ = -1;
  GdkWindowState state_ = GdkWindowState(0);
  bool resizeQueued_ = false;
  bool restackQueued_ = false;
  AliveToken alive_ = NewAliveToken();
};

GtkWindowImpl::GtkWindowImpl(const WindowSpec& design)
    : spec_(design),
      caption_(design.caption),
      clientWidth_(std::max(1, Px(design.clientWidth))),
      clientHeight_(std::max(1, Px(design.clientHeight))) {
  Registry().push_back(this);
  window_ = GTK_WIDGET(g_object_ref(gtk_window_new(GTK_WINDOW_TOPLEVEL)));
  GtkWindow* w = GTK_WINDOW(window_);
  gtk_window_set_title(w, caption_.c_str());
  gtk_widget_set_name(window_, spec_.name.c_str());
  resizable_ = spec_.frame == FrameKind::Sizable;
  gtk_window_set_resizable(w, resizable_);
  if (spec_.frame == FrameKind::None) gtk_window_set_decorated(w, FALSE);
  if (spec_.frame == FrameKind::FixedDialog) gtk_window_set_type_hint(w, GDK_WINDOW_TYPE_HINT_DIALOG);
  if (!spec_.showInTaskbar) gtk_window_set_skip_taskbar_hint(w, TRUE);
  switch (spec_.placement) {
    case Placement::CenterScreen: gtk_window_set_position(w, GTK_WIN_POS_CENTER); break;
    case Placement::CenterOwner: gtk_window_set_position(w, GTK_WIN_POS_CENTER_ON_PARENT); break;
    case Placement::System: gtk_window_set_position(w, GTK_WIN_POS_NONE); break;
  }

  layout_ = GTK_WIDGET(g_object_ref(NewControlLayout()));
  gtk_layout_set_size(GTK_LAYOUT(layout_), guint(clientWidth_), guint(clientHeight_));
  gtk_widget_set_can_focus(layout_, FALSE);
  ApplyClientSize();
  gtk_container_add(GTK_CONTAINER(window_), layout_);
  gtk_widget_show(layout_);

  signals_.Connect(window_, "delete-event", OnDelete, this);
  signals_.Connect(window_, "window-state-event", OnWindowState, this);
  signals_.Connect(window_, "realize", OnRealize, this, /*after=*/true);
  signals_.Connect(window_, "key-press-event", OnKeyPress, this);
  signals_.Connect(layout_, "draw", OnDraw, this);
  signals_.Connect(layout_, "size-allocate", OnSizeAllocate, this);
}

GtkWindowImpl::~GtkWindowImpl() {
  alive_.reset();
  Registry().erase(std::remove(Registry().begin(), Registry().end(), this), Registry().end());
  for (GMainLoop* loop : modalLoops_) g_main_loop_quit(loop);
  closed_ = true;
  shared_->closed = true;
  if (ShuttingDown()) {
    // Static destructors at the end of the program: the native side is left
    // as it is; the process is about to end.
    for (auto& c : controls_) (void)c.release();
    return;
  }
  for (auto& timer : timers_) timer->Stop();
  DestroyNative();
  controls_.clear();
  signals_.DisconnectAll();
  g_object_unref(layout_);
  g_object_unref(window_);
}

void GtkWindowImpl::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (!shared_->destroyed) gtk_window_set_title(GTK_WINDOW(window_), caption.c_str());
}

// ---------------------------------------------------------------- controls

GtkWidget* GtkWindowImpl::ContainerFor(const std::string& parent) const {
  if (!parent.empty()) {
    auto it = panels_.find(parent);
    if (it != panels_.end()) return it->second->ChildLayout();
  }
  return layout_;
}

template <class T>
T* GtkWindowImpl::Keep(std::unique_ptr<T> control, const Rect& r, const std::string& parent) {
  T* raw = control.get();
  GtkWidget* outer = raw->Outer();
  if (!shared_->destroyed) {
    gtk_layout_put(GTK_LAYOUT(ContainerFor(parent)), outer, Px(r.left), Px(r.top));
    signals_.Connect(outer, "realize", OnChildRealize, this, /*after=*/true);
  }
  byName_[raw->Name()] = raw;
  controls_.push_back(std::move(control));
  UpdateFocusChain();
  return raw;
}

ILabel* GtkWindowImpl::AddLabel(const std::string& name, const Rect& r, const std::string& text,
                                const ControlStyle& style) {
  return Keep(std::make_unique<GtkLabelControl>(name, r, text, style, shared_), r, style.parent);
}

ITextBox* GtkWindowImpl::AddTextBox(const std::string& name, const Rect& r,
                                    const ControlStyle& style) {
  return Keep(std::make_unique<GtkTextBoxControl>(name, r, style, shared_), r, style.parent);
}

ICheckBox* GtkWindowImpl::AddCheckBox(const std::string& name, const Rect& r,
                                      const ControlStyle& style) {
  return Keep(std::make_unique<GtkCheckBoxControl>(name, r, style, shared_), r, style.parent);
}

IPicture* GtkWindowImpl::AddPicture(const std::string& name, const Rect& r,
                                    const ControlStyle& style) {
  return Keep(std::make_unique<GtkPictureControl>(name, r, style, false, shared_), r, style.parent);
}

IPicture* GtkWindowImpl::AddPanel(const std::string& name, const Rect& r,
                                  const ControlStyle& style) {
  auto* panel =
      Keep(std::make_unique<GtkPictureControl>(name, r, style, true, shared_), r, style.parent);
  panels_[name] = panel;
  return panel;
}

IBrowser* GtkWindowImpl::AddBrowser(const std::string& name, const Rect& r,
                                    const ControlStyle& style) {
  std::weak_ptr<bool> alive = alive_;
  auto closeWindow = [this, alive] {
    if (!alive.expired()) Close();
  };
  return Keep(MakeBrowser(name, r, style, shared_, closeWindow), r,
              style.parent);
}

ProgButton* GtkWindowImpl::AddProgButton(const std::string& name, const Rect& r,
                                         const ControlStyle& style) {
  auto* host = Keep(std::make_unique<ProgButtonHost>(name, r, style, shared_), r, style.parent);
  buttons_.push_back(host);
  return host->Model();
}

ITimer* GtkWindowImpl::AddTimer(const std::string&, int intervalMs, bool enabled) {
  timers_.push_back(std::make_unique<GtkTimer>(intervalMs, enabled, shared_));
  return timers_.back().get();
}

GtkWidget* GtkWindowImpl::ControlWidget(const std::string& name) const {
  auto it = byName_.find(name);
  if (it == byName_.end() || shared_->destroyed) return nullptr;
  return it->second->Outer();
}

// Tab order: the creation order, not the positions. A panel takes part
// where it was created when it holds focusable controls.
void GtkWindowImpl::UpdateFocusChain() {
  if (shared_->destroyed) return;
  std::map<GtkWidget*, bool> holdsFocusable;
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    GtkWidget* outer = (*it)->Outer();
    GtkWidget* container = gtk_widget_get_parent(outer);
    if (container && ((*it)->Focusable() || holdsFocusable[outer])) holdsFocusable[container] = true;
  }
  std::map<GtkWidget*, GList*> chains;
  for (auto& control : controls_) {
    GtkWidget* outer = control->Outer();
    GtkWidget* container = gtk_widget_get_parent(outer);
    if (container && (control->Focusable() || holdsFocusable[outer]))
      chains[container] = g_list_append(chains[container], outer);
  }
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  for (auto& [container, chain] : chains) {
    gtk_container_set_focus_chain(GTK_CONTAINER(container), chain);
    g_list_free(chain);
  }
  G_GNUC_END_IGNORE_DEPRECATIONS
}

// Input windows of later controls lie above those of earlier ones, also for
// controls that were shown (and so realized) later.
void GtkWindowImpl::QueueRestack() {
  if (restackQueued_) return;
  restackQueued_ = true;
  RunWhenIdle(alive_, [this] {
    restackQueued_ = false;
    if (shared_->destroyed) return;
    Restack(layout_);
    for (auto& [name, panel] : panels_) Restack(panel->ChildLayout());
  });
}

void GtkWindowImpl::Restack(GtkWidget* layout) {
  GdkWindow* bin = gtk_layout_get_bin_window(GTK_LAYOUT(layout));
  if (!bin) return;
  std::vector<GdkWindow*> windows;
  for (GList* it = gdk_window_peek_children(bin); it; it = it->next)
    windows.push_back(GDK_WINDOW(it->data));
  GList* children = gtk_container_get_children(GTK_CONTAINER(layout));
  for (GList* c = children; c; c = c->next) {
    auto* child = GTK_WIDGET(c->data);
    for (GdkWindow* window : windows) {
      gpointer owner = nullptr;
      gdk_window_get_user_data(window, &owner);
      if (owner && GTK_IS_WIDGET(owner) &&
          (owner == child || gtk_widget_is_ancestor(GTK_WIDGET(owner), child)))
        gdk_window_raise(window);
    }
  }
  g_list_free(children);
}

void GtkWindowImpl::OnChildRealize(GtkWidget*, gpointer data) {
  static_cast<GtkWindowImpl*>(data)->QueueRestack();
}

// ---------------------------------------------------------------- showing

void GtkWindowImpl::Show() {
  if (closed_ || shared_->destroyed) return;
  if (!shown_) {
    shown_ = true;
    shownAt_ = g_get_monotonic_time();
    // A window to be centred on its owner that is shown without one is
    // centred on the screen, as GTK would otherwise put it in a corner.
    if (spec_.placement == Placement::CenterOwner && !gtk_window_get_transient_for(GTK_WINDOW(window_)))
      gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
  }
  gtk_window_present(GTK_WINDOW(window_));
}

void GtkWindowImpl::ShowModal(IWindow* owner) {
  if (closed_ || shared_->destroyed) return;
  auto* ownerWindow = dynamic_cast<GtkWindowImpl*>(owner);
  if (ownerWindow && ownerWindow->Native())
    gtk_window_set_transient_for(GTK_WINDOW(window_), GTK_WINDOW(ownerWindow->Native()));
  gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
  Show();
  // The caller waits here until the window has closed; timers and the other
  // windows' painting go on, their input is held by the modal grab.
  std::weak_ptr<bool> alive = alive_;
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  modalLoops_.push_back(loop);
  FlushPageWrites();  // the pages show what the handler wrote while it waits
  if (!closed_) g_main_loop_run(loop);
  if (!alive.expired())
    modalLoops_.erase(std::remove(modalLoops_.begin(), modalLoops_.end(), loop), modalLoops_.end());
  g_main_loop_unref(loop);
}

void GtkWindowImpl::Close() {
  if (closed_) return;
  closed_ = true;
  shared_->closed = true;
  for (auto& timer : timers_) timer->Stop();
  for (GMainLoop* loop : modalLoops_) g_main_loop_quit(loop);
  if (!shared_->destroyed) {
    gtk_widget_hide(window_);
    // The widgets may be inside one of their own signal handlers right now:
    // they are destroyed once that has returned.
    RunWhenIdle(alive_, [this] { DestroyNative(); });
  }
  std::function<void()> closed = onClosed;
  if (closed) RunHandler(shared_, closed);
}

void GtkWindowImpl::DestroyNative() {
  if (shared_->destroyed) return;
  for (auto& control : controls_) control->Detach();
  signals_.DisconnectAll();
  shared_->destroyed = true;
  gtk_widget_destroy(window_);
}

gboolean GtkWindowImpl::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<GtkWindowImpl*>(data)->Close();
  return TRUE;  // destroyed by Close, later
}

// ---------------------------------------------------------------- size

bool GtkWindowImpl::SizeLocked() const {
  return state_ & (GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_MAXIMIZED |
                   GDK_WINDOW_STATE_FULLSCREEN);
}

void GtkWindowImpl::ApplyClientSize() {
  if (shared_->destroyed) return;
  if (resizable_) {
    // The user may make a sizable window smaller than its design.
    gtk_widget_set_size_request(layout_, 1, 1);
    gtk_window_set_default_size(GTK_WINDOW(window_), clientWidth_, clientHeight_);
    gtk_window_resize(GTK_WINDOW(window_), clientWidth_, clientHeight_);
  } else {
    gtk_widget_set_size_request(layout_, clientWidth_, clientHeight_);
  }
}

bool GtkWindowImpl::SetOuterWidth(int twips) {
  if (closed_ || shared_->destroyed || SizeLocked()) return false;
  const int px = Px(twips - spec_.frameWidth);
  if (px < 1) return false;
  if (px == clientWidth_) return true;
  clientWidth_ = px;
  ApplyClientSize();
  return true;
}

bool GtkWindowImpl::SetOuterHeight(int twips) {
  if (closed_ || shared_->destroyed || SizeLocked()) return false;
  const int px = Px(twips - spec_.frameHeight);
  if (px < 1) return false;
  if (px == clientHeight_) return true;
  clientHeight_ = px;
  ApplyClientSize();
  return true;
}

void GtkWindowImpl::QueueResize() {
  if (resizeQueued_) return;
  resizeQueued_ = true;
  RunWhenIdle(alive_, [this] {
    resizeQueued_ = false;
    if (closed_) return;
    std::function<void()> handler = onResize;
    if (handler) RunHandler(shared_, handler);
  });
}

void GtkWindowImpl::OnSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  if (allocation->width == self->allocatedWidth_ && allocation->height == self->allocatedHeight_)
    return;
  self->allocatedWidth_ = allocation->width;
  self->allocatedHeight_ = allocation->height;
  self->clientWidth_ = allocation->width;
  self->clientHeight_ = allocation->height;
  self->QueueResize();
}

gboolean GtkWindowImpl::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  self->state_ = event->new_window_state;
  if (event->changed_mask &
      (GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_MAXIMIZED | GDK_WINDOW_STATE_FULLSCREEN))
    self->QueueResize();
  return FALSE;
}

void GtkWindowImpl::OnRealize(GtkWidget* widget, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  // The frame's buttons, as far as the window manager honours the hints.
  int functions = GDK_FUNC_MOVE | GDK_FUNC_CLOSE;
  if (self->resizable_) functions |= GDK_FUNC_RESIZE;
  if (self->spec_.minimizeButton && self->spec_.frame != FrameKind::None)
    functions |= GDK_FUNC_MINIMIZE;
  if (self->spec_.maximizeButton && self->resizable_) functions |= GDK_FUNC_MAXIMIZE;
  gdk_window_set_functions(gtk_widget_get_window(widget), GdkWMFunction(functions));
}

gboolean GtkWindowImpl::OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  if (!gtk_cairo_should_draw_window(cr, gtk_layout_get_bin_window(GTK_LAYOUT(widget))))
    return FALSE;
  SetSourceRgb(cr, self->spec_.backgroundColor == kDefaultColor ? kFaceColor
                                                                : self->spec_.backgroundColor);
  cairo_paint(cr);
  // The picture at its own size from the top left corner, as the layouts
  // were designed; a larger client area shows the colour beyond it.
  if (!self->spec_.background.empty()) PaintAsset(cr, widget, self->spec_.background);
  DrawChildrenInOrder(widget, cr);
  return TRUE;
}

gboolean GtkWindowImpl::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  // The keys of the page shown: the first browser the user sees takes them.
  bool taken = false;
  RunHandler(std::shared_ptr<WindowShared>(self->shared_), [&] {
    for (auto& control : self->controls_)
      if ((taken = control->TakePageKey(event))) break;
  });
  if (taken) return TRUE;
  if (event->keyval == GDK_KEY_Escape && modifiers == 0) {
    // Taken before the focused control sees it (a browser would keep it).
    // The handler may close the window.
    std::function<void()> escape = self->onEscape;
    if (!escape) return FALSE;
    RunHandler(std::shared_ptr<WindowShared>(self->shared_), escape);
    return TRUE;
  }
  if (event->keyval == GDK_KEY_Home && modifiers == GDK_MOD1_MASK && self->onGoHome) {
    std::function<void()> home = self->onGoHome;
    RunHandler(std::shared_ptr<WindowShared>(self->shared_), home);
    return TRUE;
  }
  if (!(event->state & GDK_MOD1_MASK)) return FALSE;
  // Alt + a drawn button's access key. The handler may close the window.
  for (ProgButtonHost* button : self->buttons_) {
    if (button->MatchesAccessKey(event->keyval)) {
      button->AccessKeyPressed();
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

std::unique_ptr<IWindow> GtkUiFactory::CreateWindow(const WindowSpec& design) {
  return std::make_unique<GtkWindowImpl>(design);
}

int CountOpenWindows() {
  int count = 0;
  for (GtkWindowImpl* w : Registry())
    if (w->IsOpen()) ++count;
  return count;
}

GtkWindow* CurrentParentWindow() {
  // A focused window of this program: one of its forms or a message box.
  GList* toplevels = gtk_window_list_toplevels();
  GtkWindow* active = nullptr;
  for (GList* it = toplevels; it; it = it->next) {
    auto* w = GTK_WINDOW(it->data);
    if (gtk_widget_get_visible(GTK_WIDGET(w)) && gtk_window_is_active(w)) active = w;
  }
  g_list_free(toplevels);
  if (active) return active;
  GtkWindowImpl* best = nullptr;
  for (GtkWindowImpl* w : Registry()) {
    if (!w->IsOpen() || !w->Native()) continue;
    if (!best || (w->Modal() && !best->Modal()) ||
        (w->Modal() == best->Modal() && w->ShownAt() >= best->ShownAt()))
      best = w;
  }
  return best ? GTK_WINDOW(best->Native()) : nullptr;
}

GtkWidget* NativeWindowOf(IWindow* window) {
  auto* impl = dynamic_cast<GtkWindowImpl*>(window);
  return impl ? impl->Native() : nullptr;
}

GtkWidget* NativeClientAreaOf(IWindow* window) {
  auto* impl = dynamic_cast<GtkWindowImpl*>(window);
  return impl ? impl->Client() : nullptr;
}

GtkWidget* NativeControlOf(IWindow* window, const std::string& controlName) {
  auto* impl = dynamic_cast<GtkWindowImpl*>(window);
  return impl ? impl->ControlWidget(controlName) : nullptr;
}

}  // namespace lumaro::gtk
