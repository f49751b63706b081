#include "platform/webkit/webkit_browser.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

#include "core/dispatch_gate.h"
#include "core/spoken_names.h"
#include "platform/control_layout.h"
#include "platform/input_gate.h"
#include "platform/linux_system.h"
#include "platform/run_handler.h"
#include "platform/shutting_down.h"
#include "platform/twips.h"
#include "platform/web_text/browser_address.h"
#include "platform/webkit/page_scripts.h"
#include "platform/webkit/popup_window.h"
#include "platform/webkit/web_context.h"

namespace lumaro::gtk {

namespace {

constexpr const char* kWorld = "lumaro";
constexpr const char* kChannel = "lumaro";
// Longest wait for a page to take in a key or a click before the next one
// is handed to it.
constexpr guint kCatchUpLimitMs = 1000;

std::string Property(JSCValue* object, const char* name) {
  JSCValue* value = jsc_value_object_get_property(object, name);
  std::string text;
  if (value && jsc_value_is_string(value)) {
    gchar* s = jsc_value_to_string(value);
    text = s;
    g_free(s);
  }
  if (value) g_object_unref(value);
  return text;
}


void WaitBriefly(double seconds) {
  GSource* timeout = g_timeout_source_new(guint(std::max(1.0, seconds * 1000)));
  g_source_set_callback(timeout, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr,
                        nullptr);
  g_source_attach(timeout, nullptr);
  g_main_context_iteration(nullptr, TRUE);
  g_source_destroy(timeout);
  g_source_unref(timeout);
}

// With LUMARO_TRACE_LOADS naming a file, every finished page load is
// appended to it as "<monotonic clock in microseconds> <address>", and every
// document key-up once its handler has returned as "<microseconds> keyup":
// what the benchmarks time page loads and typing by.
void TraceLoad(const char* uri) {
  static const char* path = g_getenv("LUMARO_TRACE_LOADS");
  if (!path || !*path) return;
  if (FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%" G_GINT64_FORMAT " %s\n", g_get_monotonic_time(), uri ? uri : "");
    std::fclose(f);
  }
}

}  // namespace

// ================================================================ browser

WebkitBrowser::WebkitBrowser(std::string name, const Rect& r, const ControlStyle& style,
                             std::shared_ptr<WindowState> window, std::function<void()> closeWindow)
    : ControlBase(std::move(name), style, std::move(window)), closeWindow_(std::move(closeWindow)) {
  // The control's widget is an event box with a window of its own: the page
  // is stacked (and painted) with the window's other controls by that
  // window's place among theirs. It holds the overlay of the page and its
  // find bar.
  GtkWidget* box = gtk_event_box_new();
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(box), TRUE);
  AdoptWidget(box, FieldSpokenName(name_, style_.accessibleName), ATK_ROLE_DOCUMENT_FRAME);
  // A browser the user never sees is no part of what assistive tools see
  // either: neither the browser nor its page is in the accessibility tree.
  if (style_.unseen) HideFromAssistiveTools(widget_);
  gtk_widget_set_size_request(widget_, std::max(0, TwipsToPixels(r.width)),
                              std::max(0, TwipsToPixels(r.height)));
  overlay_ = gtk_overlay_new();
  gtk_container_add(GTK_CONTAINER(widget_), overlay_);
  gtk_widget_show(overlay_);
  findBar_ = std::make_unique<FindBar>(overlay_);
  InstallView(NewView(nullptr));
  LiveBrowsers().push_back(this);
}

WebkitBrowser::~WebkitBrowser() {
  auto& live = LiveBrowsers();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  alive_.reset();
  if (ShuttingDown()) return;
  viewSignals_.DisconnectAll();
  if (view_) g_object_set_data(G_OBJECT(view_), kBrowserKey, nullptr);
  if (view_) g_object_unref(view_);
  if (content_) g_object_unref(content_);
}

void WebkitBrowser::Detach() {
  ControlBase::Detach();
  if (findBar_) findBar_->Detach();
  viewSignals_.DisconnectAll();
}

