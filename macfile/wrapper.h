// macfile/wrapper.h: the wrappers in which a Macintosh file's two forks reach other systems
// (BinHex 4.0, MacBinary I, II and III, AppleSingle, AppleDouble, a bare resource fork),
// recognised by their content and unwrapped from bytes in memory. Every offset and length is
// checked against the bytes in hand; a damaged wrapper is refused with a one-line reason.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "macfile/unwrapped.h"

namespace macfile {

// Which wrapper a file is, by its content alone: BinHex by its first line (any text may come
// before it, if the line lies within kRecognitionBytes), MacBinary by its header (II and III
// by its CRC, I by zeros where they must be, a name of 1 to 63 bytes and forks that fit the
// file), AppleSingle and AppleDouble by their magic numbers, versions and entry tables, a bare
// resource fork by a header whose offsets and lengths fit the file and match the map's copy.
// start is the file's first bytes (at least kRecognitionBytes of them, or the whole file) and
// fileSize its size. A MacBinary II or III header with a wrong CRC is still recognised, so that
// unwrapping it says so. Wrapper::None when it is none of them.
Wrapper RecogniseWrapper(std::span<const uint8_t> start, uint64_t fileSize);

// The forks, name, type and creator that the wrapper holds. Nothing, with the reason in
// message, when the bytes are no wrapper of RecogniseWrapper's, when a CRC (BinHex's three,
// MacBinary II's and III's header) does not match, when a fork runs past the end or is larger
// than kMaxForkBytes, or when the wrapper is otherwise damaged. A bare resource fork comes back
// as the resource fork; its map is read by ReadPictResources.
std::optional<MacFile> UnwrapMacFile(std::span<const uint8_t> file, std::string& message);

}  // namespace macfile
