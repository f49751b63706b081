#include "e2e/desktop_driver.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;

CommandResult RunCommand(const std::vector<std::string>& argv) {
  CommandResult result;
  int fds[2];
  if (pipe(fds) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc == 0) {
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) result.output.append(buf, size_t(n));
    int st = 0;
    waitpid(pid, &st, 0);
    result.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  close(fds[0]);
  return result;
}

ClientProcess::ClientProcess(const std::string& exeName) : exeName_(exeName) {
  char templ[] = "/tmp/lumaro-e2e-XXXXXX";
  dir_ = mkdtemp(templ);
  // Made by mkdtemp, so that it is the user's own and closed to others, as
  // a session's runtime folder must be.
  char runtime[] = "/tmp/lumaro-e2e-runtime-XXXXXX";
  runtimeDir_ = mkdtemp(runtime);
  // Two clicks of a test on one spot are two clicks, however close together.
  fs::create_directories(dir_ / "config" / "gtk-3.0");
  std::ofstream(dir_ / "config" / "gtk-3.0" / "settings.ini") << "[Settings]\ngtk-double-click-time=0\n";
  fs::create_directories(dir_ / "cache");
  fs::path built = LUMARO_CLIENT_EXE;
  fs::copy_file(built, Exe(), fs::copy_options::overwrite_existing);
  fs::create_directory_symlink(built.parent_path() / "assets", dir_ / "assets");
  // The browser module is looked for beside the executable.
  fs::create_symlink(built.parent_path() / "lumaro_webkit.so", dir_ / "lumaro_webkit.so");
  // The desktop's web browser, as the program sees it: records what it is
  // handed (one line a call, its arguments separated by blanks) instead of
  // opening anything.
  fs::create_directory(dir_ / "bin");
  std::ofstream script(dir_ / "bin" / "xdg-open");
  script << "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" << (dir_ / "opened.txt").string() << "'\n";
  script.close();
  fs::permissions(dir_ / "bin" / "xdg-open", fs::perms::owner_all);
}

ScopedEnv::ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  if (value)
    setenv(name, value->c_str(), 1);
  else
    unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (old_)
    setenv(name_, old_->c_str(), 1);
  else
    unsetenv(name_);
}

ClientProcess::~ClientProcess() {
  Kill();
  std::error_code ec;
  fs::remove_all(dir_, ec);
  // A shared runtime folder goes with the first of its copies to go.
  fs::remove_all(runtimeDir_, ec);
}

void ClientProcess::ShareRuntimeDirWith(const ClientProcess& other) {
  std::error_code ec;
  fs::remove_all(runtimeDir_, ec);
  runtimeDir_ = other.runtimeDir_;
}

void ClientProcess::Start() {
  std::string exe = Exe().string();
  char* args[] = {const_cast<char*>(exe.c_str()), nullptr};
  std::vector<std::string> env;
  const char* replaced[] = {"PATH=", "XDG_RUNTIME_DIR=", "XDG_CONFIG_HOME=", "XDG_CACHE_HOME=",
                            "NO_AT_BRIDGE=", "GTK_A11Y="};
  for (char** e = environ; *e; ++e) {
    bool keep = true;
    for (const char* name : replaced) keep = keep && std::strncmp(*e, name, std::strlen(name)) != 0;
    if (keep) env.push_back(*e);
  }
  const char* path = std::getenv("PATH");
  env.push_back("PATH=" + (dir_ / "bin").string() + ":" + (path ? path : "/usr/bin:/bin"));
  env.push_back("XDG_RUNTIME_DIR=" + runtimeDir_.string());
  env.push_back("XDG_CONFIG_HOME=" + (dir_ / "config").string());
  env.push_back("XDG_CACHE_HOME=" + (dir_ / "cache").string());
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  exitStatus_.reset();
  crashSignal_ = 0;
  const std::string log = (dir_ / "output.log").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (posix_spawn(&pid_, exe.c_str(), &actions, nullptr, args, envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

bool ClientProcess::Running() {
  if (pid_ <= 0) return false;
  int st = 0;
  pid_t r = waitpid(pid_, &st, WNOHANG);
  if (r == pid_) {
    exitStatus_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    crashSignal_ = WIFSIGNALED(st) ? WTERMSIG(st) : 0;
    pid_ = -1;
    return false;
  }
  return r == 0;
}

std::optional<int> ClientProcess::WaitExit(double seconds) {
  if (WaitUntil([&] { return !Running(); }, seconds)) return exitStatus_;
  return std::nullopt;
}

void ClientProcess::Kill() {
  if (!Running()) return;  // an end of its own is kept
  kill(pid_, SIGKILL);
  int st = 0;
  waitpid(pid_, &st, 0);
  pid_ = -1;
}

namespace {

// A process's state letter and parent, from /proc/<pid>/stat.
bool ReadStat(pid_t pid, char* state, pid_t* parent) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string s;
  if (!std::getline(stat, s)) return false;
  size_t close = s.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream rest(s.substr(close + 2));
  return bool(rest >> *state >> *parent);
}

}  // namespace

std::vector<pid_t> DescendantsOf(pid_t root) {
  std::map<pid_t, pid_t> parent;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    pid_t pid = std::atoi(entry.path().filename().c_str());
    char state;
    pid_t ppid;
    if (pid > 0 && ReadStat(pid, &state, &ppid)) parent[pid] = ppid;
  }
  std::vector<pid_t> found;
  for (auto [pid, ppid] : parent) {
    for (pid_t p = ppid; p > 1; p = parent.count(p) ? parent[p] : 0) {
      if (p == root) {
        found.push_back(pid);
        break;
      }
    }
  }
  return found;
}

bool ProcessLives(pid_t pid) {
  char state = 0;
  pid_t parent = 0;
  return ReadStat(pid, &state, &parent) && state != 'Z' && state != 'X';
}

std::string SanitizerReport(const std::string& output) {
  for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                           "ERROR: UndefinedBehaviorSanitizer"}) {
    size_t at = output.find(mark);
    if (at == std::string::npos) continue;
    size_t from = output.rfind('\n', at);
    from = from == std::string::npos ? 0 : from + 1;
    return output.substr(from, 4000);
  }
  return "";
}

