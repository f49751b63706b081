// Common set-up of the end-to-end tests: a fresh stand-in service on the
// client's built-in address, a client in a folder of its own, and a
// screenshot of the screen when a test fails.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

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
    ASSERT_TRUE(service_->Start()) << "the stand-in service could not listen on " << ServicePort();
  }
  void TearDown() override {
    if (HasFailure()) {
      auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      Screenshot(std::string(info->test_suite_name()) + "." + info->name());
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

  lumaro::service::StandInService& Service() { return *service_; }

 private:
  std::unique_ptr<lumaro::service::StandInService> service_;
  std::vector<std::unique_ptr<ClientProcess>> clients_;
};

}  // namespace e2e
