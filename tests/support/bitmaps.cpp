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
