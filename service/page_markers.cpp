// The marker script and its place in a page.
#include "page_markers.h"

#include "text_util.h"

namespace lumaro::service {

namespace {

// Reports the page's load, its showing (after its load, and again when the
// browser's history brings it back from its cache without loading it),
// clicks on links and the page's own marks to /__marker. A beacon outlives
// the page that sends it (a followed link does not cancel it); where there is
// none, an image request does the same.
constexpr const char* kMarkerScript =
    "<script type=\"text/javascript\">(function(){"
    "function mark(event,detail){"
    "var u='/__marker?event='+encodeURIComponent(event)+'&detail='+encodeURIComponent(detail);"
    "try{if(navigator.sendBeacon&&navigator.sendBeacon(u))return;}catch(e){}"
    "var i=new Image();(window.__lumaroMarks=window.__lumaroMarks||[]).push(i);i.src=u;}"
    "window.__lumaroMark=mark;"
    "window.addEventListener('load',function(){mark('load',location.pathname+location.search);});"
    "window.addEventListener('pageshow',function(){mark('shown',location.pathname+location.search);});"
    "document.addEventListener('click',function(e){"
    "var a=e.target&&e.target.closest?e.target.closest('a[href]'):null;"
    "if(a)mark('click',a.getAttribute('href'));},true);"
    "})();</script>";

}  // namespace

std::string WithMarkerScript(const std::string& body) {
  size_t at = LowerAscii(body).rfind("</body>");
  if (at == std::string::npos) return body;
  return body.substr(0, at) + kMarkerScript + body.substr(at);
}

}  // namespace lumaro::service
