// decor/bitmap_pixels.h: a FreeImage picture's pixels as a drawing carries them, for the image
// watermark and for a picture another reader made, placed on a page of vectors.
#pragma once

#include "picture/picture.h"
#include "vector/drawing.h"

// The pixels of a picture of any depth, rows from the top, straight alpha (255 where the
// picture has none); empty when it cannot be brought to 32 bits.
vector::Pixels BitmapPixels(FIBITMAP* picture);