WebKitWebView* WebkitBrowser::NewView(WebKitWebView* relatedTo) {
  WebKitUserContentManager* content = webkit_user_content_manager_new();
  WebKitUserScript* hooks = webkit_user_script_new_for_world(
      kPageHooksScript, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES, WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START,
      kWorld, nullptr, nullptr);
  webkit_user_content_manager_add_script(content, hooks);
  webkit_user_script_unref(hooks);
  WebKitUserScript* wrapper = webkit_user_script_new(
      kSubmitWrapperScript, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(content, wrapper);
  webkit_user_script_unref(wrapper);

  // The first browser takes over the web process started ahead of it.
  WebKitWebView* warm = TakeWarmView();
  if (!relatedTo) relatedTo = warm;
  GObject* view;
  if (relatedTo) {
    view = G_OBJECT(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", relatedTo,
                                 "user-content-manager", content, "settings", SharedSettings(),
                                 nullptr));
  } else {
    view = G_OBJECT(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", SharedContext(),
                                 "user-content-manager", content, "settings", SharedSettings(),
                                 nullptr));
  }
  g_object_unref(content);  // the view holds it
  if (warm) g_object_unref(warm);
  return WEBKIT_WEB_VIEW(view);
}

void WebkitBrowser::InstallView(WebKitWebView* view) {
  view_ = WEBKIT_WEB_VIEW(g_object_ref_sink(view));
  g_object_set_data(G_OBJECT(view_), kBrowserKey, this);
  content_ = WEBKIT_USER_CONTENT_MANAGER(
      g_object_ref(webkit_web_view_get_user_content_manager(view_)));
  // Connected before the channel is registered, so that no message is lost.
  viewSignals_.Connect(content_, "script-message-received::lumaro", OnScriptMessage, this);
  webkit_user_content_manager_register_script_message_handler_in_world(content_, kChannel, kWorld);

  viewSignals_.Connect(view_, "decide-policy", OnDecidePolicy, this);
  viewSignals_.Connect(view_, "create", OnCreate, this);
  viewSignals_.Connect(view_, "ready-to-show", OnReadyToShow, this);
  viewSignals_.Connect(view_, "load-changed", OnLoadChanged, this);
  viewSignals_.Connect(view_, "load-failed", OnLoadFailed, this);
  viewSignals_.Connect(view_, "close", OnClose, this);
  viewSignals_.Connect(view_, "script-dialog", OnScriptDialog, this);

  gtk_container_add(GTK_CONTAINER(overlay_), GTK_WIDGET(view_));
  gtk_widget_show(GTK_WIDGET(view_));
  webkit_web_view_set_zoom_level(view_, PageZoom());
  SetPageCatchUp(GTK_WIDGET(view_), CatchUp);
  // The page of an unseen browser is never offered to assistive tools, so
  // its view gets no accessible object (which would take in the page's).
  if (!style_.unseen) {
    AtkObject* accessible = gtk_widget_get_accessible(GTK_WIDGET(view_));
    atk_object_set_name(accessible,
                        (style_.accessibleName.empty() ? name_ : style_.accessibleName).c_str());
  }
}

void WebkitBrowser::RemoveView() {
  viewSignals_.DisconnectAll();
  reports_.Clear();
  loadFailed_ = false;
  if (content_) {
    webkit_user_content_manager_unregister_script_message_handler_in_world(content_, kChannel,
                                                                           kWorld);
    g_object_unref(content_);
    content_ = nullptr;
  }
  if (view_) {
    if (findBar_) findBar_->Forget(view_);
    g_object_set_data(G_OBJECT(view_), kBrowserKey, nullptr);
    gtk_widget_destroy(GTK_WIDGET(view_));
    g_object_unref(view_);
    view_ = nullptr;
  }
}

WebKitWebView* WebkitBrowser::TakeNewWindow(WebKitWebView* opener) {
  WebKitWebView* fresh = NewView(opener);
  RemoveView();
  InstallView(fresh);
  return view_;
}

// --------------------------------------------------------------- operations

void WebkitBrowser::Navigate(const std::string& url) {
  if (!Live() || !view_) return;
  document_.FlushQuietly();
  const std::string address = BrowserAddress(url);
  if (address.empty()) return;  // nothing to load
  // The program loads web pages only: an address from the service or a page
  // that names another scheme (file:, javascript:, a desktop handler) is not
  // followed.
  if (!IsWebAddress(address) && address != "about:blank") return;
  webkit_web_view_load_uri(view_, address.c_str());
}

bool WebkitBrowser::GoBack() {
  if (!Live() || !view_ || !webkit_web_view_can_go_back(view_)) return false;
  document_.FlushQuietly();
  webkit_web_view_go_back(view_);
  return true;
}

