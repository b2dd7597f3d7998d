// picture/to_24_bits.h: bringing a picture to 24 bits for the steps whose FreeImage calls take
// only some depths.
#pragma once

#include "picture/picture.h"

// The picture itself when it is a standard bitmap of lowestKept to highestKept bits; else the
// picture converted to 24 bits, any alpha dropped (the input is consumed). Empty when the input
// is empty or cannot be converted.
Bitmap To24BitsUnless(Bitmap picture, unsigned lowestKept, unsigned highestKept);
