// The program's own requests follow the desktop's proxy settings: GNOME's,
// where they decide, for every host (loopback included) unless the settings
// say which hosts go direct.
#include <gio/gio.h>

#include <mutex>
#include <thread>
#include <vector>

#include "core/http_fetch.h"
#include "platform/platform_fixture.h"

namespace lumaro::platform_test {
namespace {

// A proxy on loopback that answers every request itself and keeps the
// addresses asked for.
class RecordingProxy {
 public:
  RecordingProxy() {
    server_.Get(R"(.*)", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.push_back(req.target);
      res.set_content("via proxy", "text/plain");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~RecordingProxy() {
    server_.stop();
    thread_.join();
  }
  int port() const { return port_; }
  std::vector<std::string> seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> seen_;
};

TEST(ProxyTest, GnomesProxySettingsCarryTheProgramsOwnRequests) {
  // GNOME's resolver, with its settings in memory; set before GIO picks one.
  g_setenv("XDG_CURRENT_DESKTOP", "GNOME", TRUE);
  g_setenv("GIO_USE_PROXY_RESOLVER", "gnome", TRUE);
  g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
  g_unsetenv("http_proxy");
  g_unsetenv("no_proxy");
  REQUIRE_DISPLAY();
  GProxyResolver* resolver = g_proxy_resolver_get_default();
  if (g_strcmp0(G_OBJECT_TYPE_NAME(resolver), "GProxyResolverGnome") != 0)
    GTEST_SKIP() << "GIO's GNOME proxy resolver is not installed";

  RecordingProxy proxy;
  LocalServer service;
  service.server().Get("/GetVer.asp", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("direct", "text/plain");
  });
  service.Start();

  GSettings* settings = g_settings_new("org.gnome.system.proxy");
  GSettings* http = g_settings_new("org.gnome.system.proxy.http");
  g_settings_set_string(http, "host", "127.0.0.1");
  g_settings_set_int(http, "port", proxy.port());
  const gchar* none[] = {nullptr};
  g_settings_set_strv(settings, "ignore-hosts", none);
  g_settings_set_string(settings, "mode", "manual");
  // The resolver hears of a change from the main loop, in callbacks queued
  // as the setting changes: they have run once the loop is idle.
  ASSERT_TRUE(RunUntilIdle());

  const std::string address = service.Url("/GetVer.asp?vID=2");
  EXPECT_EQ(HttpGet(address, false), "via proxy") << "loopback went direct";
  ASSERT_EQ(proxy.seen().size(), 1u);
  EXPECT_EQ(proxy.seen()[0], address);

  // The settings alone say which hosts go direct.
  const gchar* loopback[] = {"127.0.0.1", nullptr};
  g_settings_set_strv(settings, "ignore-hosts", loopback);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(HttpGet(address, false), "direct");
  g_settings_set_string(settings, "mode", "none");
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(HttpGet(address, false), "direct");
  EXPECT_EQ(proxy.seen().size(), 1u);
  g_object_unref(http);
  g_object_unref(settings);
}

}  // namespace
}  // namespace lumaro::platform_test
