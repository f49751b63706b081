#include "platform/curl_http.h"

#include <curl/curl.h>
#include <gio/gio.h>
#include <glib-unix.h>
#include <glib.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>

#include "platform/web_text/reply_body.h"

namespace lumaro::gtk {

class CurlRequest;

// One curl multi handle for the whole program, wired into the GLib main loop.
struct CurlHttpFactory::Multi {
  CURLM* handle = nullptr;
  guint timer = 0;
  // Socket -> GLib source watching it.
  std::map<curl_socket_t, guint> watches;

  Multi();
  ~Multi();
  void Drive(curl_socket_t socket, int events);
  void CollectFinished();
};

namespace {

constexpr long kConnectTimeoutMs = 30000;

// The desktop's proxy for `url`, as the browsers use it. Where GNOME's
// proxy settings decide (its resolver is GIO's default), they decide here
// too; otherwise libcurl reads http_proxy, https_proxy and no_proxy from the
// environment itself, as the browsers' resolver does.
void UseDesktopProxy(CURL* easy, const std::string& url) {
  GProxyResolver* resolver = g_proxy_resolver_get_default();
  if (!resolver || g_strcmp0(G_OBJECT_TYPE_NAME(resolver), "GProxyResolverGnome") != 0) return;
  gchar** proxies = g_proxy_resolver_lookup(resolver, url.c_str(), nullptr, nullptr);
  if (proxies && proxies[0]) {
    if (g_str_has_prefix(proxies[0], "direct://"))
      curl_easy_setopt(easy, CURLOPT_PROXY, "");  // straight to the server
    else
      curl_easy_setopt(easy, CURLOPT_PROXY, proxies[0]);
  }
  g_strfreev(proxies);
}
// A transfer nobody waits for any more ends by itself.
constexpr long kTransferTimeoutMs = 120000;

int SocketCallback(CURL*, curl_socket_t socket, int what, void* userp, void*);
int TimerCallback(CURLM*, long timeoutMs, void* userp);

}  // namespace

// ---------------------------------------------------------------- request

class CurlRequest : public IHttpRequest {
 public:
  explicit CurlRequest(std::shared_ptr<CurlHttpFactory::Multi> multi) : multi_(std::move(multi)) {}
  ~CurlRequest() override { Abandon(); }

  void Open(const std::string& method, const std::string& url) override;
  void Send(const std::string& body) override;
  int ReadyState() override { return state_; }
  int Status() override { return status_; }
  const std::string& ResponseBody() override { return body_; }
  void Abort() override;

  // Called by the multi handle when the transfer has ended.
  void Finished(CURLcode result);

 private:
  void Abandon();
  static size_t Write(char* data, size_t size, size_t count, void* userp);

  std::shared_ptr<CurlHttpFactory::Multi> multi_;
  CURL* easy_ = nullptr;
  bool inMulti_ = false;
  std::string method_, url_, sendBody_;
  int state_ = 0;
  int status_ = 0;
  std::string body_;
};

void CurlRequest::Abandon() {
  if (!easy_) return;
  if (inMulti_) curl_multi_remove_handle(multi_->handle, easy_);
  curl_easy_cleanup(easy_);
  easy_ = nullptr;
  inMulti_ = false;
}

void CurlRequest::Abort() {
  if (!easy_) return;
  Abandon();
  std::string().swap(body_);
  status_ = 0;
  state_ = 4;
}

void CurlRequest::Open(const std::string& method, const std::string& url) {
  Abandon();
  state_ = 0;
  status_ = 0;
  body_.clear();

  // Blanks, control characters and bytes outside ASCII are sent
  // percent-encoded, as a browser would send them.
  std::string escaped;
  for (unsigned char c : url) {
    if (c <= 0x20 || c >= 0x7F) {
      static const char* kHex = "0123456789ABCDEF";
      escaped += '%';
      escaped += kHex[c >> 4];
      escaped += kHex[c & 15];
    } else {
      escaped += char(c);
    }
  }

  // Only absolute http and https addresses with a host are usable.
  CURLU* parsed = curl_url();
  bool usable = curl_url_set(parsed, CURLUPART_URL, escaped.c_str(), 0) == CURLUE_OK;
  if (usable) {
    char* scheme = nullptr;
    char* host = nullptr;
    usable = curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
             curl_url_get(parsed, CURLUPART_HOST, &host, 0) == CURLUE_OK && host && *host &&
             (g_ascii_strcasecmp(scheme, "http") == 0 || g_ascii_strcasecmp(scheme, "https") == 0);
    curl_free(scheme);
    curl_free(host);
  }
  curl_url_cleanup(parsed);
  if (!usable) throw std::runtime_error("unusable address: " + url);

  method_ = method.empty() ? "GET" : method;
  url_ = escaped;
  state_ = 1;
}

void CurlRequest::Send(const std::string& body) {
  if (state_ != 1 || easy_) throw std::runtime_error("request not opened");
  easy_ = curl_easy_init();
  if (!easy_) throw std::runtime_error("no curl handle");
  sendBody_ = body;
  curl_easy_setopt(easy_, CURLOPT_URL, url_.c_str());
  curl_easy_setopt(easy_, CURLOPT_PRIVATE, this);
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, 10L);
  // What a desktop browser's request object offers; brotli is left out, as
  // a server spends far longer compressing a short reply with it than the
  // reply takes to send.
  curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  // A server that does not answer the connection is given up as the whole
  // fetch would be; a reply larger than the program keeps is refused as soon
  // as it is announced, and cut off when it is not.
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  curl_easy_setopt(easy_, CURLOPT_TIMEOUT_MS, kTransferTimeoutMs);
  curl_easy_setopt(easy_, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(kMaxReplyBytes));
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlRequest::Write);
  UseDesktopProxy(easy_, url_);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  if (g_ascii_strcasecmp(method_.c_str(), "GET") == 0) {
    curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
  } else if (g_ascii_strcasecmp(method_.c_str(), "POST") == 0) {
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(sendBody_.size()));
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, sendBody_.data());
  } else {
    curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, method_.c_str());
    if (!sendBody_.empty()) {
      curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(sendBody_.size()));
      curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, sendBody_.data());
    }
  }
  if (curl_multi_add_handle(multi_->handle, easy_) != CURLM_OK) {
    curl_easy_cleanup(easy_);
    easy_ = nullptr;
    state_ = 4;
    status_ = 0;
    return;
  }
  inMulti_ = true;
}

