// Artwork of the windows: SVG (or other image) files looked up beside the
// executable, then in the installed asset folder.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gdk/gdk.h>
#include <gtk/gtk.h>

#include <string>

namespace lumaro::gtk {

// Full path of an asset ("" when it is nowhere). An absolute name is used
// as it stands.
std::string FindAsset(const std::string& name);

// Adds a folder searched before the others (tests use the source tree).
void AddAssetDirectory(const std::string& dir);

// The asset as a picture: at its natural size when width or height is
// below 1, else scaled to exactly width x height. Cached; the caller must
// not unref the result. nullptr when the asset is missing or unreadable.
GdkPixbuf* AssetPixbuf(const std::string& name, int width = 0, int height = 0);

// The asset as a surface for a display of `scale` device pixels per layout
// pixel: width x height layout pixels (its natural size when either is below
// 1), drawn from the artwork at scale times that many pixels, so that it
// stays sharp where GTK scales the layout (GDK_SCALE=2). Cached; the caller
// must not destroy it. nullptr when the asset is missing or unreadable.
cairo_surface_t* AssetSurface(const std::string& name, int width, int height, int scale);

// Paints the asset with its top left corner at the origin of `cr`, at its
// natural size or at width x height, sharp at the scale of `widget`.
void PaintAsset(cairo_t* cr, GtkWidget* widget, const std::string& name, int width = 0,
                int height = 0);

// The program's pointing-hand cursor (hot spot at column 5, row 0), or the
// theme's "pointer" cursor when the artwork is missing. Not to be unref'd.
GdkCursor* HandCursor(GdkDisplay* display);

}  // namespace lumaro::gtk
