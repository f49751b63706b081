// The real program on a display of scale 2 (GDK_SCALE=2): every window is
// twice its size in screen pixels, and its artwork is drawn from the drawings
// at that size, not blown up from the pictures made for scale 1.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "e2e/e2e_fixture.h"
#include "e2e/window_points.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

// The login window's boxes and its 登录 button (client pixels at scale 1).
const PixelPoint kUser = LoginPoint("txtuser");
const PixelPoint kPass = LoginPoint("txtpass");
const PixelPoint kLogin = LoginPoint("cmdLogin");

struct Region {
  int x, y, width, height;
};

// Parts of the login window where the background shows, in pixels at
// scale 1: the product banner and the top of the statistics card.
constexpr Region kBanner{100, 70, 270, 60};
constexpr Region kCard{565, 110, 70, 80};

class DisplayScale : public EndToEnd {
 protected:
  void TearDown() override {
    unsetenv("GDK_SCALE");
    EndToEnd::TearDown();
  }

  // Starts a client at `scale` and returns its login window's id.
  std::string StartAtScale(ClientProcess& client, int scale) {
    setenv("GDK_SCALE", std::to_string(scale).c_str(), 1);
    client.Start();
    unsetenv("GDK_SCALE");
    return WaitForWindow(kLoginTitle, 20);
  }

  static fs::path Work() {
    fs::path dir = fs::path(LUMARO_ARTIFACT_DIR) / "display-scale";
    fs::create_directories(dir);
    return dir;
  }

  // Mean difference (0 to 1) between `region` of the screen, taken from a
  // window at `origin`, and the same region of `reference` (a picture of the
  // window's background at `scale`).
  static std::optional<double> Difference(const WindowGeometry& origin, const Region& region,
                                          int scale, const fs::path& reference) {
    const fs::path shot = Screenshot("display-scale/screen");
    const std::string size =
        std::to_string(region.width * scale) + "x" + std::to_string(region.height * scale);
    const std::string onScreen = size + "+" + std::to_string(origin.x + region.x * scale) + "+" +
                                 std::to_string(origin.y + region.y * scale);
    const std::string inPicture =
        size + "+" + std::to_string(region.x * scale) + "+" + std::to_string(region.y * scale);
    auto r = RunCommand({"convert", "(", shot.string(), "-crop", onScreen, "+repage", ")", "(",
                         reference.string(), "-crop", inPicture, "+repage", ")", "-compose",
                         "difference", "-composite", "-colorspace", "gray", "-format",
                         "%[fx:mean]", "info:"});
    if (r.status != 0 || r.output.empty()) return std::nullopt;
    return std::atof(r.output.c_str());
  }

  // Waits until the region shows the reference (the window has painted);
  // the last difference measured.
  static double SettledDifference(const WindowGeometry& origin, const Region& region, int scale,
                                  const fs::path& reference) {
    double last = 1;
    WaitUntil(
        [&] {
          auto d = Difference(origin, region, scale, reference);
          if (d) last = *d;
          return d && *d < 0.004;
        },
        10);
    return last;
  }
};

TEST_F(DisplayScale, TheLoginWindowIsTwiceAsLargeAndItsArtworkIsSharp) {
  const fs::path assets = fs::path(LUMARO_CLIENT_EXE).parent_path() / "assets";
  const fs::path picture1x = assets / "login_background.png";
  const fs::path picture2x = Work() / "login_background@2x.png";
  ASSERT_EQ(RunCommand({"rsvg-convert", "-z", "2", "-o", picture2x.string(),
                        (assets / "login_background.svg").string()})
                .status,
            0);

  WindowGeometry at1;
  {
    auto& client = NewClient();
    std::string login = StartAtScale(client, 1);
    ASSERT_FALSE(login.empty()) << "no login window at scale 1";
    auto g = Geometry(login);
    ASSERT_TRUE(g);
    at1 = *g;
    // At scale 1 the background is the build-time picture, pixel for pixel.
    EXPECT_LT(SettledDifference(at1, kBanner, 1, picture1x), 0.004);
    client.Kill();
    ASSERT_TRUE(WaitForNoWindow(kLoginTitle, 10));
  }

  auto& client = NewClient();
  std::string login = StartAtScale(client, 2);
  ASSERT_FALSE(login.empty()) << "no login window at scale 2";
  auto at2 = Geometry(login);
  ASSERT_TRUE(at2);
  EXPECT_EQ(at2->width, 2 * at1.width);
  EXPECT_EQ(at2->height, 2 * at1.height);

  // Drawn from the drawing at twice the size: the same pixels as the drawing
  // rendered at scale 2. The scale-1 picture blown up differs at every edge
  // (about 0.016 on the banner).
  for (const Region& region : {kBanner, kCard}) {
    SCOPED_TRACE("region at " + std::to_string(region.x) + "," + std::to_string(region.y));
    EXPECT_LT(SettledDifference(*at2, region, 2, picture2x), 0.004);
  }
}

TEST_F(DisplayScale, SignInOpensTheConsoleAtTwiceItsSize) {
  auto& client = NewClient();
  std::string login = StartAtScale(client, 2);
  ASSERT_FALSE(login.empty()) << "no login window at scale 2";
  // Clicks land where the controls are: at twice their layout position.
  ClickAt(login, 2 * kUser.x, 2 * kUser.y);
  TypeText("demo");
  ClickAt(login, 2 * kPass.x, 2 * kPass.y);
  TypeText("demo123");
  ClickAt(login, 2 * kLogin.x, 2 * kLogin.y);
  std::string console = WaitForWindow(kConsoleTitle, 20);
  ASSERT_FALSE(console.empty()) << "no member console";
  EXPECT_TRUE(WaitUntil([&] { return CountRequests("default.asp") >= 1; }, 15));
  auto g = Geometry(console);
  ASSERT_TRUE(g);
  // The console's design size, 1003 x 722 pixels at scale 1.
  EXPECT_EQ(g->width, 2 * 1003);
  EXPECT_EQ(g->height, 2 * 722);
  Screenshot("display-scale/console");
}

}  // namespace
}  // namespace e2e