bool WebkitBrowser::GoForward() {
  if (!Live() || !view_ || !webkit_web_view_can_go_forward(view_)) return false;
  document_.FlushQuietly();
  webkit_web_view_go_forward(view_);
  return true;
}

namespace {

// The zoom of every page, kept for the rest of the run; the steps of the
// desktop's browsers.
constexpr double kZoomSteps[] = {0.3, 0.5, 0.67, 0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0};
double g_pageZoom = 1.0;

}  // namespace

double PageZoom() { return g_pageZoom; }

std::vector<WebkitBrowser*>& WebkitBrowser::LiveBrowsers() {
  // Never destroyed: a browser of a window that outlives main() (a shared
  // window released at exit) still takes itself off the list.
  static auto* browsers = new std::vector<WebkitBrowser*>;
  return *browsers;
}

void WebkitBrowser::Zoom(int step) {
  if (step == 0) {
    g_pageZoom = 1.0;
  } else if (step > 0) {
    for (double z : kZoomSteps)
      if (z > g_pageZoom + 1e-9) {
        g_pageZoom = z;
        break;
      }
  } else {
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
      if (*it < g_pageZoom - 1e-9) {
        g_pageZoom = *it;
        break;
      }
  }
  // Every page shown takes the new zoom at once: the pages of other windows
  // too, not only those loaded from now on.
  for (WebkitBrowser* browser : LiveBrowsers())
    if (browser->view_) webkit_web_view_set_zoom_level(browser->view_, g_pageZoom);
}

void WebkitBrowser::Print() {
  if (!view_) return;
  WebKitPrintOperation* operation = webkit_print_operation_new(view_);
  GtkWidget* top = gtk_widget_get_toplevel(widget_);
  // GTK's print dialog; printing goes on after it, until the operation
  // reports that it has finished (or failed).
  g_signal_connect(operation, "finished", G_CALLBACK(+[](WebKitPrintOperation* op, gpointer) {
                     g_object_unref(op);
                   }),
                   nullptr);
  const WebKitPrintOperationResponse answer =
      webkit_print_operation_run_dialog(operation, GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr);
  if (answer == WEBKIT_PRINT_OPERATION_RESPONSE_CANCEL) g_object_unref(operation);
}

bool WebkitBrowser::TakePageKey(GdkEventKey* event) {
  if (!Live() || !view_ || !style_.pageKeys || style_.unseen || !visible_ ||
      !gtk_widget_is_visible(widget_))
    return false;
  if (findBar_ && findBar_->TakeKey(event)) return true;
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  const guint key = gdk_keyval_to_lower(event->keyval);
  const bool ctrl = (modifiers & ~GDK_SHIFT_MASK) == GDK_CONTROL_MASK;
  if ((key == GDK_KEY_F5 && modifiers == 0) || (ctrl && key == GDK_KEY_r && !(modifiers & GDK_SHIFT_MASK))) {
    Refresh();  // as the reload hot spot does, through the navigation guard
  } else if (modifiers == GDK_MOD1_MASK && (key == GDK_KEY_Left || key == GDK_KEY_KP_Left)) {
    GoBack();
  } else if (modifiers == GDK_MOD1_MASK && (key == GDK_KEY_Right || key == GDK_KEY_KP_Right)) {
    GoForward();
  } else if (ctrl && (key == GDK_KEY_plus || key == GDK_KEY_equal || key == GDK_KEY_KP_Add)) {
    Zoom(+1);
  } else if (ctrl && (key == GDK_KEY_minus || key == GDK_KEY_KP_Subtract || key == GDK_KEY_underscore)) {
    Zoom(-1);
  } else if (ctrl && (key == GDK_KEY_0 || key == GDK_KEY_KP_0)) {
    Zoom(0);
  } else if (ctrl && key == GDK_KEY_f && !(modifiers & GDK_SHIFT_MASK)) {
    if (findBar_) findBar_->Open(view_);
  } else if (ctrl && key == GDK_KEY_p && !(modifiers & GDK_SHIFT_MASK)) {
    Print();
  } else {
    return false;
  }
  return true;
}

void WebkitBrowser::Refresh() {
  if (!Live() || !view_) return;
  document_.FlushQuietly();
  webkit_web_view_reload(view_);
}

void WebkitBrowser::Move(const Rect& twips) { PlaceWidget(twips); }

std::string WebkitBrowser::LocationUrl() {
  if (!Live() || !view_) return {};
  const char* uri = webkit_web_view_get_uri(view_);
  return uri ? uri : "";
}

