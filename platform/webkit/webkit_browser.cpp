#include "platform/webkit/webkit_browser.h"

#include <glib/gstdio.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <exception>
#include <utility>

#include "core/dispatch_gate.h"
#include "core/spoken_names.h"
#include "platform/desktop_services.h"
#include "platform/gtk_window.h"
#include "platform/input_gate.h"
#include "platform/web_text/download_name.h"
#include "platform/web_text/js_string.h"

namespace lumaro::gtkp {

namespace {

constexpr const char* kWorld = "lumaro";
constexpr const char* kChannel = "lumaro";
// A report of a click or submission older than this belongs to no navigation.
constexpr gint64 kIntentLifetimeUs = 10 * G_USEC_PER_SEC;
constexpr size_t kMaxIntents = 16;
// Longest wait for a page to take in a key or a click before the next one
// is handed to it.
constexpr guint kCatchUpLimitMs = 1000;

// Runs in this program's script world of every frame. It reports link
// clicks and form submissions (with the submitted fields) just before the
// navigation they cause, the frames' completed loads, and the top
// document's click and keyup events.
constexpr const char* kHookScript = R"JS(
(function () {
  'use strict';
  var channel = window.webkit && window.webkit.messageHandlers &&
                window.webkit.messageHandlers.lumaro;
  if (!channel || window.__lumaroHooks) return;
  window.__lumaroHooks = true;
  function post(message) { try { channel.postMessage(message); } catch (e) {} }
  function isTop() { return window === window.top; }
  function formFields(form, submitter) {
    var data;
    try {
      data = submitter ? new FormData(form, submitter) : new FormData(form);
    } catch (e) {
      data = new FormData(form);
      if (submitter && submitter.name) data.append(submitter.name, submitter.value || '');
    }
    var fields = [];
    data.forEach(function (value, name) {
      fields.push([String(name), typeof value === 'string' ? value : (value && value.name) || '']);
    });
    return fields;
  }
  function reportForm(form, submitter) {
    if (!form || form.localName !== 'form') return;
    var has = function (a) {
      return !!(submitter && submitter.hasAttribute && submitter.hasAttribute(a));
    };
    var method = (has('formmethod') ? submitter.formMethod : form.method) || 'get';
    if (method.toLowerCase() === 'dialog') return;
    var action = has('formaction') ? submitter.formAction : form.action;
    var charset = (form.acceptCharset || '').split(/[\s,]+/).filter(Boolean)[0] ||
                  document.characterSet;
    post({k: 'nav', url: String(action), method: method.toUpperCase(), form: true,
          fields: formFields(form, submitter), charset: charset});
  }
  window.addEventListener('submit', function (e) { reportForm(e.target, e.submitter); }, true);
  window.addEventListener('__lumaro_submit', function (e) { reportForm(e.target, null); }, true);
  window.addEventListener('click', function (e) {
    if (e.button !== 0 || !e.target || !e.target.closest) return;
    var link = e.target.closest('a[href], area[href]');
    if (!link || typeof link.href !== 'string' || /^javascript:/i.test(link.href)) return;
    post({k: 'nav', url: link.href, method: 'GET', form: false, fields: null, charset: ''});
  }, true);
  if (isTop()) {
    document.addEventListener('click', function () { post({k: 'click'}); });
    document.addEventListener('keyup', function () { post({k: 'keyup'}); });
  } else {
    window.addEventListener('load', function () { post({k: 'frameload', url: location.href}); });
  }
})();
)JS";

// Runs in the page's own world: form.submit() fires no submit event, so the
// page's calls of it announce themselves to the hook script first.
constexpr const char* kSubmitWrapper = R"JS(
(function () {
  var proto = HTMLFormElement.prototype;
  var original = proto.submit;
  if (!original || original.__lumaro) return;
  var submit = function () {
    try { this.dispatchEvent(new CustomEvent('__lumaro_submit', {bubbles: true})); } catch (e) {}
    return original.apply(this, arguments);
  };
  submit.__lumaro = true;
  proto.submit = submit;
})();
)JS";

std::string& DownloadDirectory() {
  static std::string dir;
  return dir;
}

// --------------------------------------------------------------- context

std::string DownloadFolder();

// The largest download kept; a longer one is cancelled and its file removed.
constexpr guint64 kMaxDownloadBytes = guint64(64) << 20;

