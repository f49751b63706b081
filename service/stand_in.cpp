#include "stand_in.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>
#include <thread>

#include "build_config.h"
#include "gbk.h"
#include "pages.h"
#include "text_util.h"

namespace lumaro::service {

// ---------------------------------------------------------------------------
// Small public helpers

std::string RecordedRequest::Param(const std::string& name) const {
  for (const auto& [key, value] : params)
    if (EqualsNoCase(key, name)) return value;
  return "";
}

bool RecordedRequest::HasParam(const std::string& name) const {
  for (const auto& entry : params)
    if (EqualsNoCase(entry.first, name)) return true;
  return false;
}

std::string RecordedRequest::Line() const {
  return method + " " + path + (query.empty() ? "" : "?" + query);
}

namespace {

struct KindName {
  Fault::Kind kind;
  const char* name;
};
constexpr KindName kKindNames[] = {
    {Fault::None, "none"},           {Fault::Status, "status"},   {Fault::EmptyBody, "empty"},
    {Fault::LoneLeadByte, "leadbyte"}, {Fault::Silence, "silence"}, {Fault::Truncated, "truncated"},
    {Fault::Huge, "huge"},           {Fault::Reset, "reset"},     {Fault::CutCharacter, "cutchar"},
    {Fault::MissingFields, "nofields"}, {Fault::Attachment, "attachment"},
};

constexpr size_t kDefaultHugeBytes = 8u << 20;
constexpr const char* kDownloadType = "application/octet-stream";

// The header of an answer sent as a download. The name goes out as given
// (only line breaks, which would end the header, are left out): a test may
// propose any name a hostile server could.
std::string AttachmentHeader(const std::string& fileName) {
  std::string name;
  for (char c : fileName)
    if (c != '\r' && c != '\n') name += c;
  return "attachment; filename=\"" + name + "\"";
}
constexpr size_t kMaxRecorded = 20000;

}  // namespace

const char* FaultKindName(Fault::Kind kind) {
  for (const auto& k : kKindNames)
    if (k.kind == kind) return k.name;
  return "none";
}

bool ParseFaultKind(const std::string& name, Fault::Kind* kind) {
  for (const auto& k : kKindNames) {
    if (EqualsNoCase(name, k.name)) {
      *kind = k.kind;
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Connection-level tricks: httplib does not hand out the client socket, so it
// is found by its addresses when a connection must be reset or dropped. The
// scan may look at descriptors that other threads open and close meanwhile;
// only the match is acted on, and that one stays open because httplib is
// inside our handler or content provider for it.

namespace {

int FindClientSocket(int localPort, const std::string& remoteAddr, int remotePort) {
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return -1;
  int found = -1;
  while (dirent* entry = readdir(dir)) {
    char* end = nullptr;
    long fd = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || fd == dirfd(dir)) continue;
    struct stat st{};
    if (fstat(static_cast<int>(fd), &st) != 0 || !S_ISSOCK(st.st_mode)) continue;
    sockaddr_storage local{}, peer{};
    socklen_t localLen = sizeof local, peerLen = sizeof peer;
    if (getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&local), &localLen) != 0 ||
        getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&peer), &peerLen) != 0)
      continue;
    char addr[INET6_ADDRSTRLEN] = {};
    int lport = 0, pport = 0;
    if (peer.ss_family == AF_INET) {
      auto* p = reinterpret_cast<sockaddr_in*>(&peer);
      inet_ntop(AF_INET, &p->sin_addr, addr, sizeof addr);
      pport = ntohs(p->sin_port);
      lport = ntohs(reinterpret_cast<sockaddr_in*>(&local)->sin_port);
    } else if (peer.ss_family == AF_INET6) {
      auto* p = reinterpret_cast<sockaddr_in6*>(&peer);
      inet_ntop(AF_INET6, &p->sin6_addr, addr, sizeof addr);
      pport = ntohs(p->sin6_port);
      lport = ntohs(reinterpret_cast<sockaddr_in6*>(&local)->sin6_port);
    } else {
      continue;
    }
    if (lport == localPort && pport == remotePort && remoteAddr == addr) {
      found = static_cast<int>(fd);
      break;
    }
  }
  closedir(dir);
  return found;
}

