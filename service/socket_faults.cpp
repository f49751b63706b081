// Connection-level tricks: httplib does not hand out the client socket, so it
// is found by its addresses when a connection must be reset or dropped. The
// scan may look at descriptors that other threads open and close meanwhile;
// only the match is acted on, and that one stays open because httplib is
// inside our handler or content provider for it.
#include "socket_faults.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace lumaro::service {

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

}  // namespace

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

void DropConnection(const httplib::Request& req) {
  int fd = FindClientSocket(req.local_port, req.remote_addr, req.remote_port);
  if (fd < 0) return;
  linger l{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  shutdown(fd, SHUT_RDWR);
}

}  // namespace lumaro::service
