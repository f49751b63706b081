#include "platform/webkit/webkit_browser.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/page_writes.h"
#include "platform/web_text/js_string.h"

namespace lumaro::gtk {

namespace {

constexpr const char* kDocumentHelpers =
    "  function find(n) {"
    "    var e = document.all.namedItem(n);"  // document.all itself is falsy
    "    if (e && !(e instanceof Element) && typeof e.length === 'number')"
    "      e = e.length ? e[0] : null;"
    "    if (!e) throw new Error('no element named ' + n);"
    "    return e;"
    "  }"
    "  function valued(e) {"
    "    if (!('value' in e)) throw new Error('the element holds no value');"
    "    return e;"
    "  }";

// One operation as a call of a function of (name, arg).
std::string Operation(const char* body, const std::string& name, const std::string& arg) {
  return std::string("(function (name, arg) {") + kDocumentHelpers + body + "})(" +
         JsString(name) + ", " + JsString(arg) + ")";
}

// Documents whose writes wait to be sent.
std::vector<WebkitDocument*>& Unsent() {
  static auto* documents = new std::vector<WebkitDocument*>();
  return *documents;
}

void FlushEveryDocument() {
  const std::vector<WebkitDocument*> documents = Unsent();
  for (WebkitDocument* document : documents) document->FlushQuietly();
}

}  // namespace

// Writes are sent with the next operation that needs an answer, or once
// the handler that made them has returned (before anything else can see the
// page): one round trip to the page instead of one a write. They run in
// order and stop at the first that fails, which the next operation, or the
// flush, reports.
std::string WebkitDocument::Call(const char* body, const std::string& name,
                                 const std::string& arg) {
  std::string script = Operation(body, name, arg);
  if (!unsent_.empty()) {
    script = "(function () {" + unsent_ + "return " + script + "; })()";
    Sent();
  }
  return browser_->Evaluate(script);
}

void WebkitDocument::Defer(const char* body, const std::string& name, const std::string& arg) {
  if (unsent_.empty()) {
    Unsent().push_back(this);
    SetPageWriteFlusher(FlushEveryDocument);
  }
  unsent_ += Operation(body, name, arg) + ";";
}

void WebkitDocument::Sent() {
  unsent_.clear();
  auto& list = Unsent();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void WebkitDocument::Flush() {
  if (unsent_.empty()) return;
  const std::string script = "(function () {" + unsent_ + "return ''; })()";
  Sent();
  browser_->Evaluate(script);
}

void WebkitDocument::FlushQuietly() {
  try {
    Flush();
  } catch (const DocumentError&) {
    // The handler that wrote has returned: its writes stop at the failure.
  }
}

WebkitDocument::~WebkitDocument() { Sent(); }

bool WebkitDocument::Exists(const std::string& name) {
  return Call("try { find(name); return '1'; } catch (e) { return '0'; }", name) == "1";
}

std::string WebkitDocument::Value(const std::string& name) {
  return Call("var v = valued(find(name)).value;"
              "return v === null || v === undefined ? '' : String(v);",
              name);
}

void WebkitDocument::SetValue(const std::string& name, const std::string& value) {
  Defer("valued(find(name)).value = arg; return '';", name, value);
}

std::string WebkitDocument::InnerHtml(const std::string& name) {
  return Call("return String(find(name).innerHTML);", name);
}

void WebkitDocument::SetInnerHtml(const std::string& name, const std::string& html) {
  Defer("find(name).innerHTML = arg; return '';", name, html);
}

void WebkitDocument::SetDisplay(const std::string& name, const std::string& display) {
  Defer("var e = find(name);"
       "if (!e.style) throw new Error('the element has no style');"
       "e.style.display = arg; return '';",
       name, display);
}

void WebkitDocument::Focus(const std::string& name) {
  // The caret belongs in the page: the browser takes the keyboard focus.
  if (WebKitWebView* view = browser_->View()) gtk_widget_grab_focus(GTK_WIDGET(view));
  // WebKit ignores focus() on a hidden or disabled field without an error.
  Call("var e = find(name); e.focus();"
       "if (document.activeElement !== e) throw new Error('the element cannot take the focus');"
       "return '';",
       name);
}

std::string WebkitDocument::BodyInnerHtml() {
  return Call("if (!document.body) throw new Error('no body'); return document.body.innerHTML;",
              "");
}

std::string WebkitDocument::BodyText() {
  return Call("if (!document.body) throw new Error('no body'); return document.body.innerText;",
              "");
}

void WebkitDocument::SubmitFirstForm() {
  // Announced like the page's own form.submit(), so that the navigation's
  // handler sees the posted fields.
  Call("var f = document.forms[0];"
       "if (!f) throw new Error('the page has no form');"
       "f.dispatchEvent(new CustomEvent('__lumaro_submit', {bubbles: true}));"
       "HTMLFormElement.prototype.submit.call(f); return '';",
       "");
}

std::string WebkitDocument::ActiveElementId() {
  return Call("var a = document.activeElement; return a && a.id ? String(a.id) : '';", "");
}

std::string WebkitDocument::ActiveElementValue() {
  return Call("var a = document.activeElement;"
              "if (!a || a === document.body) throw new Error('nothing is focused');"
              "var v = valued(a).value;"
              "return v === null || v === undefined ? '' : String(v);",
              "");
}

}  // namespace lumaro::gtk
