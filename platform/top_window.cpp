#include "platform/top_window.h"

#include <algorithm>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "core/dispatch_gate.h"
#include "platform/alive_token.h"
#include "platform/assets.h"
#include "platform/browser_module.h"
#include "platform/check_box_control.h"
#include "platform/control_layout.h"
#include "platform/control_painting.h"
#include "platform/gtk_platform.h"
#include "platform/idle_call.h"
#include "platform/label_control.h"
#include "platform/native_control.h"
#include "platform/page_writes.h"
#include "platform/picture_control.h"
#include "platform/progbutton_widget.h"
#include "platform/run_handler.h"
#include "platform/shutting_down.h"
#include "platform/signal_connections.h"
#include "platform/text_box_control.h"
#include "platform/timer.h"
#include "platform/twips.h"
#include "platform/window_state.h"

namespace lumaro::gtk {

namespace {

class TopWindow;

std::vector<TopWindow*>& Registry() {
  static auto* windows = new std::vector<TopWindow*>();
  return *windows;
}

class TopWindow : public IWindow {
 public:
  explicit TopWindow(const WindowAttributes& attributes);
  ~TopWindow() override;

  const std::string& Name() const override { return attributes_.name; }
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
  bool Busy() const override { return DispatchGate::Running(state_->gate) || !modalLoops_.empty(); }

  bool SetOuterWidth(int twips) override;
  bool SetOuterHeight(int twips) override;
  int OuterWidth() const override {
    return clientWidth_ * kTwipsPerPixel + attributes_.frameWidth;
  }
  int OuterHeight() const override {
    return clientHeight_ * kTwipsPerPixel + attributes_.frameHeight;
  }

  GtkWidget* Native() const { return state_->destroyed ? nullptr : window_; }
  GtkWidget* Client() const { return state_->destroyed ? nullptr : layout_; }
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

