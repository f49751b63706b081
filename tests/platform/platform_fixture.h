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

// How long a wait for an event may last before the test counts it as
// missing. Only a test that fails reaches it.
constexpr double kWaitLimit = 10;

// Runs the main loop until `done` holds or `seconds` pass; returns `done()`.
bool RunUntil(const std::function<bool()>& done, double seconds = kWaitLimit);

// Runs the main loop until an idle callback of low priority (G_PRIORITY_LOW),
// queued now, has run: by then everything that was ready before it at a
// higher priority (events that had arrived, the toolkit's idle work and
// redraws, idle callbacks, timers that were due) has been handled. False
// when it did not run within `seconds`.
bool RunUntilIdle(double seconds = kWaitLimit);

// Runs the main loop until a timer of `intervalMs`, started now, has fired.
// A timer of the main loop whose next tick falls before that one's (any
// timer of a shorter interval that is still running) has ticked by then:
// the way to see that a timer does not tick. False when it did not fire
// within `seconds` beyond its interval.
bool RunUntilTimerFires(unsigned intervalMs, double seconds = kWaitLimit);

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
  // Requests answered so far (the answer has been written) whose path
  // contains `fragment`.
  int Hits(const std::string& fragment);
  // Requests that have arrived so far, answered or not, whose path contains
  // `fragment`.
  int Arrivals(const std::string& fragment);
  void Start();

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> paths_;
  std::vector<std::string> arrivals_;
};

// A free TCP port on the loopback interface with nothing listening on it.
int ClosedPort();

}  // namespace lumaro::platform_test
