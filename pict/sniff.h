// pict/sniff.h: whether bytes are a PICT picture, by their content, for files whose name says
// nothing (a data fork saved as "Picture 1") and for the data forks of Macintosh wrappers.
#pragma once

#include <cstdint>
#include <span>

namespace pict {

// True when file begins as a PICT picture does, with or without the 512-byte preamble of a
// PICT document: a picture frame that is not empty, then the version opcode (version 1), or
// the version opcode and the header opcode that version 2 always has. Looks at the first 528
// bytes at most; says nothing of whether the rest decodes.
bool IsPictFile(std::span<const uint8_t> file);

}  // namespace pict
