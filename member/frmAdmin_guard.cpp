// Checks made before the console's browser posts a page or follows a link.
#include "member/frmAdmin.h"

namespace lumaro {

void frmAdmin::web_BeforeNavigate2(BeforeNavigateArgs& args) {}

}  // namespace lumaro
