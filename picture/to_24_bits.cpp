#include "picture/to_24_bits.h"

Bitmap To24BitsUnless(Bitmap picture, unsigned lowestKept, unsigned highestKept) {
  if (!picture) return picture;
  const unsigned bpp = FreeImage_GetBPP(picture.get());
  if (FreeImage_GetImageType(picture.get()) == FIT_BITMAP && bpp >= lowestKept &&
      bpp <= highestKept)
    return picture;
  return Bitmap(FreeImage_ConvertTo24Bits(picture.get()));
}
