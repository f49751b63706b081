#include "core/notice.h"

#include "build_config.h"

namespace lumaro {

void ShowNotice(const std::string& text, MsgIcon icon) {
  Desktop().dialogs->MessageBox(text, std::string(kNoticeTitle), icon, MsgButtons::Ok);
}

}  // namespace lumaro
