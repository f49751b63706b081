// Sign-in to the member console's welcome page, against a minimal WebKitGTK
// program loading the same page from the stand-in:
// - time: from the click on the sign-in button to the welcome page loaded,
//   against the minimal program's web view creation to the page loaded (the
//   minimal program is already up, as the client is when the user clicks);
// - memory: resident set and proportional set size of the whole process
//   tree (the program and its browser processes) with the page loaded;
// - the memory at the login window, with the browser's web process started
//   ahead of the console and without.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "build_config.h"
#include "e2e/desktop_driver.h"
#include "e2e/window_points.h"
#include "stand_in.h"
#include "window_timer.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// Where the login window's boxes and button are, in its client area.
const e2e::PixelPoint kUser = e2e::LoginPoint("txtuser");
const e2e::PixelPoint kPass = e2e::LoginPoint("txtpass");
const e2e::PixelPoint kButton = e2e::LoginPoint("cmdLogin");

long long NowMicros() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (long long)ts.tv_sec * 1000000 + ts.tv_nsec / 1000;
}

// The time of the first load in the trace file whose address contains
// `page`, waiting up to `seconds` for it.
std::optional<long long> WaitForLoad(const std::string& trace, const std::string& page,
                                     double seconds) {
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < until) {
    std::ifstream in(trace);
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("begin ", 0) == 0) continue;
      if (line.find(page) != std::string::npos) return std::atoll(line.c_str());
    }
    std::this_thread::sleep_for(5ms);
  }
  return std::nullopt;
}

std::optional<long long> BeginTime(const std::string& trace) {
  std::ifstream in(trace);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("begin ", 0) == 0) return std::atoll(line.c_str() + 6);
  return std::nullopt;
}

struct Memory {
  double rssMb = 0, pssMb = 0;
  int processes = 0;
};

// Resident and proportional set size of one process.
Memory ProcessMemory(pid_t pid) {
  Memory m;
  std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
  std::string key;
  long kb = 0;
  std::string unit;
  while (rollup >> key) {
    if (key == "Rss:" || key == "Pss:") {
      rollup >> kb >> unit;
      (key == "Rss:" ? m.rssMb : m.pssMb) += kb / 1024.0;
    } else {
      rollup.ignore(1 << 20, '\n');
    }
  }
  m.processes = 1;
  return m;
}

// The same, summed over `root` and all its descendants.
Memory TreeMemory(pid_t root) {
  Memory m = ProcessMemory(root);
  for (pid_t pid : e2e::DescendantsOf(root)) {
    Memory one = ProcessMemory(pid);
    m.rssMb += one.rssMb;
    m.pssMb += one.pssMb;
    ++m.processes;
  }
  return m;
}

std::string TempTrace() {
  char templ[] = "/tmp/lumaro-trace-XXXXXX";
  int fd = mkstemp(templ);
  if (fd >= 0) close(fd);
  return templ;
}

struct Run {
  double seconds = -1;
  Memory memory;
};

Run Baseline(const std::string& url) {
  Run run;
  std::string trace = TempTrace();
  std::vector<std::string> argv = {LUMARO_MINIMAL_WEBKIT, url, trace};
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) == 0) {
    auto loaded = WaitForLoad(trace, "Default.asp", 30);
    auto begin = BeginTime(trace);
    if (loaded && begin) {
      run.seconds = (*loaded - *begin) / 1e6;
      std::this_thread::sleep_for(2s);
      run.memory = TreeMemory(pid);
    }
    kill(pid, SIGKILL);
    int st;
    waitpid(pid, &st, 0);
  }
  std::remove(trace.c_str());
  return run;
}

Run Client() {
  Run run;
  std::string trace = TempTrace();
  setenv("LUMARO_TRACE_LOADS", trace.c_str(), 1);
  {
    e2e::ClientProcess client;
    client.Start();
    std::string login = e2e::WaitForWindow("^登录V6\\.0$", 20);
    if (!login.empty()) {
      // The user reads the window before signing in; the program loads its
      // browser meanwhile.
      std::this_thread::sleep_for(1s);
      e2e::ClickAt(login, kUser.x, kUser.y);
      e2e::TypeText("demo");
      e2e::ClickAt(login, kPass.x, kPass.y);
      e2e::TypeText("demo123");
      std::this_thread::sleep_for(700ms);
      long long clicked = NowMicros();
      e2e::ClickAt(login, kButton.x, kButton.y);
      if (auto loaded = WaitForLoad(trace, "Default.asp", 30)) {
        run.seconds = (*loaded - clicked) / 1e6;
        std::this_thread::sleep_for(2s);
        run.memory = TreeMemory(client.Pid());
      }
    }
    client.Kill();
  }
  unsetenv("LUMARO_TRACE_LOADS");
  std::remove(trace.c_str());
  return run;
}

