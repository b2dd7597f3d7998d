// pipeline/colour.h: brightness, contrast, gamma and invert, then greyscale and threshold.
#pragma once

#include "picture/picture.h"
#include "settings/settings.h"

// Each returns the picture the chain continues with; an empty picture comes back empty, and
// a step that is switched off returns its input unchanged.
Bitmap AdjustPictureColors(Bitmap picture, const ColorSettings& color);
Bitmap GreyscalePicture(Bitmap picture, const ColorSettings& color);
Bitmap ThresholdPicture(Bitmap picture, const ColorSettings& color);
