#include "platform/webkit/web_context.h"

#include <utility>

#include "platform/webkit/webkit_downloads.h"

namespace lumaro::gtk {

namespace {

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

}  // namespace

WebKitWebContext* SharedContext() {
  static WebKitWebContext* context = [] {
    WebKitWebContext* c = webkit_web_context_new_ephemeral();
    if (SandboxWorks()) {
      webkit_web_context_set_sandbox_enabled(c, TRUE);
      const std::string downloads = DownloadFolder();
      g_mkdir_with_parents(downloads.c_str(), 0700);
      webkit_web_context_add_path_to_sandbox(c, downloads.c_str(), FALSE);
    }
    WatchDownloads(c);
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

WebKitWebView* TakeWarmView() {
  browserMade = true;
  return std::exchange(warmView, nullptr);
}

}  // namespace lumaro::gtk
