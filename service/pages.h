// The stand-in's pages: the request a page is asked with, the reply it gives
// and the entry point that answers one (its handlers are in the *_pages.cpp
// files, the state behind them in service_state.h). Everything here runs
// under the service's state lock; texts are UTF-8 and converted to GBK when
// the reply is sent.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "service_state.h"

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

// Answers one request; false when there is no such page.
bool ServePage(ServiceState& state, const PageRequest& request, PageReply& reply);

}  // namespace lumaro::service
