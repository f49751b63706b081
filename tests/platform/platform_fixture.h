// Shared set-up of the platform tests: GTK on the test display, the real
// services, a small local web server with GBK pages, and waits that keep
// the main loop running.
#pragma once

#include <glib.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <mutex>
#include <thread>
#include <vector>

#include "core/desktop.h"

namespace lumaro::platform_test {

// Opens the display once and installs the real services. False without a
// display.
bool EnsureGtk();

#define REQUIRE_DISPLAY()                \
  do {                                   \
    if (!::lumaro::platform_test::EnsureGtk()) \
      GTEST_SKIP() << "needs a display (run under xvfb-run)"; \
  } while (0)

// Runs the main loop until `done` holds or `seconds` pass; returns `done()`.
bool RunUntil(const std::function<bool()>& done, double seconds);
// Runs the main loop for a while.
void RunFor(double seconds);

// UTF-8 text in GBK, for the pages and bodies the service sends.
std::string Gbk(const std::string& utf8);

// An HTTP server on a free loopback port, serving from its own thread.
class LocalServer {
 public:
  LocalServer();
  ~LocalServer();
  httplib::Server& server() { return server_; }
  int port() const { return port_; }
  std::string Url(const std::string& path) const;
  // Serves `utf8Html` as a GBK page at `path`.
  void Page(const std::string& path, const std::string& utf8Html);
  // Requests received so far whose path contains `part`.
  int Hits(const std::string& part);
  void Start();

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> paths_;
};

// A free TCP port on the loopback interface with nothing listening on it.
int ClosedPort();

}  // namespace lumaro::platform_test
