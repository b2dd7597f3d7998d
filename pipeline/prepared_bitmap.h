// pipeline/prepared_bitmap.h (private to pipeline/): a picture in the form a writer's library
// takes it.
#pragma once

#include "picture/picture.h"

// The bitmap a writer hands to its library: the picture itself, or a converted copy owned here.
struct PreparedBitmap {
  Bitmap copy;
  FIBITMAP* bitmap = nullptr;  // null when a conversion that was needed failed
};

// An 8-bit picture that is not grey levels (a colour palette) converted to grey levels, weighted
// as the depth step weighs them; any other picture as it is.
PreparedBitmap AsGreyLevels(FIBITMAP* picture);

// A 16-bit picture in the 5-6-5 layout when layout565, else in 5-5-5; any other picture as it is.
PreparedBitmap As16BitLayout(FIBITMAP* picture, bool layout565);
