// macfile/limits.h: the caps on what one Macintosh file may make the reader do. A file beyond
// them is refused with a reason, so a hostile or damaged file costs bounded memory and time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace macfile {

// One fork, data or resource. The Resource Manager reaches resource data through 24-bit
// offsets, so a real resource fork stays near 16 MiB; a data fork that holds a picture as large
// as the decoder draws (64 megapixels at 32 bits) stays within 256 MiB.
constexpr uint64_t kMaxForkBytes = uint64_t{256} << 20;
// A whole file read to find its pictures: two full forks, BinHex's third more and its line ends.
constexpr uint64_t kMaxFileBytes = uint64_t{1} << 30;
// Resources of every type in one map. Resource files of the classic Mac OS hold a few hundred,
// and the Resource Manager slows to a crawl beyond a few thousand.
constexpr size_t kMaxResources = 16384;
// The data of the 'PICT' resources of one map together; several references may share one
// stretch of data, so this is counted apart from the fork's size.
constexpr uint64_t kMaxPictBytes = kMaxForkBytes;
// Entries of an AppleSingle or AppleDouble file: the format defines 15 kinds.
constexpr size_t kMaxEntries = 256;
// What is read of a file to recognise its wrapper: BinHex's first line must begin in it, after
// whatever text (mail headers, a note) comes before.
constexpr size_t kRecognitionBytes = 65536;

}  // namespace macfile