// Aborts the connection with a TCP reset. The socket is closed by putting an
// unconnected one in its place, so the descriptor httplib closes later is
// still ours and cannot be a newer connection's.
void ResetConnection(const httplib::Request& req) {
  int fd = FindClientSocket(req.local_port, req.remote_addr, req.remote_port);
  if (fd < 0) return;
  linger l{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  int placeholder = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (placeholder < 0) return;
  dup2(placeholder, fd);
  close(placeholder);
}

// Drops the connection without an answer: whatever httplib writes afterwards
// fails.
void DropConnection(const httplib::Request& req) {
  int fd = FindClientSocket(req.local_port, req.remote_addr, req.remote_port);
  if (fd < 0) return;
  linger l{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  shutdown(fd, SHUT_RDWR);
}

// GBK text for the Huge fault: whole characters only, with every double-byte
// pair starting at an even offset, so that a cut at an odd length can end on
// an ASCII byte instead of a lone lead byte.
const std::string& HugePattern() {
  static const std::string pattern = ToGbk("统计数据Lumaro访客记录0123456789\r\n");
  return pattern;
}

char HugeByte(size_t offset, size_t total) {
  const std::string& p = HugePattern();
  if (offset + 1 == total && total % 2 == 1) return '.';
  return p[offset % p.size()];
}

// The GBK body cut just after the lead byte of its last double-byte
// character; an ASCII-only body gets a Chinese word cut that way instead.
std::string CutInsideCharacter(std::string bytes) {
  size_t lastLead = std::string::npos;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) {
      lastLead = i;
      ++i;  // its trail byte
    }
  }
  if (lastLead != std::string::npos && lastLead + 1 < bytes.size()) {
    bytes.resize(lastLead + 1);
    return bytes;
  }
  std::string word = ToGbk("数据");
  word.pop_back();
  return bytes + word;
}

// Removes the name and id attributes of the form fields (input, select,
// textarea) whose name or id is in `fields` (comma-separated, letter case
// ignored; every field's when `fields` is empty), and the labels' references
// to them. Attribute values are quoted, as on every page of the service.
std::string WithoutFieldNames(const std::string& html, const std::string& fields) {
  std::vector<std::string> wanted;
  for (size_t start = 0; start <= fields.size();) {
    size_t comma = fields.find(',', start);
    if (comma == std::string::npos) comma = fields.size();
    std::string name = fields.substr(start, comma - start);
    if (!name.empty()) wanted.push_back(LowerAscii(name));
    start = comma + 1;
  }
  auto chosen = [&](const std::string& value) {
    return wanted.empty() ||
           std::find(wanted.begin(), wanted.end(), LowerAscii(value)) != wanted.end();
  };
  // Value of attribute `attr` (" name=") inside a tag, with its extent.
  struct Attr {
    size_t begin = std::string::npos, end = 0;
    std::string value;
  };
  auto find = [](const std::string& tag, const char* attr) {
    Attr a;
    std::string lower = LowerAscii(tag);
    size_t at = lower.find(attr);
    if (at == std::string::npos) return a;
    size_t quote = at + std::strlen(attr);
    if (quote >= tag.size() || (tag[quote] != '"' && tag[quote] != '\'')) return a;
    size_t close = tag.find(tag[quote], quote + 1);
    if (close == std::string::npos) return a;
    a.begin = at;
    a.end = close + 1;
    a.value = tag.substr(quote + 1, close - quote - 1);
    return a;
  };

  std::string out;
  size_t pos = 0;
  while (pos < html.size()) {
    size_t open = html.find('<', pos);
    if (open == std::string::npos) break;
    size_t close = html.find('>', open);
    if (close == std::string::npos) break;
    std::string tag = html.substr(open, close + 1 - open);
    std::string lower = LowerAscii(tag);
    bool field = false;
    for (const char* kind : {"<input", "<select", "<textarea"}) {
      size_t n = std::strlen(kind);
      if (lower.compare(0, n, kind) == 0 && (lower[n] == ' ' || lower[n] == '>')) field = true;
    }
    if (field) {
      Attr name = find(tag, " name=");
      Attr id = find(tag, " id=");
      if ((name.begin != std::string::npos && chosen(name.value)) ||
          (id.begin != std::string::npos && chosen(id.value))) {
        // The later attribute first, so that the earlier one's place holds.
        Attr* parts[] = {&name, &id};
        if (id.begin != std::string::npos &&
            (name.begin == std::string::npos || id.begin > name.begin))
          std::swap(parts[0], parts[1]);
        for (Attr* a : parts)
          if (a->begin != std::string::npos) tag.erase(a->begin, a->end - a->begin);
      }
    } else if (lower.compare(0, 7, "<label ") == 0) {
      // A caption that named a field by its id names nothing now.
      Attr target = find(tag, " for=");
      if (target.begin != std::string::npos && chosen(target.value))
        tag.erase(target.begin, target.end - target.begin);
    }
    out.append(html, pos, open - pos);
    out += tag;
    pos = close + 1;
  }
  out.append(html, pos, std::string::npos);
  return out;
}

