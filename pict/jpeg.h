// pict/jpeg.h (private to pict/): JPEG data, as QuickTime pictures carry it, decoded by libjpeg
// with its exact DCT and smooth chroma upsampling, and how many of its rows came from the data
// whole.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pict/image.h"

namespace pict {

struct JpegImage {
  Image image;  // opaque
  // Rows from the top that the data made whole. Data that ends early, or entropy-coded data
  // that is damaged, leaves the rows after it to libjpeg's filling (grey, or worse): they are
  // not the picture's, and their pixels here are opaque black.
  int rowsWhole = 0;
  std::vector<uint8_t> iccProfile;  // the APP2 markers' profile; empty when none or beyond the cap
};

// Decodes data; empty with a reason when libjpeg cannot read its header, the image is beyond
// kMaxSourcePixels, or an error stops it before its first row. Prints nothing; safe on any
// thread.
std::optional<JpegImage> DecodeJpeg(std::span<const uint8_t> data, std::string& reason);

}  // namespace pict
