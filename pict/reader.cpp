#include "pict/reader.h"

namespace pict {

std::span<const uint8_t> ByteReader::Bytes(size_t count) {
  if (failed_ || count > data_.size() - position_) {
    failed_ = true;
    return {};
  }
  const std::span<const uint8_t> bytes = data_.subspan(position_, count);
  position_ += count;
  return bytes;
}

uint8_t ByteReader::U8() {
  const std::span<const uint8_t> b = Bytes(1);
  return b.empty() ? 0 : b[0];
}

uint16_t ByteReader::U16() {
  const std::span<const uint8_t> b = Bytes(2);
  return b.empty() ? 0 : static_cast<uint16_t>(b[0] << 8 | b[1]);
}

uint32_t ByteReader::U32() {
  const std::span<const uint8_t> b = Bytes(4);
  return b.empty() ? 0
                   : uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
}

Point ByteReader::ReadPoint() {
  const int v = S16();
  const int h = S16();
  return {h, v};
}

Rect ByteReader::ReadRect() {
  const int top = S16();
  const int left = S16();
  const int bottom = S16();
  const int right = S16();
  return {left, top, right, bottom};
}

Colour ByteReader::ReadColour() {
  Colour c;
  c.red = U16();
  c.green = U16();
  c.blue = U16();
  return c;
}

ByteReader ByteReader::Slice(size_t count) {
  const std::span<const uint8_t> bytes = Bytes(count);
  ByteReader slice(bytes);
  slice.failed_ = failed_;
  return slice;
}

void ByteReader::AlignToWord() {
  if (position_ % 2 != 0 && position_ < data_.size()) ++position_;
}

}  // namespace pict