std::string ErrorPage(int status) {
  return ToGbk(
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
      "<title>HTTP " + std::to_string(status) + "</title></head><body><h3>HTTP " +
      std::to_string(status) + " 服务器错误</h3><p>无法显示该网页，请稍后再试。</p></body></html>");
}

std::string SessionFromCookies(const std::string& cookieHeader) {
  std::string key = std::string(kSessionCookie) + "=";
  size_t start = 0;
  while (start < cookieHeader.size()) {
    size_t end = cookieHeader.find(';', start);
    if (end == std::string::npos) end = cookieHeader.size();
    std::string item = cookieHeader.substr(start, end - start);
    size_t first = item.find_first_not_of(' ');
    if (first != std::string::npos) item = item.substr(first);
    if (item.rfind(key, 0) == 0)
      return RequestTextToUtf8(PercentDecode(item.substr(key.size()), false));
    start = end + 1;
  }
  return "";
}

// The page the marker script reports to; its requests are kept apart from
// the pages' own.
constexpr const char* kMarkerPage = "__marker";

// Reports the page's load, its showing (after its load, and again when the
// browser's history brings it back from its cache without loading it),
// clicks on links and the page's own marks to /__marker. A beacon outlives the page that sends it (a followed link does
// not cancel it); where there is none, an image request does the same.
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

// An HTML page with the marker script before its closing body tag; other
// bodies (the plain "ok" of an answer page) as they are.
std::string WithMarkerScript(const std::string& body) {
  size_t at = LowerAscii(body).rfind("</body>");
  if (at == std::string::npos) return body;
  return body.substr(0, at) + kMarkerScript + body.substr(at);
}

std::string FindParam(const std::multimap<std::string, std::string>& params, const char* name) {
  for (const auto& [key, value] : params)
    if (EqualsNoCase(key, name)) return value;
  return "";
}

}  // namespace

// ---------------------------------------------------------------------------

struct StandInService::Impl {
  int requestedPort;
  std::string host;
  std::atomic<int> port{0};
  std::string defaultChatHost{kChatLinkHost};

  std::unique_ptr<httplib::Server> server;
  std::thread thread;

  mutable std::mutex mu;
  mutable std::condition_variable cv;  // requests recorded, faults changed, stop
  ServiceState state;
  std::vector<RecordedRequest> requests;
  std::map<std::string, Fault> faults;  // key: lower-case page name or "*"
  unsigned faultGeneration = 0;
  std::vector<std::string> answered;  // "path?query" of each answer sent, lower case
  bool markersOn = false;
  std::vector<PageMarker> markers;
  std::map<std::string, std::string> servedInstead;  // key: lower-case page name
  bool stopping = false;
  bool control = false;

