// The find bar of a page: a search box with the number of matches, laid
// over the bottom of the browser. Enter finds the next match, Shift+Enter
// the previous one, Escape closes the bar.
#pragma once

#include <webkit2/webkit2.h>

#include "platform/signal_connections.h"

namespace lumaro::gtk {

class FindBar {
 public:
  // Adds the (hidden) bar to `overlay`, above its main child.
  explicit FindBar(GtkWidget* overlay);
  FindBar(const FindBar&) = delete;
  FindBar& operator=(const FindBar&) = delete;
  ~FindBar();

  // Shows the bar for the page of `view` with the keyboard in its box.
  void Open(WebKitWebView* view);
  // Hides the bar, clears the highlighted matches and gives the keyboard
  // back to the page.
  void Close();
  bool IsOpen() const { return view_ != nullptr; }
  // Enter and Escape while the bar is open; true when the bar took the key.
  bool TakeKey(GdkEventKey* event);
  // The page's view is going away.
  void Forget(WebKitWebView* view);
  // Disconnects every signal handler; the widgets are about to be destroyed.
  void Detach();

 private:
  void Search();
  static void OnChanged(GtkSearchEntry* entry, gpointer data);
  static void OnCounted(WebKitFindController* controller, guint count, gpointer data);
  static void OnFailed(WebKitFindController* controller, gpointer data);

  GtkWidget* bar_ = nullptr;
  GtkWidget* entry_ = nullptr;
  GtkWidget* count_ = nullptr;
  WebKitWebView* view_ = nullptr;
  SignalConnections signals_;
  SignalConnections finder_;
};

}  // namespace lumaro::gtk
