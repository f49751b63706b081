// The pages of the site check: where a site's page is, whether its counting
// code has reported, the counting script, and the site's page that loads it.
#include "page_handlers.h"

#include "page_markup.h"
#include "text_util.h"

namespace lumaro::service {

using std::string;

void GetNet(Ctx& c) { c.Text(c.rq.baseUrl + "site/" + PercentEncode(c.rq.Param("id")) + ".html"); }

void QueryFlag(Ctx& c) { c.Text(c.st.counted.count(c.rq.Param("id")) ? "ok" : "no"); }

void Count(Ctx& c) {
  c.st.counted.insert(c.rq.Param("id"));
  c.rp.contentType = "application/x-javascript; charset=gb2312";
  c.Text("/* counted */");
}

void SitePage(Ctx& c, const string& id) {
  Site* s = c.st.FindSite(id);
  string b = "<h3>" + HtmlEscape(s ? s->name : "网站 " + id) + "</h3><p>欢迎光临本站！</p>"
             "<script type=\"text/javascript\" src=\"" + c.rq.baseUrl + "count.asp?id=" +
             PercentEncode(id) + "\"></script>";
  c.Html(Doc(s ? s->name : "网站", b));
}

}  // namespace lumaro::service
