#include "forms/every_window.h"

#include <gtest/gtest.h>

#include "agent/frmSys.h"
#include "member/frmAdmin.h"
#include "signin/frmReg.h"
#include "signin/frmlogin.h"
#include "windows/frmCheckCode.h"
#include "windows/frmOpen.h"
#include "windows/frmUP.h"
#include "windows/frmView.h"
#include "windows/frmViewMemo.h"
#include "windows/frmViewQQ.h"

namespace lumaro {

namespace {

using Check = std::function<void(FakeWindow&)>;

// A shared window, made by `make`, checked where it stands.
void Shared(FakeUiFactory& ui, const char* name, const std::function<void()>& make,
            const Check& check) {
  make();
  FakeWindow* w = ui.Find(name);
  ASSERT_NE(w, nullptr) << name;
  check(*w);
}

// A window its opener shows modally, checked while it is shown.
void Modal(FakeUiFactory& ui, const char* name, const std::function<void(IWindow*)>& opener,
           const Check& check) {
  bool seen = false;
  ui.OnModal(name, [&](FakeWindow& w) {
    seen = true;
    check(w);
  });
  opener(nullptr);
  ui.OnModal(name, {});
  EXPECT_TRUE(seen) << name << " was not shown";
}

}  // namespace

std::vector<std::string> ForEveryWindow(FakeUiFactory& ui, const Check& check) {
  std::vector<std::string> checked;
  const Check record = [&](FakeWindow& w) {
    SCOPED_TRACE(w.Name());
    check(w);
    checked.push_back(w.Name());
  };
  Shared(ui, "frmlogin", [] { frmlogin::Instance(); }, record);
  Shared(ui, "frmReg", [] { frmReg::Instance(); }, record);
  Shared(ui, "frmAdmin", [] { frmAdmin::Instance(); }, record);
  Shared(ui, "frmSys", [] { frmSys::Instance(); }, record);
  Shared(ui, "frmUP", [] { frmUP::Instance(); }, record);
  Modal(ui, "frmCheckCode", [](IWindow* o) { OpenSiteCodeChecker(o); }, record);
  Modal(ui, "frmViewMemo", [](IWindow* o) { OpenMemoViewer(o); }, record);
  Modal(ui, "frmViewQQ", [](IWindow* o) { OpenVisitorViewer(o); }, record);
  {
    frmOpen open;
    Shared(ui, "frmOpen", [] {}, record);
  }
  Shared(ui, "frmView", [] { frmView::Instance(); }, record);
  return checked;
}

}  // namespace lumaro
