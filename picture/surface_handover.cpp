#include "picture/surface_handover.h"

#include <cstdint>

// Cairo stores premultiplied alpha, FreeImage straight alpha: convert at every hand-over. With
// the roundings of pixman and of Cairo's PNG writer, the direct copy gives the same bytes as a
// PNG round trip would.

// One FreeImage 32-bit pixel as a native word, whatever FreeImage's colour order.
static uint32_t FreeImageWord(uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha) {
  return red << FI_RGBA_RED_SHIFT | green << FI_RGBA_GREEN_SHIFT | blue << FI_RGBA_BLUE_SHIFT |
         alpha << FI_RGBA_ALPHA_SHIFT;
}

Bitmap SurfaceToBitmap(Surface& surface) {
  const SurfacePixels view = surface.Pixels();
  if (!view.pixels) return {};
  Bitmap bitmap(FreeImage_Allocate(view.width, view.height, 32));
  if (!bitmap) return {};
  for (int y = 0; y < view.height; ++y) {
    const auto* from =
        reinterpret_cast<const uint32_t*>(view.pixels + static_cast<ptrdiff_t>(y) * view.stride);
    // FreeImage keeps the bottom row first.
    auto* to =
        reinterpret_cast<uint32_t*>(FreeImage_GetScanLine(bitmap.get(), view.height - 1 - y));
    for (int x = 0; x < view.width; ++x) {
      const uint32_t word = from[x];
      const uint32_t alpha = word >> 24;
      if (alpha == 0) continue;  // new bitmaps are zero-filled already
      uint32_t red = (word >> 16) & 0xFF, green = (word >> 8) & 0xFF, blue = word & 0xFF;
      if (alpha != 255) {
        red = UnpremultiplyChannel(red, alpha);
        green = UnpremultiplyChannel(green, alpha);
        blue = UnpremultiplyChannel(blue, alpha);
      }
      to[x] = FreeImageWord(red, green, blue, alpha);
    }
  }
  return bitmap;
}
