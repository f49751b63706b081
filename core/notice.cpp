#include "core/notice.h"

#include "build_config.h"

namespace lumaro {

void ShowNotice(const std::string& text, MsgIcon icon) {
  Svc().dialogs->MessageBox(text, std::string(kNoticeTitle), icon, MsgButtons::Ok);
}

}  // namespace lumaro
