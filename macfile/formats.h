// macfile/formats.h (private to macfile/): each wrapper's recognition and unwrapping, which
// wrapper.cpp dispatches to, and the resource fork's header, which the recognition of a bare
// fork and the map reader share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "macfile/bytes.h"
#include "macfile/unwrapped.h"

namespace macfile {

// BinHex 4.0: true when its first line stands on a line of its own within the first
// kRecognitionBytes of start.
bool IsBinHex(ByteView start);
std::optional<MacFile> UnwrapBinHex(ByteView file, std::string& message);

// MacBinary I, II or III, or None.
Wrapper RecogniseMacBinary(ByteView start, uint64_t fileSize);
std::optional<MacFile> UnwrapMacBinary(ByteView file, Wrapper version, std::string& message);

// AppleSingle, AppleDouble, or None.
Wrapper RecogniseAppleSingle(ByteView start);
std::optional<MacFile> UnwrapAppleSingle(ByteView file, Wrapper kind, std::string& message);

// A resource fork's header: where its data area and its map are.
struct ForkHeader {
  uint32_t dataOffset = 0, mapOffset = 0, dataLength = 0, mapLength = 0;
};

// The header of a fork of forkSize bytes whose first bytes are start, when its areas lie
// inside the fork, apart from the header and from each other, the map is large enough for its
// own header and the map's copy of the header (when start reaches it) matches or is zero.
// Nothing, with the reason in message, otherwise.
std::optional<ForkHeader> ReadForkHeader(ByteView start, uint64_t forkSize, std::string& message);

// True when a fork of size bytes is within kMaxForkBytes; else false, with the reason.
bool IsForkWithinCap(Wrapper wrapper, std::string_view fork, uint64_t size, std::string& message);

// The four bytes of a Finder type or creator; empty when they are all zero (none said).
std::string FourBytes(ByteView bytes, size_t offset);

}  // namespace macfile