// The memory while the login window waits for the user, with the browser's
// web process started ahead of the console or not (LUMARO_BROWSER_AHEAD=0):
// the whole process tree, and the program's own process.
struct LoginMemory {
  double treePssMb = -1, programPssMb = -1;
  int processes = 0;
};

LoginMemory AtLoginWindow(bool browserAhead) {
  LoginMemory m;
  if (!browserAhead) setenv("LUMARO_BROWSER_AHEAD", "0", 1);
  {
    e2e::ClientProcess client;
    client.Start();
    if (!e2e::WaitForWindow("^登录V6\\.0$", 20).empty()) {
      // The web process starts a moment after the window appears.
      std::this_thread::sleep_for(3s);
      Memory tree = TreeMemory(client.Pid());
      m.treePssMb = tree.pssMb;
      m.processes = tree.processes;
      m.programPssMb = ProcessMemory(client.Pid()).pssMb;
    }
    client.Kill();
  }
  unsetenv("LUMARO_BROWSER_AHEAD");
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  std::string base(lumaro::kServiceBase);
  size_t colon = base.find(':', base.find("//") + 2);
  int port = colon == std::string::npos ? 80 : std::atoi(base.c_str() + colon + 1);
  lumaro::service::StandInService service(port);
  if (!service.Start()) {
    std::fprintf(stderr, "console_bench: port %d is busy\n", port);
    return 1;
  }
  const std::string url = base + "Default.asp?types=" + std::to_string(lumaro::kEditionId) +
                          "&uName=demo&oem=1&t=1";
  std::vector<double> bt, ct, brss, crss, bpss, cpss;
  for (int i = 0; i < runs; ++i) {
    Run b = Baseline(url);
    Run c = Client();
    if (b.seconds < 0 || c.seconds < 0) {
      std::fprintf(stderr, "console_bench: a page did not load (baseline %.3f, client %.3f)\n",
                   b.seconds, c.seconds);
      return 1;
    }
    bt.push_back(b.seconds);
    ct.push_back(c.seconds);
    brss.push_back(b.memory.rssMb);
    crss.push_back(c.memory.rssMb);
    bpss.push_back(b.memory.pssMb);
    cpss.push_back(c.memory.pssMb);
  }
  std::vector<double> aheadTree, aheadProgram, plainTree, plainProgram;
  int aheadProcesses = 0, plainProcesses = 0;
  for (int i = 0; i < runs; ++i) {
    LoginMemory plain = AtLoginWindow(false);
    LoginMemory ahead = AtLoginWindow(true);
    if (plain.treePssMb < 0 || ahead.treePssMb < 0) {
      std::fprintf(stderr, "console_bench: no login window\n");
      return 1;
    }
    plainTree.push_back(plain.treePssMb);
    plainProgram.push_back(plain.programPssMb);
    aheadTree.push_back(ahead.treePssMb);
    aheadProgram.push_back(ahead.programPssMb);
    plainProcesses = plain.processes;
    aheadProcesses = ahead.processes;
  }
  service.Stop();
  auto row = [](const char* name, double b, double c, const char* unit, double scale) {
    std::printf("%-44s %8.1f%-2s %8.1f%-2s %8.2f\n", name, b * scale, unit, c * scale, unit, c / b);
  };
  std::printf("%-44s %10s %10s %8s\n", "benchmark", "baseline", "lumaro", "ratio");
  row("sign-in to welcome page (vs minimal WebKit)", bench::Median(bt), bench::Median(ct), "ms",
      1000);
  row("memory with welcome page, RSS (vs minimal)", bench::Median(brss), bench::Median(crss),
      "MB", 1);
  row("memory with welcome page, PSS (vs minimal)", bench::Median(bpss), bench::Median(cpss),
      "MB", 1);
  // The login window's memory, the browser started ahead against not: the
  // whole tree grows by the browser's processes; the program itself should
  // hardly grow.
  row("login window PSS, all (vs no web ahead)", bench::Median(plainTree),
      bench::Median(aheadTree), "MB", 1);
  row("login window PSS, program (vs no web ahead)",
      bench::Median(plainProgram), bench::Median(aheadProgram), "MB", 1);
  std::printf("  (processes at the login window: %d without, %d with the web process ahead)\n",
              plainProcesses, aheadProcesses);
  return 0;
}
