// pict/decode.h: the PICT decoder. The bytes of a file in; the picture QuickDraw would draw,
// or a refusal with its reason, out. Knows nothing of settings, batch or output formats.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "pict/image.h"

namespace pict {

struct PictResult {
  Image image;          // opaque pixels; empty when refused
  std::string refusal;  // why there is no picture, when there is none
};

// Decodes a PICT file, with or without the 512-byte preamble of a PICT document. Never reads
// outside file, and stays within the caps of pict/limits.h.
PictResult DecodePict(std::span<const uint8_t> file);

}  // namespace pict
