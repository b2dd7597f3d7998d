// pict/opcodes.h: QuickDraw's picture opcodes as Apple's table lists them: a range, a name,
// the rule that gives the length of the data, and the handler. Private to pict/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "pict/decoder.h"

namespace pict {

enum class LengthRule {
  Fixed,             // size bytes
  SizeWord,          // regions and polygons: the first word is the whole length
  WordPrefixed,      // a word of length, then that many bytes
  LongPrefixed,      // a long of length, then that many bytes
  LongText,          // point, count byte, text
  DhText,            // one offset byte, count byte, text
  DhDvText,          // two offset bytes, count byte, text
  LongComment,       // kind word, length word, data
  HighByteTimesTwo,  // reserved opcodes $0100-$7FFF: twice the opcode's high byte
  Parsed,            // only the data itself tells (pixel maps and patterns)
};

struct OpcodeEntry {
  uint16_t first, last;
  const char* name;
  LengthRule rule;
  uint16_t size;          // for Fixed
  OpcodeHandler handler;  // null: read and ignored, as QuickDraw ignores reserved opcodes
};

// The entry of an opcode; every value from 0 to 0xFFFF has one.
const OpcodeEntry& FindOpcode(uint16_t opcode);

// How many bytes of data follow the opcode at the reader's position; empty when the data ends
// before the length can be read.
std::optional<size_t> DataLength(const OpcodeEntry& entry, uint16_t opcode, ByteReader peek);

}  // namespace pict
