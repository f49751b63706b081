// The stand-in's pages and the little state behind them. Everything here runs
// under the service's state lock; texts are UTF-8 and converted to GBK when
// the reply is sent.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace lumaro::service {

inline constexpr const char* kHtmlType = "text/html; charset=gb2312";
// Cookie that ties the member pages to the account of the welcome page.
inline constexpr const char* kSessionCookie = "lumaro_user";

struct PageRequest {
  std::string method;
  std::string path;   // percent-decoded path without the leading "/"
  std::string page;   // the same in lower case
  std::string query;  // raw
  std::multimap<std::string, std::string> params;  // query, then form body
  std::string sessionUser;  // UTF-8 account name from the session cookie
  std::string baseUrl;      // "http://127.0.0.1:PORT/"

  // ASP-style lookup: names compared without regard to case.
  std::string Param(const std::string& name) const;
  bool Has(const std::string& name) const;
};

struct PageReply {
  int status = 200;
  std::string contentType = kHtmlType;
  std::string body;   // UTF-8 text, or raw bytes when `binary`
  bool binary = false;
  std::vector<std::pair<std::string, std::string>> headers;
};

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

// Answers one request; false when there is no such page.
bool ServePage(ServiceState& state, const PageRequest& request, PageReply& reply);

}  // namespace lumaro::service
