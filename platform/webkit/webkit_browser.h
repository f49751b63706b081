// The embedded browser on WebKitWebView.
//
// How the browser's events are realised:
// - BeforeNavigate2: the view's decide-policy for navigation actions (the
//   top page and frames alike). WebKit does not expose a form's body or the
//   frame a navigation is meant for, so a script in every frame (in a script
//   world of its own, out of the page's reach) reports each link click and
//   form submission to the host just before the navigation it causes; the
//   report is matched to the navigation by address and used once.
// - Every event waits for the handler of the browser's window that is
//   running, and for any page call in progress (core/dispatch_gate.h); a
//   navigation is held undecided meanwhile.
// - NewWindow2: the view's `create`; a page meant for another browser is
//   given a new view related to the opener, swapped into that browser.
// - DocumentComplete: load-changed FINISHED for the top page (not after a
//   failed load), a script message for each frame's `load`.
// - WindowClosing: the view's `close`.
// - Document events click and keyup of the top document: script messages.
#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ui.h"
#include "platform/alive_token.h"
#include "platform/control_base.h"
#include "platform/signal_connections.h"
#include "platform/web_text/navigation_reports.h"
#include "platform/webkit/find_bar.h"
#include "platform/window_state.h"

namespace lumaro::gtk {

class WebkitBrowser;

class WebkitDocument : public IDocument {
 public:
  explicit WebkitDocument(WebkitBrowser* browser) : browser_(browser) {}
  ~WebkitDocument() override;
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

  // Sends the writes that wait; throws DocumentError when one failed.
  void Flush();
  // The same, after the handler that wrote has returned: a failure ends the
  // writes there, as it would have ended the handler.
  void FlushQuietly();

 private:
  // Runs `body` as a function of (name, arg) with `find` available; throws
  // DocumentError when it fails.
  std::string Call(const char* body, const std::string& name, const std::string& arg = {});
  // A write: sent with the next call that needs an answer, or by Flush.
  void Defer(const char* body, const std::string& name, const std::string& arg);
  void Sent();
  WebkitBrowser* browser_;
  std::string unsent_;  // the waiting writes, as script statements
};

class WebkitBrowser : public ControlBase<IBrowser> {
 public:
  WebkitBrowser(std::string name, const Rect& r, const ControlStyle& style,
                std::shared_ptr<WindowState> window, std::function<void()> closeWindow);
  ~WebkitBrowser() override;

  void Detach() override;
  bool Focusable() const override { return !style_.unseen; }
  bool TakePageKey(GdkEventKey* event) override;

  void SetSilent(bool silent) override { silent_ = silent; }
  void Navigate(const std::string& url) override;
  void Navigate2(const std::string& url) override { Navigate(url); }
  bool GoBack() override;
  bool GoForward() override;
  void Refresh() override;
  void Move(const Rect& twips) override;
  std::string LocationUrl() override;
  IDocument& Document() override { return document_; }

  WebKitWebView* View() const { return view_; }
  // Its pages' downloads are saved without asking (the service's exports).
  bool SavesDownloads() const { return style_.savesDownloads; }
  // Raises a browser event through the gate: now, or once the window's
  // running handler (or a page call) has returned.
  void Raise(std::function<void()> event);
  // Expires when this browser goes.
  std::weak_ptr<bool> AliveFlag() const { return alive_; }

  // Evaluates a script in this program's script world of the current top
  // document and returns its result as text. Throws DocumentError when no
  // page is loaded, the script fails, or no answer comes within the time.
  std::string Evaluate(const std::string& script, double timeoutSeconds = 10);

  // A page of another browser asked for a new window that is to open here:
  // returns a new view related to `opener`, which replaces this browser's
  // view.
  WebKitWebView* TakeNewWindow(WebKitWebView* opener);

  // A download of this browser's page has been saved at `path`.
  void RaiseDownloadSaved(const std::string& path);

 private:
  WebKitWebView* NewView(WebKitWebView* relatedTo);
  void InstallView(WebKitWebView* view);
  void RemoveView();

  // Makes sure the page has taken in the input handed to it.
  static void CatchUp(GtkWidget* widget, uint64_t token);

  static gboolean OnDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer data);
  static GtkWidget* OnCreate(WebKitWebView* view, WebKitNavigationAction* action, gpointer data);
  static void OnReadyToShow(WebKitWebView* view, gpointer data);
  static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data);
  static gboolean OnLoadFailed(WebKitWebView* view, WebKitLoadEvent event, gchar* uri,
                               GError* error, gpointer data);
  static void OnClose(WebKitWebView* view, gpointer data);
  static gboolean OnScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer data);
  static void OnScriptMessage(WebKitUserContentManager* manager, WebKitJavascriptResult* result,
                              gpointer data);

  void RaiseDocumentComplete(const std::string& url);
  void RaiseDocumentEvent(std::function<void()> IBrowser::*event);

  // Zooms every page to the next step up (+1), down (-1) or back to 1 (0).
  void Zoom(int step);
  // The browsers that exist now, in the order they were made.
  static std::vector<WebkitBrowser*>& LiveBrowsers();
  void Print();

  WebkitDocument document_{this};
  GtkWidget* overlay_ = nullptr;  // holds the view and the find bar
  std::unique_ptr<FindBar> findBar_;
  // The body of the last post this browser let through: what a reload of
  // its answer posts again.
  std::string lastPostText_;
  std::function<void()> closeWindow_;
  WebKitWebView* view_ = nullptr;
  WebKitUserContentManager* content_ = nullptr;
  SignalConnections viewSignals_;
  bool silent_ = false;
  // The load in progress failed: its end completes no document (the error
  // page that may follow does).
  bool loadFailed_ = false;
  // The reports that wait for their navigation, oldest first.
  NavigationReports reports_;
  AliveToken alive_ = NewAliveToken();
};

// The key under which a view's data names the WebkitBrowser that shows it.
inline constexpr const char* kBrowserKey = "lumaro-browser";

// The zoom level of every page, as the keys left it.
double PageZoom();

}  // namespace lumaro::gtk
