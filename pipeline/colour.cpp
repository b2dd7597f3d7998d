#include "pipeline/colour.h"

#include <utility>

#include "picture/to_24_bits.h"

// The FreeImage colour calls refuse 48- to 128-bit pictures, and AdjustColors also 1- and
// 4-bit ones, so such pictures are brought to 24 bits first.
Bitmap AdjustPictureColors(Bitmap picture, const ColorSettings& color) {
  if (!picture || !color.enabled) return picture;
  picture = To24BitsUnless(std::move(picture), 8, 32);
  if (!picture) return picture;
  // All four values go in one call: neutral ones leave their part of the picture alone, and
  // FreeImage's FALSE for "nothing to do" is no failure.
  FreeImage_AdjustColors(picture.get(), static_cast<double>(color.brightness),
                         static_cast<double>(color.contrast), static_cast<double>(color.gamma),
                         color.invert ? TRUE : FALSE);
  return picture;
}

Bitmap GreyscalePicture(Bitmap picture, const ColorSettings& color) {
  if (!picture || !color.greyscale) return picture;
  picture = To24BitsUnless(std::move(picture), 1, 32);
  if (!picture) return picture;
  return Bitmap(FreeImage_ConvertToGreyscale(picture.get()));
}

Bitmap ThresholdPicture(Bitmap picture, const ColorSettings& color) {
  if (!picture || !color.threshold) return picture;
  picture = To24BitsUnless(std::move(picture), 1, 32);
  if (!picture) return picture;
  // Only the low byte counts, so 256 acts as 0 and 300 as 44.
  const BYTE level = static_cast<BYTE>(color.thresholdLevel & 0xFF);
  return Bitmap(FreeImage_Threshold(picture.get(), level));
}