// The browser whose page started a download, for telling it where the file
// went; the browser may be gone by the time the download ends.
struct DownloadOwner {
  WebkitBrowser* browser = nullptr;
  std::weak_ptr<bool> alive;
  bool savesSilently = false;
  bool failed = false;
  bool created = false;  // the destination file was made by this download
};

constexpr const char* kOwnerKey = "lumaro-download-owner";
constexpr const char* kBrowserKey = "lumaro-browser";

DownloadOwner* OwnerOf(WebKitDownload* download) {
  return static_cast<DownloadOwner*>(g_object_get_data(G_OBJECT(download), kOwnerKey));
}

// Where exports go: the download folder, or the home folder when that
// cannot be made.
std::string ExportFolder() {
  const std::string dir = DownloadFolder();
  if (g_mkdir_with_parents(dir.c_str(), 0700) == 0 && g_file_test(dir.c_str(), G_FILE_TEST_IS_DIR))
    return dir;
  return g_get_home_dir();
}

// `name` in `dir`, numbered when a file of that name is there already.
std::string FreePath(const std::string& dir, const std::string& name) {
  std::string path = dir + "/" + name;
  for (int n = 1; g_file_test(path.c_str(), G_FILE_TEST_EXISTS) && n < 1000; ++n) {
    size_t dot = name.rfind('.');
    std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    std::string ext = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
    path = dir + "/" + stem + " (" + std::to_string(n) + ")" + ext;
  }
  return path;
}

void SaveTo(WebKitDownload* download, const std::string& path) {
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
  if (uri) {
    webkit_download_set_destination(download, uri);
    g_free(uri);
  } else {
    webkit_download_cancel(download);
  }
}

// Asks the user where to save a download; cancelling saves nothing.
void AskWhereToSave(WebKitDownload* download, const std::string& name) {
  GtkWidget* chooser = gtk_file_chooser_dialog_new(
      "保存文件", CurrentParentWindow(), GTK_FILE_CHOOSER_ACTION_SAVE, "取消",
      GTK_RESPONSE_CANCEL, "保存", GTK_RESPONSE_ACCEPT, nullptr);
  gtk_window_set_modal(GTK_WINDOW(chooser), TRUE);
  GtkFileChooser* files = GTK_FILE_CHOOSER(chooser);
  gtk_file_chooser_set_do_overwrite_confirmation(files, TRUE);
  const std::string folder = DownloadFolder();
  if (g_file_test(folder.c_str(), G_FILE_TEST_IS_DIR))
    gtk_file_chooser_set_current_folder(files, folder.c_str());
  gtk_file_chooser_set_current_name(files, name.c_str());
  const gint answer = gtk_dialog_run(GTK_DIALOG(chooser));
  gchar* path = answer == GTK_RESPONSE_ACCEPT ? gtk_file_chooser_get_filename(files) : nullptr;
  gtk_widget_destroy(chooser);
  if (path) {
    // The chooser has asked before replacing a file.
    webkit_download_set_allow_overwrite(download, TRUE);
    SaveTo(download, path);
    g_free(path);
  } else {
    webkit_download_cancel(download);
  }
}

gboolean OnDecideDestination(WebKitDownload* download, gchar* suggested, gpointer) {
  WebKitURIResponse* response = webkit_download_get_response(download);
  if (response && webkit_uri_response_get_content_length(response) > kMaxDownloadBytes) {
    webkit_download_cancel(download);
    return TRUE;
  }
  const std::string name = SafeFileName(suggested ? suggested : "");
  DownloadOwner* owner = OwnerOf(download);
  if (owner && owner->savesSilently) {
    // The service's exports: into the download folder under the server's
    // name (cleaned); an existing file is kept.
    SaveTo(download, FreePath(ExportFolder(), name));
    return TRUE;
  }
  // Any other download waits for the user's answer, asked once no handler of
  // the page's window (nor a page call) is running.
  g_object_ref(download);
  auto ask = [download, name] {
    AskWhereToSave(download, name);
    g_object_unref(download);
  };
  if (owner && !owner->alive.expired())
    owner->browser->Raise(ask);
  else
    DispatchGate::Get().Raise(DispatchGate::NewWindow(), ask);
  return TRUE;
}

