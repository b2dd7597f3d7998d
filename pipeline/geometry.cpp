#include "pipeline/geometry.h"

// Placeholder implementations: the picture passes through unchanged.
Bitmap RotatePicture(Bitmap picture, const RotationSettings&) { return picture; }
Bitmap ResizePicture(Bitmap picture, int, int, const ResizeSettings&) { return picture; }
void FlipPicture(FIBITMAP*, const FlipSettings&) {}
int ScaledDimension(int value, SizeUnit, int) { return value; }
FREE_IMAGE_FILTER ResizeFilter(ResizeAlgorithm) { return FILTER_BICUBIC; }
uint32_t ParseHexColor(std::string_view) { return 0; }
