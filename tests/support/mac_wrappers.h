// tests/support/mac_wrappers.h: Macintosh files made in tests: resource forks with the
// resources a test names, and the wrappers that carry a file's two forks to other systems,
// written as their formats describe them:
//   const MacForks forks{.name = "Demo", .resourceFork = ResourceForkWriter().Add(...).Bytes()};
//   WriteFileBytes(path, MacBinary(forks, 2));
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macfile/wrapper.h"

// A file's name (Mac OS Roman bytes), Finder type and creator, and its two forks.
struct MacForks {
  std::string name = "Picture";
  std::string type = "PICT", creator = "ttxt";
  std::string dataFork, resourceFork;
};

// A resource fork as the Resource Manager writes one: the header, the data area from offset
// 256, then the map (its copy of the header, the type list, the reference lists, the names).
class ResourceForkWriter {
 public:
  // A resource of a four-byte type; without a name, its reference says it has none.
  ResourceForkWriter& Add(std::string_view type, int id, std::string data,
                          std::optional<std::string> name = std::nullopt);
  // The map's copy of the header left zero, as some tools write it.
  ResourceForkWriter& ZeroCopy() {
    zeroCopy_ = true;
    return *this;
  }
  std::string Bytes() const;

 private:
  struct Entry {
    std::string type;
    int id;
    std::string data;
    std::optional<std::string> name;
  };
  std::vector<Entry> entries_;
  bool zeroCopy_ = false;
};

// Where the parts of a fork that ResourceForkWriter wrote lie, read back from its header, for
// tests that damage one of them.
struct ForkLayout {
  size_t dataOffset, mapOffset, dataLength, mapLength, typeList, nameList;
};
ForkLayout LayoutOf(const std::string& fork);

// MacBinary I, II or III (version 1, 2 or 3), each fork padded to 128 bytes.
std::string MacBinary(const MacForks& forks, int version);
// AppleSingle of version 1 or 2: real name, Finder info, data fork, resource fork.
std::string AppleSingle(const MacForks& forks, int version = 2);
// The AppleDouble header file (the "._name" beside the data fork) that macOS writes: Finder
// info and the resource fork.
std::string AppleDouble(const MacForks& forks);
// BinHex 4.0 with runs shortened, in lines of 64 characters ended by lineEnd, after the text
// before.
std::string BinHex(const MacForks& forks, std::string_view lineEnd = "\n",
                   std::string_view before = "");
// Its two steps, for tests that damage what the text encodes: the stream of header, forks and
// CRCs, and the text of any stream (its runs left as they are, without shortenRuns, for tests
// that write runs of their own).
std::string BinHexStream(const MacForks& forks);
std::string BinHexText(std::string_view stream, std::string_view lineEnd = "\n",
                       std::string_view before = "", bool shortenRuns = true);

// A file whose resource fork holds three small 'PICT' resources, out of id order and among
// resources of other types: 300 named "Room", -5 without a name, and 128 named "Café ™" in
// Mac OS Roman; its data fork is a PICT document.
MacForks SampleMacFile();

// forks in every wrapper the reader knows: BinHex with each line end and with text before it,
// MacBinary I, II and III, AppleSingle 1 and 2, AppleDouble, and the resource fork alone.
struct WrappedFile {
  std::string label;
  macfile::Wrapper wrapper;
  std::string bytes;
};
std::vector<WrappedFile> EveryWrapper(const MacForks& forks);

// CRC-16 with the polynomial 0x1021 from 0, as BinHex and MacBinary II keep it (written here
// apart from the reader's, so that the tests do not check the reader against itself).
uint16_t XmodemCrc(std::string_view bytes);

// Big-endian numbers appended to bytes.
void PutU16(std::string& bytes, uint32_t value);
void PutU32(std::string& bytes, uint32_t value);
