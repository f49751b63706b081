// Steps shared by the end-to-end tests that work past the login window:
// signing in, the member console's menu, message boxes, and the pages shown
// in the console's browser.
#pragma once

#include <string>

#include "e2e/desktop_driver.h"
#include "e2e/e2e_fixture.h"
#include "e2e/page_access.h"
#include "e2e/window_points.h"

namespace e2e {

// The agent console of the agent's and administrator's builds and its
// login window.
inline constexpr const char* kAgentLoginTitle = "^登录\\[(代理版|管理员)\\]V6\\.0$";
inline constexpr const char* kAgentConsoleTitle = "^Lumaro\\[(代理版|管理员)\\]V6\\.0$";

inline constexpr const char* kRegisterTitle = "^用户注册$";
inline constexpr const char* kCheckerTitle = "^正在检查网站$";
inline constexpr const char* kVisitorTitle = "^访客详情$";
// The console's title as the accessibility tree gives it (no pattern).
inline constexpr const char* kConsoleName = "LumaroV6.0";

// ClickAt, also when the pointer already rests on that very point (a move
// to where the pointer is would wait for motion that never comes): the
// pointer is parked in the screen's corner first.
void Click(const std::string& windowId, int x, int y);
void Click(const std::string& windowId, PixelPoint at);

// A window search can come back empty while some other window is being
// destroyed. A window counts as shown when one of the searches of a quarter
// of a second finds it, and as gone only after several searches in a row
// found nothing.
bool IsShown(const std::string& titleRegex);
bool WaitGone(const std::string& titleRegex, double seconds);

// Waits for a message box, answers it with `key` and waits until it is gone.
bool Answer(const std::string& key = "Return", double seconds = 10);

// Types the account and password into the login window and clicks 登录.
void SignInAs(const std::string& login, const std::string& user, const std::string& password);

// Starts `client`, signs in and waits for the member console with its
// welcome page loaded; the console's window id, or "" on failure.
std::string OpenConsole(lumaro::service::StandInService& service, ClientProcess& client,
                        const std::string& user, const std::string& password);

// The same for the agent console of the agent's and administrator's
// builds, with its welcome page loaded.
std::string OpenAgentConsole(lumaro::service::StandInService& service, ClientProcess& client,
                             const std::string& user, const std::string& password);

// What an applicant types into the registration window.
struct Applicant {
  std::string user, email, password, qq, mobile, man;
};
// Clicks each box of the registration window `reg` in turn and types the
// applicant's text into it (the password twice).
void FillRegistration(const std::string& reg, const Applicant& a);

// Starts `client`, signs in as "demo" and opens the member console's site
// list (网站访客): the console's window id and the program's accessible
// application; `app` is empty when any of the steps failed.
struct SiteList {
  std::string console;
  Node app;
};
SiteList OpenSiteList(lumaro::service::StandInService& service, ClientProcess& client);

// Clicks a menu entry and waits until the page it loads has loaded.
bool OpenMenuPage(lumaro::service::StandInService& service, const std::string& console,
                  MenuEntry entry);

// Shows that the console took a click after everything that came before
// it: a click on its 刷新 hot spot reloads the page it shows, `page` (part of
// its address). A modal window up meanwhile (a message box) would hold the
// click. For pages that a reload does not post again.
bool ConsoleTakesClicks(lumaro::service::StandInService& service, const std::string& console,
                        const std::string& page);

// Requests the service received whose "path?query" contains `part`
// (case-insensitive).
size_t CountRequestsLike(const lumaro::service::StandInService& service, const std::string& part);

// Asks a window to close as its close box does (WM_DELETE_WINDOW); there is
// no window manager to draw one.
bool CloseByCloseBox(const std::string& windowId);

// A page as the service writes them (GBK, declared gb2312), for the stand-in
// to serve instead of one of its own (ServeInstead): `body` is the markup of
// the page's body, `title` its title.
std::string ServicePage(const std::string& title, const std::string& body);

// The text of the message box shown now (its labels, one after another), or
// "" when none is shown within `seconds`.
std::string NoticeText(const Node& app, double seconds = 10);

// The reseller's unit price, as the stand-in serves it in its reseller
// record (the record's last field), which the client fetched at start-up.
int UnitPrice(const lumaro::service::StandInService& service);

// Makes `dir` the home folder of the clients started from now on (where an
// export lands), until the object goes.
class ScopedHome : public ScopedEnv {
 public:
  explicit ScopedHome(const std::string& dir) : ScopedEnv("HOME", dir) {}
};

}  // namespace e2e
