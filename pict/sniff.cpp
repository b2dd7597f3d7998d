#include "pict/sniff.h"

#include <cstddef>

namespace pict {

namespace {

constexpr size_t kPreambleSize = 512;

int16_t S16At(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<int16_t>(bytes[at] << 8 | bytes[at + 1]);
}

// The picture at start: its size word, its frame (top, left, bottom, right), then version 1's
// opcode 0x11 with 0x01, or version 2's 0x0011 0x02FF and the header opcode 0x0C00.
bool IsPictAt(std::span<const uint8_t> file, size_t start) {
  if (file.size() < start + 12) return false;
  const std::span<const uint8_t> picture = file.subspan(start);
  const bool frameHasArea =
      S16At(picture, 6) > S16At(picture, 2) && S16At(picture, 8) > S16At(picture, 4);
  if (!frameHasArea) return false;
  if (picture[10] == 0x11 && picture[11] == 0x01) return true;
  constexpr uint8_t kVersion2[] = {0x00, 0x11, 0x02, 0xFF, 0x0C, 0x00};
  if (picture.size() < 10 + sizeof kVersion2) return false;
  for (size_t i = 0; i < sizeof kVersion2; ++i)
    if (picture[10 + i] != kVersion2[i]) return false;
  return true;
}

}  // namespace

bool IsPictFile(std::span<const uint8_t> file) {
  return IsPictAt(file, kPreambleSize) || IsPictAt(file, 0);
}

}  // namespace pict
