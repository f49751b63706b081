#include "windows/shared_windows.h"

#include "agent/frmSys.h"
#include "member/frmAdmin.h"
#include "signin/frmReg.h"
#include "signin/frmlogin.h"
#include "windows/frmUP.h"
#include "windows/frmView.h"

namespace lumaro {

void ReleaseSharedWindows() {
  frmReg::ReleaseInstance();
  frmlogin::ReleaseInstance();
  frmAdmin::ReleaseInstance();
  frmSys::ReleaseInstance();
  frmView::ReleaseInstance();
  frmUP::ReleaseInstance();
}

}  // namespace lumaro
