#include "decor/surface_handover.h"

#include <algorithm>
#include <cstdint>

// Cairo stores premultiplied alpha, FreeImage straight alpha: convert at every hand-over.
// These are the roundings of pixman and of Cairo's PNG writer, so the direct copy gives the
// same bytes as a PNG round trip would.
static uint8_t Unpremultiply(uint32_t value, uint32_t alpha) {
  return static_cast<uint8_t>(std::min<uint32_t>(255, (value * 255 + alpha / 2) / alpha));
}
static uint32_t Premultiply(uint32_t value, uint32_t alpha) { return (value * alpha + 127) / 255; }

Bitmap SurfaceToBitmap(Surface& surface) {
  const SurfacePixels view = surface.Pixels();
  if (!view.pixels) return {};
  Bitmap bitmap(FreeImage_Allocate(view.width, view.height, 32));
  if (!bitmap) return {};
  for (int y = 0; y < view.height; ++y) {
    const auto* from = reinterpret_cast<const uint32_t*>(view.pixels + static_cast<ptrdiff_t>(y) * view.stride);
    // FreeImage keeps the bottom row first.
    BYTE* to = FreeImage_GetScanLine(bitmap.get(), view.height - 1 - y);
    for (int x = 0; x < view.width; ++x, to += 4) {
      const uint32_t word = from[x];
      const uint32_t alpha = word >> 24;
      if (alpha == 0) {  // new bitmaps are zero-filled already
        continue;
      }
      const uint32_t red = (word >> 16) & 0xFF, green = (word >> 8) & 0xFF, blue = word & 0xFF;
      if (alpha == 255) {
        to[FI_RGBA_RED] = static_cast<BYTE>(red);
        to[FI_RGBA_GREEN] = static_cast<BYTE>(green);
        to[FI_RGBA_BLUE] = static_cast<BYTE>(blue);
      } else {
        to[FI_RGBA_RED] = Unpremultiply(red, alpha);
        to[FI_RGBA_GREEN] = Unpremultiply(green, alpha);
        to[FI_RGBA_BLUE] = Unpremultiply(blue, alpha);
      }
      to[FI_RGBA_ALPHA] = static_cast<BYTE>(alpha);
    }
  }
  return bitmap;
}

Surface BitmapToSurface(FIBITMAP* bitmap) {
  if (!bitmap || FreeImage_GetImageType(bitmap) != FIT_BITMAP || FreeImage_GetBPP(bitmap) != 32)
    return {};
  const int width = static_cast<int>(FreeImage_GetWidth(bitmap));
  const int height = static_cast<int>(FreeImage_GetHeight(bitmap));
  Surface surface(width, height);
  const SurfacePixels view = surface.Pixels();
  if (!view.pixels) return {};
  for (int y = 0; y < height; ++y) {
    const BYTE* from = FreeImage_GetScanLine(bitmap, height - 1 - y);
    auto* to = reinterpret_cast<uint32_t*>(view.pixels + static_cast<ptrdiff_t>(y) * view.stride);
    for (int x = 0; x < width; ++x, from += 4) {
      const uint32_t alpha = from[FI_RGBA_ALPHA];
      to[x] = alpha << 24 | Premultiply(from[FI_RGBA_RED], alpha) << 16 |
              Premultiply(from[FI_RGBA_GREEN], alpha) << 8 | Premultiply(from[FI_RGBA_BLUE], alpha);
    }
  }
  surface.MarkDirty();
  return surface;
}
