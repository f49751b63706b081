#include "window_timer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

extern char** environ;

namespace bench {

namespace {

std::string TitleOf(Display* dpy, Window w) {
  Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
  Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(dpy, w, netName, 0, 1024, False, utf8, &type, &format, &n, &after,
                         &data) == Success &&
      data) {
    title.assign(reinterpret_cast<char*>(data), n);
    XFree(data);
  }
  if (title.empty()) {
    char* name = nullptr;
    if (XFetchName(dpy, w, &name) && name) {
      title = name;
      XFree(name);
    }
  }
  return title;
}

}  // namespace

double TimeToWindow(const std::vector<std::string>& argv, const std::string& titleSubstring,
                    double timeout) {
  // Xvfb turns connections away for a moment (EAGAIN) while it clears up
  // after a killed client: try again for a while.
  Display* dpy = nullptr;
  for (int i = 0; i < 200 && !(dpy = XOpenDisplay(nullptr)); ++i) usleep(10000);
  if (!dpy) return -1;
  Window root = DefaultRootWindow(dpy);
  XSelectInput(dpy, root, SubstructureNotifyMask);
  XSync(dpy, False);

  std::vector<char*> args;
  for (auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) {
    XCloseDisplay(dpy);
    return -1;
  }
  double result = -1;
  int fd = ConnectionNumber(dpy);
  for (;;) {
    double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (elapsed > timeout) break;
    while (XPending(dpy)) {
      XEvent ev;
      XNextEvent(dpy, &ev);
      if (ev.type == MapNotify && TitleOf(dpy, ev.xmap.window).find(titleSubstring) != std::string::npos) {
        result = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      }
    }
    if (result >= 0) break;
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, 20);
  }
  kill(pid, SIGKILL);
  int st;
  waitpid(pid, &st, 0);
  XCloseDisplay(dpy);
  return result;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace bench
