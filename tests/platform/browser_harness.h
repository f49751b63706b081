// A window with one browser for the platform tests, recording the
// browser's events, and a way to run a script in the page's own world.
#pragma once

#include <gtest/gtest.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/desktop.h"
#include "core/ui.h"
#include "platform/platform_fixture.h"
#include "platform/top_window.h"
#include "platform/ui_helpers.h"
#include "platform/webkit/webkit_browser.h"

namespace lumaro::platform_test {

// Runs a script in the page's own world and returns its result as text.
inline std::string PageScript(IBrowser* browser, const std::string& script) {
  WebKitWebView* view = dynamic_cast<gtk::WebkitBrowser*>(browser)->View();
  struct State {
    bool done = false;
    std::string text;
  } state;
  webkit_web_view_evaluate_javascript(
      view, script.c_str(), -1, nullptr, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* s = static_cast<State*>(data);
        GError* error = nullptr;
        JSCValue* value =
            webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
        if (error) {
          s->text = std::string("error: ") + error->message;
          g_error_free(error);
        } else {
          gchar* t = jsc_value_to_string(value);
          s->text = t;
          g_free(t);
          g_object_unref(value);
        }
        s->done = true;
      },
      &state);
  RunUntil([&] { return state.done; });
  return state.text;
}

// Runs the main loop until the page has answered a script sent now, and
// then until nothing that was ready is left: what was sent to the page
// before (input, navigation decisions, addresses to load) has reached it,
// and what it reported before its answer has been handled. False when the
// page did not answer.
inline bool PageCaughtUp(IBrowser* browser) {
  return PageScript(browser, "0") == "0" && RunUntilIdle();
}

// Runs the main loop until the page in `browser` has painted what it shows
// (its second animation frame has begun, so the first has been handed to
// the window) and then until `window` has been drawn afresh, with what the
// browser shows by then. False when either did not happen.
inline bool PagePaintedAndWindowRedrawn(IWindow* window, IBrowser* browser) {
  WebKitWebView* view = dynamic_cast<gtk::WebkitBrowser*>(browser)->View();
  PageScript(browser,
             "requestAnimationFrame(function() { requestAnimationFrame(function() {"
             " document.title = 'lumaro-painted'; }); }); 0");
  if (!RunUntil([&] { return g_strcmp0(webkit_web_view_get_title(view), "lumaro-painted") == 0; }))
    return false;
  GtkWidget* native = gtk::NativeWindowOf(window);
  DrawWatch drawn(native);
  gtk_widget_queue_draw(native);
  return drawn.WaitForDraw();
}

struct Navigation {
  std::string url, postText;
};

// One window with one browser, recording its events.
struct Harness {
  std::unique_ptr<IWindow> window;
  IBrowser* web = nullptr;
  std::vector<Navigation> navigations;
  std::vector<std::string> completes;
  std::function<void(BeforeNavigateArgs&)> decide;  // optional
  // Forms the pages have submitted: WebKit reports a form once its
  // navigation has been let through, before the form's request goes out.
  int submittedForms = 0;

  explicit Harness(const std::string& name = "frmAdmin", const ControlStyle& style = {}) {
    WindowAttributes attributes;
    attributes.name = name;
    attributes.caption = name;
    attributes.clientWidth = 9000;
    attributes.clientHeight = 7500;
    attributes.frame = FrameKind::Sizable;
    window = Desktop().ui->CreateWindow(attributes);
    web = window->AddBrowser("web", {0, 0, 9000, 7500}, style);
    web->onBeforeNavigate2 = [this](BeforeNavigateArgs& args) {
      navigations.push_back({args.url, args.postText});
      if (decide) decide(args);
    };
    web->onDocumentComplete = [this](const std::string& url) { completes.push_back(url); };
    view_ = WEBKIT_WEB_VIEW(g_object_ref(dynamic_cast<gtk::WebkitBrowser*>(web)->View()));
    g_signal_connect(view_, "submit-form",
                     G_CALLBACK(+[](WebKitWebView*, WebKitFormSubmissionRequest*, gpointer count) {
                       ++*static_cast<int*>(count);
                     }),
                     &submittedForms);
    ShowAndSettle(window.get());
  }
  ~Harness() {
    g_signal_handlers_disconnect_by_data(view_, &submittedForms);
    g_object_unref(view_);
    window->Close();
  }

  bool Load(const std::string& url) {
    completes.clear();
    web->Navigate(url);
    return WaitComplete(url);
  }
  bool WaitComplete(const std::string& url, double seconds = kWaitLimit) {
    return RunUntil(
        [&] { return std::find(completes.begin(), completes.end(), url) != completes.end(); },
        seconds);
  }
  // A real click at the centre of the element with this id.
  void ClickElement(const std::string& id) {
    std::string at = PageScript(
        web, "(function(){var r=document.getElementById('" + id +
                 "').getBoundingClientRect();return Math.round(r.left+r.width/2)+','+"
                 "Math.round(r.top+r.height/2);})()");
    int x = 0, y = 0;
    ASSERT_EQ(sscanf(at.c_str(), "%d,%d", &x, &y), 2) << at;
    ClickWidget(gtk::NativeControlOf(window.get(), "web"), x, y);
  }
  const Navigation* Find(const std::string& url) const {
    for (const auto& n : navigations)
      if (n.url == url) return &n;
    return nullptr;
  }

 private:
  WebKitWebView* view_ = nullptr;
};

}  // namespace lumaro::platform_test