void OnDownloadCreatedDestination(WebKitDownload* download, gchar*, gpointer) {
  if (DownloadOwner* owner = OwnerOf(download)) owner->created = true;
}

void OnDownloadReceivedData(WebKitDownload* download, guint64, gpointer) {
  if (webkit_download_get_received_data_length(download) > kMaxDownloadBytes)
    webkit_download_cancel(download);
}

void OnDownloadFailed(WebKitDownload* download, GError*, gpointer) {
  if (DownloadOwner* owner = OwnerOf(download)) owner->failed = true;
}

void RemovePartialFile(WebKitDownload* download) {
  const char* uri = webkit_download_get_destination(download);
  gchar* path = uri ? g_filename_from_uri(uri, nullptr, nullptr) : nullptr;
  if (path) g_unlink(path);
  g_free(path);
}

// Also emitted after a failure, which is not reported as a saved file; nor
// is an answer that ended before the length it announced (the browser lets
// such a download finish). The partial file of either is removed.
void OnDownloadFinished(WebKitDownload* download, gpointer) {
  DownloadOwner* owner = OwnerOf(download);
  if (!owner) return;
  WebKitURIResponse* response = webkit_download_get_response(download);
  const guint64 announced = response ? webkit_uri_response_get_content_length(response) : 0;
  const bool shortened =
      announced > 0 && webkit_download_get_received_data_length(download) < announced;
  if (owner->failed || shortened) {
    if (owner->created) RemovePartialFile(download);
    return;
  }
  const char* uri = webkit_download_get_destination(download);
  gchar* path = uri ? g_filename_from_uri(uri, nullptr, nullptr) : nullptr;
  if (!path) return;
  const std::string saved = path;
  g_free(path);
  if (owner->alive.expired() || !owner->browser) return;
  owner->browser->RaiseDownloadSaved(saved);
}

void OnDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer) {
  WebKitWebView* view = webkit_download_get_web_view(download);
  auto* browser =
      view ? static_cast<WebkitBrowser*>(g_object_get_data(G_OBJECT(view), kBrowserKey)) : nullptr;
  auto* owner = new DownloadOwner{};
  if (browser) {
    owner->browser = browser;
    owner->alive = browser->AliveFlag();
    owner->savesSilently = browser->SavesDownloads();
  }
  g_object_set_data_full(G_OBJECT(download), kOwnerKey, owner,
                         [](gpointer p) { delete static_cast<DownloadOwner*>(p); });
  g_signal_connect(download, "decide-destination", G_CALLBACK(OnDecideDestination), nullptr);
  g_signal_connect(download, "created-destination", G_CALLBACK(OnDownloadCreatedDestination),
                   nullptr);
  g_signal_connect(download, "received-data", G_CALLBACK(OnDownloadReceivedData), nullptr);
  g_signal_connect(download, "failed", G_CALLBACK(OnDownloadFailed), nullptr);
  g_signal_connect(download, "finished", G_CALLBACK(OnDownloadFinished), nullptr);
}

// One web context for the program: its pages share the service's session
// cookies, and nothing is written to disk.
// Whether the web processes can run in WebKit's sandbox here: it needs
// bubblewrap and the kernel's namespaces, which some machines (containers,
// kernels without unprivileged user namespaces) do not offer. WebKit would
// fail to start its web process then; the program runs without the sandbox
// and says so.
bool SandboxWorks() {
  gchar* bwrap = g_find_program_in_path("bwrap");
  if (!bwrap) {
    g_printerr("lumaro: no bubblewrap (bwrap): web pages run without WebKit's sandbox\n");
    return false;
  }
  gchar* argv[] = {bwrap,
                   const_cast<gchar*>("--ro-bind"), const_cast<gchar*>("/"), const_cast<gchar*>("/"),
                   const_cast<gchar*>("--unshare-pid"), const_cast<gchar*>("--unshare-ipc"),
                   const_cast<gchar*>("--unshare-uts"), const_cast<gchar*>("--proc"),
                   const_cast<gchar*>("/proc"), const_cast<gchar*>("--dev"),
                   const_cast<gchar*>("/dev"), const_cast<gchar*>("true"), nullptr};
  gint status = -1;
  const gboolean ran = g_spawn_sync(
      nullptr, argv, nullptr,
      GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL),
      nullptr, nullptr, nullptr, nullptr, &status, nullptr);
  g_free(bwrap);
  const bool works = ran && g_spawn_check_wait_status(status, nullptr);
  if (!works)
    g_printerr("lumaro: bubblewrap cannot make a sandbox here: web pages run without WebKit's sandbox\n");
  return works;
}

