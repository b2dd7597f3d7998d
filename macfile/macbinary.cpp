// MacBinary: a 128-byte header (name, type, creator, Finder fields, the two forks' lengths),
// then the data fork and the resource fork, each padded to a multiple of 128 bytes. MacBinary
// II adds a CRC of the header and may put a secondary header before the forks; MacBinary III
// adds the signature 'mBIN'. MacBinary I has no CRC, so only its header's own rules tell it
// from other bytes.
#include <algorithm>
#include <string_view>

#include "macfile/formats.h"
#include "platform/text.h"

namespace macfile {

namespace {

constexpr size_t kHeaderSize = 128;
// Offsets in the header.
constexpr size_t kNameLength = 1, kName = 2, kType = 65, kCreator = 69, kDataLength = 83,
                 kResourceLength = 87, kSignature = 102, kSecondaryLength = 120,
                 kWriterVersion = 122, kReaderVersion = 123, kCrc = 124;
// The version bytes of MacBinary II (129) and III (130).
constexpr uint8_t kVersion2 = 129, kVersion3 = 130;
// MacBinary I's forks: its authors kept their lengths below 8 MiB.
constexpr uint32_t kMaxVersion1Fork = 0x7FFFFF;

struct Layout {
  uint64_t dataAt = 0, dataSize = 0, resourceAt = 0, resourceSize = 0;
};

Layout LayoutOf(ByteView header) {
  Layout layout;
  layout.dataAt = kHeaderSize + PaddedTo128(U16At(header, kSecondaryLength));
  layout.dataSize = U32At(header, kDataLength);
  layout.resourceAt = layout.dataAt + PaddedTo128(layout.dataSize);
  layout.resourceSize = U32At(header, kResourceLength);
  return layout;
}

// The last fork may end unpadded; an empty resource fork needs no room at all.
bool FitsIn(const Layout& layout, uint64_t fileSize) {
  return layout.dataAt + layout.dataSize <= fileSize &&
         (layout.resourceSize == 0 || layout.resourceAt + layout.resourceSize <= fileSize);
}

bool HasCrc(ByteView header) { return Crc16(header.first(kCrc)) == U16At(header, kCrc); }

bool HasSignature(ByteView header) {
  return std::string_view(reinterpret_cast<const char*>(header.data()) + kSignature, 4) == "mBIN";
}

}  // namespace

Wrapper RecogniseMacBinary(ByteView start, uint64_t fileSize) {
  if (start.size() < kHeaderSize || fileSize < kHeaderSize) return Wrapper::None;
  const ByteView header = start.first(kHeaderSize);
  // Bytes 0, 74 and 82 are zero in every version; a Mac name has 1 to 63 bytes.
  if (header[0] != 0 || header[74] != 0 || header[82] != 0 || header[kNameLength] < 1 ||
      header[kNameLength] > 63)
    return Wrapper::None;
  const Wrapper later = HasSignature(header) || header[kWriterVersion] == kVersion3
                            ? Wrapper::MacBinary3
                            : Wrapper::MacBinary2;
  if (HasCrc(header)) return later;
  const Layout layout = LayoutOf(header);
  // A header that says it is II or III and whose forks fit, with a CRC that does not match:
  // unwrapping says so.
  const bool saysLater =
      (header[kWriterVersion] == kVersion2 || header[kWriterVersion] == kVersion3) &&
      header[kReaderVersion] == kVersion2;
  if (saysLater && FitsIn(layout, fileSize)) return later;
  // MacBinary I left everything after the dates zero.
  if (IsAllZero(header.subspan(99)) && layout.dataSize <= kMaxVersion1Fork &&
      layout.resourceSize <= kMaxVersion1Fork && FitsIn(layout, fileSize))
    return Wrapper::MacBinary1;
  return Wrapper::None;
}

std::optional<MacFile> UnwrapMacBinary(ByteView file, Wrapper version, std::string& message) {
  const std::string name(WrapperName(version));
  if (file.size() < kHeaderSize) {
    message = name + ": shorter than its header";
    return std::nullopt;
  }
  const ByteView header = file.first(kHeaderSize);
  if (version != Wrapper::MacBinary1 && !HasCrc(header)) {
    message = name + ": the header fails its CRC";
    return std::nullopt;
  }
  const Layout layout = LayoutOf(header);
  if (!IsForkWithinCap(version, "data", layout.dataSize, message) ||
      !IsForkWithinCap(version, "resource", layout.resourceSize, message))
    return std::nullopt;
  const std::optional<ByteView> data = Part(file, layout.dataAt, layout.dataSize);
  const std::optional<ByteView> resources =
      layout.resourceSize == 0 ? ByteView() : Part(file, layout.resourceAt, layout.resourceSize);
  if (!data || !resources) {
    message =
        name + ": the " + (data ? "resource" : "data") + " fork runs past the end of the file";
    return std::nullopt;
  }
  MacFile result;
  result.wrapper = version;
  result.name =
      MacRomanToUtf8(ToString(header.subspan(kName, std::min<size_t>(header[kNameLength], 63))));
  result.type = FourBytes(header, kType);
  result.creator = FourBytes(header, kCreator);
  result.dataFork = ToString(*data);
  result.resourceFork = ToString(*resources);
  return result;
}

}  // namespace macfile
