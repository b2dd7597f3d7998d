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

namespace macfile {

enum class Wrapper {
  None,
  BinHex,        // BinHex 4.0 text (.hqx)
  MacBinary1,    // MacBinary I (.bin): no CRC, known by its header's sanity
  MacBinary2,    // MacBinary II: its header's CRC
  MacBinary3,    // MacBinary III: 'mBIN' and the CRC
  AppleSingle,   // both forks in one file
  AppleDouble,   // the header file beside a data fork (._name): resource fork and Finder info
  ResourceFork,  // a resource fork on its own (.rsrc)
};

// The wrapper's name in messages: "BinHex 4.0", "MacBinary II", "AppleDouble", ...
std::string_view WrapperName(Wrapper wrapper);

// Which wrapper a file is, by its content alone: BinHex by its first line (any text may come
// before it, if the line lies within kRecognitionBytes), MacBinary by its header (II and III
// by its CRC, I by zeros where they must be, a name of 1 to 63 bytes and forks that fit the
// file), AppleSingle and AppleDouble by their magic numbers, versions and entry tables, a bare
// resource fork by a header whose offsets and lengths fit the file and match the map's copy.
// start is the file's first bytes (at least kRecognitionBytes of them, or the whole file) and
// fileSize its size. A MacBinary II or III header with a wrong CRC is still recognised, so that
// unwrapping it says so. Wrapper::None when it is none of them.
Wrapper RecogniseWrapper(std::span<const uint8_t> start, uint64_t fileSize);

// A Macintosh file taken out of its wrapper.
struct MacFile {
  Wrapper wrapper = Wrapper::None;
  std::string name;          // UTF-8 (from Mac OS Roman); empty when the wrapper holds none
  std::string type;          // the Finder's four bytes ("PICT", "APPL"); empty when not said
  std::string creator;       // four bytes as well; empty when not said
  std::string dataFork;      // empty for AppleDouble and a bare resource fork
  std::string resourceFork;  // empty when the file has none
};

// The forks, name, type and creator that the wrapper holds. Nothing, with the reason in
// message, when the bytes are no wrapper of RecogniseWrapper's, when a CRC (BinHex's three,
// MacBinary II's and III's header) does not match, when a fork runs past the end or is larger
// than kMaxForkBytes, or when the wrapper is otherwise damaged. A bare resource fork comes back
// as the resource fork; its map is read by ReadPictResources.
std::optional<MacFile> UnwrapMacFile(std::span<const uint8_t> file, std::string& message);

}  // namespace macfile
