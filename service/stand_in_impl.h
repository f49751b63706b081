// The stand-in service's inner state, shared by the files that make it up:
// stand_in.cpp (its life and what the tests ask of it), request_handling.cpp
// (answering a request) and control_endpoints.cpp (the /__control/ calls).
#pragma once

#include <httplib.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "build_config.h"
#include "pages.h"
#include "stand_in.h"

namespace lumaro::service {

// How many requests, and answers, are kept: past it the oldest quarter goes.
inline constexpr size_t kMaxRecorded = 20000;

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

}  // namespace lumaro::service
