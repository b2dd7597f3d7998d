// AppleSingle and AppleDouble: a magic number, a version (1 or 2), 16 bytes that version 1
// fills with the home file system's name, then a table of entries (kind, offset, length) that
// point into the file. AppleSingle holds both forks; AppleDouble, the header file beside the
// data fork, holds the rest: the resource fork and the Finder's information.
#include <string_view>

#include "macfile/formats.h"
#include "macfile/limits.h"
#include "platform/text.h"

namespace macfile {

namespace {

constexpr uint32_t kSingleMagic = 0x00051600, kDoubleMagic = 0x00051607;
constexpr uint32_t kVersion1 = 0x00010000, kVersion2 = 0x00020000;
constexpr size_t kEntryCount = 24, kEntries = 26, kEntrySize = 12;
// HFS names have at most 31 bytes, HFS+ names 255 UTF-16 units.
constexpr size_t kMaxNameBytes = 1024;

// The entries this reader takes; the others (comment, icons, dates, ProDOS and MS-DOS
// information, ...) say nothing of the pictures.
enum EntryId : uint32_t { kDataFork = 1, kResourceFork = 2, kRealName = 3, kFinderInfo = 9 };

std::string EntryName(uint32_t id) {
  switch (id) {
    case kDataFork:
      return "data fork";
    case kResourceFork:
      return "resource fork";
    case kRealName:
      return "real name";
    case kFinderInfo:
      return "Finder info";
    default:
      return "entry of kind " + std::to_string(id);
  }
}

}  // namespace

Wrapper RecogniseAppleSingle(ByteView start) {
  if (start.size() < kEntries) return Wrapper::None;
  const uint32_t magic = U32At(start, 0), version = U32At(start, 4);
  if (version != kVersion1 && version != kVersion2) return Wrapper::None;
  if (magic == kSingleMagic) return Wrapper::AppleSingle;
  if (magic == kDoubleMagic) return Wrapper::AppleDouble;
  return Wrapper::None;
}

std::optional<MacFile> UnwrapAppleSingle(ByteView file, Wrapper kind, std::string& message) {
  const std::string name(WrapperName(kind));
  if (file.size() < kEntries) {
    message = name + ": shorter than its header";
    return std::nullopt;
  }
  const size_t count = U16At(file, kEntryCount);
  if (count > kMaxEntries) {
    message = name + ": " + std::to_string(count) + " entries, more than the reader allows (" +
              std::to_string(kMaxEntries) + ")";
    return std::nullopt;
  }
  const std::optional<ByteView> table = Part(file, kEntries, count * kEntrySize);
  if (!table) {
    message = name + ": the entry table runs past the end of the file";
    return std::nullopt;
  }
  MacFile result;
  result.wrapper = kind;
  bool seen[kFinderInfo + 1] = {};
  for (size_t i = 0; i < count; ++i) {
    const uint32_t id = U32At(*table, i * kEntrySize);
    const std::optional<ByteView> entry =
        Part(file, U32At(*table, i * kEntrySize + 4), U32At(*table, i * kEntrySize + 8));
    const std::string what = name + ": the " + EntryName(id);
    // Every entry lies inside the file, whether this reader takes it or not.
    if (!entry) {
      message = what + " runs past the end of the file";
      return std::nullopt;
    }
    // AppleDouble keeps the data fork in the file beside it; an entry for it is not ours.
    const bool wanted = id == kResourceFork || id == kRealName || id == kFinderInfo ||
                        (id == kDataFork && kind == Wrapper::AppleSingle);
    if (!wanted) continue;
    if (seen[id]) {
      message = what + " is there twice";
      return std::nullopt;
    }
    seen[id] = true;
    if ((id == kDataFork || id == kResourceFork) &&
        !IsForkWithinCap(kind, id == kDataFork ? "data" : "resource", entry->size(), message))
      return std::nullopt;
    if (id == kRealName && entry->size() > kMaxNameBytes) {
      message = what + " has " + std::to_string(entry->size()) + " bytes, more than a name has";
      return std::nullopt;
    }
    if (id == kFinderInfo && entry->size() < 8) {
      message = what + " has " + std::to_string(entry->size()) + " bytes, too few for a type";
      return std::nullopt;
    }
    if (id == kDataFork) result.dataFork = ToString(*entry);
    if (id == kResourceFork) result.resourceFork = ToString(*entry);
    if (id == kRealName) result.name = MacRomanToUtf8(ToString(*entry));
    if (id == kFinderInfo) {
      result.type = FourBytes(*entry, 0);
      result.creator = FourBytes(*entry, 4);
    }
  }
  return result;
}

}  // namespace macfile
