// decor/frame.h: the solid mitred frame, on pixels and as a drawing.
#pragma once

#include "picture/picture.h"
#include "settings/settings.h"
#include "vector/drawing.h"

// With the frame switched on, returns a 24-bit W x H picture with the frame painted inside
// its edges (the input is consumed); otherwise the input unchanged. When no drawing surface
// can be made the picture comes back converted to 24 bits, without frame.
Bitmap DrawSolidFrame(Bitmap picture, int width, int height, const FrameSettings& frame);

// The same frame as a drawing in the pixels of a W x H picture: the four mitred bands in their
// colours at the frame's opacity. Empty with the frame switched off.
vector::Drawing SolidFrameDrawing(int width, int height, const FrameSettings& frame);
