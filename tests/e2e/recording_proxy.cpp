#include "e2e/recording_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace e2e {
namespace {

constexpr size_t kMaxHead = 64 * 1024;

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

// Waits up to five seconds for `fd` to be readable; false on time-out.
bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 5000) > 0;
}

int ConnectTo(const std::string& host, int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(uint16_t(port));
  if (inet_pton(AF_INET, host == "localhost" ? "127.0.0.1" : host.c_str(), &to.sin_addr) != 1 ||
      connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

std::string LowerCase(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

}  // namespace

RecordingProxy::RecordingProxy() {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof at;
  if (listener_ >= 0 && bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
      listen(listener_, 64) == 0 &&
      getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &len) == 0)
    port_ = ntohs(at.sin_port);
  acceptor_ = std::thread([this] { Accept(); });
}

RecordingProxy::~RecordingProxy() {
  stopping_ = true;
  if (listener_ >= 0) shutdown(listener_, SHUT_RDWR);
  acceptor_.join();
  if (listener_ >= 0) close(listener_);
  std::vector<std::thread> connections;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    connections.swap(connections_);
  }
  for (auto& t : connections) t.join();
}

std::string RecordingProxy::Address() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::vector<std::string> RecordingProxy::Seen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

bool RecordingProxy::WaitForSeen(const std::string& part, double seconds) const {
  std::unique_lock<std::mutex> lock(mutex_);
  const std::string wanted = LowerCase(part);
  return seenChanged_.wait_for(lock, std::chrono::duration<double>(seconds), [&] {
    for (const auto& s : seen_)
      if (LowerCase(s).find(wanted) != std::string::npos) return true;
    return false;
  });
}

void RecordingProxy::Record(const std::string& address) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    seen_.push_back(address);
  }
  seenChanged_.notify_all();
}

void RecordingProxy::Accept() {
  while (!stopping_) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, 200) <= 0) continue;
    int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    connections_.emplace_back([this, client] { Serve(client); });
  }
}

// One request a connection: the head is read, its absolute address kept and
// turned into a path, the request sent on with "Connection: close", and the
// answer passed back until the server closes.
void RecordingProxy::Serve(int client) {
  std::string head;
  char buf[16384];
  size_t end = std::string::npos;
  while (end == std::string::npos && head.size() < kMaxHead && !stopping_) {
    if (!Readable(client)) break;
    ssize_t n = recv(client, buf, sizeof buf, 0);
    if (n <= 0) break;
    head.append(buf, size_t(n));
    end = head.find("\r\n\r\n");
  }
  if (end == std::string::npos) {
    close(client);
    return;
  }
  std::string rest = head.substr(end + 4);
  head.resize(end + 2);
  const size_t lineEnd = head.find("\r\n");
  const std::string line = head.substr(0, lineEnd);
  const size_t sp1 = line.find(' '), sp2 = line.rfind(' ');
  const std::string method = line.substr(0, sp1);
  const std::string target = sp1 == sp2 ? "" : line.substr(sp1 + 1, sp2 - sp1 - 1);
  Record(target);
  // http://host[:port]/path
  std::string host, path = "/";
  int port = 80;
  if (target.rfind("http://", 0) == 0) {
    const size_t slash = target.find('/', 7);
    const std::string authority = target.substr(7, slash == std::string::npos ? slash : slash - 7);
    if (slash != std::string::npos) path = target.substr(slash);
    const size_t colon = authority.rfind(':');
    host = authority.substr(0, colon);
    if (colon != std::string::npos) port = std::atoi(authority.c_str() + colon + 1);
  }
  int server = host.empty() ? -1 : ConnectTo(host, port);
  if (server < 0) {
    const char* refused = "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    SendAll(client, refused, std::strlen(refused));
    close(client);
    return;
  }
  std::string out = method + " " + path + " HTTP/1.1\r\n";
  size_t at = lineEnd + 2;
  while (at < head.size()) {
    size_t next = head.find("\r\n", at);
    const std::string header = head.substr(at, next - at);
    const std::string name = LowerCase(header.substr(0, header.find(':')));
    if (name != "connection" && name != "proxy-connection" && name != "keep-alive")
      out += header + "\r\n";
    at = next + 2;
  }
  out += "Connection: close\r\n\r\n";
  bool ok = SendAll(server, out.data(), out.size()) && SendAll(server, rest.data(), rest.size());
  // A body the head announced and that has not all come yet is passed on
  // too; then the answer comes back until the server closes.
  pollfd both[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
  while (ok && !stopping_) {
    if (poll(both, 2, 5000) <= 0) break;
    if (both[1].revents) {
      ssize_t n = recv(server, buf, sizeof buf, 0);
      if (n <= 0 || !SendAll(client, buf, size_t(n))) break;
    }
    if (both[0].revents) {
      ssize_t n = recv(client, buf, sizeof buf, 0);
      if (n <= 0) break;
      if (!SendAll(server, buf, size_t(n))) break;
    }
  }
  close(server);
  close(client);
}

}  // namespace e2e