std::string ClientProcess::ReadFile(const std::string& name) const {
  std::ifstream in(dir_ / name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void ClientProcess::WriteFile(const std::string& name, const std::string& bytes) const {
  std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> FindWindows(const std::string& titleRegex, bool onlyVisible) {
  std::vector<std::string> argv = {"xdotool", "search"};
  if (onlyVisible) argv.push_back("--onlyvisible");
  argv.insert(argv.end(), {"--name", titleRegex});
  auto r = RunCommand(argv);
  std::vector<std::string> ids;
  std::istringstream in(r.output);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) ids.push_back(line);
  return ids;
}

std::string WaitForWindow(const std::string& titleRegex, double seconds) {
  std::string id;
  WaitUntil(
      [&] {
        auto ids = FindWindows(titleRegex);
        if (!ids.empty()) id = ids.front();
        return !id.empty();
      },
      seconds);
  return id;
}

bool WaitForNoWindow(const std::string& titleRegex, double seconds) {
  return WaitUntil([&] { return FindWindows(titleRegex).empty(); }, seconds);
}

std::optional<WindowGeometry> Geometry(const std::string& windowId) {
  auto r = RunCommand({"xdotool", "getwindowgeometry", "--shell", windowId});
  if (r.status != 0) return std::nullopt;
  WindowGeometry g;
  std::istringstream in(r.output);
  for (std::string line; std::getline(in, line);) {
    auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string k = line.substr(0, eq);
    int v = std::atoi(line.c_str() + eq + 1);
    if (k == "X") g.x = v;
    if (k == "Y") g.y = v;
    if (k == "WIDTH") g.width = v;
    if (k == "HEIGHT") g.height = v;
  }
  return g;
}

std::string WindowTitle(const std::string& windowId) {
  auto r = RunCommand({"xdotool", "getwindowname", windowId});
  while (!r.output.empty() && r.output.back() == '\n') r.output.pop_back();
  return r.output;
}

void ClickAt(const std::string& windowId, int x, int y) {
  auto g = Geometry(windowId);
  if (!g) return;
  RunCommand({"xdotool", "mousemove", "--sync", std::to_string(g->x + x), std::to_string(g->y + y)});
  RunCommand({"xdotool", "click", "1"});
}

void ClickAtScreen(int x, int y) {
  RunCommand({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y)});
  RunCommand({"xdotool", "click", "1"});
}

void TypeText(const std::string& text, int delayMs) {
  RunCommand({"xdotool", "type", "--delay", std::to_string(delayMs), text});
}

void PressKey(const std::string& keysym) { RunCommand({"xdotool", "key", keysym}); }

void KeyboardTo(const std::string& windowId) {
  auto g = Geometry(windowId);
  if (!g) return;
  auto r = RunCommand({"xdotool", "getmouselocation", "--shell"});
  int x = -1, y = -1;
  std::istringstream in(r.output);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("X=", 0) == 0) x = std::atoi(line.c_str() + 2);
    if (line.rfind("Y=", 0) == 0) y = std::atoi(line.c_str() + 2);
  }
  const int cornerX = g->x + 3, cornerY = g->y + 3;
  if (x == cornerX && y == cornerY) return;  // a move to where it is would wait for ever
  RunCommand({"xdotool", "mousemove", "--sync", std::to_string(cornerX), std::to_string(cornerY)});
}

long RefusedConnections() {
  // Two "Tcp:" lines: the field names, then their values.
  std::ifstream in("/proc/net/snmp");
  std::vector<std::string> names;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Tcp:", 0) != 0) continue;
    std::istringstream fields(line.substr(4));
    std::vector<std::string> words;
    for (std::string w; fields >> w;) words.push_back(w);
    if (names.empty()) {
      names = words;
      continue;
    }
    for (size_t i = 0; i < names.size() && i < words.size(); ++i)
      if (names[i] == "AttemptFails") return std::atol(words[i].c_str());
  }
  return -1;
}

fs::path Screenshot(const std::string& name) {
  fs::path dir = LUMARO_ARTIFACT_DIR;
  fs::create_directories(dir);
  fs::path file = dir / (name + ".png");
  RunCommand({"import", "-window", "root", file.string()});
  return file;
}

}  // namespace e2e
