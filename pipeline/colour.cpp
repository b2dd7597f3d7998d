#include "pipeline/colour.h"

#include <utility>

// The FreeImage colour calls refuse 48- to 128-bit pictures (and AdjustColors also 1-, 4-
// and 16-bit ones), so such pictures are brought to 24 bits first.
static Bitmap ConvertAbove32BitsTo24(Bitmap picture) {
  if (FreeImage_GetBPP(picture.get()) <= 32) return picture;
  return Bitmap(FreeImage_ConvertTo24Bits(picture.get()));
}

Bitmap AdjustPictureColors(Bitmap picture, const ColorSettings& color) {
  if (!picture || !color.enabled) return picture;
  const unsigned bpp = FreeImage_GetBPP(picture.get());
  if (bpp < 8 || bpp > 32) {
    picture = Bitmap(FreeImage_ConvertTo24Bits(picture.get()));
    if (!picture) return picture;
  }
  // All four values go in one call: neutral ones leave their part of the picture alone, and
  // FreeImage's FALSE for "nothing to do" is no failure.
  FreeImage_AdjustColors(picture.get(), static_cast<double>(color.brightness),
                         static_cast<double>(color.contrast), static_cast<double>(color.gamma),
                         color.invert ? TRUE : FALSE);
  return picture;
}

Bitmap GreyscalePicture(Bitmap picture, const ColorSettings& color) {
  if (!picture || !color.greyscale) return picture;
  picture = ConvertAbove32BitsTo24(std::move(picture));
  if (!picture) return picture;
  return Bitmap(FreeImage_ConvertToGreyscale(picture.get()));
}

Bitmap ThresholdPicture(Bitmap picture, const ColorSettings& color) {
  if (!picture || !color.threshold) return picture;
  picture = ConvertAbove32BitsTo24(std::move(picture));
  if (!picture) return picture;
  // Only the low byte counts, so 256 acts as 0 and 300 as 44.
  const BYTE level = static_cast<BYTE>(color.thresholdLevel & 0xFF);
  return Bitmap(FreeImage_Threshold(picture.get(), level));
}