std::string DownloadFolder() {
  std::string dir = DownloadDirectory();
  if (dir.empty()) {
    const char* special = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
    dir = special ? special : std::string(g_get_home_dir()) + "/Downloads";
  }
  return dir;
}

WebKitWebContext* SharedContext() {
  static WebKitWebContext* context = [] {
    WebKitWebContext* c = webkit_web_context_new_ephemeral();
    if (SandboxWorks()) {
      webkit_web_context_set_sandbox_enabled(c, TRUE);
      const std::string downloads = DownloadFolder();
      g_mkdir_with_parents(downloads.c_str(), 0700);
      webkit_web_context_add_path_to_sandbox(c, downloads.c_str(), FALSE);
    }
    g_signal_connect(c, "download-started", G_CALLBACK(OnDownloadStarted), nullptr);
    return c;
  }();
  return context;
}

WebKitSettings* SharedSettings() {
  static WebKitSettings* settings = [] {
    WebKitSettings* s = webkit_settings_new();
    // Pages without a declared character set are the service's GBK pages.
    webkit_settings_set_default_charset(s, "GBK");
    // Windows open only from the user's click, never from a page by itself.
    webkit_settings_set_javascript_can_open_windows_automatically(s, FALSE);
    webkit_settings_set_enable_developer_extras(s, FALSE);
    webkit_settings_set_hardware_acceleration_policy(s, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    return s;
  }();
  return settings;
}

// --------------------------------------------------------------- popups

// The default treatment of a page's request for a new window: a plain window
// of its own, sharing the opener's session.
GtkWidget* OpenPopup(WebKitWebView* opener);

void PopupReady(WebKitWebView* view, gpointer window) {
  WebKitWindowProperties* props = webkit_web_view_get_window_properties(view);
  GdkRectangle geometry{};
  webkit_window_properties_get_geometry(props, &geometry);
  if (geometry.width > 0 && geometry.height > 0)
    gtk_window_set_default_size(GTK_WINDOW(window), geometry.width, geometry.height);
  gtk_widget_show_all(GTK_WIDGET(window));
}

void PopupClose(WebKitWebView*, gpointer window) { gtk_widget_destroy(GTK_WIDGET(window)); }

void PopupTitle(WebKitWebView* view, GParamSpec*, gpointer window) {
  const char* title = webkit_web_view_get_title(view);
  gtk_window_set_title(GTK_WINDOW(window), title ? title : "");
}

GtkWidget* PopupCreate(WebKitWebView* view, WebKitNavigationAction*, gpointer) {
  return OpenPopup(view);
}

GtkWidget* OpenPopup(WebKitWebView* opener) {
  auto* view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", opener,
                                            "settings", SharedSettings(), nullptr));
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
  g_signal_connect(view, "ready-to-show", G_CALLBACK(PopupReady), window);
  g_signal_connect(view, "close", G_CALLBACK(PopupClose), window);
  g_signal_connect(view, "notify::title", G_CALLBACK(PopupTitle), window);
  g_signal_connect(view, "create", G_CALLBACK(PopupCreate), nullptr);
  return GTK_WIDGET(view);
}

// --------------------------------------------------------------- helpers

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

