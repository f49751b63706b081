#include "windows/frmViewQQ.h"

#include <exception>

#include "build_config.h"
#include "core/desktop.h"
#include "core/form_text.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "core/notice.h"
#include "core/shared_window.h"
#include "windows/frmOpen.h"
#include "windows/frmViewQQ_design.h"

namespace lumaro {

frmViewQQ::frmViewQQ() {
  DesignedControls controls = CreateDesignedWindow(frmViewQQDesign(), window_);
  IWindow& w = *window_;
  webData = controls.Browser("webData");
  Web = controls.Browser("Web");

  Web->onBeforeNavigate2 = [this](BeforeNavigateArgs& args) { Web_BeforeNavigate2(args); };
  Web->onWindowClosing = [this](bool& cancel) { Web_WindowClosing(cancel); };
  webData->onDownloadSaved = [](const std::string& path) { webData_DownloadSaved(path); };
  w.onResize = [this] { Form_Resize(); };

  Form_Load();
}

void frmViewQQ::ShowModal(IWindow* owner) { window_->ShowModal(owner); }

void frmViewQQ::Form_Load() {
  Web->SetSilent(true);
  webData->SetSilent(true);
  Web->Navigate2(std::string(kServiceBase) + "viewqq.asp?id=" + gVisitorTarget +
                 "&t=" + TimerStamp());
}

void frmViewQQ::Form_Resize() {
  // The page fills the client area: the outer size less the designed frame.
  const WindowAttributes& attributes = frmViewQQDesign().attributes;
  const int width = window_->OuterWidth() - attributes.frameWidth;
  const int height = window_->OuterHeight() - attributes.frameHeight;
  // A minimized or very small window gives a negative size, which no control
  // takes: the browser keeps its last size then.
  if (width < 0 || height < 0) return;
  try {
    Web->Move({0, 0, width, height});
  } catch (const std::exception&) {
  }
}

void frmViewQQ::Web_BeforeNavigate2(BeforeNavigateArgs& args) {
  const std::string url = args.url;
  const std::string lowered = LowerCaseText(url);

  if (lowered.find("exportxls.asp") != std::string::npos) {
    // Only the address goes over; the visitor page stays in place.
    webData->Navigate2(url);
    args.cancel = true;
  }
  if (lowered.find(std::string(kChatLinkBase) + "/msgrd") != std::string::npos) {
    args.cancel = true;
    gOpenTarget = url;
    IWindow* owner = window_.get();
    // Waits here until the opener has closed; nothing of this window is
    // touched after that.
    auto opener = std::make_shared<frmOpen>();
    opener->ShowModal(owner);
    RetireWindow(std::move(opener));
  }
}

void frmViewQQ::Web_WindowClosing(bool& cancel) { cancel = true; }

void frmViewQQ::webData_DownloadSaved(const std::string& path) {
  // The export went into the download folder: the user hears where.
  ShowNotice(ExportSavedText(path), MsgIcon::Information);
}

void OpenVisitorViewer(IWindow* owner) {
  auto viewer = std::make_shared<frmViewQQ>();
  viewer->ShowModal(owner);
  RetireWindow(std::move(viewer));
}

std::string ExportSavedText(const std::string& path) { return "导出的文件已保存到：" + path; }

}  // namespace lumaro
