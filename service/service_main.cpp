// lumaro-service: the local stand-in for the statistics service, as a program.
//   lumaro-service [--port N] [--host H]
// Runs until SIGINT or SIGTERM. Control endpoints under /__control/ let shell
// scripts change the version, the OEM record and the faults, and read the log.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "stand_in.h"

namespace {

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: lumaro-service [--port N] [--host H]\n"
               "  --port N   port to listen on (default 18080; 0 picks a free one)\n"
               "  --host H   address to listen on (default 127.0.0.1)\n"
               "control endpoints (GET):\n"
               "  /__control/version?v=1-52\n"
               "  /__control/oem?r=SITE@@@QQ2@@@QQ3@@@QQ4@@@CODE@@@PRICE\n"
               "  /__control/fault?page=GetVer.asp&kind=status&status=500\n"
               "      kinds: status empty leadbyte silence truncated huge reset none;\n"
               "      optional bytes=N (huge, truncated), times=N (next N requests only)\n"
               "  /__control/account?user=NAME&pwd=PASSWORD\n"
               "  /__control/chathost?host=HOST\n"
               "  /__control/clear     faults and request log\n"
               "  /__control/reset     everything back to the seeded state\n"
               "  /__control/requests  the request log, one request per line\n");
}

}  // namespace

int main(int argc, char** argv) {
  int port = 18080;
  std::string host = "127.0.0.1";
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--port" || arg == "-p") && i + 1 < argc) {
      char* end = nullptr;
      long value = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || value < 0 || value > 65535) {
        std::fprintf(stderr, "lumaro-service: bad port %s\n", argv[i]);
        return 2;
      }
      port = static_cast<int>(value);
    } else if (arg == "--host" && i + 1 < argc) {
      host = argv[++i];
    } else if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    } else {
      Usage(stderr);
      return 2;
    }
  }

  // Wait for the stop signals synchronously instead of in a handler. A
  // background job of a shell starts with SIGINT ignored, and an ignored
  // signal never reaches sigwait: restore the default first.
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);  // inherited by the server threads

  lumaro::service::StandInService service(port, host);
  service.EnableControlEndpoints(true);
  if (!service.Start()) {
    std::fprintf(stderr, "lumaro-service: cannot listen on %s:%d\n", host.c_str(), port);
    return 1;
  }
  std::printf("lumaro-service listening on %s\n", service.BaseUrl().c_str());
  std::fflush(stdout);

  int sig = 0;
  sigwait(&stopSignals, &sig);
  service.Stop();
  return 0;
}
