#include "tests/support/letter_f.h"

#include "tests/support/bitmaps.h"

Bitmap MakeLetterF(unsigned bpp) {
  Bitmap picture(FreeImage_Allocate(kWidth, kHeight, static_cast<int>(bpp)));
  if (bpp <= 8) {
    FreeImage_GetPalette(picture.get())[0] = Quad(kBlue);
    FreeImage_GetPalette(picture.get())[1] = Quad(kRed);
  }
  for (unsigned y = 0; y < kHeight; ++y) {
    for (unsigned x = 0; x < kWidth; ++x) {
      const bool ink = kLetterF[y][x] == 'X';
      BYTE index = ink ? 1 : 0;
      RGBQUAD colour = Quad(ink ? kRed : kBlue);
      if (bpp <= 8)
        FreeImage_SetPixelIndex(picture.get(), x, kHeight - 1 - y, &index);
      else
        FreeImage_SetPixelColor(picture.get(), x, kHeight - 1 - y, &colour);
    }
  }
  return picture;
}

Bitmap LetterF(unsigned width, unsigned height, int bpp, BYTE paperAlpha) {
  static const char* const kRows[] = {".XXXX.", ".X....", ".XXX..", ".X....", ".X...."};
  Bitmap picture(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), bpp));
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x) {
      // FreeImage counts rows from the bottom.
      const bool ink = kRows[(height - 1 - y) * 5 / height][x * 6 / width] == 'X';
      RGBQUAD colour = ink ? RGBQUAD{0, 0, 255, 255} : RGBQUAD{255, 0, 0, paperAlpha};
      FreeImage_SetPixelColor(picture.get(), x, y, &colour);
    }
  return picture;
}
