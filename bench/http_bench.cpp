// HttpGet against plain libcurl on loopback: median latency of a small page,
// and the CPU time HttpGet uses while it waits for a slow answer.
#include <curl/curl.h>
#include <httplib.h>
#include <sys/resource.h>

#include <chrono>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/http_fetch.h"
#include "platform/gtk_platform.h"
#include "window_timer.h"

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Resident set size now and its peak since the last reset, in megabytes.
double StatusMb(const char* key) {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  double mb = 0;
  size_t n = std::strlen(key);
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, key, n) == 0) mb = std::atof(line + n) / 1024.0;
  std::fclose(f);
  return mb;
}

void ResetPeak() {
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

size_t Collect(char* data, size_t size, size_t n, void* out) {
  static_cast<std::string*>(out)->append(data, size * n);
  return size * n;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 200;
  if (!lumaro::gtk::InitGtkPlatform(&argc, &argv)) {
    std::fprintf(stderr, "http_bench: needs a display (run under xvfb-run)\n");
    return 1;
  }
  lumaro::gtk::InstallGtkPlatform();

  httplib::Server server;
  server.set_tcp_nodelay(true);
  server.Get("/small", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("1-51", "text/plain; charset=gbk");
  });
  // Text at the largest size a reply may have, and far past it (announced,
  // and sent in chunks without a length), streamed so that the server holds
  // no copy of it.
  constexpr size_t kBig = lumaro::kMaxReplyBytes;
  constexpr size_t kHuge = size_t(400) << 20;
  auto stream = [](size_t, size_t length, httplib::DataSink& sink) {
    static const std::string chunk(64 * 1024, 'x');
    sink.write(chunk.data(), std::min(length, chunk.size()));
    return true;
  };
  server.Get("/big", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(kBig, "text/plain; charset=gbk", stream);
  });
  server.Get("/huge", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(kHuge, "text/plain; charset=gbk", stream);
  });
  server.Get("/huge-chunked", [&](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain; charset=gbk",
                                     [](size_t offset, httplib::DataSink& sink) {
                                       static const std::string chunk(64 * 1024, 'x');
                                       if (offset >= kHuge) {
                                         sink.done();
                                         return true;
                                       }
                                       return sink.write(chunk.data(), chunk.size());
                                     });
  });
  server.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
    std::this_thread::sleep_for(std::chrono::seconds(3));
    res.set_content("ok", "text/plain");
  });
  int port = server.bind_to_any_port("127.0.0.1");
  std::thread serving([&] { server.listen_after_bind(); });
  while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::string base = "http://127.0.0.1:" + std::to_string(port);

  std::vector<double> plain, fetch;
  for (int i = 0; i < runs; ++i) {
    // A plain GET as a simple program makes it: a fresh handle each time.
    std::string body;
    double t0 = Now();
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, (base + "/small").c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    plain.push_back(Now() - t0);

    t0 = Now();
    std::string r = lumaro::HttpGet(base + "/small", false);
    fetch.push_back(Now() - t0);
    if (r != "1-51") {
      std::fprintf(stderr, "http_bench: unexpected reply \"%s\"\n", r.c_str());
      return 1;
    }
  }

  double cpu0 = CpuSeconds(), wall0 = Now();
  std::string slow = lumaro::HttpGet(base + "/slow", false);
  double cpu = CpuSeconds() - cpu0, wall = Now() - wall0;

  // Peak memory while HttpGet receives and decodes a reply of the largest
  // size kept, counted in copies of the body; the reply itself stays alive
  // as the result.
  double rssBefore = StatusMb("VmRSS:");
  ResetPeak();
  std::string big = lumaro::HttpGet(base + "/big", false);
  double peak = StatusMb("VmHWM:") - rssBefore;
  bool bigOk = big.size() == kBig;
  big.clear();
  big.shrink_to_fit();

  // Replies far past the cap: the peak above the idle size, against twice
  // the cap (the most the fetch may take).
  double hugePeak = 0;
  bool hugeRefused = true;
  for (const char* page : {"/huge", "/huge-chunked"}) {
    const double idle = StatusMb("VmRSS:");
    ResetPeak();
    hugeRefused = lumaro::HttpGet(base + page, false) == "ERROR" && hugeRefused;
    hugePeak = std::max(hugePeak, StatusMb("VmHWM:") - idle);
  }
  const double capMb = lumaro::kMaxReplyBytes / 1048576.0;
  double mp = bench::Median(plain), mf = bench::Median(fetch);
  std::printf("%-44s %10s %10s %8s\n", "benchmark", "baseline", "lumaro", "ratio");
  std::printf("%-44s %8.3fms %8.3fms %8.2f\n", "HttpGet small page (vs plain libcurl)", mp * 1000,
              mf * 1000, mf / mp);
  std::printf("%-44s %8.2fs  %8.3fs  %7.2f%%\n", "HttpGet 3 s wait: wall / CPU", wall, cpu,
              100 * cpu / wall);
  std::printf("%-44s %8.1fMB  %8.1fMB  %7.2fx\n", "HttpGet 8 MiB reply: body / peak memory",
              kBig / 1048576.0, peak, peak / (kBig / 1048576.0));
  std::printf("%-44s %8.1fMB  %8.1fMB  %7.2fx\n", "HttpGet 400 MB reply: 2 x cap / peak over idle",
              2 * capMb, hugePeak, hugePeak / (2 * capMb));
  if (!bigOk) std::fprintf(stderr, "http_bench: the 8 MiB reply came back short\n");
  if (!hugeRefused) std::fprintf(stderr, "http_bench: a reply past the cap was not refused\n");
  if (slow != "ok") std::fprintf(stderr, "http_bench: slow reply \"%s\"\n", slow.c_str());
  server.stop();
  serving.join();
  return 0;
}
