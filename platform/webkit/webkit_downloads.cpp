#include "platform/webkit/webkit_downloads.h"

#include <glib/gstdio.h>

#include <memory>
#include <string>

#include "core/dispatch_gate.h"
#include "platform/top_window.h"
#include "platform/web_text/download_name.h"
#include "platform/webkit/webkit_browser.h"

namespace lumaro::gtk {

namespace {

std::string& DownloadDirectory() {
  static std::string dir;
  return dir;
}


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

}  // namespace

std::string DownloadFolder() {
  std::string dir = DownloadDirectory();
  if (dir.empty()) {
    const char* special = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
    dir = special ? special : std::string(g_get_home_dir()) + "/Downloads";
  }
  return dir;
}

void SetDownloadDirectory(const std::string& dir) { DownloadDirectory() = dir; }

void WatchDownloads(WebKitWebContext* context) {
  g_signal_connect(context, "download-started", G_CALLBACK(OnDownloadStarted), nullptr);
}

}  // namespace lumaro::gtk