  Impl(int p, std::string h) : requestedPort(p), host(std::move(h)) {
    state.Seed(kDefaultVersion, kDefaultOemRecord, defaultChatHost);
  }

  std::string BaseUrl() const {
    std::string h = host == "0.0.0.0" || host.empty() ? "127.0.0.1" : host;
    return "http://" + h + ":" + std::to_string(port.load()) + "/";
  }

  // Caller holds mu. Returns the fault for the page and uses up one of its
  // times.
  Fault TakeFault(const std::string& page) {
    for (const std::string& key : {page, std::string("*")}) {
      auto it = faults.find(key);
      if (it == faults.end()) continue;
      Fault f = it->second;
      if (it->second.times > 0 && --it->second.times == 0) faults.erase(it);
      return f;
    }
    return {};
  }

  void Handle(const httplib::Request& req, httplib::Response& res);
  void HandleControl(const std::string& page, const std::multimap<std::string, std::string>& params,
                     httplib::Response& res);
  void Answer(const httplib::Request& req, const std::string& page, const PageRequest& pr,
              const Fault& fault, httplib::Response& res);
};

void StandInService::Impl::Handle(const httplib::Request& req, httplib::Response& res) {
  std::string target = req.target.empty() ? req.path : req.target;
  size_t qmark = target.find('?');
  RecordedRequest rec;
  rec.method = req.method;
  rec.path = target.substr(0, qmark);
  rec.query = qmark == std::string::npos ? "" : target.substr(qmark + 1);
  rec.body = req.body;
  ParseParams(rec.query, false, rec.params);
  if (req.get_header_value("Content-Type").find("application/x-www-form-urlencoded") !=
      std::string::npos)
    ParseParams(rec.body, true, rec.params);

  PageRequest pr;
  pr.method = rec.method;
  pr.path = RequestTextToUtf8(PercentDecode(rec.path, false));
  if (!pr.path.empty() && pr.path[0] == '/') pr.path.erase(0, 1);
  pr.page = LowerAscii(pr.path);
  pr.query = rec.query;
  pr.params = rec.params;
  pr.sessionUser = SessionFromCookies(req.get_header_value("Cookie"));
  pr.baseUrl = BaseUrl();

  res.set_header("Cache-Control", "no-cache");
  res.set_header("Server", "Microsoft-IIS/6.0");

  Fault fault;
  unsigned generation = 0;  // of the faults when this request was judged
  {
    std::lock_guard<std::mutex> lock(mu);
    if (control && pr.page.rfind("__control/", 0) == 0) {
      // Handled below, outside the lock: the control calls take it themselves.
    } else if (pr.page == kMarkerPage) {
      // Kept apart from the pages' requests, below.
    } else {
      // A long-running demo service keeps the newest requests only.
      if (requests.size() >= kMaxRecorded)
        requests.erase(requests.begin(), requests.begin() + kMaxRecorded / 4);
      requests.push_back(rec);
      fault = TakeFault(pr.page);
      generation = faultGeneration;
      cv.notify_all();
    }
  }
  if (control && pr.page.rfind("__control/", 0) == 0) {
    HandleControl(pr.page.substr(10), rec.params, res);
    return;
  }
  if (pr.page == kMarkerPage) {
    std::lock_guard<std::mutex> lock(mu);
    markers.push_back({FindParam(rec.params, "event"), FindParam(rec.params, "detail")});
    cv.notify_all();
    res.status = 204;
    return;
  }

  if (fault.kind == Fault::Silence) {
    std::unique_lock<std::mutex> lock(mu);
    cv.wait(lock, [&] { return stopping || faultGeneration != generation; });
    if (stopping) {
      lock.unlock();
      DropConnection(req);
      return;
    }
    fault = {};  // the fault was lifted: answer as usual
  }
  Answer(req, pr.page, pr, fault, res);
}

