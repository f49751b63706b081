// An HTTP proxy on loopback for the tests: it passes every request on to the
// server it names and keeps the addresses asked for, so that a test can tell
// which of a program's requests went through a proxy.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

class RecordingProxy {
 public:
  // Listens on a free port of 127.0.0.1.
  RecordingProxy();
  ~RecordingProxy();
  RecordingProxy(const RecordingProxy&) = delete;
  RecordingProxy& operator=(const RecordingProxy&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:PORT", as http_proxy takes it.
  std::string Address() const;
  // The absolute addresses of the requests it received, oldest first.
  std::vector<std::string> Seen() const;
  // True as soon as an address containing `part` has been seen; false after
  // `seconds`.
  bool WaitForSeen(const std::string& part, double seconds) const;

 private:
  void Accept();
  void Serve(int client);
  void Record(const std::string& address);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  mutable std::mutex mutex_;
  mutable std::condition_variable seenChanged_;
  std::vector<std::string> seen_;
  std::vector<std::thread> connections_;
};

}  // namespace e2e
