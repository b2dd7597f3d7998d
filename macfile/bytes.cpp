#include "macfile/bytes.h"

#include <algorithm>
#include <array>
#include <cassert>

namespace macfile {

std::optional<ByteView> Part(ByteView bytes, uint64_t offset, uint64_t count) {
  // Compared without adding, so that no offset or count can wrap around.
  if (offset > bytes.size() || count > bytes.size() - offset) return std::nullopt;
  return bytes.subspan(size_t(offset), size_t(count));
}

uint16_t U16At(ByteView bytes, size_t offset) {
  assert(offset + 2 <= bytes.size() && "a checked offset");
  return uint16_t(bytes[offset] << 8 | bytes[offset + 1]);
}

uint32_t U24At(ByteView bytes, size_t offset) {
  assert(offset + 3 <= bytes.size() && "a checked offset");
  return uint32_t(bytes[offset]) << 16 | uint32_t(bytes[offset + 1]) << 8 | bytes[offset + 2];
}

uint32_t U32At(ByteView bytes, size_t offset) {
  assert(offset + 4 <= bytes.size() && "a checked offset");
  return uint32_t(bytes[offset]) << 24 | U24At(bytes, offset + 1);
}

bool IsAllZero(ByteView bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

// The CRC of each byte value, so that a fork costs one look-up a byte.
constexpr std::array<uint16_t, 256> kCrcTable = [] {
  std::array<uint16_t, 256> table{};
  for (unsigned value = 0; value < 256; ++value) {
    uint16_t crc = uint16_t(value << 8);
    for (int bit = 0; bit < 8; ++bit) crc = uint16_t(crc & 0x8000 ? crc << 1 ^ 0x1021 : crc << 1);
    table[value] = crc;
  }
  return table;
}();

uint16_t Crc16(ByteView bytes, uint16_t crc) {
  for (const uint8_t byte : bytes) crc = uint16_t(crc << 8 ^ kCrcTable[(crc >> 8 ^ byte) & 0xFF]);
  return crc;
}

std::string ToString(ByteView bytes) { return std::string(bytes.begin(), bytes.end()); }

ByteView ToBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

uint64_t PaddedTo128(uint64_t size) { return (size + 127) / 128 * 128; }

}  // namespace macfile
