#include "windows/frmCheckCode.h"

#include <exception>
#include <string>

#include "build_config.h"
#include "controls/progbutton.h"
#include "core/address_kinds.h"
#include "core/desktop.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "core/notice.h"
#include "core/shared_window.h"
#include "windows/frmCheckCode_design.h"

namespace lumaro {

namespace {

// An http or https address, blanks and line ends around it allowed.
bool IsSiteAddress(const std::string& answer) {
  const size_t begin = answer.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return false;
  const size_t end = answer.find_last_not_of(" \t\r\n");
  return IsHttpAddress(answer.substr(begin, end - begin + 1));
}

}  // namespace

frmCheckCode::frmCheckCode() {
  DesignedControls controls = CreateDesignedWindow(frmCheckCodeDesign(), window_);
  IWindow& w = *window_;
  web1 = controls.Browser("web1");
  Picture1 = controls.Picture("Picture1");
  Label1 = controls.Label("Label1");
  pbar = controls.DrawnButton("pbar");
  Command1 = controls.DrawnButton("Command1");
  cmdStop = controls.DrawnButton("cmdStop");
  tmrDraw = controls.Timer("tmrDraw");
  tmrT = controls.Timer("tmrT");

  pbar->SetStyle(0);
  pbar->SetColor(8);
  pbar->SetCaption("");
  Command1->SetStyle(1);
  Command1->SetColor(8);
  Command1->SetCaption("重新检测");
  cmdStop->SetStyle(1);
  cmdStop->SetColor(8);
  cmdStop->SetCaption("停止测试");

  tmrDraw->onTick = [this] { tmrDraw_Timer(); };
  tmrT->onTick = [this] { tmrT_Timer(); };
  Command1->onClick = [this] { Command1_Click(); };
  cmdStop->onClick = [this] { cmdStop_Click(); };
  w.onClosed = [this] { *live_ = false; };

  Form_Load();
}

frmCheckCode::~frmCheckCode() { *live_ = false; }

void frmCheckCode::ShowModal(IWindow* owner) { window_->ShowModal(owner); }

void frmCheckCode::Form_Load() {
  std::shared_ptr<bool> live = live_;
  target_ = gCheckTarget;
  try {
    web1->SetSilent(true);
  } catch (const std::exception&) {
  }
  try {
    pbar->SetMax(100);
    pbar->SetMin(1);
  } catch (const std::exception&) {
  }
  // Waits up to the request's time limit while other events run; the window
  // is not shown before the answer is in.
  std::string answer = HttpGet(std::string(kServiceBase) + "GetNet.asp?id=" + target_, true);
  if (!*live) return;
  // The answer is the site's address as it comes. A failed or empty answer
  // ("ERROR", " ") or anything but a web address names no site: the browser
  // stays empty and the check goes on polling.
  if (IsSiteAddress(answer)) {
    try {
      web1->Navigate2(answer);
    } catch (const std::exception&) {
    }
  }
  tmrDraw->SetEnabled(true);
  tmrT->SetEnabled(true);
}

void frmCheckCode::tmrDraw_Timer() {
  mStep = int16_t(mStep + 10);
  if (mStep > 100) mStep = 1;
  pbar->SetValue(mStep);
}

void frmCheckCode::tmrT_Timer() {
  std::shared_ptr<bool> live = live_;
  try {
    // Off while the poll waits, so that polls never overlap.
    tmrT->SetEnabled(false);
    // Stopped and about to close: a tick during the stop button's short
    // wait starts no new poll, which would hold the closing for up to the
    // request's time limit.
    if (mStopped) return;
    std::string answer =
        HttpGet(std::string(kServiceBase) + "queryFlag.asp?id=" + target_, true);
    // Closed meanwhile (stop button or close box): the reply is dropped and
    // nothing re-arms.
    if (!*live) return;
    if (!mStopped && answer.find("ok") != std::string::npos) {
      ShowNotice("代码测试成功！", MsgIcon::Information);
      if (*live) window_->Close();
      return;
    }
  } catch (const std::exception&) {
    if (!*live) return;
  }
  tmrT->SetEnabled(true);
}

void frmCheckCode::Command1_Click() {
  try {
    web1->Refresh();
  } catch (const std::exception&) {
  }
}

void frmCheckCode::cmdStop_Click() {
  std::shared_ptr<bool> live = live_;
  // Seen by a poll that is waiting now: its reply shows no message.
  mStopped = true;
  PumpEvents();
  Delay(10);
  if (*live) window_->Close();
}

void OpenSiteCodeChecker(IWindow* owner) {
  auto checker = std::make_shared<frmCheckCode>();
  checker->ShowModal(owner);
  RetireWindow(std::move(checker));
}

}  // namespace lumaro