void StandInService::Impl::Answer(const httplib::Request& req, const std::string& page,
                                  const PageRequest& pr, const Fault& fault,
                                  httplib::Response& res) {
  switch (fault.kind) {
    case Fault::Status:
      res.status = fault.status;
      res.set_content(ErrorPage(fault.status), kHtmlType);
      return;
    case Fault::EmptyBody:
      res.status = 200;
      res.set_content("", kHtmlType);
      return;
    case Fault::Attachment:
      res.set_header("Content-Disposition", AttachmentHeader(fault.fields));
      if (fault.bytes == 0) break;  // the page's own body, as a download
      [[fallthrough]];
    case Fault::Huge: {
      size_t total = fault.bytes ? fault.bytes : kDefaultHugeBytes;
      const char* type = fault.kind == Fault::Attachment ? kDownloadType : kHtmlType;
      res.status = 200;
      // The generation of the faults when the answer began: a pause halfway
      // lasts until they change.
      unsigned generation;
      {
        std::lock_guard<std::mutex> lock(mu);
        generation = faultGeneration;
      }
      const size_t pauseAt = fault.pauseHalfway ? total / 2 : total;
      res.set_content_provider(
          total, type,
          [this, total, pauseAt, generation](size_t offset, size_t length, httplib::DataSink& sink) {
            if (offset == pauseAt) {
              std::unique_lock<std::mutex> lock(mu);
              cv.wait(lock, [&] { return stopping || faultGeneration != generation; });
              if (stopping) return false;
            }
            size_t n = std::min<size_t>(length, 64 * 1024);
            if (offset < pauseAt) n = std::min(n, pauseAt - offset);
            std::string chunk(n, '\0');
            for (size_t i = 0; i < n; ++i) chunk[i] = HugeByte(offset + i, total);
            sink.write(chunk.data(), n);
            return true;
          });
      return;
    }
    default:
      break;
  }

  PageReply reply;
  bool known;
  bool markersWanted;
  {
    std::lock_guard<std::mutex> lock(mu);
    known = ServePage(state, pr, reply);
    markersWanted = markersOn;
    auto instead = servedInstead.find(page);
    if (instead != servedInstead.end()) {
      if (!known || reply.binary) reply = PageReply{};
      known = true;
      reply.body = instead->second;
    }
  }
  if (!known) {
    reply.status = 404;
    reply.contentType = kHtmlType;
    reply.binary = false;
    reply.body =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
        "<title>无法找到该页</title></head><body><h3>无法找到该页</h3><p>您要查看的页面 " +
        HtmlEscape(page) + " 不存在。</p></body></html>";
  }
  if (fault.kind == Fault::MissingFields && !reply.binary)
    reply.body = WithoutFieldNames(reply.body, fault.fields);
  if (markersWanted && !reply.binary && fault.kind != Fault::Attachment) reply.body = WithMarkerScript(reply.body);
  std::string bytes = reply.binary ? reply.body : ToGbk(reply.body);
  res.status = reply.status;
  for (const auto& [name, value] : reply.headers) res.set_header(name.c_str(), value);

  switch (fault.kind) {
    case Fault::LoneLeadByte:
      bytes.push_back('\xC4');
      res.set_content(bytes, reply.contentType.c_str());
      return;
    case Fault::CutCharacter:
      res.set_content(CutInsideCharacter(std::move(bytes)), reply.contentType.c_str());
      return;
    case Fault::Truncated: {
      size_t declared = bytes.size() + (fault.bytes ? fault.bytes : 64);
      res.set_content_provider(
          declared, reply.contentType,
          [bytes](size_t offset, size_t, httplib::DataSink& sink) {
            if (offset >= bytes.size()) return false;  // nothing more: close
            sink.write(bytes.data() + offset, bytes.size() - offset);
            return true;
          });
      return;
    }
    case Fault::Reset: {
      httplib::Request conn;  // only the addresses are needed later
      conn.local_port = req.local_port;
      conn.remote_addr = req.remote_addr;
      conn.remote_port = req.remote_port;
      res.set_content_provider(
          bytes.size(), reply.contentType,
          [bytes, conn](size_t offset, size_t, httplib::DataSink& sink) {
            size_t half = bytes.size() / 2;
            if (offset < half) {
              sink.write(bytes.data() + offset, half - offset);
              return true;
            }
            // Let the first half leave, then reset instead of closing.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ResetConnection(conn);
            return false;
          });
      return;
    }
    case Fault::Attachment:
      res.set_content(bytes, kDownloadType);
      return;
    default:
      res.set_content(bytes, reply.contentType.c_str());
      return;
  }
}

