#include "macfile/wrapper.h"

#include "macfile/formats.h"
#include "macfile/limits.h"

namespace macfile {

// Binary signatures before text, and the bare fork, which has none, last. Their first bytes
// exclude each other: MacBinary begins 0 then a name's length, AppleSingle 0 0 5, a resource
// fork 0 0 then an offset of at least 16 (in practice 256), BinHex with text.
Wrapper RecogniseWrapper(std::span<const uint8_t> start, uint64_t fileSize) {
  if (start.size() > fileSize) start = start.first(size_t(fileSize));
  if (const Wrapper kind = RecogniseAppleSingle(start); kind != Wrapper::None) return kind;
  if (const Wrapper version = RecogniseMacBinary(start, fileSize); version != Wrapper::None)
    return version;
  if (IsBinHex(start)) return Wrapper::BinHex;
  std::string ignored;
  if (ReadForkHeader(start, fileSize, ignored)) return Wrapper::ResourceFork;
  return Wrapper::None;
}

std::optional<MacFile> UnwrapMacFile(std::span<const uint8_t> file, std::string& message) {
  const Wrapper wrapper = RecogniseWrapper(file, file.size());
  switch (wrapper) {
    case Wrapper::None:
      message = "not a Macintosh file in a wrapper the reader knows";
      return std::nullopt;
    case Wrapper::BinHex:
      return UnwrapBinHex(file, message);
    case Wrapper::MacBinary1:
    case Wrapper::MacBinary2:
    case Wrapper::MacBinary3:
      return UnwrapMacBinary(file, wrapper, message);
    case Wrapper::AppleSingle:
    case Wrapper::AppleDouble:
      return UnwrapAppleSingle(file, wrapper, message);
    case Wrapper::ResourceFork:
      break;
  }
  if (!IsForkWithinCap(wrapper, "resource", file.size(), message)) return std::nullopt;
  MacFile result;
  result.wrapper = Wrapper::ResourceFork;
  result.resourceFork = ToString(file);
  return result;
}

}  // namespace macfile
