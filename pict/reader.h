// pict/reader.h: reading big-endian fields from untrusted bytes. No read can leave the data: a
// read past the end returns zeros and marks the reader failed, and the caller checks failed().
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "pict/geometry.h"

namespace pict {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

  uint8_t U8();
  int8_t S8() { return static_cast<int8_t>(U8()); }
  uint16_t U16();
  int16_t S16() { return static_cast<int16_t>(U16()); }
  uint32_t U32();
  int32_t S32() { return static_cast<int32_t>(U32()); }
  // A point as QuickDraw stores it: v, then h.
  Point ReadPoint();
  // A rectangle as QuickDraw stores it: top, left, bottom, right.
  Rect ReadRect();
  // QuickDraw's RGBColor: three 16-bit channels.
  Colour ReadColour();

  // The next count bytes; empty (and failed) when fewer are left.
  std::span<const uint8_t> Bytes(size_t count);
  // A reader over exactly the next count bytes, which this one skips; a failed, empty reader
  // when fewer are left.
  ByteReader Slice(size_t count);
  void Skip(size_t count) { Bytes(count); }
  // Moves to an even offset from the start of the data (version-2 opcodes are word aligned).
  void AlignToWord();

  size_t position() const { return position_; }
  size_t remaining() const { return failed_ ? 0 : data_.size() - position_; }
  bool failed() const { return failed_; }
  std::span<const uint8_t> data() const { return data_; }

 private:
  std::span<const uint8_t> data_;
  size_t position_ = 0;
  bool failed_ = false;
};

}  // namespace pict
