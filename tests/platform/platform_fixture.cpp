#include "platform/platform_fixture.h"

#include <arpa/inet.h>
#include <gtk/gtk.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/assets.h"
#include "platform/gtk_platform.h"
#include "platform/linux_system.h"

namespace lumaro::platform_test {

bool EnsureGtk() {
  static const bool ok = [] {
    // No session bus for dconf under the test display: settings (the file
    // chooser's) stay in memory.
    g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
    if (!gtk::InitGtkPlatform(nullptr, nullptr)) return false;
    gtk::InstallGtkPlatform();
    // The test program lives in build/tests; the artwork in build/assets.
    gtk::AddAssetDirectory(gtk::LocalFiles().ExecutableDir() + "/../assets");
    return true;
  }();
  if (ok) gtk::InstallGtkPlatform();  // a test may have installed other services
  return ok;
}

bool RunUntil(const std::function<bool()>& done, double seconds) {
  const gint64 deadline = g_get_monotonic_time() + gint64(seconds * G_USEC_PER_SEC);
  while (!done()) {
    const gint64 left = deadline - g_get_monotonic_time();
    if (left <= 0) return done();
    Desktop().pump->WaitForEvents(std::min(0.05, double(left) / G_USEC_PER_SEC));
  }
  return true;
}

namespace {

gboolean SetFlag(gpointer data) {
  *static_cast<bool*>(data) = true;
  return G_SOURCE_REMOVE;
}

// Runs the main loop until `source`, attached to it with SetFlag on `ran`,
// has run; removes it when it has not.
bool RunUntilSourceRan(GSource* source, const bool& ran, double seconds) {
  const bool done = RunUntil([&] { return ran; }, seconds);
  if (!done) g_source_destroy(source);
  g_source_unref(source);
  return done;
}

}  // namespace

bool RunUntilIdle(double seconds) {
  bool ran = false;
  GSource* idle = g_idle_source_new();
  g_source_set_priority(idle, G_PRIORITY_LOW);
  g_source_set_callback(idle, SetFlag, &ran, nullptr);
  g_source_attach(idle, nullptr);
  return RunUntilSourceRan(idle, ran, seconds);
}

bool RunUntilTimerFires(unsigned intervalMs, double seconds) {
  bool ran = false;
  GSource* timer = g_timeout_source_new(intervalMs);
  g_source_set_callback(timer, SetFlag, &ran, nullptr);
  g_source_attach(timer, nullptr);
  return RunUntilSourceRan(timer, ran, intervalMs / 1000.0 + seconds);
}

std::string Gbk(const std::string& utf8) {
  gsize written = 0;
  gchar* out = g_convert(utf8.data(), gssize(utf8.size()), "GBK", "UTF-8", nullptr, &written,
                         nullptr);
  std::string bytes = out ? std::string(out, written) : std::string();
  g_free(out);
  return bytes;
}

namespace {

int CountContaining(const std::vector<std::string>& paths, const std::string& fragment) {
  int n = 0;
  for (const auto& p : paths)
    if (p.find(fragment) != std::string::npos) ++n;
  return n;
}

}  // namespace

LocalServer::LocalServer() {
  server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
    std::lock_guard<std::mutex> lock(mutex_);
    arrivals_.push_back(req.path + (req.params.empty() ? "" : "?"));
    return httplib::Server::HandlerResponse::Unhandled;
  });
  // The logger runs once the answer has been written.
  server_.set_logger([this](const httplib::Request& req, const httplib::Response&) {
    std::lock_guard<std::mutex> lock(mutex_);
    paths_.push_back(req.path + (req.params.empty() ? "" : "?"));
  });
  // One request per connection: stopping never waits for an idle one.
  server_.set_keep_alive_max_count(1);
  // Browsers open spare connections; stopping waits for them this long.
  server_.set_keep_alive_timeout(1);
  server_.set_read_timeout(1, 0);
  port_ = server_.bind_to_any_port("127.0.0.1");
}

void LocalServer::Start() {
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LocalServer::~LocalServer() {
  server_.stop();
  if (thread_.joinable()) thread_.join();
}

std::string LocalServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LocalServer::Page(const std::string& path, const std::string& utf8Html) {
  const std::string body = Gbk(utf8Html);
  server_.Get(path, [body](const httplib::Request&, httplib::Response& res) {
    res.set_content(body, "text/html; charset=gbk");
  });
}

int LocalServer::Hits(const std::string& fragment) {
  std::lock_guard<std::mutex> lock(mutex_);
  return CountContaining(paths_, fragment);
}

int LocalServer::Arrivals(const std::string& fragment) {
  std::lock_guard<std::mutex> lock(mutex_);
  return CountContaining(arrivals_, fragment);
}

int ClosedPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  close(fd);
  return ntohs(addr.sin_port);
}

}  // namespace lumaro::platform_test
