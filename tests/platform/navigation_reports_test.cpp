// What a navigation carries, decided from what the page reported before it.
#include "platform/web_text/navigation_reports.h"

#include <gtest/gtest.h>

#include <string>

namespace lumaro::gtk {
namespace {

constexpr int64_t kSecond = 1'000'000;

NavigationReport Link(const std::string& url) { return {url, "GET", false, {}, "utf-8"}; }

NavigationReport Form(const std::string& action, const std::string& method) {
  return {action, method, true, {{"n", "a b"}, {"v", "1"}}, "utf-8"};
}

TEST(NavigationReports, EachNavigationFindsTheReportItAnswers) {
  struct Case {
    const char* what;
    NavigationReport report;
    std::string uri, method;
    bool answered;
    std::string body;
  } cases[] = {
      {"link", Link("http://h/a.asp?x=1"), "http://h/a.asp?x=1", "GET", true, ""},
      {"link, fragments differ", Link("http://h/a.asp#top"), "http://h/a.asp#end", "GET", true,
       ""},
      {"link, posted", Link("http://h/a.asp"), "http://h/a.asp", "POST", false, ""},
      {"link, other query", Link("http://h/a.asp?x=1"), "http://h/a.asp?x=2", "GET", false, ""},
      {"posted form", Form("http://h/save.asp", "POST"), "http://h/save.asp", "POST", true,
       "n=a+b&v=1"},
      {"posted form, fetched", Form("http://h/save.asp", "POST"), "http://h/save.asp", "GET",
       false, ""},
      {"GET form, fields in the query", Form("http://h/find.asp?old=1", "GET"),
       "http://h/find.asp?n=a+b&v=1", "GET", true, ""},
      {"GET form, other page", Form("http://h/find.asp", "GET"), "http://h/other.asp?n=1", "GET",
       false, ""},
  };
  for (const Case& c : cases) {
    NavigationReports reports;
    reports.Add(c.report, 0);
    EXPECT_EQ(reports.TakeBody(c.uri, c.method, kSecond), c.body) << c.what;
    EXPECT_EQ(reports.Size(), c.answered ? 0u : 1u) << c.what << ": used up only when answered";
  }
}

TEST(NavigationReports, TheNewestAnsweringReportIsUsedUpOnce) {
  NavigationReports reports;
  NavigationReport older = Form("http://h/save.asp", "POST");
  older.fields = {{"n", "old"}};
  reports.Add(older, 0);
  reports.Add(Form("http://h/save.asp", "POST"), 1);
  EXPECT_EQ(reports.TakeBody("http://h/save.asp", "POST", 2), "n=a+b&v=1");
  EXPECT_EQ(reports.TakeBody("http://h/save.asp", "POST", 3), "n=old");
  EXPECT_EQ(reports.TakeBody("http://h/save.asp", "POST", 4), "");
}

TEST(NavigationReports, OldReportsAndTheOldestPastTheLimitAreForgotten) {
  NavigationReports reports;
  reports.Add(Form("http://h/save.asp", "POST"), 0);
  EXPECT_EQ(reports.TakeBody("http://h/save.asp", "POST", NavigationReports::kLifetimeUs + 1), "");
  EXPECT_EQ(reports.Size(), 0u);

  reports.Add(Form("http://h/first.asp", "POST"), 0);
  for (size_t i = 0; i < NavigationReports::kMaxReports; ++i)
    reports.Add(Link("http://h/" + std::to_string(i)), 0);
  EXPECT_EQ(reports.Size(), NavigationReports::kMaxReports);
  EXPECT_EQ(reports.TakeBody("http://h/first.asp", "POST", 1), "") << "the oldest went";

  // A report just inside its lifetime still answers.
  reports.Add(Form("http://h/late.asp", "POST"), 10);
  EXPECT_EQ(reports.TakeBody("http://h/late.asp", "POST", 10 + NavigationReports::kLifetimeUs),
            "n=a+b&v=1");
}

}  // namespace
}  // namespace lumaro::gtk
