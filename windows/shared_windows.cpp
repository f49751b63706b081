#include "windows/shared_windows.h"

#include "member/frmAdmin.h"
#include "signin/frmReg.h"
#include "signin/frmlogin.h"
#include "windows/frmUP.h"

namespace lumaro {

void ReleaseSharedWindows() {
  frmReg::ReleaseInstance();
  frmlogin::ReleaseInstance();
  frmAdmin::ReleaseInstance();
  frmUP::ReleaseInstance();
}

}  // namespace lumaro
