#include "decor/frame.h"

// Placeholder implementations.
Rgba ParseColor(std::string_view, int alpha) { return {0, 0, 0, static_cast<uint8_t>(alpha)}; }
Bitmap DrawSolidFrame(Bitmap picture, int, int, const FrameSettings&) { return picture; }