size_t CurlRequest::Write(char* data, size_t size, size_t count, void* userp) {
  auto* self = static_cast<CurlRequest*>(userp);
  const size_t n = size * count;
  // Past the cap the transfer fails (a return short of `n` ends it); the
  // body grows with what arrives, never by what the server announces.
  if (!AppendCapped(self->body_, data, n, kMaxReplyBytes)) return 0;
  return n;
}

void CurlRequest::Finished(CURLcode result) {
  long code = 0;
  if (result == CURLE_OK) curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &code);
  status_ = result == CURLE_OK ? int(code) : 0;
  if (result != CURLE_OK) std::string().swap(body_);
  state_ = 4;
  // The transfer is over: release its connection slot now.
  curl_multi_remove_handle(multi_->handle, easy_);
  curl_easy_cleanup(easy_);
  easy_ = nullptr;
  inMulti_ = false;
}

// ---------------------------------------------------------------- multi

CurlHttpFactory::Multi::Multi() {
  handle = curl_multi_init();
  curl_multi_setopt(handle, CURLMOPT_SOCKETFUNCTION, SocketCallback);
  curl_multi_setopt(handle, CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(handle, CURLMOPT_TIMERFUNCTION, TimerCallback);
  curl_multi_setopt(handle, CURLMOPT_TIMERDATA, this);
}

CurlHttpFactory::Multi::~Multi() {
  if (timer) g_source_remove(timer);
  for (auto& [socket, id] : watches) g_source_remove(id);
  watches.clear();
  curl_multi_cleanup(handle);
}

void CurlHttpFactory::Multi::Drive(curl_socket_t socket, int events) {
  int running = 0;
  curl_multi_socket_action(handle, socket, events, &running);
  CollectFinished();
}

void CurlHttpFactory::Multi::CollectFinished() {
  int left = 0;
  while (CURLMsg* msg = curl_multi_info_read(handle, &left)) {
    if (msg->msg != CURLMSG_DONE) continue;
    CurlRequest* request = nullptr;
    curl_easy_getinfo(msg->easy_handle, CURLINFO_PRIVATE, &request);
    const CURLcode result = msg->data.result;
    // Finished removes the handle, which invalidates `msg`.
    if (request) request->Finished(result);
  }
}

namespace {

using Multi = CurlHttpFactory::Multi;

gboolean OnSocketReady(gint fd, GIOCondition condition, gpointer data) {
  auto* multi = static_cast<Multi*>(data);
  int events = 0;
  if (condition & (G_IO_IN | G_IO_HUP)) events |= CURL_CSELECT_IN;
  if (condition & G_IO_OUT) events |= CURL_CSELECT_OUT;
  if (condition & G_IO_ERR) events |= CURL_CSELECT_ERR;
  // The callback may remove this very source; it is not touched afterwards.
  multi->Drive(fd, events);
  return G_SOURCE_CONTINUE;
}

int SocketCallback(CURL*, curl_socket_t socket, int what, void* userp, void*) {
  auto* multi = static_cast<Multi*>(userp);
  auto it = multi->watches.find(socket);
  if (it != multi->watches.end()) {
    g_source_remove(it->second);
    multi->watches.erase(it);
  }
  if (what == CURL_POLL_REMOVE) return 0;
  int condition = G_IO_HUP | G_IO_ERR;
  if (what & CURL_POLL_IN) condition |= G_IO_IN;
  if (what & CURL_POLL_OUT) condition |= G_IO_OUT;
  const guint id = g_unix_fd_add(socket, GIOCondition(condition), OnSocketReady, multi);
  try {
    multi->watches[socket] = id;
  } catch (...) {
    g_source_remove(id);
    return -1;  // curl fails the transfers of this socket
  }
  return 0;
}

gboolean OnTimer(gpointer data) {
  auto* multi = static_cast<Multi*>(data);
  multi->timer = 0;
  multi->Drive(CURL_SOCKET_TIMEOUT, 0);
  return G_SOURCE_REMOVE;
}

int TimerCallback(CURLM*, long timeoutMs, void* userp) {
  auto* multi = static_cast<Multi*>(userp);
  if (multi->timer) {
    g_source_remove(multi->timer);
    multi->timer = 0;
  }
  if (timeoutMs >= 0) multi->timer = g_timeout_add(guint(timeoutMs), OnTimer, multi);
  return 0;
}

}  // namespace

// ---------------------------------------------------------------- factory

CurlHttpFactory::CurlHttpFactory() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
  multi_ = std::make_shared<Multi>();
}

CurlHttpFactory::~CurlHttpFactory() = default;

std::shared_ptr<IHttpRequest> CurlHttpFactory::CreateRequest() {
  return std::make_shared<CurlRequest>(multi_);
}

}  // namespace lumaro::gtk
