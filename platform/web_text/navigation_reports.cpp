#include "platform/web_text/navigation_reports.h"

#include <iterator>

#include "platform/web_text/form_body.h"

namespace lumaro::gtk {

namespace {

std::string WithoutFragment(const std::string& url) { return url.substr(0, url.find('#')); }

std::string WithoutQuery(const std::string& url) {
  std::string address = WithoutFragment(url);
  return address.substr(0, address.find('?'));
}

bool Answers(const NavigationReport& report, const std::string& uri, const std::string& method) {
  if (!report.form) return method == "GET" && WithoutFragment(report.url) == WithoutFragment(uri);
  if (report.method == "POST")
    return method == "POST" && WithoutFragment(report.url) == WithoutFragment(uri);
  // A GET form replaces the action's query with its fields.
  return method == "GET" && WithoutQuery(report.url) == WithoutQuery(uri);
}

}  // namespace

void NavigationReports::Add(NavigationReport report, int64_t nowUs) {
  kept_.push_back({std::move(report), nowUs});
  while (kept_.size() > kMaxReports) kept_.pop_front();
}

std::string NavigationReports::TakeBody(const std::string& uri, const std::string& method,
                                        int64_t nowUs) {
  while (!kept_.empty() && nowUs - kept_.front().timeUs > kLifetimeUs) kept_.pop_front();
  for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) {
    const NavigationReport& report = it->report;
    if (!Answers(report, uri, method)) continue;
    // The fields are sent as urlencoded text; only a post carries them as
    // its body.
    std::string body;
    if (report.form && method == "POST") body = EncodeFormBody(report.fields, report.charset);
    kept_.erase(std::next(it).base());
    return body;
  }
  return {};
}

}  // namespace lumaro::gtk