void StandInService::Impl::HandleControl(const std::string& command,
                                         const std::multimap<std::string, std::string>& params,
                                         httplib::Response& res) {
  auto param = [&](const char* name) {
    for (const auto& [k, v] : params)
      if (EqualsNoCase(k, name)) return v;
    return std::string();
  };
  const char* kText = "text/plain; charset=utf-8";
  std::unique_lock<std::mutex> lock(mu);
  if (command == "version") {
    state.version = param("v");
  } else if (command == "oem") {
    state.oemRecord = param("r");
  } else if (command == "chathost") {
    state.chatHost = param("host");
  } else if (command == "account") {
    if (param("user").empty()) {
      res.status = 400;
      res.set_content("user missing\n", kText);
      return;
    }
    state.AddAccount(param("user"), param("pwd"));
  } else if (command == "fault") {
    Fault f;
    std::string page = LowerAscii(param("page"));
    if (page.empty() || !ParseFaultKind(param("kind"), &f.kind)) {
      res.status = 400;
      res.set_content("usage: fault?page=NAME&kind=status|empty|leadbyte|silence|truncated|huge|"
                      "reset|cutchar|nofields|attachment|none[&status=N][&bytes=N][&times=N][&fields=a,b]\n",
                      kText);
      return;
    }
    if (!param("status").empty()) f.status = std::atoi(param("status").c_str());
    if (!param("bytes").empty()) f.bytes = std::strtoull(param("bytes").c_str(), nullptr, 10);
    if (!param("times").empty()) f.times = std::atoi(param("times").c_str());
    f.fields = param("fields");
    if (f.kind == Fault::None)
      faults.erase(page);
    else
      faults[page] = f;
    ++faultGeneration;
    cv.notify_all();
  } else if (command == "clear") {
    faults.clear();
    ++faultGeneration;
    requests.clear();
    cv.notify_all();
  } else if (command == "reset") {
    state.Seed(kDefaultVersion, kDefaultOemRecord, defaultChatHost);
    faults.clear();
    ++faultGeneration;
    requests.clear();
    markers.clear();
    servedInstead.clear();
    cv.notify_all();
  } else if (command == "requests") {
    std::string out;
    for (const RecordedRequest& r : requests) {
      out += r.Line();
      if (!r.body.empty()) out += "  body: " + r.body;
      out += "\n";
    }
    res.set_content(out, kText);
    return;
  } else {
    res.status = 404;
    res.set_content("unknown control command: " + command +
                        "\ncommands: version?v= oem?r= chathost?host= account?user=&pwd= "
                        "fault?page=&kind= clear reset requests\n",
                    kText);
    return;
  }
  res.set_content("ok\n", kText);
}

// ---------------------------------------------------------------------------

StandInService::StandInService(int port, std::string host)
    : impl_(std::make_unique<Impl>(port, std::move(host))) {}

StandInService::~StandInService() { Stop(); }