std::string WebkitBrowser::Evaluate(const std::string& script, double timeoutSeconds) {
  if (!Live() || !view_) throw DocumentError("no document: the browser is closed");
  const char* uri = webkit_web_view_get_uri(view_);
  if (!uri || !*uri) throw DocumentError("no document is loaded");

  struct State {
    bool done = false;
    bool ok = false;
    std::string text;
  };
  auto state = std::make_shared<State>();
  GCancellable* cancellable = g_cancellable_new();
  WebKitWebView* view = WEBKIT_WEB_VIEW(g_object_ref(view_));
  webkit_web_view_evaluate_javascript(
      view, script.c_str(), gssize(script.size()), kWorld, "lumaro:document", cancellable,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* holder = static_cast<std::shared_ptr<State>*>(data);
        State& s = **holder;
        GError* error = nullptr;
        JSCValue* value =
            webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
        if (error) {
          s.text = error->message;
          g_error_free(error);
        } else {
          s.ok = true;
          if (value && !jsc_value_is_undefined(value) && !jsc_value_is_null(value)) {
            gchar* text = jsc_value_to_string(value);
            s.text = text ? text : "";
            g_free(text);
          }
        }
        if (value) g_object_unref(value);
        s.done = true;
        delete holder;
      },
      new std::shared_ptr<State>(state));

  // A page call: the user's input, the program's timers and the browsers'
  // events wait until it has returned (the gate holds them), so that the
  // handler making it sees the page as it left it.
  {
    DispatchGate::PageCall call;
    const gint64 deadline = g_get_monotonic_time() + gint64(timeoutSeconds * G_USEC_PER_SEC);
    while (!state->done) {
      const gint64 left = deadline - g_get_monotonic_time();
      if (left <= 0) break;
      WaitBriefly(double(left) / G_USEC_PER_SEC);
    }
  }
  if (!state->done) g_cancellable_cancel(cancellable);
  g_object_unref(cancellable);
  g_object_unref(view);
  if (!state->done) throw DocumentError("the page did not answer");
  if (!state->ok) throw DocumentError(state->text);
  return state->text;
}

// --------------------------------------------------------------- events

void WebkitBrowser::Raise(std::function<void()> event) {
  DispatchGate::Get().Raise(window_->gate, std::move(event));
}

void WebkitBrowser::CatchUp(GtkWidget* widget, uint64_t token) {
  WebKitWebView* view = WEBKIT_WEB_VIEW(widget);
  const char* uri = webkit_web_view_get_uri(view);
  if (!uri || !*uri || !webkit_web_view_get_is_web_process_responsive(view)) {
    DispatchGate::Get().PageCaughtUp(token);
    return;
  }
  // The page answers a script only after the input sent before it. A page
  // that does not answer in time (busy, gone) is not waited for longer.
  auto* held = new uint64_t(token);
  webkit_web_view_evaluate_javascript(
      view, "0", -1, kWorld, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* token = static_cast<uint64_t*>(data);
        JSCValue* value =
            webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
        if (value) g_object_unref(value);
        DispatchGate::Get().PageCaughtUp(*token);
        delete token;
      },
      held);
  g_timeout_add_full(G_PRIORITY_DEFAULT, kCatchUpLimitMs,
                     [](gpointer data) -> gboolean {
                       DispatchGate::Get().PageCaughtUp(*static_cast<uint64_t*>(data));
                       return G_SOURCE_REMOVE;
                     },
                     new uint64_t(token), [](gpointer p) { delete static_cast<uint64_t*>(p); });
}

