// picture/rotated_size.h: the size of a picture turned as FreeImage_Rotate turns it, for what
// turns a drawing the same way.
#pragma once

#include <utility>

// The size FreeImage_Rotate gives a width x height picture turned by degrees: a quarter turn
// swaps the sides, any other angle grows the picture to hold its turned corners.
std::pair<int, int> RotatedSize(int width, int height, int degrees);
