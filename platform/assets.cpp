#include "platform/assets.h"

#include <glib.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

#include "platform/linux_system.h"

#ifndef LUMARO_ASSET_INSTALL_DIR
#define LUMARO_ASSET_INSTALL_DIR "/usr/local/share/lumaro/assets"
#endif

namespace lumaro::gtk {

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
  // Beside the executable (the build tree), then under the prefix the
  // executable was installed in, then under the one it was built for.
  static const std::string exeDir = LocalFiles().ExecutableDir();
  std::string path = exeDir + "/assets/" + name;
  if (IsFile(path)) return path;
  path = exeDir + "/../share/lumaro/assets/" + name;
  if (IsFile(path)) return path;
  path = std::string(LUMARO_ASSET_INSTALL_DIR) + "/" + name;
  if (IsFile(path)) return path;
  return {};
}

namespace {

// The asset as a new picture (the caller owns it), at its natural size or
// scaled to exactly width x height; nullptr when it is missing or unreadable.
GdkPixbuf* LoadPixbuf(const std::string& name, int width, int height) {
  std::string path = FindAsset(name);
  if (path.empty()) return nullptr;
  if (g_str_has_suffix(path.c_str(), ".svg")) {
    // A drawing rendered at build time loads much faster than the drawing
    // itself: it is used as it is at its own size (or when any size is
    // fine), and scaled down for a smaller size. A larger size is drawn
    // afresh from the drawing, so that it stays sharp.
    const std::string stem = path.substr(0, path.size() - 4);
    // Twice its own size, for a display of scale 2: rendered at build time too.
    const std::string png2x = stem + "@2x.png";
    int w2 = 0, h2 = 0;
    if (width > 0 && IsFile(png2x) && gdk_pixbuf_get_file_info(png2x.c_str(), &w2, &h2) &&
        w2 == width && h2 == height) {
      if (GdkPixbuf* rendered = gdk_pixbuf_new_from_file(png2x.c_str(), nullptr)) return rendered;
    }
    std::string png = stem + ".png";
    if (IsFile(png)) {
      GdkPixbuf* rendered = gdk_pixbuf_new_from_file(png.c_str(), nullptr);
      if (rendered) {
        const int w = gdk_pixbuf_get_width(rendered), h = gdk_pixbuf_get_height(rendered);
        if (width == 0 || (w == width && h == height)) return rendered;
        if (width <= w && height <= h) {
          GdkPixbuf* scaled = gdk_pixbuf_scale_simple(rendered, width, height, GDK_INTERP_HYPER);
          g_object_unref(rendered);
          if (scaled) return scaled;
        } else {
          g_object_unref(rendered);
        }
      }
    }
  }
  return width > 0 ? gdk_pixbuf_new_from_file_at_scale(path.c_str(), width, height, FALSE, nullptr)
                   : gdk_pixbuf_new_from_file(path.c_str(), nullptr);
}

// Device pixels per layout pixel of the display's first monitor.
int DisplayScale(GdkDisplay* display) {
  GdkMonitor* monitor = gdk_display_get_n_monitors(display) > 0
                            ? gdk_display_get_monitor(display, 0)
                            : nullptr;
  return monitor ? std::max(1, gdk_monitor_get_scale_factor(monitor)) : 1;
}

}  // namespace

GdkPixbuf* AssetPixbuf(const std::string& name, int width, int height) {
  if (width < 1 || height < 1) width = height = 0;
  auto key = std::make_tuple(name, width, height);
  auto it = Cache().find(key);
  if (it != Cache().end()) return it->second;
  GdkPixbuf* pixbuf = LoadPixbuf(name, width, height);
  Cache()[key] = pixbuf;  // a miss is remembered too
  return pixbuf;
}

cairo_surface_t* AssetSurface(const std::string& name, int width, int height, int scale) {
  if (width < 1 || height < 1) width = height = 0;
  scale = std::max(1, scale);
  static auto* surfaces = new std::map<std::tuple<std::string, int, int, int>, cairo_surface_t*>();
  auto key = std::make_tuple(name, width, height, scale);
  auto it = surfaces->find(key);
  if (it != surfaces->end()) return it->second;
  cairo_surface_t* surface = nullptr;
  // The layout size: the natural one is that of the picture at scale 1.
  if (width == 0) {
    if (GdkPixbuf* natural = AssetPixbuf(name)) {
      width = gdk_pixbuf_get_width(natural);
      height = gdk_pixbuf_get_height(natural);
    }
  }
  if (width > 0) {
    GdkPixbuf* pixbuf = scale > 1 ? LoadPixbuf(name, width * scale, height * scale) : nullptr;
    if (pixbuf) {
      surface = gdk_cairo_surface_create_from_pixbuf(pixbuf, scale, nullptr);
      g_object_unref(pixbuf);
    } else if (GdkPixbuf* plain = AssetPixbuf(name, width, height)) {
      // Not to be had at the finer size: the plain picture, scaled up.
      surface = gdk_cairo_surface_create_from_pixbuf(plain, 1, nullptr);
    }
  }
  (*surfaces)[key] = surface;
  return surface;
}

void PaintAsset(cairo_t* cr, GtkWidget* widget, const std::string& name, int width, int height) {
  const int scale = widget ? gtk_widget_get_scale_factor(widget) : 1;
  cairo_save(cr);
  if (scale <= 1) {
    // At scale 1 the picture is painted as it was loaded.
    GdkPixbuf* picture = width > 0 && height > 0 ? AssetPixbuf(name, width, height)
                                                 : AssetPixbuf(name);
    if (picture) {
      gdk_cairo_set_source_pixbuf(cr, picture, 0, 0);
      cairo_paint(cr);
    }
  } else if (cairo_surface_t* surface = AssetSurface(name, width, height, scale)) {
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_paint(cr);
  }
  cairo_restore(cr);
}

GdkCursor* HandCursor(GdkDisplay* display) {
  static std::map<GdkDisplay*, GdkCursor*> cursors;
  auto it = cursors.find(display);
  if (it != cursors.end()) return it->second;
  GdkCursor* cursor = nullptr;
  // On a scaled display the cursor is drawn with as many more pixels.
  if (cairo_surface_t* picture = AssetSurface("hand_cursor.svg", 32, 32, DisplayScale(display)))
    cursor = gdk_cursor_new_from_surface(display, picture, 5, 0);
  if (!cursor) cursor = gdk_cursor_new_from_name(display, "pointer");
  cursors[display] = cursor;
  return cursor;
}

}  // namespace lumaro::gtk