std::string WithoutFragment(const std::string& url) { return url.substr(0, url.find('#')); }
std::string WithoutQuery(const std::string& url) {
  return WithoutFragment(url).substr(0, WithoutFragment(url).find('?'));
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

void SetDownloadDirectory(const std::string& dir) { DownloadDirectory() = dir; }

namespace {

// The empty page that keeps the web process started ahead of the first
// browser, and whether a browser has been made.
WebKitWebView* warmView = nullptr;
bool browserMade = false;

}  // namespace

void StartWebProcess() {
  if (warmView || browserMade) return;
  warmView = WEBKIT_WEB_VIEW(g_object_ref_sink(g_object_new(
      WEBKIT_TYPE_WEB_VIEW, "web-context", SharedContext(), "settings", SharedSettings(), nullptr)));
  webkit_web_view_load_uri(warmView, "about:blank");
}

// ================================================================ browser

WebkitBrowser::WebkitBrowser(std::string name, const Rect& r, const ControlStyle& style,
                             std::shared_ptr<WindowShared> shared,
                             std::function<void()> closeWindow)
    : GtkControl(std::move(name), style, std::move(shared)), closeWindow_(std::move(closeWindow)) {
  // A holder with a window of its own: the page is stacked (and painted)
  // with the window's other controls by that window's place among theirs.
  holder_ = gtk_event_box_new();
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(holder_), TRUE);
  SetOuter(holder_, FieldSpokenName(name_, style_.accessibleName), ATK_ROLE_DOCUMENT_FRAME);
  // A browser the user never sees is no part of what assistive tools see
  // either: neither the browser nor its page is in the accessibility tree.
  if (style_.unseen) HideFromAssistiveTools(holder_);
  gtk_widget_set_size_request(holder_, std::max(0, Px(r.width)), std::max(0, Px(r.height)));
  overlay_ = gtk_overlay_new();
  gtk_container_add(GTK_CONTAINER(holder_), overlay_);
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
  GtkControl::Detach();
  if (findBar_) findBar_->Detach();
  viewSignals_.DisconnectAll();
}

