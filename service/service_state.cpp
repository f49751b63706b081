// The stand-in's state: its seeded values, the fields of the reseller record
// and the look-ups of accounts and sites.
#include "service_state.h"

#include <cmath>
#include <cstdlib>
#include <ctime>

#include "text_util.h"

namespace lumaro::service {

namespace {

std::vector<std::string> SplitRecord(const std::string& record) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t at = record.find("@@@", start);
    if (at == std::string::npos) {
      fields.push_back(record.substr(start));
      return fields;
    }
    fields.push_back(record.substr(start, at - start));
    start = at + 3;
  }
}

}  // namespace

std::string Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

void ServiceState::Seed(std::string versionText, std::string record,
                        std::string chatLinkHost) {
  version = std::move(versionText);
  oemRecord = std::move(record);
  chatHost = std::move(chatLinkHost);
  accounts.clear();
  AddAccount("demo", "demo123");
  AddAccount("vyrd", "vyrd123");
  AddAccount("alice", "secret");
  accounts["demo"].qq = "12345678";
  accounts["demo"].email = "demo@example.com";
  accounts["demo"].mobile = "13800138000";
  accounts["demo"].man = "王演示";
  accounts["demo"].company = "演示科技有限公司";
  accounts["vyrd"].qq = "87654321";
  accounts["vyrd"].days = 365;
  accounts["alice"].qq = "11223344";
  accounts["alice"].days = 3;
  sites = {
      {"101", "我的小店", "http://shop.example.cn/", "主站，2026年开通",
       {"网站统计", "访客统计软件", "在线客服"}},
      {"102", "技术博客", "http://blog.example.cn/", "", {}},
  };
  nextSiteId = 103;
  counted.clear();
  opLog = {"2026-12-01 09:30:12  开通帐号 demo",
           "2026-12-03 14:05:47  为 alice 开通 3 天试用",
           "2026-12-05 10:11:02  修改单价为 3 元/天"};
  charges = {"2026-11-20 10:02:11|正式开通 12 个月|1080|已到帐",
             "2026-12-01 16:45:30|申请试用|0|已开通"};
  infos = {{"系统升级通知", "本周六凌晨 2:00-4:00 系统升级维护。"},
           {"新功能上线", "访客详情页支持导出 Excel。"}};
}

std::string ServiceState::OemCode() const {
  auto fields = SplitRecord(oemRecord);
  return fields.size() > 4 ? fields[4] : "";
}

int ServiceState::UnitPrice() const {
  auto fields = SplitRecord(oemRecord);
  if (fields.size() <= 5) return 0;
  return static_cast<int>(std::lround(std::strtod(fields[5].c_str(), nullptr)));
}

Account* ServiceState::FindAccount(const std::string& name) {
  auto it = accounts.find(LowerAscii(name));
  return it == accounts.end() ? nullptr : &it->second;
}

void ServiceState::AddAccount(const std::string& name, const std::string& password) {
  Account& a = accounts[LowerAscii(name)];
  a.name = name;
  a.password = password;
}

Site* ServiceState::FindSite(const std::string& id) {
  for (Site& s : sites)
    if (s.id == id) return &s;
  return nullptr;
}

}  // namespace lumaro::service
