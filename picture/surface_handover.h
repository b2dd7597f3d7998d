// picture/surface_handover.h: exact transfer of the pixels of a drawing surface (premultiplied
// alpha, rows top-down) into a 32-bit FreeImage bitmap (straight alpha, rows bottom-up).
#pragma once

#include "picture/picture.h"
#include "platform/drawing.h"

// A new 32-bit bitmap of the surface's size and pixels; empty for an empty surface.
Bitmap SurfaceToBitmap(Surface& surface);
