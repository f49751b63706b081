// How the stand-in answers one request: it records it, takes the page's
// fault, serves the page (or the text served instead) with the test markers,
// and sends it in GBK as the fault has it; the markers' reports and the
// control calls are kept apart from the pages' requests.
#include "stand_in_impl.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "faults.h"
#include "gbk.h"
#include "page_markers.h"
#include "socket_faults.h"
#include "text_util.h"

namespace lumaro::service {

namespace {

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

}  // namespace

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
    markers.push_back({ParamOrEmpty(rec.params, "event"), ParamOrEmpty(rec.params, "detail")});
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

}  // namespace lumaro::service
