// The stand-in service's life (start and stop) and what the tests ask of it
// and tell it: the request log, the answers sent, the markers, the version,
// the OEM record, the faults, the pages served instead and the accounts.
#include "stand_in.h"

#include <signal.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>

#include "stand_in_impl.h"
#include "text_util.h"

namespace lumaro::service {

// ---------------------------------------------------------------------------
// Small public helpers

std::string RecordedRequest::Param(const std::string& name) const {
  return ParamOrEmpty(params, name);
}

bool RecordedRequest::HasParam(const std::string& name) const { return FindParam(params, name); }

std::string RecordedRequest::Line() const {
  return method + " " + path + (query.empty() ? "" : "?" + query);
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
