#include "core/startup.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/ansi.h"
#include "core/desktop.h"
#include "core/form_text.h"
#include "core/globals.h"
#include "core/http_fetch.h"
#include "core/md5.h"
#include "core/notice.h"

namespace lumaro {

int EditionSupportField(int edition) {
  switch (edition) {
    case 2: return 1;
    case 3: return 2;
    case 4: return 3;
    default: return -1;
  }
}

StartupWindows& StartupOpeners() {
  static StartupWindows openers;
  return openers;
}

bool SignInOpensAgentConsole(int edition) { return edition == 1 || edition == 4; }

void ShowConsoleAfterSignIn() {
  const StartupWindows& openers = StartupOpeners();
  const auto& show =
      SignInOpensAgentConsole(kEditionId) ? openers.showAgentConsole : openers.showMemberConsole;
  if (show) show();
}

std::string VersionText() {
  return std::to_string(kVersionMajor) + "-" + std::to_string(kVersionRevision);
}

std::string EditionLabel(int edition) {
  switch (edition) {
    case 1: return "[管理员]V6.0";
    case 2: return "V6.0";
    case 3: return "[正式版]V6.0";
    case 4: return "[代理版]V6.0";
    default: return "";
  }
}

std::vector<std::string> SplitText(const std::string& text, const std::string& separator) {
  std::vector<std::string> fields;
  if (separator.empty()) {
    fields.push_back(text);
    return fields;
  }
  size_t start = 0;
  for (;;) {
    size_t at = text.find(separator, start);
    if (at == std::string::npos) break;
    fields.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  fields.push_back(text.substr(start));
  return fields;
}

int32_t ReadUnitPrice(const std::string& field) {
  double v = std::nearbyint(ReadLeadingNumber(field).value_or(0));  // ties to even
  if (!(v >= double(std::numeric_limits<int32_t>::min()) &&
        v <= double(std::numeric_limits<int32_t>::max())))
    return 0;
  return int32_t(v);
}

OemRecord ReadOemRecord(const std::string& record, int edition) {
  OemRecord oem;
  const std::vector<std::string> fields = SplitText(record, "@@@");
  if (fields.size() > 4) oem.code = fields[4];
  if (fields.size() > 5) oem.unitPrice = ReadUnitPrice(fields[5]);
  const int field = EditionSupportField(edition);
  if (field >= 0 && size_t(field) < fields.size()) oem.supportQQ = fields[field];
  return oem;
}

std::string GeneralDateText(const std::tm& t) {
  char buf[64];
  if (t.tm_hour == 0 && t.tm_min == 0 && t.tm_sec == 0)
    std::snprintf(buf, sizeof buf, "%d/%d/%d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
  else
    std::snprintf(buf, sizeof buf, "%d/%d/%d %d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

std::string IniFilePath() { return Desktop().files->DataDir() + "/ini.txt"; }
std::string ShareFilePath() { return Desktop().files->DataDir() + "/share.txt"; }

void WriteShareLog() {
  try {
    std::string line = GeneralDateText(Desktop().clock->LocalNow()) + "\r\n";
    Desktop().files->WriteFile(ShareFilePath(), Utf8ToAnsi(line), false);
  } catch (...) {
  }
}

void Main() {
  // 1. One running copy only.
  if (Desktop().instance->AnotherInstanceRunning()) {
    ShowNotice("系统中已有此程序的副本在运行!", MsgIcon::Information);
    return;
  }

  // 2. The version that the service publishes for this edition.
  std::string version =
      HttpGet(std::string(kServiceBase) + "GetVer.asp?vID=" + std::to_string(kEditionId), true);
  if (version == "ERROR") {
    ShowNotice("连接服务器失败，请检查网络是否正常！", MsgIcon::Information);
    return;
  }

  // 3. Another version: the update window instead of the login window.
  if (version != VersionText()) {
    if (StartupOpeners().showUpdate) StartupOpeners().showUpdate();
    return;
  }

  // 4. The reseller record.
  clsMD5 md5;
  std::string record = HttpGet(std::string(kServiceBase) + "GetOEM.asp?v=" +
                                   md5.MD5(std::string(kOemNumber), 32) + "&t=" + TimerStamp(),
                               false);
  if (record == "ERROR") return;

  // 5. Its fields.
  const OemRecord oem = ReadOemRecord(record, kEditionId);
  if (oem.code) gOemCode = *oem.code;
  if (oem.unitPrice) gOemUnitPrice = *oem.unitPrice;

  // 6. Code and price must both be there.
  if (gOemCode.empty() || gOemUnitPrice == 0) {
    ShowNotice("网络异常退出!", MsgIcon::Information);
    return;
  }

  // 7. Caption and support number of this edition.
  if (!EditionLabel(kEditionId).empty())
    gAppCaption = std::string(kProductTitle) + EditionLabel(kEditionId);
  if (oem.supportQQ) gOemSupportQQ = *oem.supportQQ;

  // 8. The login window.
  if (StartupOpeners().showLogin) StartupOpeners().showLogin();
}

}  // namespace lumaro
