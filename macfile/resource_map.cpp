// A resource fork: a 16-byte header (where the data area and the map are, and how long), the
// data area (each resource's data behind its 4-byte length) and the map. The map begins with
// 16 bytes for a copy of the header, a handle, a file number and attributes, then the offsets
// of its type list and name list; the type list names each type, its count and the offset of
// its reference list; each reference holds an id, the offset of a name in the name list, the
// attributes and the 3-byte offset of the data in the data area.
#include "macfile/resource_map.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "macfile/bytes.h"
#include "macfile/formats.h"
#include "macfile/limits.h"
#include "platform/text.h"

namespace macfile {

namespace {

constexpr size_t kForkHeaderSize = 16;
// Offsets in the map: its own copy of the header, then those of the type and name lists.
constexpr size_t kTypeListOffset = 24, kNameListOffset = 26, kMapHeaderSize = 28;
constexpr size_t kTypeSize = 8, kReferenceSize = 12;
// System 7's compressed resources begin with a header of their own: this signature, its
// length, a version, and attributes whose bit 0 says the data are compressed. No PICT begins
// so, since its frame would start at row 0x6572 and the header opcode could not follow.
constexpr uint32_t kCompressedSignature = 0xA89F6572;
constexpr size_t kCompressedAttributes = 7;

std::string Refusal(std::string_view what) { return "resource map: " + std::string(what); }

std::string Describe(int id) { return "'PICT' " + std::to_string(id); }

// A type as a reason shows it: 'snd ' when it is printable ASCII, else its number, so that no
// byte of the file can break the reason's line.
std::string TypeText(ByteView type) {
  if (std::all_of(type.begin(), type.end(), [](uint8_t c) { return c >= 0x20 && c < 0x7F; }))
    return "'" + ToString(type) + "'";
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", unsigned(U32At(type, 0)));
  return text;
}

}  // namespace

std::optional<ForkHeader> ReadForkHeader(ByteView start, uint64_t forkSize, std::string& message) {
  if (start.size() < kForkHeaderSize || forkSize < kForkHeaderSize) {
    message = "resource fork: shorter than its header";
    return std::nullopt;
  }
  const ForkHeader header{U32At(start, 0), U32At(start, 4), U32At(start, 8), U32At(start, 12)};
  const uint64_t dataEnd = uint64_t{header.dataOffset} + header.dataLength;
  const uint64_t mapEnd = uint64_t{header.mapOffset} + header.mapLength;
  if (header.dataOffset < kForkHeaderSize || dataEnd > forkSize) {
    message = "resource fork: the data area lies outside the fork";
    return std::nullopt;
  }
  if (header.mapOffset < kForkHeaderSize || mapEnd > forkSize) {
    message = "resource fork: the map lies outside the fork";
    return std::nullopt;
  }
  if (header.mapLength < kMapHeaderSize + 2) {
    message = "resource fork: a map of " + std::to_string(header.mapLength) +
              " bytes, too short for its own header";
    return std::nullopt;
  }
  if (dataEnd > header.mapOffset && mapEnd > header.dataOffset) {
    message = "resource fork: the data area and the map overlap";
    return std::nullopt;
  }
  // The Resource Manager writes the copy; other tools leave these reserved bytes zero.
  if (const std::optional<ByteView> copy = Part(start, header.mapOffset, kForkHeaderSize)) {
    if (!IsAllZero(*copy) && !std::equal(copy->begin(), copy->end(), start.begin())) {
      message = "resource fork: the map's copy of the header differs from the header";
      return std::nullopt;
    }
  }
  return header;
}

std::optional<std::vector<PictResource>> ReadPictResources(std::span<const uint8_t> fork,
                                                           std::string& message) {
  std::vector<PictResource> picts;
  if (fork.empty()) return picts;
  const std::optional<ForkHeader> header = ReadForkHeader(fork, fork.size(), message);
  if (!header) return std::nullopt;
  const ByteView data = fork.subspan(header->dataOffset, header->dataLength);
  const ByteView map = fork.subspan(header->mapOffset, header->mapLength);

  // The type list: its count (less one; 0xFFFF in an empty map), then the types.
  const size_t typeList = U16At(map, kTypeListOffset), nameList = U16At(map, kNameListOffset);
  if (!Part(map, typeList, 2) || nameList > map.size()) {
    message = Refusal("the type list or the name list lies outside the map");
    return std::nullopt;
  }
  const size_t typeCount = (U16At(map, typeList) + 1u) & 0xFFFF;
  const std::optional<ByteView> types = Part(map, typeList + 2, typeCount * kTypeSize);
  if (!types) {
    message = Refusal("the type list runs past the end of the map");
    return std::nullopt;
  }
  // Counted over every type before any reference is read, so that an absurd count costs
  // nothing.
  size_t total = 0;
  for (size_t t = 0; t < typeCount; ++t) total += U16At(*types, t * kTypeSize + 4) + 1u;
  if (total > kMaxResources) {
    message = Refusal(std::to_string(total) + " resources, more than the reader allows (" +
                      std::to_string(kMaxResources) + ")");
    return std::nullopt;
  }

  uint64_t pictBytes = 0;
  for (size_t t = 0; t < typeCount; ++t) {
    const ByteView type = types->subspan(t * kTypeSize, kTypeSize);
    const size_t count = U16At(type, 4) + 1u;
    const std::optional<ByteView> references =
        Part(map, typeList + U16At(type, 6), count * kReferenceSize);
    if (!references) {
      message = Refusal("the references of type " + TypeText(type.first(4)) +
                        " run past the end of the map");
      return std::nullopt;
    }
    if (ToString(type.first(4)) != "PICT") continue;
    for (size_t r = 0; r < count; ++r) {
      const ByteView reference = references->subspan(r * kReferenceSize, kReferenceSize);
      PictResource resource;
      resource.id = int16_t(U16At(reference, 0));
      const uint16_t nameOffset = U16At(reference, 2);
      // 0xFFFF: no name. A name is a length byte and that many bytes, inside the name list.
      if (nameOffset != 0xFFFF) {
        const std::optional<ByteView> length = Part(map, uint64_t{nameList} + nameOffset, 1);
        const std::optional<ByteView> name =
            length ? Part(map, uint64_t{nameList} + nameOffset + 1, (*length)[0]) : std::nullopt;
        if (!name) {
          message = Refusal("the name of " + Describe(resource.id) +
                            " runs past the end of the name list");
          return std::nullopt;
        }
        resource.name = MacRomanToUtf8(ToString(*name));
      }
      const uint32_t at = U24At(reference, 5);
      const std::optional<ByteView> length = Part(data, at, 4);
      const std::optional<ByteView> bytes =
          length ? Part(data, at + 4, U32At(*length, 0)) : std::nullopt;
      if (!bytes) {
        message =
            Refusal("the data of " + Describe(resource.id) + " run past the end of the data area");
        return std::nullopt;
      }
      pictBytes += bytes->size();
      if (pictBytes > kMaxPictBytes) {
        message = Refusal("the 'PICT' resources hold more data than the reader allows (" +
                          std::to_string(kMaxPictBytes) + " bytes)");
        return std::nullopt;
      }
      resource.offset = header->dataOffset + at + 4;
      resource.size = bytes->size();
      resource.compressed = bytes->size() > kCompressedAttributes &&
                            U32At(*bytes, 0) == kCompressedSignature &&
                            ((*bytes)[kCompressedAttributes] & 0x01);
      picts.push_back(std::move(resource));
    }
  }
  std::sort(picts.begin(), picts.end(),
            [](const PictResource& a, const PictResource& b) { return a.id < b.id; });
  const auto twin =
      std::adjacent_find(picts.begin(), picts.end(),
                         [](const PictResource& a, const PictResource& b) { return a.id == b.id; });
  if (twin != picts.end()) {
    message = Refusal("two resources are " + Describe(twin->id));
    return std::nullopt;
  }
  return picts;
}

std::span<const uint8_t> ResourceData(std::span<const uint8_t> fork, const PictResource& resource) {
  return Part(fork, resource.offset, resource.size).value_or(ByteView());
}

}  // namespace macfile
