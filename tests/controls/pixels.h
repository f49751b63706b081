// Pixel reading helpers for the drawn control's tests.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "controls/progbutton.h"

namespace lumaro::test {

// The pixel as 0xAARRGGBB (cairo's native ARGB32).
inline uint32_t RawPixel(cairo_surface_t* s, int x, int y) {
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  return reinterpret_cast<const uint32_t*>(data + y * stride)[x];
}

inline uint32_t Alpha(cairo_surface_t* s, int x, int y) { return RawPixel(s, x, y) >> 24; }

// The pixel's colour as 0x00BBGGRR (opaque pixels only).
inline uint32_t ColourAt(cairo_surface_t* s, int x, int y) {
  uint32_t p = RawPixel(s, x, y);
  return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

inline int Channel(uint32_t colour, int i) { return (colour >> (8 * i)) & 0xFF; }

inline int MaxChannelDistance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int i = 0; i < 3; ++i) d = std::max(d, std::abs(Channel(a, i) - Channel(b, i)));
  return d;
}

// Dark enough to be text ink on the light faces.
inline bool IsInk(cairo_surface_t* s, int x, int y) {
  uint32_t c = ColourAt(s, x, y);
  return Alpha(s, x, y) == 255 && Channel(c, 0) < 110 && Channel(c, 1) < 110 && Channel(c, 2) < 110;
}

inline std::string Hex(uint32_t c) {
  char b[16];
  std::snprintf(b, sizeof b, "%06X", c);
  return b;
}

}  // namespace lumaro::test
