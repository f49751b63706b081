// Process start to first window shown: the client's login window (with its
// version and reseller requests to the stand-in service on loopback) against
// a minimal GTK 3 program showing an empty window. Runs both alternately and
// prints the medians and their ratio.
#include <cstdio>
#include <string>
#include <vector>

#include "build_config.h"
#include "stand_in.h"
#include "window_timer.h"

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 7;
  // The stand-in listens on the client's built-in service address.
  std::string base(lumaro::kServiceBase);
  size_t colon = base.find(':', base.find("//") + 2);
  int port = colon == std::string::npos ? 80 : std::atoi(base.c_str() + colon + 1);
  lumaro::service::StandInService service(port);
  if (!service.Start()) {
    std::fprintf(stderr, "startup_bench: port %d is busy\n", port);
    return 1;
  }
  std::vector<double> baseline, client;
  for (int i = 0; i < runs; ++i) {
    double b = bench::TimeToWindow({LUMARO_MINIMAL_GTK}, "minimal-gtk-window", 20);
    double c = bench::TimeToWindow({LUMARO_CLIENT_EXE}, "登录", 20);
    if (b < 0 || c < 0) {
      std::fprintf(stderr, "startup_bench: a window did not appear (baseline %.3f, client %.3f)\n", b, c);
      return 1;
    }
    baseline.push_back(b);
    client.push_back(c);
  }
  double mb = bench::Median(baseline), mc = bench::Median(client);
  std::printf("%-44s %10s %10s %8s\n", "benchmark", "baseline", "lumaro", "ratio");
  std::printf("%-44s %8.1fms %8.1fms %8.2f\n", "start to login window (vs minimal GTK window)",
              mb * 1000, mc * 1000, mc / mb);
  service.Stop();
  return 0;
}
