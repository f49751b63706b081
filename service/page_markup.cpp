// The markup the stand-in's pages share: the style sheet, the document, the
// notice page, inputs, labelled rows and the chat link.
#include "page_markup.h"

#include <algorithm>

#include "text_util.h"

namespace lumaro::service {

using std::string;

namespace {

const char* kStyle =
    "<style type=\"text/css\">"
    "body{font:12px \"宋体\",SimSun,\"Noto Sans CJK SC\",sans-serif;margin:10px;"
    "color:#333;background:#fff}"
    "td,th,input,select,textarea{font-size:12px}"
    "table.grid td{white-space:nowrap}"
    "h3{color:#0a3d8f;font-size:14px;border-bottom:2px solid #8fb3e3;"
    "padding-bottom:4px;margin:4px 0 10px}"
    "table.grid{border-collapse:collapse;margin:6px 0}"
    "table.grid td,table.grid th{border:1px solid #a9c4e8;padding:4px 8px}"
    "table.grid th{background:#e4eefb;color:#0a3d8f}"
    "table.form td{padding:4px 6px}"
    "a{color:#0653b6;text-decoration:none}a:hover{text-decoration:underline}"
    ".tip{color:#c00}.note{color:#777}.ok{color:#080;font-weight:bold}"
    "input.btn{background:#2d6fc4;color:#fff;border:1px solid #1c4f92;"
    "padding:2px 10px}"
    "</style>";

// The id of the first form control (input, select, textarea) in `html`; ""
// when there is none.
string FirstControlId(const string& html) {
  for (size_t at = 0;;) {
    size_t best = string::npos;
    for (const char* tag : {"<input ", "<select ", "<textarea "})
      best = std::min(best, html.find(tag, at));
    if (best == string::npos) return "";
    size_t end = html.find('>', best);
    if (end == string::npos) return "";
    at = end;
    const string tag = html.substr(best, end - best);
    if (tag.find("type=\"hidden\"") != string::npos) continue;  // nothing to label
    size_t id = tag.find(" id=\"");
    if (id == string::npos) return "";
    size_t from = id + 5;
    return tag.substr(from, tag.find('"', from) - from);
  }
}

}  // namespace

string Doc(const string& title, const string& body) {
  return "<html><head>"
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
         "<title>" + HtmlEscape(title) + "</title>" + kStyle +
         "</head><body>\n" + body + "\n</body></html>";
}

string Notice(const string& title, const string& message, const string& backHref,
              const string& backText) {
  string body = "<h3>" + HtmlEscape(title) + "</h3><p class=\"ok\">" +
                HtmlEscape(message) + "</p>";
  if (!backHref.empty())
    body += "<p><a href=\"" + HtmlEscape(backHref) + "\">" + HtmlEscape(backText) + "</a></p>";
  return Doc(title, body);
}

string Input(const string& name, const string& value, const string& type, const string& extra) {
  return "<input type=\"" + type + "\" name=\"" + name + "\" id=\"" + name + "\" value=\"" +
         HtmlEscape(value) + "\"" + (extra.empty() ? "" : " " + extra) + ">";
}

string Row(const string& caption, const string& control) {
  const string id = caption.empty() ? "" : FirstControlId(control);
  const string label = id.empty() ? caption : "<label for=\"" + id + "\">" + caption + "</label>";
  return "<tr><td align=\"right\">" + label + "</td><td>" + control + "</td></tr>\n";
}

string ChatLink(const ServiceState& st, const string& qq) {
  return "http://" + st.chatHost + "/msgrd?v=3&uin=" + qq + "&site=qq&menu=yes";
}

}  // namespace lumaro::service
