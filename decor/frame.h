// decor/frame.h: the solid mitred frame, and colour texts as colours.
#pragma once

#include <string_view>

#include "picture/picture.h"
#include "platform/drawing.h"  // Rgba
#include "settings/settings.h"

// RRGGBB (six characters, each pair read as hexadecimal up to its first non-digit) with the
// given alpha, clamped to 0..255; a text of any other length gives black.
Rgba ParseColor(std::string_view text, int alpha);

// With the frame switched on, returns a 24-bit W x H picture with the frame painted inside
// its edges (the input is consumed); otherwise the input unchanged. When no drawing surface
// can be made the picture comes back converted to 24 bits, without frame.
Bitmap DrawSolidFrame(Bitmap picture, int width, int height, const FrameSettings& frame);
