// pict/picture_drawing.h: the picture as a drawing, which the decoder gives beside its pixels
// when asked, and which the vector device makes.
#pragma once

#include <string>

#include "vector/drawing.h"

namespace pict {

// The picture as a drawing. Its units are the canvas's pixels at the options' scale, so an 8x8
// pattern keeps its device size: one unit a cell at scale 1, a quarter of one at scale 4, as
// the pixels have it. What it cannot say as shapes, text and images (the parts drawn in xor,
// hilite, blend and the arithmetic modes, whose result depends on what was there) it holds as
// the canvas's pixels of just those parts.
struct PictDrawing {
  vector::Drawing drawing;
  // Empty, or why some of the drawing is pixels: "parts drawn in srcXor and addMax modes are
  // pixels".
  std::string note;
};

}  // namespace pict
