// macfile/bytes.h (private to macfile/): checked views of untrusted bytes. A part is taken
// only when it lies wholly inside the bytes in hand, so no read can leave them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace macfile {

using ByteView = std::span<const uint8_t>;

// The count bytes at offset; nothing when any of them lies outside bytes.
std::optional<ByteView> Part(ByteView bytes, uint64_t offset, uint64_t count);

// Big-endian numbers at offset, which the caller has checked lie inside bytes.
uint16_t U16At(ByteView bytes, size_t offset);
uint32_t U24At(ByteView bytes, size_t offset);
uint32_t U32At(ByteView bytes, size_t offset);

// True when every byte of bytes is zero.
bool IsAllZero(ByteView bytes);

// CRC-16 with the polynomial 0x1021 starting at 0 (XMODEM's), continued from crc: what BinHex
// keeps after its header and each fork and MacBinary II after its header.
uint16_t Crc16(ByteView bytes, uint16_t crc = 0);

std::string ToString(ByteView bytes);
ByteView ToBytes(std::string_view text);

// Bytes a multiple of 128 long: MacBinary pads its header and forks to that.
uint64_t PaddedTo128(uint64_t size);

}  // namespace macfile
