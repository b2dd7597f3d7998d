// libFuzzer entry point for the PICT decoder: any bytes must decode or be refused, within the
// caps, without a crash, a leak or undefined behaviour. The first byte chooses the scale (1 to
// kMaxScale), so the scaled drawing is fuzzed with every picture; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "pict/decode.h"
#include "pict/limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const pict::DecodeOptions options{.scale = 1 + data[0] % pict::kMaxScale};
  const pict::PictResult result = pict::DecodePict(std::span(data + 1, size - 1), options);
  // A picture and a refusal exclude each other.
  if (result.image.IsEmpty() == result.refusal.empty()) __builtin_trap();
  return 0;
}
