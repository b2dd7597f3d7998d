// macfile/resource_map.h: the 'PICT' resources of a resource fork, found through its resource
// map. Every offset and length is checked: the header's against the fork, the type list, the
// reference lists and the name list against the map, each resource's data against the data
// area. A map that does not check out is refused with a one-line reason.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace macfile {

// One 'PICT' resource: what the map says of it, and where its data lies in the fork.
struct PictResource {
  int id = 0;                     // -32768 to 32767
  std::string name;               // UTF-8 (from Mac OS Roman); empty when the resource has none
  uint64_t offset = 0, size = 0;  // its data: the bytes after the data's length word
  // Compressed by System 7's resource compression (its data begin with that compression's
  // header): no PICT until expanded, which this reader does not do.
  bool compressed = false;
};

// The 'PICT' resources of a resource fork in id order; an empty fork has none. Nothing, with
// the reason in message, when the header, the map or any 'PICT' resource's name or data does
// not check out, when two 'PICT' resources share an id, or when the map holds more than
// kMaxResources resources or its 'PICT' data add up to more than kMaxPictBytes.
std::optional<std::vector<PictResource>> ReadPictResources(std::span<const uint8_t> fork,
                                                           std::string& message);

// The data of a resource that ReadPictResources found in the same fork.
std::span<const uint8_t> ResourceData(std::span<const uint8_t> fork, const PictResource& resource);

}  // namespace macfile
