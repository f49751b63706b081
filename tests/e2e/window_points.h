// Where the windows' controls lie, in client-area pixels, read from the
// windows' own designs: the steps click what the windows are built from.
#pragma once

#include "agent/frmSys_design.h"
#include "core/window_design.h"
#include "member/frmAdmin_design.h"
#include "signin/frmReg_design.h"
#include "signin/frmlogin_design.h"
#include "windows/frmCheckCode_design.h"
#include "windows/frmUP_design.h"

namespace e2e {

using lumaro::PixelPoint;

inline PixelPoint LoginPoint(const char* control) {
  return lumaro::CentreInPixels(lumaro::frmloginDesign(), control);
}
inline PixelPoint RegistrationPoint(const char* control) {
  return lumaro::CentreInPixels(lumaro::frmRegDesign(), control);
}
inline PixelPoint MemberConsolePoint(const char* control) {
  return lumaro::CentreInPixels(lumaro::frmAdminDesign(), control);
}
inline PixelPoint AgentConsolePoint(const char* control) {
  return lumaro::CentreInPixels(lumaro::frmSysDesign(), control);
}
inline PixelPoint UpdatePoint(const char* control) {
  return lumaro::CentreInPixels(lumaro::frmUPDesign(), control);
}
inline PixelPoint CheckerPoint(const char* control) {
  return lumaro::CentreInPixels(lumaro::frmCheckCodeDesign(), control);
}

// A menu entry of a console: its label in the console's design and the page
// it loads.
struct MenuEntry {
  const lumaro::WindowDesign& (*console)();
  const char* control;
  const char* page;
  PixelPoint At() const { return lumaro::CentreInPixels(console(), control); }
};

inline constexpr MenuEntry kMenuBase{lumaro::frmAdminDesign, "lblItem1", "base.asp"};     // 基本信息
inline constexpr MenuEntry kMenuSites{lumaro::frmAdminDesign, "lblitem2", "mananet.asp"};  // 网站访客
inline constexpr MenuEntry kMenuRecharge{lumaro::frmAdminDesign, "lblitem6", "pay.asp"};   // 在线充值
inline constexpr MenuEntry kAgentMenuNewAccount{lumaro::frmSysDesign, "lbl2", "AddAcount.asp"};  // 开通代理
inline constexpr MenuEntry kAgentMenuClients{lumaro::frmSysDesign, "Label1", "manaClient.asp"};  // 访客管理

}  // namespace e2e
