#include "pipeline/colour.h"

// Placeholder implementations: the picture passes through unchanged.
Bitmap AdjustPictureColors(Bitmap picture, const ColorSettings&) { return picture; }
Bitmap GreyscalePicture(Bitmap picture, const ColorSettings&) { return picture; }
Bitmap ThresholdPicture(Bitmap picture, const ColorSettings&) { return picture; }
