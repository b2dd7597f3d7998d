// decor/to_24_bits.h: the common first step of the frame and the watermarks.
#pragma once

#include "pipeline/picture.h"

// The picture as a 24-bit bitmap (any alpha dropped); the same bitmap when it already is one,
// empty when it is empty or cannot be converted.
inline Bitmap To24Bits(Bitmap picture) {
  if (!picture || FreeImage_GetBPP(picture.get()) == 24) return picture;
  return Bitmap(FreeImage_ConvertTo24Bits(picture.get()));
}
