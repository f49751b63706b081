// Common set-up of the end-to-end tests: a fresh stand-in service on the
// client's built-in address (with its page markers on, so that a page's
// load is seen without looking at the screen), clients in folders of their
// own, and, when a test fails, a screenshot of the screen, the requests the
// stand-in received and what each client wrote to its standard error.
// Whatever the outcome, a client that crashed or whose sanitizers reported
// an error fails the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "build_config.h"
#include "e2e/desktop_driver.h"
#include "stand_in.h"

namespace e2e {

// Port of the client's built-in service address ("http://127.0.0.1:18080/"):
// the stand-in listens there.
inline int ServicePort() {
  std::string_view base = lumaro::kServiceBase;
  size_t host = base.find("//");
  size_t colon = base.find(':', host == std::string_view::npos ? 0 : host + 2);
  return colon == std::string_view::npos ? 80 : std::atoi(std::string(base.substr(colon + 1)).c_str());
}

// "127.0.0.1:<port>": the stand-in's host as written in addresses.
inline std::string ServiceHost() { return "127.0.0.1:" + std::to_string(ServicePort()); }

inline constexpr const char* kLoginTitle = "^登录V6\\.0$";
inline constexpr const char* kConsoleTitle = "^LumaroV6\\.0$";
inline constexpr const char* kNoticeTitle = "^Lumaro提醒您$";

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LANG", "C.UTF-8", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    service_ = std::make_unique<lumaro::service::StandInService>(ServicePort());
    service_->EnablePageMarkers(true);
    ASSERT_TRUE(service_->Start()) << "the stand-in service could not listen on " << ServicePort();
  }
  void TearDown() override {
    auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string shot = std::string(info->test_suite_name()) + "." + info->name();
    // The screen as the failure left it, while the clients still run.
    const bool failedBefore = HasFailure();
    if (failedBefore) Screenshot(shot);
    // Then every client is ended: a sanitizer's report of a program that was
    // still running can only be complete after that.
    for (auto& client : clients_) client->Kill();
    for (size_t i = 0; i < clients_.size(); ++i) {
      const ClientProcess& client = *clients_[i];
      if (client.CrashSignal() != 0)
        ADD_FAILURE() << "client " << i + 1 << " crashed (signal " << client.CrashSignal() << ")";
      const std::string report = SanitizerReport(client.Output());
      if (!report.empty()) ADD_FAILURE() << "client " << i + 1 << ": sanitizer report:\n" << report;
    }
    if (HasFailure()) {
      if (!failedBefore) Screenshot(shot);
      PrintWhatHappened();
    }
    clients_.clear();
    if (service_) service_->Stop();
  }

  ClientProcess& NewClient(const std::string& exeName = "lumaro") {
    clients_.push_back(std::make_unique<ClientProcess>(exeName));
    return *clients_.back();
  }

  // Requests the service received whose path contains `page`
  // (case-insensitive).
  size_t CountRequests(const std::string& page) const { return service_->CountRequests(page); }

  // Pages whose address contains `page` (case-insensitive) that have
  // finished loading in some browser of the client.
  size_t CountLoads(const std::string& page) const { return service_->CountMarkers("load", page); }
  // Waits until `count` of them have.
  bool WaitForLoads(const std::string& page, size_t count, double seconds = 10) const {
    return service_->WaitForMarkers("load", page, count, seconds);
  }

  lumaro::service::StandInService& Service() { return *service_; }

 private:
  void PrintWhatHappened() const {
    std::string log = "requests the stand-in received, oldest first:\n";
    if (service_) {
      for (const auto& r : service_->Requests()) {
        log += "  " + r.Line();
        if (!r.body.empty()) log += "  body: " + r.body.substr(0, 300);
        log += "\n";
      }
      log += "page markers:\n";
      for (const auto& m : service_->Markers()) log += "  " + m.event + " " + m.detail + "\n";
    }
    for (size_t i = 0; i < clients_.size(); ++i) {
      std::string out = clients_[i]->Output();
      if (out.size() > 20000) out = "[...]\n" + out.substr(out.size() - 20000);
      log += "standard error of client " + std::to_string(i + 1) + ":\n" + out + "\n";
    }
    std::cout << log << std::flush;
  }

  std::unique_ptr<lumaro::service::StandInService> service_;
  std::vector<std::unique_ptr<ClientProcess>> clients_;
};

}  // namespace e2e
