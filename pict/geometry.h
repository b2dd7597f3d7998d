// pict/geometry.h: QuickDraw's points and rectangles in plain integers. A rectangle holds the
// pixels left <= x < right, top <= y < bottom, as QuickDraw's grid lines enclose them.
#pragma once

#include <algorithm>
#include <cstdint>

namespace pict {

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  // An inverted rectangle is as empty as a zero-sized one.
  bool IsEmpty() const { return right <= left || bottom <= top; }
  Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Rect Inset(int dx, int dy) const { return {left + dx, top + dy, right - dx, bottom - dy}; }
  Rect Intersect(const Rect& other) const {
    return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
            std::min(bottom, other.bottom)};
  }
};

// QuickDraw's colours have 16 bits a channel; the canvas keeps the high byte of each.
struct Colour {
  uint16_t red = 0, green = 0, blue = 0;
  bool operator==(const Colour&) const = default;
  uint32_t Rgb() const {
    return (uint32_t{red} >> 8) << 16 | (uint32_t{green} >> 8) << 8 | (uint32_t{blue} >> 8);
  }
};
constexpr Colour kBlack{0, 0, 0};
constexpr Colour kWhite{0xFFFF, 0xFFFF, 0xFFFF};

}  // namespace pict
