// tests/support/bitmaps.h: building small FreeImage pictures in memory and reading their pixels.
#pragma once

#include <FreeImage.h>

#include <cstdint>

#include "picture/picture.h"
#include "platform/drawing.h"
#include "tests/support/pixels.h"

// The RGBQUAD of a colour given as 0xRRGGBB, its reserved (alpha) byte 0.
RGBQUAD Quad(uint32_t rgb);

// 0xRRGGBB of a pixel counted from the top row, whatever the row order in memory; a palette
// picture is read through its palette.
uint32_t ColourAt(FIBITMAP* picture, unsigned x, unsigned yFromTop);

// A width x height picture of bpp 24 or 32 filled with color, opaque at 32 bits; empty when it
// cannot be allocated.
Bitmap SolidPicture(int width, int height, Rgb color, int bpp = 24);

// The colour at (x, y) of a 24- or 32-bit picture, counted from the top-left corner.
Rgb At(FIBITMAP* picture, int x, int y);

// A new surface holding the pixels of a 32-bit bitmap, premultiplied the way Cairo stores them;
// empty when the bitmap is null or not a 32-bit standard bitmap. SurfaceToBitmap followed by
// this gives back the same surface.
Surface BitmapToSurface(FIBITMAP* bitmap);