bool StandInService::Start() {
  if (impl_->server) return true;
  // A client that hangs up early must not take the process down.
  signal(SIGPIPE, SIG_IGN);
  auto server = std::make_unique<httplib::Server>();
  // Headers and body go out in separate writes; without this a kept-alive
  // connection waits for the client's delayed acknowledgement (~40 ms).
  server->set_tcp_nodelay(true);
  // Silenced pages hold a worker each; keep plenty.
  server->new_task_queue = [] { return new httplib::ThreadPool(48); };
  // One request per connection and short waits, so that Stop() never waits
  // long for an idle connection.
  server->set_keep_alive_max_count(1);
  server->set_keep_alive_timeout(1);
  server->set_read_timeout(2, 0);
  // SO_REUSEADDR only: httplib's default also sets SO_REUSEPORT, which would
  // let a second service share the port silently.
  server->set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  Impl* impl = impl_.get();
  auto handler = [impl](const httplib::Request& req, httplib::Response& res) {
    impl->Handle(req, res);
  };
  // Called once an answer has been written out.
  server->set_logger([impl](const httplib::Request& req, const httplib::Response&) {
    std::string target = LowerAscii(req.target.empty() ? req.path : req.target);
    // The markers and the control requests are not the pages' answers.
    if (target.rfind("/__marker", 0) == 0 || target.rfind("/__control/", 0) == 0) return;
    std::lock_guard<std::mutex> lock(impl->mu);
    if (impl->answered.size() >= kMaxRecorded)
      impl->answered.erase(impl->answered.begin(), impl->answered.begin() + kMaxRecorded / 4);
    impl->answered.push_back(target);
    impl->cv.notify_all();
  });
  server->Get(".*", handler);
  server->Post(".*", handler);
  server->Put(".*", handler);
  server->Delete(".*", handler);

  int port;
  if (impl_->requestedPort == 0) {
    port = server->bind_to_any_port(impl_->host);
    if (port <= 0) return false;
  } else {
    if (!server->bind_to_port(impl_->host, impl_->requestedPort)) return false;
    port = impl_->requestedPort;
  }
  impl_->port = port;
  {
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->stopping = false;
  }
  httplib::Server* raw = server.get();
  impl_->server = std::move(server);
  impl_->thread = std::thread([raw] { raw->listen_after_bind(); });
  for (int i = 0; i < 5000 && !raw->is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return raw->is_running();
}

void StandInService::Stop() {
  if (!impl_->server) return;
  {
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->stopping = true;
  }
  impl_->cv.notify_all();
  impl_->server->stop();
  if (impl_->thread.joinable()) impl_->thread.join();
  impl_->server.reset();
}

bool StandInService::Running() const { return impl_->server && impl_->server->is_running(); }

int StandInService::Port() const {
  return impl_->port ? impl_->port.load() : impl_->requestedPort;
}

std::string StandInService::BaseUrl() const { return impl_->BaseUrl(); }

std::vector<RecordedRequest> StandInService::Requests() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->requests;
}

void StandInService::ClearRequests() {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->requests.clear();
  impl_->answered.clear();
}

namespace {
bool Matches(const RecordedRequest& r, const std::string& lowerNeedle) {
  return LowerAscii(r.path + "?" + r.query).find(lowerNeedle) != std::string::npos;
}
}  // namespace

size_t StandInService::CountRequests(const std::string& pathSubstring) const {
  std::string needle = LowerAscii(pathSubstring);
  std::lock_guard<std::mutex> lock(impl_->mu);
  return std::count_if(impl_->requests.begin(), impl_->requests.end(),
                       [&](const RecordedRequest& r) { return Matches(r, needle); });
}

bool StandInService::WaitForRequest(std::string pathSubstring, double seconds) const {
  std::string needle = LowerAscii(pathSubstring);
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                      std::chrono::duration<double>(std::max(0.0, seconds)));
  std::unique_lock<std::mutex> lock(impl_->mu);
  return impl_->cv.wait_until(lock, deadline, [&] {
    return std::any_of(impl_->requests.begin(), impl_->requests.end(),
                       [&](const RecordedRequest& r) { return Matches(r, needle); });
  });
}

void StandInService::SetVersion(std::string versionText) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->state.version = std::move(versionText);
}

std::string StandInService::Version() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->state.version;
}

void StandInService::SetOemRecord(std::string record) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->state.oemRecord = std::move(record);
}

std::string StandInService::OemRecord() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->state.oemRecord;
}

void StandInService::SetChatHost(std::string host) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->state.chatHost = std::move(host);
}

