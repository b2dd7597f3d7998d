// macfile/unwrapped.h: the kinds of wrapper a Macintosh file reaches other systems in, and the
// file taken out of one: what the recognition of each wrapper and its unwrapping share.
#pragma once

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

// A Macintosh file taken out of its wrapper.
struct MacFile {
  Wrapper wrapper = Wrapper::None;
  std::string name;          // UTF-8 (from Mac OS Roman); empty when the wrapper holds none
  std::string type;          // the Finder's four bytes ("PICT", "APPL"); empty when not said
  std::string creator;       // four bytes as well; empty when not said
  std::string dataFork;      // empty for AppleDouble and a bare resource fork
  std::string resourceFork;  // empty when the file has none
};

}  // namespace macfile
