// pict/pattern.h: what QuickDraw paints with: an 8x8 one-bit pattern drawn in the foreground
// and background colours, or a colour pixel pattern (a tile of real colours).
#pragma once

#include <array>
#include <cstdint>

#include "pict/image.h"

namespace pict {

struct Pattern {
  std::array<uint8_t, 8> rows{};  // bit 7 of a row is its left pixel; 1 = foreground
  Image tile;                     // a colour pixel pattern when not empty; rows then unused

  static Pattern Solid(bool foreground) {
    Pattern p;
    p.rows.fill(foreground ? 0xFF : 0x00);
    return p;
  }
  bool IsColour() const { return !tile.IsEmpty(); }
  // True when the one-bit pattern is all foreground (or all background).
  bool IsSolid(bool foreground) const {
    for (uint8_t row : rows)
      if (row != (foreground ? 0xFF : 0x00)) return false;
    return !IsColour();
  }
};

}  // namespace pict
