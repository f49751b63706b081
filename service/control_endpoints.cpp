// The /__control/ endpoints for shell scripts and manual demos (see
// StandInService::EnableControlEndpoints): the version, the OEM record, the
// chat host, accounts, faults, clearing, resetting and the request log.
#include "stand_in_impl.h"

#include <cstdlib>

#include "text_util.h"

namespace lumaro::service {

void StandInService::Impl::HandleControl(const std::string& command,
                                         const std::multimap<std::string, std::string>& params,
                                         httplib::Response& res) {
  auto param = [&](const char* name) { return ParamOrEmpty(params, name); };
  const char* kText = "text/plain; charset=utf-8";
  std::unique_lock<std::mutex> lock(mu);
  if (command == "version") {
    state.version = param("v");
  } else if (command == "oem") {
    state.oemRecord = param("r");
  } else if (command == "chathost") {
    state.chatHost = param("host");
  } else if (command == "account") {
    if (param("user").empty()) {
      res.status = 400;
      res.set_content("user missing\n", kText);
      return;
    }
    state.AddAccount(param("user"), param("pwd"));
  } else if (command == "fault") {
    Fault f;
    std::string page = LowerAscii(param("page"));
    if (page.empty() || !ParseFaultKind(param("kind"), &f.kind)) {
      res.status = 400;
      res.set_content("usage: fault?page=NAME&kind=status|empty|leadbyte|silence|truncated|huge|"
                      "reset|cutchar|nofields|attachment|none[&status=N][&bytes=N][&times=N][&fields=a,b]\n",
                      kText);
      return;
    }
    if (!param("status").empty()) f.status = std::atoi(param("status").c_str());
    if (!param("bytes").empty()) f.bytes = std::strtoull(param("bytes").c_str(), nullptr, 10);
    if (!param("times").empty()) f.times = std::atoi(param("times").c_str());
    f.fields = param("fields");
    if (f.kind == Fault::None)
      faults.erase(page);
    else
      faults[page] = f;
    ++faultGeneration;
    cv.notify_all();
  } else if (command == "clear") {
    faults.clear();
    ++faultGeneration;
    requests.clear();
    cv.notify_all();
  } else if (command == "reset") {
    state.Seed(kDefaultVersion, kDefaultOemRecord, defaultChatHost);
    faults.clear();
    ++faultGeneration;
    requests.clear();
    markers.clear();
    servedInstead.clear();
    cv.notify_all();
  } else if (command == "requests") {
    std::string out;
    for (const RecordedRequest& r : requests) {
      out += r.Line();
      if (!r.body.empty()) out += "  body: " + r.body;
      out += "\n";
    }
    res.set_content(out, kText);
    return;
  } else {
    res.status = 404;
    res.set_content("unknown control command: " + command +
                        "\ncommands: version?v= oem?r= chathost?host= account?user=&pwd= "
                        "fault?page=&kind= clear reset requests\n",
                    kText);
    return;
  }
  res.set_content("ok\n", kText);
}

}  // namespace lumaro::service
