// picture/surface_handover.h: exact transfer of pixels between drawing surfaces (premultiplied
// alpha, rows top-down) and 32-bit FreeImage bitmaps (straight alpha, rows bottom-up).
#pragma once

#include "picture/picture.h"
#include "platform/drawing.h"

// A new 32-bit bitmap of the surface's size and pixels; empty for an empty surface.
Bitmap SurfaceToBitmap(Surface& surface);

// A new surface holding the pixels of a 32-bit bitmap; empty when the bitmap is null or not
// a 32-bit standard bitmap. Colours of nearly transparent pixels lose precision, as every
// premultiplication does; SurfaceToBitmap followed by this gives back the same surface.
Surface BitmapToSurface(FIBITMAP* bitmap);
