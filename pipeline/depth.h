// pipeline/depth.h: bringing the finished picture to the bit depth it is saved with.
#pragma once

#include <string_view>

#include "pipeline/picture.h"

// Returns the picture converted to targetBpp (one of 1, 4, 8, 16, 24, 32, 48, 96) the way the
// output format `extension` needs it; the same picture when it already has that depth. The
// input is consumed; the result is empty when the conversion fails.
Bitmap ApplyTargetDepth(Bitmap picture, std::string_view extension, int targetBpp);
