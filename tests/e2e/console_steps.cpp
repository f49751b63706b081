#include "e2e/console_steps.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cctype>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <functional>

namespace e2e {

void Click(const std::string& windowId, int x, int y) {
  // Two clicks closer together than the double-click time would make the
  // second one half of a double click, which is not a click.
  static auto last = std::chrono::steady_clock::now() - std::chrono::seconds(1);
  static int lastX = -100, lastY = -100;
  auto g = Geometry(windowId);
  const int screenX = g ? g->x + x : -100, screenY = g ? g->y + y : -100;
  if (std::abs(screenX - lastX) <= 10 && std::abs(screenY - lastY) <= 10)
    std::this_thread::sleep_until(last + std::chrono::milliseconds(600));
  RunCommand({"xdotool", "mousemove", "1279", "1023"});
  ClickAt(windowId, x, y);
  last = std::chrono::steady_clock::now();
  lastX = screenX;
  lastY = screenY;
}

bool IsShown(const std::string& titleRegex) {
  for (int i = 0; i < 4; ++i) {
    if (!FindWindows(titleRegex).empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

bool WaitGone(const std::string& titleRegex, double seconds) {
  int empty = 0;
  return WaitUntil(
      [&] {
        empty = FindWindows(titleRegex).empty() ? empty + 1 : 0;
        return empty >= 4;
      },
      seconds);
}

void SignInAs(const std::string& login, const std::string& user, const std::string& password) {
  Click(login, kLoginUserX, kLoginUserY);
  TypeText(user);
  Click(login, kLoginPassX, kLoginPassY);
  TypeText(password);
  Click(login, kLoginButtonX, kLoginButtonY);
}

std::string OpenConsole(ClientProcess& client, const std::string& user,
                        const std::string& password) {
  client.Start();
  std::string login = WaitForWindow(kLoginTitle, 20);
  if (login.empty()) {
    ADD_FAILURE() << "no login window; the client " << (client.Running() ? "runs" : "has ended");
    return "";
  }
  SignInAs(login, user, password);
  std::string console = WaitForWindow(kConsoleTitle, 20);
  if (console.empty()) {
    ADD_FAILURE() << "no console after signing in; the client "
                  << (client.Running() ? "runs" : "has ended");
    return "";
  }
  if (!PageDrawn(console, 15)) {
    ADD_FAILURE() << "the console's welcome page was not drawn";
    return "";
  }
  return console;
}

std::string RegionDigest(const std::string& windowId, int x, int y, int width, int height,
                         bool* uniform) {
  auto g = Geometry(windowId);
  if (!g) return "";
  std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+" +
                     std::to_string(g->x + x) + "+" + std::to_string(g->y + y);
  auto r = RunCommand({"import", "-window", "root", "-crop", crop, "-depth", "8", "rgb:-"});
  if (r.status != 0 || r.output.size() < 3) return "";
  if (uniform) {
    *uniform = true;
    for (size_t i = 3; i + 2 < r.output.size() && *uniform; i += 3)
      *uniform = r.output.compare(i, 3, r.output, 0, 3) == 0;
  }
  return std::to_string(std::hash<std::string>{}(r.output)) + ":" + std::to_string(r.output.size());
}

namespace {

// Waits until the browser's area has changed from `before` (when given),
// shows more than one colour, and has kept the same picture over three looks
// in a row (about half a second).
bool Settle(const std::string& windowId, int x, int y, int width, int height,
            const std::string* before, double seconds) {
  std::string last;
  int same = 0;
  return WaitUntil(
      [&] {
        bool uniform = true;
        std::string now = RegionDigest(windowId, x, y, width, height, &uniform);
        if (now.empty() || uniform || (before && now == *before)) {
          same = 0;
          last.clear();
          return false;
        }
        same = now == last ? same + 1 : 0;
        last = now;
        return same >= 2;
      },
      seconds);
}

}  // namespace

bool PageSettled(const std::string& console, const std::string& before, double seconds) {
  return Settle(console, kWebX, kWebY, kWebWidth, kWebHeight, &before, seconds);
}

bool PageDrawn(const std::string& console, double seconds) {
  return Settle(console, kWebX, kWebY, kWebWidth, kWebHeight, nullptr, seconds);
}

bool AreaDrawn(const std::string& windowId, int x, int y, int width, int height, double seconds) {
  return Settle(windowId, x, y, width, height, nullptr, seconds);
}

bool OpenMenuPage(const std::string& console, MenuEntry entry) {
  std::string before = PageShot(console);
  Click(console, entry.x, entry.y);
  return PageSettled(console, before, 15);
}

void FocusPageElement(const std::string& console, int n) {
  ClickPageThenTab(console, kWebX + 3, kWebY + 3, n);
}

void ClickPageThenTab(const std::string& windowId, int x, int y, int n) {
  Click(windowId, x, y);
  // The browser passes mouse and key events to the page through separate
  // queues, and a mouse event waits for the page to take the one before it:
  // a key pressed at once can reach the page before the click does.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  for (int i = 0; i < n; ++i) PressKey("Tab");
}

size_t CountRequestsLike(const lumaro::service::StandInService& service, const std::string& part) {
  auto lower = [](std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::string wanted = lower(part);
  size_t n = 0;
  for (const auto& r : service.Requests()) {
    std::string line = r.path + (r.query.empty() ? "" : "?" + r.query);
    if (lower(line).find(wanted) != std::string::npos) ++n;
  }
  return n;
}

bool CloseByCloseBox(const std::string& windowId) {
  // libX11 is loaded here rather than linked: the test program needs it for
  // this one message only.
  static void* lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  if (!lib) return false;
  auto open = reinterpret_cast<Display* (*)(const char*)>(dlsym(lib, "XOpenDisplay"));
  auto atom = reinterpret_cast<Atom (*)(Display*, const char*, Bool)>(dlsym(lib, "XInternAtom"));
  auto send =
      reinterpret_cast<Status (*)(Display*, Window, Bool, long, XEvent*)>(dlsym(lib, "XSendEvent"));
  auto flush = reinterpret_cast<int (*)(Display*)>(dlsym(lib, "XFlush"));
  auto close = reinterpret_cast<int (*)(Display*)>(dlsym(lib, "XCloseDisplay"));
  if (!open || !atom || !send || !flush || !close) return false;
  Display* display = open(nullptr);
  if (!display) return false;
  Window window = std::strtoul(windowId.c_str(), nullptr, 10);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = atom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(atom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  Status sent = send(display, window, False, NoEventMask, &event);
  flush(display);
  close(display);
  return sent != 0;
}

ScopedHome::ScopedHome(const std::string& dir) {
  if (const char* home = std::getenv("HOME")) {
    had_ = true;
    old_ = home;
  }
  setenv("HOME", dir.c_str(), 1);
}

ScopedHome::~ScopedHome() {
  if (had_)
    setenv("HOME", old_.c_str(), 1);
  else
    unsetenv("HOME");
}

}  // namespace e2e
