// pipeline/depth.h: bringing the finished picture to the bit depth it is saved with.
#pragma once

#include "picture/picture.h"
#include "settings/formats.h"

// Returns the picture converted to targetBpp (one of 1, 4, 8, 16, 24, 32, 48, 96) the way the
// output format needs it; the same picture when it already has that depth. The input is
// consumed; the result is empty when the conversion fails.
//   16 bits are 5-6-5 or 5-5-5, and 8 bits a Wu-quantised 256-colour palette or grey levels, as
//   the format's row says.
//   1 bit is Floyd-Steinberg black and white; 48 bits keep white at 65535.
//   Float (96-bit) pictures convert only to 96 bits.
Bitmap ApplyTargetDepth(Bitmap picture, const OutputFormat& format, int targetBpp);
