// Steps shared by the end-to-end tests that work past the login window:
// signing in, the member console's menu, and reaching the elements of the
// page shown in the console's browser.
#pragma once

#include <string>

#include "e2e/desktop_driver.h"
#include "e2e/e2e_fixture.h"

namespace e2e {

// Client-area points of the login window's controls (pixels).
inline constexpr int kLoginUserX = 200, kLoginUserY = 398;
inline constexpr int kLoginPassX = 200, kLoginPassY = 445;
inline constexpr int kLoginButtonX = 215, kLoginButtonY = 506;
// "新用户注册" on the login window: lblReg at twips (5940, 7515) 900 x 195.
inline constexpr int kLoginRegisterX = 5940 / 15 + 30, kLoginRegisterY = 7515 / 15 + 6;

// The member console's browser `web`: client pixels (201, 146), 777 x 518.
inline constexpr int kWebX = 201, kWebY = 146, kWebWidth = 777, kWebHeight = 518;

// Centres of the console's menu entries (twips / 15).
struct MenuEntry {
  int x, y;
};
inline constexpr MenuEntry kMenuSites{(930 + 1725 / 2) / 15, (3255 + 360 / 2) / 15};     // 网站访客
inline constexpr MenuEntry kMenuRecharge{(930 + 720 / 2) / 15, (3750 + 240 / 2) / 15};   // 在线充值

inline constexpr const char* kRegisterTitle = "^用户注册$";
inline constexpr const char* kCheckerTitle = "^正在检查网站$";
inline constexpr const char* kVisitorTitle = "^访客详情$";

// ClickAt, also when the pointer already rests on that very point (a move
// to where the pointer is would wait for motion that never comes): the
// pointer is parked in the screen's corner first. Clicks on the same spot are
// kept apart by more than the double-click time.
void Click(const std::string& windowId, int x, int y);

// A window search can come back empty while some other window is being
// destroyed. A window counts as shown when one of a few searches finds it,
// and as gone only after several searches in a row found nothing.
bool IsShown(const std::string& titleRegex);
bool WaitGone(const std::string& titleRegex, double seconds);

// Types the account and password into the login window and clicks 登录.
void SignInAs(const std::string& login, const std::string& user, const std::string& password);

// Starts `client`, signs in and waits for the member console with its
// welcome page drawn; the console's window id, or "" on failure.
std::string OpenConsole(ClientProcess& client, const std::string& user,
                        const std::string& password);

// A digest of what the screen shows in a rectangle of a window's client area;
// "" when it cannot be read. `uniform` (optional) tells whether every pixel
// there has the same colour (nothing drawn yet).
std::string RegionDigest(const std::string& windowId, int x, int y, int width, int height,
                         bool* uniform = nullptr);

// What the console's browser shows now (a digest), for PageSettled.
inline std::string PageShot(const std::string& console) {
  return RegionDigest(console, kWebX, kWebY, kWebWidth, kWebHeight);
}

// Waits until the console's browser shows something other than `before` and
// has kept it for a moment (the new page is drawn).
bool PageSettled(const std::string& console, const std::string& before, double seconds);

// Waits until the console's browser shows a page (not a plain area) that has
// stopped changing.
bool PageDrawn(const std::string& console, double seconds);

// The same for any rectangle of a window's client area.
bool AreaDrawn(const std::string& windowId, int x, int y, int width, int height, double seconds);

// Clicks a menu entry and waits until the page it loads is drawn.
bool OpenMenuPage(const std::string& console, MenuEntry entry);

// Puts the keyboard focus on the `n`-th focusable element of the console's
// page (1 = first), counting in the page's tab order: clicks the page's top
// left margin, then presses Tab n times.
void FocusPageElement(const std::string& console, int n);
// The same in any window's browser: a click at (x, y), then n times Tab.
void ClickPageThenTab(const std::string& windowId, int x, int y, int n);

// Requests the service received whose "path?query" contains `part`
// (case-insensitive).
size_t CountRequestsLike(const lumaro::service::StandInService& service, const std::string& part);

// Asks a window to close as its close box does (WM_DELETE_WINDOW); there is
// no window manager to draw one.
bool CloseByCloseBox(const std::string& windowId);

// Makes `dir` the home folder of the clients started from now on (where an
// export lands), until the object goes.
class ScopedHome {
 public:
  explicit ScopedHome(const std::string& dir);
  ~ScopedHome();
  ScopedHome(const ScopedHome&) = delete;
  ScopedHome& operator=(const ScopedHome&) = delete;

 private:
  std::string old_;
  bool had_ = false;
};

}  // namespace e2e
