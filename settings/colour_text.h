// settings/colour_text.h: the colour texts of the settings (frame sides, watermark text and box,
// the rotation's background) as colours.
#pragma once

#include <string_view>

#include "platform/colour.h"

// RRGGBB with the given alpha, clamped to 0..255. The text must be six characters (not
// bytes); each pair reads as hexadecimal up to its first other character, so "1G" is 1 and "G1"
// is 0. A text of any other length gives black.
Rgba ParseColor(std::string_view text, int alpha);
