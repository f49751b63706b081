// The links followed and the forms submitted that a page reports, each kept
// until the navigation it causes asks for the body it carries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace lumaro::gtk {

// A link click or form submission a page reported.
struct NavigationReport {
  std::string url;     // the link's address or the form's action, resolved
  std::string method;  // the form's method, "GET" or "POST"
  bool form = false;
  std::vector<std::pair<std::string, std::string>> fields;  // a form's, in order
  std::string charset;  // the page's character set, for a form's body
};

class NavigationReports {
 public:
  // A report older than this belongs to no navigation.
  static constexpr int64_t kLifetimeUs = 10'000'000;
  // The most reports kept: a page that reports more loses its oldest.
  static constexpr size_t kMaxReports = 16;

  // Keeps `report`, made at `nowUs` (microseconds on a clock that never
  // jumps).
  void Add(NavigationReport report, int64_t nowUs);

  // The body that a navigation to `uri` with `method` ("GET", "POST")
  // carries: the newest report the navigation answers is used up, and a
  // post of a form gives its fields encoded as the browser posts them; ""
  // for any other navigation, and for one that no report answers. A link
  // answers a GET of its address, a posted form a POST of its action, a
  // form sent with GET a GET of its action with any query (the browser puts
  // the fields there); fragments are not compared. Reports older than
  // kLifetimeUs at `nowUs` are dropped first.
  std::string TakeBody(const std::string& uri, const std::string& method, int64_t nowUs);

  // Forgets every report (the page they came from has gone).
  void Clear() { kept_.clear(); }
  size_t Size() const { return kept_.size(); }

 private:
  struct Kept {
    NavigationReport report;
    int64_t timeUs;
  };
  std::deque<Kept> kept_;
};

}  // namespace lumaro::gtk