void StandInService::SetFault(std::string pageName, Fault fault) {
  {
    std::lock_guard<std::mutex> lock(impl_->mu);
    std::string key = LowerAscii(pageName);
    if (!key.empty() && key[0] == '/') key.erase(0, 1);
    if (fault.kind == Fault::None)
      impl_->faults.erase(key);
    else
      impl_->faults[key] = fault;
    ++impl_->faultGeneration;
  }
  impl_->cv.notify_all();
}

void StandInService::ClearFaults() {
  {
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->faults.clear();
    ++impl_->faultGeneration;
  }
  impl_->cv.notify_all();
}

void StandInService::AddAccount(std::string user, std::string password) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->state.AddAccount(user, password);
}

bool StandInService::HasAccount(const std::string& user) const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->state.FindAccount(user) != nullptr;
}

std::string StandInService::PasswordOf(const std::string& user) const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  Account* a = impl_->state.FindAccount(user);
  return a ? a->password : "";
}

bool StandInService::Counted(const std::string& siteId) const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->state.counted.count(siteId) > 0;
}

size_t StandInService::CountAnswered(const std::string& pathSubstring) const {
  const std::string needle = LowerAscii(pathSubstring);
  std::lock_guard<std::mutex> lock(impl_->mu);
  return std::count_if(impl_->answered.begin(), impl_->answered.end(),
                       [&](const std::string& t) { return t.find(needle) != std::string::npos; });
}

bool StandInService::WaitForAnswered(const std::string& pathSubstring, size_t count,
                                     double seconds) const {
  const std::string needle = LowerAscii(pathSubstring);
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                      std::chrono::duration<double>(std::max(0.0, seconds)));
  std::unique_lock<std::mutex> lock(impl_->mu);
  return impl_->cv.wait_until(lock, deadline, [&] {
    return size_t(std::count_if(impl_->answered.begin(), impl_->answered.end(), [&](const std::string& t) {
             return t.find(needle) != std::string::npos;
           })) >= count;
  });
}

void StandInService::EnablePageMarkers(bool on) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->markersOn = on;
}

std::vector<PageMarker> StandInService::Markers() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->markers;
}

namespace {
size_t CountMarkersLocked(const std::vector<PageMarker>& markers, const std::string& event,
                          const std::string& lowerPart) {
  return std::count_if(markers.begin(), markers.end(), [&](const PageMarker& m) {
    return m.event == event && LowerAscii(m.detail).find(lowerPart) != std::string::npos;
  });
}
}  // namespace

size_t StandInService::CountMarkers(const std::string& event, const std::string& detailPart) const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return CountMarkersLocked(impl_->markers, event, LowerAscii(detailPart));
}

bool StandInService::WaitForMarkers(const std::string& event, const std::string& detailPart,
                                    size_t count, double seconds) const {
  const std::string part = LowerAscii(detailPart);
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                      std::chrono::duration<double>(std::max(0.0, seconds)));
  std::unique_lock<std::mutex> lock(impl_->mu);
  return impl_->cv.wait_until(lock, deadline, [&] {
    return CountMarkersLocked(impl_->markers, event, part) >= count;
  });
}

void StandInService::ServeInstead(std::string pageName, std::string html) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  std::string key = LowerAscii(pageName);
  if (!key.empty() && key[0] == '/') key.erase(0, 1);
  impl_->servedInstead[key] = std::move(html);
}

void StandInService::ClearServedInstead() {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->servedInstead.clear();
}

void StandInService::Reset() {
  {
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->state.Seed(kDefaultVersion, kDefaultOemRecord, impl_->defaultChatHost);
    impl_->faults.clear();
    ++impl_->faultGeneration;
    impl_->requests.clear();
    impl_->answered.clear();
    impl_->markers.clear();
    impl_->servedInstead.clear();
  }
  impl_->cv.notify_all();
}

void StandInService::EnableControlEndpoints(bool on) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->control = on;
}

}  // namespace lumaro::service
