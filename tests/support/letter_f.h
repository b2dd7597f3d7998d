// tests/support/letter_f.h: the letter F test pictures, red on blue, exact or stretched.
#pragma once

#include <FreeImage.h>

#include <cstdint>

#include "picture/picture.h"

// The standard test picture, top row first: a red F on blue, 6 x 5, with no symmetry.
constexpr const char* kLetterF[] = {"XXXXX.", "X.....", "XXXX..", "X.....", "X....."};
constexpr unsigned kWidth = 6, kHeight = 5;
constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;  // 0xRRGGBB of the ink and the paper

// The standard picture, kLetterF pixel for pixel. bpp 1, 4 or 8 gives a palette picture
// (0 = blue, 1 = red); 24 or 32 a direct one.
Bitmap MakeLetterF(unsigned bpp = 24);

// The letter F with a blank first column (rows ".XXXX.", ".X....", ".XXX..", ".X....", ".X....",
// top first), red on blue, drawn on a 6 x 5 grid stretched over a width x height picture of bpp
// 24 or 32. The red is opaque; the blue has alpha paperAlpha, which shows at 32 bits only.
Bitmap LetterF(unsigned width = 6, unsigned height = 5, int bpp = 24, BYTE paperAlpha = 255);
