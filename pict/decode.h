// pict/decode.h: the PICT decoder. The bytes of a file in; the picture QuickDraw would draw,
// or a refusal with its reason, out. Knows nothing of settings, batch or output formats.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "pict/image.h"
#include "pict/notes.h"
#include "pict/picture_drawing.h"

namespace pict {

// How to draw the picture.
struct DecodeOptions {
  // The picture drawn into a destination scale times its frame (1 to kMaxScale), as DrawPicture
  // draws into a larger rectangle: coordinates, pens, corner sizes and text sizes are scaled, so
  // lines and letters stay sharp; bitmaps and pixmaps are stretched, each pixel scale x scale;
  // 8x8 patterns keep their device size. Scale 1 draws the frame pixel for pixel.
  int scale = 1;
  // Also make the picture a drawing (PictResult::drawing) from the same operations: shapes,
  // text and images as QuickDraw drew them, on a page of the canvas's size whose units are its
  // pixels, at the frame's physical size.
  bool vector = false;
};

struct PictResult {
  Image image;          // opaque pixels; empty when refused
  std::string refusal;  // why there is no picture, when there is none
  Notes notes;          // what the decoder says beside the picture; notes.damage on a damaged file
  std::optional<PictDrawing> drawing = std::nullopt;  // with DecodeOptions::vector, when drawn

  // Our decoder found the file damaged, whether it drew a part of it or refused it.
  bool IsDamaged() const { return notes.damage.has_value(); }
};

// Decodes a PICT file, with or without the 512-byte preamble of a PICT document, at the
// options' scale. Never reads outside file, and stays within the caps of pict/limits.h, which
// count the scaled canvas and the work drawing it costs; a picture beyond them at that scale, or
// a scale outside 1..kMaxScale, is refused with a reason that names the scale.
// A damaged file (data that ends early, a length or a value that cannot be) gives what was
// drawn before the damage, with notes.damage saying where, and a drawing of the same part when
// asked; one damaged before anything was drawn is refused, with notes.damage too. A file that is no
// PICT, whose header cannot be read, or that is beyond a cap is refused without it (docs/pict.md).
PictResult DecodePict(std::span<const uint8_t> file, const DecodeOptions& options = {});

}  // namespace pict
