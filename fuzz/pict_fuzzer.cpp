// libFuzzer entry point for the PICT decoder: any bytes must decode (whole, or in part with a
// damage note) or be refused, within the caps, without a crash, a leak or undefined behaviour.
// The first byte chooses the scale (1 to kMaxScale, from its low bits) and, with its top bit,
// the drawing made beside the pixels, which is then rendered small; the rest is the file.
#include <cairo.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "pict/decode.h"
#include "pict/limits.h"
#include "vector/render.h"

namespace {

// The drawing shrunk onto a surface of at most 64 pixels a side, so that every operation is
// rendered (text laid out, images and tiles made, clips applied) at little cost.
void RenderSmall(const vector::Drawing& drawing) {
  constexpr double kSide = 64;
  const double scale = kSide / std::max({drawing.page.width, drawing.page.height, 1.0});
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 64, 64);
  cairo_t* cr = cairo_create(surface);
  vector::RenderOptions options;
  options.transform = vector::Matrix::Scaling(scale, scale);
  std::string message;
  vector::Render(drawing, cr, options, message);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool vector = (data[0] & 0x80) != 0;
  const pict::DecodeOptions options{.scale = 1 + data[0] % pict::kMaxScale, .vector = vector};
  const pict::PictResult result = pict::DecodePict(std::span(data + 1, size - 1), options);
  // A picture and a refusal exclude each other; a picture is as large as it says, and a
  // drawing comes with it when asked.
  if (result.image.IsEmpty() == result.refusal.empty()) __builtin_trap();
  if (result.image.pixels.size() !=
      size_t(std::max(result.image.width, 0)) * size_t(std::max(result.image.height, 0)))
    __builtin_trap();
  if (result.drawing.has_value() != (vector && result.refusal.empty())) __builtin_trap();
  // Damage lies inside the file, at or after the opcode it is in, and a refusal for it says so.
  if (const auto& damage = result.notes.damage) {
    if (damage->offset > size - 1 || damage->opcodeOffset > damage->offset) __builtin_trap();
    if (!result.refusal.empty() && result.refusal.find("damaged at byte") != 0) __builtin_trap();
  }
  if (result.drawing) RenderSmall(result.drawing->drawing);
  return 0;
}
