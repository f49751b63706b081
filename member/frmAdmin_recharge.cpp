// Live totals on the service's recharge page.
#include "member/frmAdmin.h"

namespace lumaro {

bool frmAdmin::m_doc_onclick() { return true; }

void frmAdmin::m_doc_onkeyup() {}

}  // namespace lumaro
