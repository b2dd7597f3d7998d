// pipeline/depth.h: bringing the finished picture to the bit depth it is saved with.
#pragma once

#include <string_view>

#include "picture/picture.h"

// Returns the picture converted to targetBpp (one of 1, 4, 8, 16, 24, 32, 48, 96) the way the
// output format `extension` needs it; the same picture when it already has that depth. The
// input is consumed; the result is empty when the conversion fails.
//   16 bits are 5-5-5 for ico and tga, 5-6-5 for every other format.
//   8 bits are grey levels for j2k, jp2, jpg, jxr and pgm, and a Wu-quantised 256-colour
//   palette for every other format.
//   1 bit is Floyd-Steinberg black and white; 48 bits keep white at 65535.
//   Float (96-bit) pictures convert only to 96 bits.
Bitmap ApplyTargetDepth(Bitmap picture, std::string_view extension, int targetBpp);
