// libFuzzer entry point for the PICT decoder: any bytes must decode (whole, or in part with a
// damage note) or be refused, within the caps, without a crash, a leak or undefined behaviour.
// The first byte chooses the scale (1 to kMaxScale), so the scaled drawing is fuzzed with every
// picture; the rest is the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "pict/decode.h"
#include "pict/limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const pict::DecodeOptions options{.scale = 1 + data[0] % pict::kMaxScale};
  const pict::PictResult result = pict::DecodePict(std::span(data + 1, size - 1), options);
  // A picture and a refusal exclude each other; a picture is as large as it says.
  if (result.image.IsEmpty() == result.refusal.empty()) __builtin_trap();
  if (result.image.pixels.size() !=
      size_t(std::max(result.image.width, 0)) * size_t(std::max(result.image.height, 0)))
    __builtin_trap();
  // Damage lies inside the file, at or after the opcode it is in, and a refusal for it says so.
  if (const auto& damage = result.notes.damage) {
    if (damage->offset > size - 1 || damage->opcodeOffset > damage->offset) __builtin_trap();
    if (!result.refusal.empty() && result.refusal.find("damaged at byte") != 0) __builtin_trap();
  }
  return 0;
}
