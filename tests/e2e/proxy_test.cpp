// The desktop's proxy from the environment: with http_proxy set, every
// request of the program, its own fetches and its pages alike, goes through
// the proxy, loopback included; with no_proxy naming the service, none does.
#include <string>

#include "e2e/console_steps.h"
#include "e2e/recording_proxy.h"

namespace e2e {
namespace {

TEST_F(EndToEnd, ThePagesAndTheProgramsOwnRequestsTakeTheProxyFromTheEnvironment) {
  RecordingProxy proxy;
  ASSERT_NE(proxy.Port(), 0);
  ScopedEnv http("http_proxy", proxy.Address());
  ScopedEnv upper("HTTP_PROXY", std::nullopt);
  ScopedEnv all("all_proxy", std::nullopt);
  ScopedEnv gnome("XDG_CURRENT_DESKTOP", std::nullopt);
  {
    ScopedEnv direct("no_proxy", std::nullopt);
    ScopedEnv directUpper("NO_PROXY", std::nullopt);
    auto& client = NewClient();
    std::string console = OpenConsole(Service(), client, "demo", "demo123");
    ASSERT_FALSE(console.empty()) << "no member console";
    // The start-up fetches, the sign-in and the welcome page all came
    // through it; so did every other request the service received.
    const std::string base = "http://" + ServiceHost() + "/";
    for (const char* page : {"GetVer.asp", "GetOEM.asp", "newlogin.asp", "default.asp"})
      EXPECT_TRUE(proxy.WaitForSeen(base + page, 5)) << page << " went direct";
    for (const auto& r : Service().Requests())
      EXPECT_TRUE(proxy.WaitForSeen(base + r.Line().substr(r.method.size() + 2), 5))
          << r.Line() << " went direct";
    client.Kill();
  }

  // no_proxy alone decides what goes direct.
  const size_t before = proxy.Seen().size();
  ScopedEnv direct("no_proxy", "127.0.0.1");
  Service().ClearRequests();
  auto& client = NewClient();
  std::string console = OpenConsole(Service(), client, "demo", "demo123");
  ASSERT_FALSE(console.empty()) << "no member console";
  ASSERT_TRUE(ConsoleTakesClicks(Service(), console, "default.asp"));
  EXPECT_EQ(proxy.Seen().size(), before) << "a request went through the proxy: "
                                          << proxy.Seen().back();
}

}  // namespace
}  // namespace e2e
