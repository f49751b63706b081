// The stand-in's state: the accounts, the sites and their counts, the version
// and reseller record, the operation log, the charges and the notices, with
// their seeded values and the look-ups the pages use. The pages read and
// change it under the service's state lock.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace lumaro::service {

struct Account {
  std::string name;  // as registered
  std::string password;
  std::string qq, email, mobile, man, company;
  int days = 30;  // remaining service days
};

struct Site {
  std::string id;
  std::string name, url, memo;
  std::vector<std::string> keywords;
};

struct ServiceState {
  std::string version;
  std::string oemRecord;
  std::string oemNumber = "38615";
  std::string chatHost;
  std::map<std::string, Account> accounts;  // key: lower-case name
  std::vector<Site> sites;
  int nextSiteId = 0;
  std::set<std::string> counted;  // site ids whose counting code reported
  std::vector<std::string> opLog;
  std::vector<std::string> charges;
  std::vector<std::pair<std::string, std::string>> infos;  // title, content

  // Seeded accounts, sites and texts; version, record and chat host as given.
  void Seed(std::string versionText, std::string record, std::string chatLinkHost);

  // Field 4 of the OEM record: the reseller code.
  std::string OemCode() const;
  // Field 5 read as a whole number (0 when absent).
  int UnitPrice() const;
  Account* FindAccount(const std::string& name);
  void AddAccount(const std::string& name, const std::string& password);
  Site* FindSite(const std::string& id);
};

// The local time as the operation log and the charge records write it
// ("2026-12-01 09:30:12").
std::string Now();

}  // namespace lumaro::service
