// libFuzzer entry point for the PICT decoder: any bytes must decode or be refused, within the
// caps, without a crash, a leak or undefined behaviour.
#include <cstddef>
#include <cstdint>
#include <span>

#include "pict/decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const pict::PictResult result = pict::DecodePict(std::span(data, size));
  // A picture and a refusal exclude each other.
  if (result.image.IsEmpty() == result.refusal.empty()) __builtin_trap();
  return 0;
}