gboolean WebkitBrowser::OnDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision,
                                       WebKitPolicyDecisionType type, gpointer data) {
  auto* self = static_cast<WebkitBrowser*>(data);
  if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) return FALSE;  // default handling
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  const WebKitNavigationType navType = webkit_navigation_action_get_navigation_type(action);
  if (!self->onBeforeNavigate2) return FALSE;
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  const char* uri = webkit_uri_request_get_uri(request);
  const char* method = webkit_uri_request_get_http_method(request);
  const bool post = method && g_ascii_strcasecmp(method, "POST") == 0;

  // Taken now: the reports it is matched with belong to this moment. A
  // reload is judged as the navigation it repeats: a post with the body it
  // posts again.
  auto args = std::make_shared<BeforeNavigateArgs>();
  args->url = uri ? uri : "";
  if (navType == WEBKIT_NAVIGATION_TYPE_RELOAD ||
      navType == WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED)
    args->postText = post ? self->lastPostText_ : "";
  else
    args->postText = self->reports_.TakeBody(args->url, method ? method : "GET", g_get_monotonic_time());

  // The decision is held until the handler has decided; the handler may
  // run modal windows and read the page first, and it may wait for a
  // handler of its window that is running now. The browser may be gone by
  // the time it decides.
  g_object_ref(decision);
  std::weak_ptr<bool> alive = self->alive_;
  self->Raise([self, alive, args, decision, post] {
    // A window that closed meanwhile (its page closed it while a handler
    // waited) follows no more navigations.
    const bool gone = alive.expired() || self->window_->closed;
    std::function<void(BeforeNavigateArgs&)> handler = gone ? nullptr : self->onBeforeNavigate2;
    if (handler) Guarded([&] { handler(*args); });
    if (!alive.expired()) self->document_.FlushQuietly();
    if (gone || alive.expired() || args->cancel) {
      webkit_policy_decision_ignore(decision);
    } else {
      if (post) self->lastPostText_ = args->postText;
      webkit_policy_decision_use(decision);
    }
    g_object_unref(decision);
  });
  (void)view;
  return TRUE;
}

GtkWidget* WebkitBrowser::OnCreate(WebKitWebView* view, WebKitNavigationAction* action,
                                   gpointer data) {
  auto* self = static_cast<WebkitBrowser*>(data);
  std::weak_ptr<bool> alive = self->alive_;
  if (DispatchGate::Get().WouldQueue(self->window_->gate)) {
    // A handler of this window is running: the page gets no window now, and
    // the address opens where the handler says once it has returned.
    WebKitURIRequest* request = action ? webkit_navigation_action_get_request(action) : nullptr;
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    const std::string address = uri ? uri : "";
    self->Raise([self, alive, address] {
      if (alive.expired() || self->window_->closed) return;
      NewWindowArgs args;
      std::function<void(NewWindowArgs&)> handler = self->onNewWindow2;
      if (handler) Guarded([&] { handler(args); });
      if (args.cancel || alive.expired() || address.empty()) return;
      if (auto* target = dynamic_cast<WebkitBrowser*>(args.target)) {
        target->Navigate(address);
      } else if (!args.target && self->view_) {
        GtkWidget* popup = OpenPopup(self->view_);
        webkit_web_view_load_uri(WEBKIT_WEB_VIEW(popup), address.c_str());
        ShowPopup(WEBKIT_WEB_VIEW(popup));
      }
    });
    return nullptr;
  }
  NewWindowArgs args;
  std::function<void(NewWindowArgs&)> handler = self->onNewWindow2;
  if (handler) RunHandler(self->window_, [&] { handler(args); });
  if (args.cancel || alive.expired()) return nullptr;
  if (!args.target) return OpenPopup(view);
  auto* target = dynamic_cast<WebkitBrowser*>(args.target);
  if (!target || !target->Live()) return nullptr;
  if (target == self) {
    // The page opens in this very browser.
    if (action) webkit_web_view_load_request(view, webkit_navigation_action_get_request(action));
    return nullptr;
  }
  return GTK_WIDGET(target->TakeNewWindow(view));
}

void WebkitBrowser::OnReadyToShow(WebKitWebView* view, gpointer) {
  gtk_widget_show(GTK_WIDGET(view));
}


void WebkitBrowser::OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
  auto* self = static_cast<WebkitBrowser*>(data);
  if (event == WEBKIT_LOAD_COMMITTED) {
    // Reports made on the old page can no longer be answered.
    self->reports_.Clear();
  } else if (event == WEBKIT_LOAD_FINISHED) {
    if (self->loadFailed_) {
      self->loadFailed_ = false;
      return;
    }
    const char* uri = webkit_web_view_get_uri(view);
    TraceLoad(uri);
    self->RaiseDocumentComplete(uri ? uri : "");
  }
}

gboolean WebkitBrowser::OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError*,
                                     gpointer data) {
  // The failed load ends with FINISHED as well; only the error page that
  // follows (if any) completes a document.
  static_cast<WebkitBrowser*>(data)->loadFailed_ = true;
  return FALSE;
}

