#include "e2e/console_steps.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cctype>
#include <cstdlib>

namespace e2e {

void Click(const std::string& windowId, int x, int y) {
  RunCommand({"xdotool", "mousemove", "1279", "1023"});
  ClickAt(windowId, x, y);
}

void Click(const std::string& windowId, PixelPoint at) { Click(windowId, at.x, at.y); }

bool IsShown(const std::string& titleRegex) {
  return WaitUntil([&] { return !FindWindows(titleRegex).empty(); }, 0.25);
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

bool Answer(const std::string& key, double seconds) {
  const std::string box = WaitForWindow(kNoticeTitle, seconds);
  if (box.empty()) return false;
  KeyboardTo(box);
  PressKey(key);
  return WaitGone(kNoticeTitle, 10);
}

void SignInAs(const std::string& login, const std::string& user, const std::string& password) {
  Click(login, LoginPoint("txtuser"));
  TypeText(user);
  Click(login, LoginPoint("txtpass"));
  TypeText(password);
  Click(login, LoginPoint("cmdLogin"));
}

namespace {

// Starts `client`, signs in at the login window titled `loginTitle` and
// waits for the console titled `consoleTitle` with its welcome page
// (`welcomePage`) loaded.
std::string SignInToConsole(lumaro::service::StandInService& service, ClientProcess& client,
                            const std::string& user, const std::string& password,
                            const char* loginTitle, const char* consoleTitle,
                            const char* welcomePage) {
  const size_t welcomes = service.CountMarkers("load", welcomePage);
  client.Start();
  std::string login = WaitForWindow(loginTitle, 20);
  if (login.empty()) {
    ADD_FAILURE() << "no login window; the client " << (client.Running() ? "runs" : "has ended");
    return "";
  }
  SignInAs(login, user, password);
  std::string console = WaitForWindow(consoleTitle, 20);
  if (console.empty()) {
    ADD_FAILURE() << "no console after signing in; the client "
                  << (client.Running() ? "runs" : "has ended");
    return "";
  }
  if (!service.WaitForMarkers("load", welcomePage, welcomes + 1, 15)) {
    ADD_FAILURE() << "the console's welcome page did not load";
    return "";
  }
  return console;
}

}  // namespace

std::string OpenConsole(lumaro::service::StandInService& service, ClientProcess& client,
                        const std::string& user, const std::string& password) {
  return SignInToConsole(service, client, user, password, kLoginTitle, kConsoleTitle,
                         "default.asp");
}

std::string OpenAgentConsole(lumaro::service::StandInService& service, ClientProcess& client,
                             const std::string& user, const std::string& password) {
  return SignInToConsole(service, client, user, password, kAgentLoginTitle, kAgentConsoleTitle,
                         "proxyDefault.asp");
}

bool OpenMenuPage(lumaro::service::StandInService& service, const std::string& console,
                  MenuEntry entry) {
  const size_t before = service.CountMarkers("load", entry.page);
  Click(console, entry.At());
  return service.WaitForMarkers("load", entry.page, before + 1, 15);
}

void FillRegistration(const std::string& reg, const Applicant& a) {
  const std::pair<const char*, const std::string*> boxes[] = {
      {"txtuser", &a.user}, {"txtEmail", &a.email},   {"txtpass", &a.password},
      {"txtPASS2", &a.password}, {"txtQQ", &a.qq}, {"txtMobile", &a.mobile},
      {"txtMan", &a.man},
  };
  for (const auto& [box, text] : boxes) {
    Click(reg, RegistrationPoint(box));
    TypeText(*text);
  }
}

SiteList OpenSiteList(lumaro::service::StandInService& service, ClientProcess& client) {
  SiteList list;
  list.console = OpenConsole(service, client, "demo", "demo123");
  if (list.console.empty() || !OpenMenuPage(service, list.console, kMenuSites)) return list;
  list.app = AccessibleApp(client);
  return list;
}

bool ConsoleTakesClicks(lumaro::service::StandInService& service, const std::string& console,
                        const std::string& page) {
  // Both consoles have their 刷新 hot spot in the same place.
  const size_t before = service.CountMarkers("load", page);
  Click(console, MemberConsolePoint("lblReFresh"));
  return service.WaitForMarkers("load", page, before + 1, 10);
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

std::string ServicePage(const std::string& title, const std::string& body) {
  return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
         "<title>" + title + "</title></head><body>\n" + body + "\n</body></html>";
}

std::string NoticeText(const Node& app, double seconds) {
  Node box = AccessibleWindow(app, "Lumaro提醒您", seconds);
  if (!box) return "";
  std::string text;
  for (const Node& label : a11y::FindAll(box, [](const Node& n) { return n.Role() == ATSPI_ROLE_LABEL; })) {
    const std::string name = label.Name().empty() ? label.Text() : label.Name();
    if (name.empty()) continue;
    text += (text.empty() ? "" : "\n") + name;
  }
  return text;
}

int UnitPrice(const lumaro::service::StandInService& service) {
  const std::string record = service.OemRecord();
  const size_t last = record.rfind("@@@");
  return std::atoi(record.c_str() + (last == std::string::npos ? 0 : last + 3));
}

}  // namespace e2e
