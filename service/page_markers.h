// The test markers (see StandInService::EnablePageMarkers): a script added to
// the HTML pages the service sends that reports their load, their showing,
// followed links and the pages' own marks.
#pragma once

#include <string>

namespace lumaro::service {

// The page the marker script reports to; its requests are kept apart from
// the pages' own.
inline constexpr const char* kMarkerPage = "__marker";

// An HTML page with the marker script before its closing body tag; other
// bodies (the plain "ok" of an answer page) as they are.
std::string WithMarkerScript(const std::string& body);

}  // namespace lumaro::service
