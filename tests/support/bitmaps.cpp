#include "tests/support/bitmaps.h"

RGBQUAD Quad(uint32_t rgb) {
  RGBQUAD quad{};
  quad.rgbRed = static_cast<BYTE>(rgb >> 16);
  quad.rgbGreen = static_cast<BYTE>(rgb >> 8);
  quad.rgbBlue = static_cast<BYTE>(rgb);
  return quad;
}

uint32_t ColourAt(FIBITMAP* picture, unsigned x, unsigned yFromTop) {
  // FreeImage counts rows from the bottom.
  const unsigned y = FreeImage_GetHeight(picture) - 1 - yFromTop;
  RGBQUAD quad{};
  if (FreeImage_GetBPP(picture) <= 8) {
    BYTE index = 0;
    FreeImage_GetPixelIndex(picture, x, y, &index);
    quad = FreeImage_GetPalette(picture)[index];
  } else {
    FreeImage_GetPixelColor(picture, x, y, &quad);
  }
  return static_cast<uint32_t>(quad.rgbRed) << 16 | quad.rgbGreen << 8 | quad.rgbBlue;
}

Bitmap SolidPicture(int width, int height, Rgb color, int bpp) {
  Bitmap picture(FreeImage_Allocate(width, height, bpp));
  RGBQUAD quad{static_cast<BYTE>(color.blue), static_cast<BYTE>(color.green),
               static_cast<BYTE>(color.red), 255};
  FreeImage_FillBackground(picture.get(), &quad);
  return picture;
}

Rgb At(FIBITMAP* picture, int x, int y) {
  RGBQUAD quad{};
  FreeImage_GetPixelColor(picture, x, FreeImage_GetHeight(picture) - 1 - y, &quad);
  return {quad.rgbRed, quad.rgbGreen, quad.rgbBlue};
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
    const auto* from =
        reinterpret_cast<const uint32_t*>(FreeImage_GetScanLine(bitmap, height - 1 - y));
    auto* to = reinterpret_cast<uint32_t*>(view.pixels + static_cast<ptrdiff_t>(y) * view.stride);
    for (int x = 0; x < width; ++x) {
      const uint32_t word = from[x];
      const uint32_t alpha = (word >> FI_RGBA_ALPHA_SHIFT) & 0xFF;
      const auto channel = [&](int shift) {
        return PremultiplyChannel((word >> shift) & 0xFF, alpha);
      };
      to[x] = alpha << 24 | channel(FI_RGBA_RED_SHIFT) << 16 | channel(FI_RGBA_GREEN_SHIFT) << 8 |
              channel(FI_RGBA_BLUE_SHIFT);
    }
  }
  surface.MarkDirty();
  return surface;
}
