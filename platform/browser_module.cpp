#include "platform/browser_module.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/control_layout.h"
#include "platform/linux_system.h"
#include "platform/twips.h"

// Programs that link the browser in (the platform tests) define the entry
// point themselves; the client finds it in the module.
#pragma weak lumaro_webkit_browser_maker
#pragma weak lumaro_webkit_start_web_process

namespace lumaro::gtk {

namespace {

// Where the module is looked for: beside the executable (the build tree),
// then in the library folder of the prefix the executable was installed
// under (<prefix>/bin/../lib/lumaro), then in the one it was built for.
struct BrowserModule {
  BrowserMaker maker = nullptr;
  void (*startWebProcess)() = nullptr;
};

BrowserModule LoadModule() {
  const std::string exeDir = LocalFiles().ExecutableDir();
  std::string beside = exeDir + "/" + kBrowserModuleFile;
  std::string relative = exeDir + "/../lib/lumaro/" + kBrowserModuleFile;
  std::string installed = std::string(LUMARO_MODULE_INSTALL_DIR) + "/" + kBrowserModuleFile;
  std::string errors;
  for (const std::string& path : {beside, relative, installed}) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
      if (const char* e = dlerror()) errors += std::string("\n  ") + e;
      continue;
    }
    auto entry = reinterpret_cast<BrowserMaker (*)()>(dlsym(module, kBrowserMakerSymbol));
    if (entry) {
      BrowserModule loaded;
      loaded.maker = entry();
      loaded.startWebProcess = reinterpret_cast<void (*)()>(dlsym(module, kWebProcessStarterSymbol));
      return loaded;
    }
    errors += "\n  " + path + ": no entry point";
  }
  std::fprintf(stderr, "lumaro: the browser module could not be loaded:%s\n", errors.c_str());
  return {};
}

const BrowserModule& Module() {
  static const BrowserModule module = [] {
    if (&lumaro_webkit_browser_maker)
      return BrowserModule{lumaro_webkit_browser_maker(), &lumaro_webkit_start_web_process};
    return LoadModule();
  }();
  return module;
}

BrowserMaker Maker() { return Module().maker; }

gboolean PreloadNow(gpointer) {
  Module();
  return G_SOURCE_REMOVE;
}

gboolean StartWebProcessNow(gpointer) {
  if (auto start = Module().startWebProcess) start();
  return G_SOURCE_REMOVE;
}

// Stands in for the browser when the module is missing: says so in its
// area; every document operation fails as on an empty browser.
class MissingDocument : public IDocument {
 public:
  bool Exists(const std::string&) override { return false; }
  std::string Value(const std::string&) override { Fail(); }
  void SetValue(const std::string&, const std::string&) override { Fail(); }
  std::string InnerHtml(const std::string&) override { Fail(); }
  void SetInnerHtml(const std::string&, const std::string&) override { Fail(); }
  void SetDisplay(const std::string&, const std::string&) override { Fail(); }
  void Focus(const std::string&) override { Fail(); }
  std::string BodyInnerHtml() override { Fail(); }
  std::string BodyText() override { Fail(); }
  void SubmitFirstForm() override { Fail(); }
  std::string ActiveElementId() override { Fail(); }
  std::string ActiveElementValue() override { Fail(); }

 private:
  [[noreturn]] static void Fail() { throw DocumentError("no browser"); }
};

class MissingBrowser : public BrowserControl {
 public:
  MissingBrowser(const std::string& name, const Rect& r, const ControlStyle& style,
                 std::shared_ptr<WindowState> window)
      : BrowserControl(name, style, std::move(window)) {
    GtkWidget* label = gtk_label_new("网页组件未能载入，请重新安装本程序。");
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    AdoptWidget(label, name_, ATK_ROLE_LABEL);
    if (style.unseen) HideFromAssistiveTools(label);
    gtk_widget_set_size_request(label, std::max(0, TwipsToPixels(r.width)),
                                std::max(0, TwipsToPixels(r.height)));
  }
  void SetSilent(bool) override {}
  void Navigate(const std::string&) override {}
  void Navigate2(const std::string&) override {}
  bool GoBack() override { return false; }
  bool GoForward() override { return false; }
  void Refresh() override {}
  void Move(const Rect& twips) override { PlaceWidget(twips); }
  std::string LocationUrl() override { return ""; }
  IDocument& Document() override { return document_; }

 private:
  MissingDocument document_;
};

}  // namespace

void PreloadBrowserModule() {
  // Loading takes the main thread for a tenth of a second. It is not done on
  // a thread of its own: the libraries' initialisers open modules through
  // GLib, whose lock the main thread may hold while it waits for the loader's
  // lock. So it is done here once the window has had time to appear.
  g_timeout_add_full(G_PRIORITY_LOW, 300, PreloadNow, nullptr, nullptr);
}

void PrepareWebProcess() {
  g_timeout_add_full(G_PRIORITY_LOW, 300, StartWebProcessNow, nullptr, nullptr);
}

std::unique_ptr<BrowserControl> MakeBrowser(const std::string& name, const Rect& r,
                                            const ControlStyle& style,
                                            std::shared_ptr<WindowState> window,
                                            std::function<void()> closeWindow) {
  if (BrowserMaker make = Maker())
    return make(name, r, style, std::move(window), std::move(closeWindow));
  return std::make_unique<MissingBrowser>(name, r, style, std::move(window));
}

}  // namespace lumaro::gtk
