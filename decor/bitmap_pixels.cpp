#include "decor/bitmap_pixels.h"

vector::Pixels BitmapPixels(FIBITMAP* picture) {
  const Bitmap rgba(FreeImage_ConvertTo32Bits(picture));
  if (!rgba) return {};
  const int width = static_cast<int>(FreeImage_GetWidth(rgba.get()));
  const int height = static_cast<int>(FreeImage_GetHeight(rgba.get()));
  vector::Pixels pixels(width, height, vector::kOpaque);
  for (int y = 0; y < height; ++y) {
    // FreeImage keeps the bottom row first.
    const BYTE* pixel = FreeImage_GetScanLine(rgba.get(), height - 1 - y);
    for (int x = 0; x < width; ++x, pixel += 4)
      pixels.At(x, y) = uint32_t{pixel[FI_RGBA_ALPHA]} << 24 | uint32_t{pixel[FI_RGBA_RED]} << 16 |
                        uint32_t{pixel[FI_RGBA_GREEN]} << 8 | pixel[FI_RGBA_BLUE];
  }
  return pixels;
}