WebKitWebView* WebkitBrowser::NewView(WebKitWebView* relatedTo) {
  WebKitUserContentManager* content = webkit_user_content_manager_new();
  WebKitUserScript* hooks = webkit_user_script_new_for_world(
      kHookScript, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES, WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START,
      kWorld, nullptr, nullptr);
  webkit_user_content_manager_add_script(content, hooks);
  webkit_user_script_unref(hooks);
  WebKitUserScript* wrapper = webkit_user_script_new(
      kSubmitWrapper, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(content, wrapper);
  webkit_user_script_unref(wrapper);

  // The first browser takes over the web process started ahead of it.
  browserMade = true;
  WebKitWebView* warm = std::exchange(warmView, nullptr);
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
  intents_.clear();
  skipFinish_ = false;
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
  GtkWidget* top = gtk_widget_get_toplevel(holder_);
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
      !gtk_widget_is_visible(holder_))
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

void WebkitBrowser::Move(const Rect& twips) {
  // A negative size is refused as a whole; the browser stays as it was.
  if (twips.width < 0 || twips.height < 0 || !Live()) return;
  GtkWidget* parent = gtk_widget_get_parent(holder_);
  if (parent && GTK_IS_LAYOUT(parent))
    gtk_layout_move(GTK_LAYOUT(parent), holder_, Px(twips.left), Px(twips.top));
  gtk_widget_set_size_request(holder_, Px(twips.width), Px(twips.height));
}

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

std::string WebkitBrowser::PostTextFor(const std::string& uri, const std::string& method) {
  const gint64 now = g_get_monotonic_time();
  while (!intents_.empty() && now - intents_.front().time > kIntentLifetimeUs)
    intents_.pop_front();

  // The newest report that this navigation answers.
  for (auto it = intents_.rbegin(); it != intents_.rend(); ++it) {
    const Intent& intent = *it;
    bool match;
    if (!intent.form) {
      match = method == "GET" && WithoutFragment(intent.url) == WithoutFragment(uri);
    } else if (intent.method == "POST") {
      match = method == "POST" && WithoutFragment(intent.url) == WithoutFragment(uri);
    } else {
      // A GET form replaces the action's query with its fields.
      match = method == "GET" && WithoutQuery(intent.url) == WithoutQuery(uri);
    }
    if (!match) continue;
    // The fields are sent as urlencoded text; only a post carries them as
    // its body.
    std::string body;
    if (intent.form && method == "POST") body = EncodeFormBody(intent.fields, intent.charset);
    intents_.erase(std::next(it).base());
    return body;
  }
  return {};
}

void WebkitBrowser::Raise(std::function<void()> event) {
  DispatchGate::Get().Raise(shared_->gate, std::move(event));
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
    args->postText = self->PostTextFor(args->url, method ? method : "GET");

  // The decision is held until the handler has decided; the handler may
  // run modal windows and read the page first, and it may wait for a
  // handler of its window that is running now. The browser may be gone by
  // the time it decides.
  g_object_ref(decision);
  std::weak_ptr<bool> alive = self->alive_;
  self->Raise([self, alive, args, decision, post] {
    // A window that closed meanwhile (its page closed it while a handler
    // waited) follows no more navigations.
    const bool gone = alive.expired() || self->shared_->closed;
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
  if (DispatchGate::Get().WouldQueue(self->shared_->gate)) {
    // A handler of this window is running: the page gets no window now, and
    // the address opens where the handler says once it has returned.
    WebKitURIRequest* request = action ? webkit_navigation_action_get_request(action) : nullptr;
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    const std::string address = uri ? uri : "";
    self->Raise([self, alive, address] {
      if (alive.expired() || self->shared_->closed) return;
      NewWindowArgs args;
      std::function<void(NewWindowArgs&)> handler = self->onNewWindow2;
      if (handler) Guarded([&] { handler(args); });
      if (args.cancel || alive.expired() || address.empty()) return;
      if (auto* target = dynamic_cast<WebkitBrowser*>(args.target)) {
        target->Navigate(address);
      } else if (!args.target && self->view_) {
        GtkWidget* popup = OpenPopup(self->view_);
        webkit_web_view_load_uri(WEBKIT_WEB_VIEW(popup), address.c_str());
        PopupReady(WEBKIT_WEB_VIEW(popup), gtk_widget_get_toplevel(popup));
      }
    });
    return nullptr;
  }
  NewWindowArgs args;
  std::function<void(NewWindowArgs&)> handler = self->onNewWindow2;
  if (handler) RunHandler(self->shared_, [&] { handler(args); });
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
    self->intents_.clear();
  } else if (event == WEBKIT_LOAD_FINISHED) {
    if (self->skipFinish_) {
      self->skipFinish_ = false;
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
  static_cast<WebkitBrowser*>(data)->skipFinish_ = true;
  return FALSE;
}

void WebkitBrowser::OnClose(WebKitWebView*, gpointer data) {
  auto* self = static_cast<WebkitBrowser*>(data);
  std::weak_ptr<bool> alive = self->alive_;
  // A page closing its window while a handler of that window waits closes
  // it once the handler has returned.
  self->Raise([self, alive] {
    if (alive.expired() || self->shared_->closed) return;
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
    Intent intent;
    intent.url = Property(message, "url");
    intent.method = Property(message, "method");
    intent.charset = Property(message, "charset");
    JSCValue* form = jsc_value_object_get_property(message, "form");
    intent.form = form && jsc_value_to_boolean(form);
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
          intent.fields.emplace_back(ns ? ns : "", vs ? vs : "");
          g_free(ns);
          g_free(vs);
          g_object_unref(n);
          g_object_unref(v);
        }
        if (pair) g_object_unref(pair);
      }
    }
    if (fields) g_object_unref(fields);
    intent.time = g_get_monotonic_time();
    self->intents_.push_back(std::move(intent));
    while (self->intents_.size() > kMaxIntents) self->intents_.pop_front();
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
        alive.expired() || shared_->closed ? nullptr : onDocumentComplete;
    if (handler) Guarded([&] { handler(url); });
    if (!alive.expired()) document_.FlushQuietly();
  });
}

void WebkitBrowser::RaiseDocumentEvent(std::function<void()> IBrowser::*event) {
  std::weak_ptr<bool> alive = alive_;
  Raise([this, alive, event] {
    std::function<void()> handler = alive.expired() || shared_->closed ? nullptr : this->*event;
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

// ================================================================ document

namespace {

constexpr const char* kDocumentHelpers =
    "  function find(n) {"
    "    var e = document.all.namedItem(n);"  // document.all itself is falsy
    "    if (e && !(e instanceof Element) && typeof e.length === 'number')"
    "      e = e.length ? e[0] : null;"
    "    if (!e) throw new Error('no element named ' + n);"
    "    return e;"
    "  }"
    "  function valued(e) {"
    "    if (!('value' in e)) throw new Error('the element holds no value');"
    "    return e;"
    "  }";

// One operation as a call of a function of (name, arg).
std::string Operation(const char* body, const std::string& name, const std::string& arg) {
  return std::string("(function (name, arg) {") + kDocumentHelpers + body + "})(" +
         JsString(name) + ", " + JsString(arg) + ")";
}

// Documents whose writes wait to be sent.
std::vector<WebkitDocument*>& Unsent() {
  static auto* documents = new std::vector<WebkitDocument*>();
  return *documents;
}

void FlushEveryDocument() {
  const std::vector<WebkitDocument*> documents = Unsent();
  for (WebkitDocument* document : documents) document->FlushQuietly();
}

}  // namespace

// Writes are sent with the next operation that needs an answer, or once
// the handler that made them has returned (before anything else can see the
// page): one round trip to the page instead of one a write. They run in
// order and stop at the first that fails, which the next operation, or the
// flush, reports.
std::string WebkitDocument::Call(const char* body, const std::string& name,
                                 const std::string& arg) {
  std::string script = Operation(body, name, arg);
  if (!unsent_.empty()) {
    script = "(function () {" + unsent_ + "return " + script + "; })()";
    Sent();
  }
  return browser_->Evaluate(script);
}

void WebkitDocument::Defer(const char* body, const std::string& name, const std::string& arg) {
  if (unsent_.empty()) {
    Unsent().push_back(this);
    SetPageWriteFlusher(FlushEveryDocument);
  }
  unsent_ += Operation(body, name, arg) + ";";
}

void WebkitDocument::Sent() {
  unsent_.clear();
  auto& list = Unsent();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void WebkitDocument::Flush() {
  if (unsent_.empty()) return;
  const std::string script = "(function () {" + unsent_ + "return ''; })()";
  Sent();
  browser_->Evaluate(script);
}

void WebkitDocument::FlushQuietly() {
  try {
    Flush();
  } catch (const DocumentError&) {
    // The handler that wrote has returned: its writes stop at the failure.
  }
}

WebkitDocument::~WebkitDocument() { Sent(); }

bool WebkitDocument::Exists(const std::string& name) {
  return Call("try { find(name); return '1'; } catch (e) { return '0'; }", name) == "1";
}

std::string WebkitDocument::Value(const std::string& name) {
  return Call("var v = valued(find(name)).value;"
              "return v === null || v === undefined ? '' : String(v);",
              name);
}

void WebkitDocument::SetValue(const std::string& name, const std::string& value) {
  Defer("valued(find(name)).value = arg; return '';", name, value);
}

std::string WebkitDocument::InnerHtml(const std::string& name) {
  return Call("return String(find(name).innerHTML);", name);
}

void WebkitDocument::SetInnerHtml(const std::string& name, const std::string& html) {
  Defer("find(name).innerHTML = arg; return '';", name, html);
}

void WebkitDocument::SetDisplay(const std::string& name, const std::string& display) {
  Defer("var e = find(name);"
       "if (!e.style) throw new Error('the element has no style');"
       "e.style.display = arg; return '';",
       name, display);
}

void WebkitDocument::Focus(const std::string& name) {
  // The caret belongs in the page: the browser takes the keyboard focus.
  if (WebKitWebView* view = browser_->View()) gtk_widget_grab_focus(GTK_WIDGET(view));
  // WebKit ignores focus() on a hidden or disabled field without an error.
  Call("var e = find(name); e.focus();"
       "if (document.activeElement !== e) throw new Error('the element cannot take the focus');"
       "return '';",
       name);
}

std::string WebkitDocument::BodyInnerHtml() {
  return Call("if (!document.body) throw new Error('no body'); return document.body.innerHTML;",
              "");
}

std::string WebkitDocument::BodyText() {
  return Call("if (!document.body) throw new Error('no body'); return document.body.innerText;",
              "");
}

void WebkitDocument::SubmitFirstForm() {
  // Announced like the page's own form.submit(), so that the navigation's
  // handler sees the posted fields.
  Call("var f = document.forms[0];"
       "if (!f) throw new Error('the page has no form');"
       "f.dispatchEvent(new CustomEvent('__lumaro_submit', {bubbles: true}));"
       "HTMLFormElement.prototype.submit.call(f); return '';",
       "");
}

std::string WebkitDocument::ActiveElementId() {
  return Call("var a = document.activeElement; return a && a.id ? String(a.id) : '';", "");
}

std::string WebkitDocument::ActiveElementValue() {
  return Call("var a = document.activeElement;"
              "if (!a || a === document.body) throw new Error('nothing is focused');"
              "var v = valued(a).value;"
              "return v === null || v === undefined ? '' : String(v);",
              "");
}

}  // namespace lumaro::gtkp
