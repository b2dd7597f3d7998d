// decor/frame.h: the solid mitred frame, and colour texts as colours.
#pragma once

#include <cstdint>
#include <string_view>

#include "pipeline/picture.h"
#include "settings/settings.h"

struct Rgba {
  uint8_t red = 0, green = 0, blue = 0, alpha = 255;
};

// RRGGBB with the given alpha; a text of any other length gives black.
Rgba ParseColor(std::string_view text, int alpha);

// With the frame switched on, returns a 24-bit W x H picture with the frame painted inside
// its edges; otherwise the input unchanged.
Bitmap DrawSolidFrame(Bitmap picture, int width, int height, const FrameSettings& frame);
