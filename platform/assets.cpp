#include "platform/assets.h"

#include <glib.h>

#include <map>
#include <tuple>
#include <vector>

#include "platform/desktop_services.h"

#ifndef LUMARO_ASSET_INSTALL_DIR
#define LUMARO_ASSET_INSTALL_DIR "/usr/local/share/lumaro/assets"
#endif

namespace lumaro {

namespace {

std::vector<std::string>& ExtraDirs() {
  static std::vector<std::string> dirs;
  return dirs;
}

std::map<std::tuple<std::string, int, int>, GdkPixbuf*>& Cache() {
  static auto* cache = new std::map<std::tuple<std::string, int, int>, GdkPixbuf*>();
  return *cache;
}

bool IsFile(const std::string& path) { return g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR); }

}  // namespace

void AddAssetDirectory(const std::string& dir) { ExtraDirs().insert(ExtraDirs().begin(), dir); }

std::string FindAsset(const std::string& name) {
  if (name.empty()) return {};
  if (g_path_is_absolute(name.c_str())) return IsFile(name) ? name : std::string();
  // Asset names are plain file names; anything that climbs out is refused.
  if (name.find("..") != std::string::npos) return {};
  for (const std::string& dir : ExtraDirs()) {
    std::string path = dir + "/" + name;
    if (IsFile(path)) return path;
  }
  static const std::string beside = LocalFiles().ExecutableDir() + "/assets";
  std::string path = beside + "/" + name;
  if (IsFile(path)) return path;
  path = std::string(LUMARO_ASSET_INSTALL_DIR) + "/" + name;
  if (IsFile(path)) return path;
  return {};
}

GdkPixbuf* AssetPixbuf(const std::string& name, int width, int height) {
  if (width < 1 || height < 1) width = height = 0;
  auto key = std::make_tuple(name, width, height);
  auto it = Cache().find(key);
  if (it != Cache().end()) return it->second;
  GdkPixbuf* pixbuf = nullptr;
  std::string path = FindAsset(name);
  if (!path.empty() && g_str_has_suffix(path.c_str(), ".svg")) {
    // A drawing rendered at build time loads much faster than the drawing
    // itself: it is used as it is at its own size (or when any size is
    // fine), and scaled down for a smaller size. A larger size is drawn
    // afresh from the drawing, so that it stays sharp.
    std::string png = path.substr(0, path.size() - 4) + ".png";
    if (IsFile(png)) {
      GdkPixbuf* rendered = gdk_pixbuf_new_from_file(png.c_str(), nullptr);
      if (rendered) {
        const int w = gdk_pixbuf_get_width(rendered), h = gdk_pixbuf_get_height(rendered);
        if (width == 0 || (w == width && h == height)) {
          Cache()[key] = rendered;
          return rendered;
        }
        if (width <= w && height <= h) {
          GdkPixbuf* scaled = gdk_pixbuf_scale_simple(rendered, width, height, GDK_INTERP_HYPER);
          g_object_unref(rendered);
          if (scaled) {
            Cache()[key] = scaled;
            return scaled;
          }
        } else {
          g_object_unref(rendered);
        }
      }
    }
  }
  if (!path.empty()) {
    pixbuf = width > 0 ? gdk_pixbuf_new_from_file_at_scale(path.c_str(), width, height, FALSE, nullptr)
                       : gdk_pixbuf_new_from_file(path.c_str(), nullptr);
  }
  Cache()[key] = pixbuf;  // a miss is remembered too
  return pixbuf;
}

GdkCursor* HandCursor(GdkDisplay* display) {
  static std::map<GdkDisplay*, GdkCursor*> cursors;
  auto it = cursors.find(display);
  if (it != cursors.end()) return it->second;
  GdkCursor* cursor = nullptr;
  if (GdkPixbuf* picture = AssetPixbuf("hand_cursor.svg", 32, 32))
    cursor = gdk_cursor_new_from_pixbuf(display, picture, 5, 0);
  if (!cursor) cursor = gdk_cursor_new_from_name(display, "pointer");
  cursors[display] = cursor;
  return cursor;
}

}  // namespace lumaro
