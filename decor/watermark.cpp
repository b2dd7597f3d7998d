#include "decor/watermark.h"

// Placeholder implementations.
bool LoadWatermarkFont(const TextWatermarkSettings&) { return true; }
void ReleaseWatermarkFont() {}
Bitmap DrawWatermark(Bitmap picture, int, int, const WatermarkSettings&, const FrameSettings&) {
  return picture;
}