void WebkitBrowser::OnClose(WebKitWebView*, gpointer data) {
  auto* self = static_cast<WebkitBrowser*>(data);
  std::weak_ptr<bool> alive = self->alive_;
  // A page closing its window while a handler of that window waits closes
  // it once the handler has returned.
  self->Raise([self, alive] {
    if (alive.expired() || self->window_->closed) return;
    bool cancel = false;
    std::function<void(bool&)> handler = self->onWindowClosing;
    if (handler) Guarded([&] { handler(cancel); });
    if (cancel || alive.expired()) return;
    std::function<void()> close = self->closeWindow_;
    if (close) close();
  });
}

gboolean WebkitBrowser::OnScriptDialog(WebKitWebView*, WebKitScriptDialog*, gpointer) {
  // Pages' alerts, confirmations and prompts are shown even by a silent
  // browser: silence only keeps script errors quiet, and WebKit reports
  // those in no dialog anyway. A page that asks the user while the program
  // waits for it needs the user's input to answer.
  DispatchGate::Get().LetInputThrough();
  return FALSE;
}

void WebkitBrowser::OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                                    gpointer data) {
  auto* self = static_cast<WebkitBrowser*>(data);
  JSCValue* message = webkit_javascript_result_get_js_value(result);
  if (!message || !jsc_value_is_object(message)) return;
  const std::string kind = Property(message, "k");
  if (kind == "nav") {
    NavigationReport report;
    report.url = Property(message, "url");
    report.method = Property(message, "method");
    report.charset = Property(message, "charset");
    JSCValue* form = jsc_value_object_get_property(message, "form");
    report.form = form && jsc_value_to_boolean(form);
    if (form) g_object_unref(form);
    JSCValue* fields = jsc_value_object_get_property(message, "fields");
    if (fields && jsc_value_is_array(fields)) {
      JSCValue* lengthValue = jsc_value_object_get_property(fields, "length");
      const int length = lengthValue ? jsc_value_to_int32(lengthValue) : 0;
      if (lengthValue) g_object_unref(lengthValue);
      for (int i = 0; i < length && i < 10000; ++i) {
        JSCValue* pair = jsc_value_object_get_property_at_index(fields, guint(i));
        if (pair && jsc_value_is_array(pair)) {
          JSCValue* n = jsc_value_object_get_property_at_index(pair, 0);
          JSCValue* v = jsc_value_object_get_property_at_index(pair, 1);
          gchar* ns = jsc_value_to_string(n);
          gchar* vs = jsc_value_to_string(v);
          report.fields.emplace_back(ns ? ns : "", vs ? vs : "");
          g_free(ns);
          g_free(vs);
          g_object_unref(n);
          g_object_unref(v);
        }
        if (pair) g_object_unref(pair);
      }
    }
    if (fields) g_object_unref(fields);
    self->reports_.Add(std::move(report), g_get_monotonic_time());
  } else if (kind == "frameload") {
    self->RaiseDocumentComplete(Property(message, "url"));
  } else if (kind == "click") {
    self->RaiseDocumentEvent(&IBrowser::onDocumentClick);
  } else if (kind == "keyup") {
    self->RaiseDocumentEvent(&IBrowser::onDocumentKeyUp);
  }
}

void WebkitBrowser::RaiseDocumentComplete(const std::string& url) {
  std::weak_ptr<bool> alive = alive_;
  Raise([this, alive, url] {
    std::function<void(const std::string&)> handler =
        alive.expired() || window_->closed ? nullptr : onDocumentComplete;
    if (handler) Guarded([&] { handler(url); });
    if (!alive.expired()) document_.FlushQuietly();
  });
}

void WebkitBrowser::RaiseDocumentEvent(std::function<void()> IBrowser::*event) {
  std::weak_ptr<bool> alive = alive_;
  Raise([this, alive, event] {
    std::function<void()> handler = alive.expired() || window_->closed ? nullptr : this->*event;
    if (handler) Guarded(handler);
    if (!alive.expired()) document_.FlushQuietly();
    if (event == &IBrowser::onDocumentKeyUp) TraceLoad("keyup");
  });
}

void WebkitBrowser::RaiseDownloadSaved(const std::string& path) {
  std::weak_ptr<bool> alive = alive_;
  Raise([this, alive, path] {
    std::function<void(const std::string&)> handler = alive.expired() ? nullptr : onDownloadSaved;
    if (handler) Guarded([&] { handler(path); });
  });
}

}  // namespace lumaro::gtk
