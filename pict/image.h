// pict/image.h: a picture in memory as the decoder builds and hands it on.
#pragma once

#include <cstdint>
#include <vector>

namespace pict {

// Pixels are 0xAARRGGBB, rows top first, width pixels a row without padding. The canvas and
// the decoder's result are opaque (alpha 0xFF); decoded sources may carry real alpha.
struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;

  Image() = default;
  Image(int w, int h, uint32_t fill) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
  bool IsEmpty() const { return width <= 0 || height <= 0; }
  uint32_t& At(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

}  // namespace pict