  WindowAttributes attributes_;
  std::string caption_;
  // What the window's controls share of it.
  std::shared_ptr<WindowState> state_ = std::make_shared<WindowState>();
  GtkWidget* window_ = nullptr;
  GtkWidget* layout_ = nullptr;
  bool resizable_ = false;
  // Controls in creation order (the stacking and tab order).
  std::vector<std::unique_ptr<NativeControl>> controls_;
  std::map<std::string, NativeControl*> byName_;
  std::map<std::string, PictureControl*> panels_;
  std::vector<ProgButtonHost*> buttons_;
  std::vector<std::unique_ptr<Timer>> timers_;
  SignalConnections signals_;
  bool shown_ = false;
  bool closed_ = false;
  gint64 shownAt_ = 0;
  std::vector<GMainLoop*> modalLoops_;
  int clientWidth_, clientHeight_;  // pixels
  int allocatedWidth_ = -1, allocatedHeight_ = -1;
  // What the window manager made of the window (minimised, maximised, full
  // screen).
  GdkWindowState managerState_ = GdkWindowState(0);
  bool resizeQueued_ = false;
  bool restackQueued_ = false;
  AliveToken alive_ = NewAliveToken();
};

TopWindow::TopWindow(const WindowAttributes& attributes)
    : attributes_(attributes),
      caption_(attributes.caption),
      clientWidth_(std::max(1, TwipsToPixels(attributes.clientWidth))),
      clientHeight_(std::max(1, TwipsToPixels(attributes.clientHeight))) {
  Registry().push_back(this);
  window_ = GTK_WIDGET(g_object_ref(gtk_window_new(GTK_WINDOW_TOPLEVEL)));
  GtkWindow* w = GTK_WINDOW(window_);
  gtk_window_set_title(w, caption_.c_str());
  gtk_widget_set_name(window_, attributes_.name.c_str());
  resizable_ = attributes_.frame == FrameKind::Sizable;
  gtk_window_set_resizable(w, resizable_);
  if (attributes_.frame == FrameKind::None) gtk_window_set_decorated(w, FALSE);
  if (attributes_.frame == FrameKind::FixedDialog)
    gtk_window_set_type_hint(w, GDK_WINDOW_TYPE_HINT_DIALOG);
  if (!attributes_.showInTaskbar) gtk_window_set_skip_taskbar_hint(w, TRUE);
  switch (attributes_.placement) {
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

TopWindow::~TopWindow() {
  alive_.reset();
  Registry().erase(std::remove(Registry().begin(), Registry().end(), this), Registry().end());
  for (GMainLoop* loop : modalLoops_) g_main_loop_quit(loop);
  closed_ = true;
  state_->closed = true;
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

void TopWindow::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (!state_->destroyed) gtk_window_set_title(GTK_WINDOW(window_), caption.c_str());
}

// ---------------------------------------------------------------- controls

GtkWidget* TopWindow::ContainerFor(const std::string& parent) const {
  if (!parent.empty()) {
    auto it = panels_.find(parent);
    if (it != panels_.end()) return it->second->ChildLayout();
  }
  return layout_;
}

template <class T>
T* TopWindow::Keep(std::unique_ptr<T> control, const Rect& r, const std::string& parent) {
  T* raw = control.get();
  GtkWidget* widget = raw->Widget();
  if (!state_->destroyed) {
    gtk_layout_put(GTK_LAYOUT(ContainerFor(parent)), widget, TwipsToPixels(r.left),
                   TwipsToPixels(r.top));
    signals_.Connect(widget, "realize", OnChildRealize, this, /*after=*/true);
  }
  byName_[raw->Name()] = raw;
  controls_.push_back(std::move(control));
  UpdateFocusChain();
  return raw;
}

ILabel* TopWindow::AddLabel(const std::string& name, const Rect& r, const std::string& text,
                            const ControlStyle& style) {
  return Keep(std::make_unique<LabelControl>(name, r, text, style, state_), r, style.parent);
}

ITextBox* TopWindow::AddTextBox(const std::string& name, const Rect& r, const ControlStyle& style) {
  return Keep(std::make_unique<TextBoxControl>(name, r, style, state_), r, style.parent);
}

ICheckBox* TopWindow::AddCheckBox(const std::string& name, const Rect& r,
                                  const ControlStyle& style) {
  return Keep(std::make_unique<CheckBoxControl>(name, r, style, state_), r, style.parent);
}

IPicture* TopWindow::AddPicture(const std::string& name, const Rect& r, const ControlStyle& style) {
  return Keep(std::make_unique<PictureControl>(name, r, style, false, state_), r, style.parent);
}

IPicture* TopWindow::AddPanel(const std::string& name, const Rect& r, const ControlStyle& style) {
  auto* panel =
      Keep(std::make_unique<PictureControl>(name, r, style, true, state_), r, style.parent);
  panels_[name] = panel;
  return panel;
}

IBrowser* TopWindow::AddBrowser(const std::string& name, const Rect& r, const ControlStyle& style) {
  std::weak_ptr<bool> alive = alive_;
  auto closeWindow = [this, alive] {
    if (!alive.expired()) Close();
  };
  return Keep(MakeBrowser(name, r, style, state_, closeWindow), r, style.parent);
}

ProgButton* TopWindow::AddProgButton(const std::string& name, const Rect& r,
                                     const ControlStyle& style) {
  auto* host = Keep(std::make_unique<ProgButtonHost>(name, r, style, state_), r, style.parent);
  buttons_.push_back(host);
  return host->Model();
}

ITimer* TopWindow::AddTimer(const std::string&, int intervalMs, bool enabled) {
  timers_.push_back(std::make_unique<Timer>(intervalMs, enabled, state_));
  return timers_.back().get();
}

GtkWidget* TopWindow::ControlWidget(const std::string& name) const {
  auto it = byName_.find(name);
  if (it == byName_.end() || state_->destroyed) return nullptr;
  return it->second->Widget();
}

// Tab order: the creation order, not the positions. A panel takes part
// where it was created when it holds focusable controls.
void TopWindow::UpdateFocusChain() {
  if (state_->destroyed) return;
  std::map<GtkWidget*, bool> holdsFocusable;
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    GtkWidget* widget = (*it)->Widget();
    GtkWidget* container = gtk_widget_get_parent(widget);
    if (container && ((*it)->Focusable() || holdsFocusable[widget]))
      holdsFocusable[container] = true;
  }
  std::map<GtkWidget*, GList*> chains;
  for (auto& control : controls_) {
    GtkWidget* widget = control->Widget();
    GtkWidget* container = gtk_widget_get_parent(widget);
    if (container && (control->Focusable() || holdsFocusable[widget]))
      chains[container] = g_list_append(chains[container], widget);
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
void TopWindow::QueueRestack() {
  if (restackQueued_) return;
  restackQueued_ = true;
  RunWhenIdle(alive_, [this] {
    restackQueued_ = false;
    if (state_->destroyed) return;
    Restack(layout_);
    for (auto& [name, panel] : panels_) Restack(panel->ChildLayout());
  });
}

void TopWindow::Restack(GtkWidget* layout) {
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

void TopWindow::OnChildRealize(GtkWidget*, gpointer data) {
  static_cast<TopWindow*>(data)->QueueRestack();
}

// ---------------------------------------------------------------- showing

void TopWindow::Show() {
  if (closed_ || state_->destroyed) return;
  if (!shown_) {
    shown_ = true;
    shownAt_ = g_get_monotonic_time();
    // A window to be centred on its owner that is shown without one is
    // centred on the screen, as GTK would otherwise put it in a corner.
    if (attributes_.placement == Placement::CenterOwner &&
        !gtk_window_get_transient_for(GTK_WINDOW(window_)))
      gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
  }
  gtk_window_present(GTK_WINDOW(window_));
}

void TopWindow::ShowModal(IWindow* owner) {
  if (closed_ || state_->destroyed) return;
  auto* ownerWindow = dynamic_cast<TopWindow*>(owner);
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

void TopWindow::Close() {
  if (closed_) return;
  closed_ = true;
  state_->closed = true;
  for (auto& timer : timers_) timer->Stop();
  for (GMainLoop* loop : modalLoops_) g_main_loop_quit(loop);
  if (!state_->destroyed) {
    gtk_widget_hide(window_);
    // The widgets may be inside one of their own signal handlers right now:
    // they are destroyed once that has returned.
    RunWhenIdle(alive_, [this] { DestroyNative(); });
  }
  std::function<void()> closed = onClosed;
  if (closed) RunHandler(state_, closed);
}

void TopWindow::DestroyNative() {
  if (state_->destroyed) return;
  for (auto& control : controls_) control->Detach();
  signals_.DisconnectAll();
  state_->destroyed = true;
  gtk_widget_destroy(window_);
}

gboolean TopWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<TopWindow*>(data)->Close();
  return TRUE;  // destroyed by Close, later
}

// ---------------------------------------------------------------- size

bool TopWindow::SizeLocked() const {
  return managerState_ &
         (GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_MAXIMIZED | GDK_WINDOW_STATE_FULLSCREEN);
}

void TopWindow::ApplyClientSize() {
  if (state_->destroyed) return;
  if (resizable_) {
    // The user may make a sizable window smaller than its design.
    gtk_widget_set_size_request(layout_, 1, 1);
    gtk_window_set_default_size(GTK_WINDOW(window_), clientWidth_, clientHeight_);
    gtk_window_resize(GTK_WINDOW(window_), clientWidth_, clientHeight_);
  } else {
    gtk_widget_set_size_request(layout_, clientWidth_, clientHeight_);
  }
}

bool TopWindow::SetOuterWidth(int twips) {
  if (closed_ || state_->destroyed || SizeLocked()) return false;
  const int px = TwipsToPixels(twips - attributes_.frameWidth);
  if (px < 1) return false;
  if (px == clientWidth_) return true;
  clientWidth_ = px;
  ApplyClientSize();
  return true;
}

bool TopWindow::SetOuterHeight(int twips) {
  if (closed_ || state_->destroyed || SizeLocked()) return false;
  const int px = TwipsToPixels(twips - attributes_.frameHeight);
  if (px < 1) return false;
  if (px == clientHeight_) return true;
  clientHeight_ = px;
  ApplyClientSize();
  return true;
}

void TopWindow::QueueResize() {
  if (resizeQueued_) return;
  resizeQueued_ = true;
  RunWhenIdle(alive_, [this] {
    resizeQueued_ = false;
    if (closed_) return;
    std::function<void()> handler = onResize;
    if (handler) RunHandler(state_, handler);
  });
}

void TopWindow::OnSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
  auto* self = static_cast<TopWindow*>(data);
  if (allocation->width == self->allocatedWidth_ && allocation->height == self->allocatedHeight_)
    return;
  self->allocatedWidth_ = allocation->width;
  self->allocatedHeight_ = allocation->height;
  self->clientWidth_ = allocation->width;
  self->clientHeight_ = allocation->height;
  self->QueueResize();
}

gboolean TopWindow::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
  auto* self = static_cast<TopWindow*>(data);
  self->managerState_ = event->new_window_state;
  if (event->changed_mask &
      (GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_MAXIMIZED | GDK_WINDOW_STATE_FULLSCREEN))
    self->QueueResize();
  return FALSE;
}

void TopWindow::OnRealize(GtkWidget* widget, gpointer data) {
  auto* self = static_cast<TopWindow*>(data);
  // The frame's buttons, as far as the window manager honours the hints.
  int functions = GDK_FUNC_MOVE | GDK_FUNC_CLOSE;
  if (self->resizable_) functions |= GDK_FUNC_RESIZE;
  if (self->attributes_.minimizeButton && self->attributes_.frame != FrameKind::None)
    functions |= GDK_FUNC_MINIMIZE;
  if (self->attributes_.maximizeButton && self->resizable_) functions |= GDK_FUNC_MAXIMIZE;
  gdk_window_set_functions(gtk_widget_get_window(widget), GdkWMFunction(functions));
}

gboolean TopWindow::OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
  auto* self = static_cast<TopWindow*>(data);
  if (!gtk_cairo_should_draw_window(cr, gtk_layout_get_bin_window(GTK_LAYOUT(widget))))
    return FALSE;
  const uint32_t background = self->attributes_.backgroundColor;
  SetSourceRgb(cr, background == kDefaultColor ? kFaceColor : background);
  cairo_paint(cr);
  // The picture at its own size from the top left corner, as the layouts
  // were designed; a larger client area shows the colour beyond it.
  if (!self->attributes_.background.empty()) PaintAsset(cr, widget, self->attributes_.background);
  DrawChildrenInOrder(widget, cr);
  return TRUE;
}

gboolean TopWindow::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* self = static_cast<TopWindow*>(data);
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  // The keys of the page shown: the first browser the user sees takes them.
  bool taken = false;
  RunHandler(std::shared_ptr<WindowState>(self->state_), [&] {
    for (auto& control : self->controls_)
      if ((taken = control->TakePageKey(event))) break;
  });
  if (taken) return TRUE;
  if (event->keyval == GDK_KEY_Escape && modifiers == 0) {
    // Taken before the focused control sees it (a browser would keep it).
    // The handler may close the window.
    std::function<void()> escape = self->onEscape;
    if (!escape) return FALSE;
    RunHandler(std::shared_ptr<WindowState>(self->state_), escape);
    return TRUE;
  }
  if (event->keyval == GDK_KEY_Home && modifiers == GDK_MOD1_MASK && self->onGoHome) {
    std::function<void()> home = self->onGoHome;
    RunHandler(std::shared_ptr<WindowState>(self->state_), home);
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

std::unique_ptr<IWindow> WindowFactory::CreateWindow(const WindowAttributes& attributes) {
  return std::make_unique<TopWindow>(attributes);
}

int OpenWindowCount() {
  int count = 0;
  for (TopWindow* w : Registry())
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
  TopWindow* best = nullptr;
  for (TopWindow* w : Registry()) {
    if (!w->IsOpen() || !w->Native()) continue;
    if (!best || (w->Modal() && !best->Modal()) ||
        (w->Modal() == best->Modal() && w->ShownAt() >= best->ShownAt()))
      best = w;
  }
  return best ? GTK_WINDOW(best->Native()) : nullptr;
}

GtkWidget* NativeWindowOf(IWindow* window) {
  auto* impl = dynamic_cast<TopWindow*>(window);
  return impl ? impl->Native() : nullptr;
}

GtkWidget* NativeClientAreaOf(IWindow* window) {
  auto* impl = dynamic_cast<TopWindow*>(window);
  return impl ? impl->Client() : nullptr;
}

GtkWidget* NativeControlOf(IWindow* window, const std::string& controlName) {
  auto* impl = dynamic_cast<TopWindow*>(window);
  return impl ? impl->ControlWidget(controlName) : nullptr;
}

}  // namespace lumaro::gtk
