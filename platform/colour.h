// platform/colour.h: a colour as four bytes, the plain type of the drawing surfaces
// (platform/drawing.h) and of the colour options.
#pragma once

#include <cstdint>

// A colour with straight (not premultiplied) alpha.
struct Rgba {
  uint8_t red = 0, green = 0, blue = 0, alpha = 255;
};
