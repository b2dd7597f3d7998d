#include "pict/opcodes.h"

#include <algorithm>
#include <iterator>

namespace pict {

namespace {

using R = LengthRule;

// Apple's table for version 2 pictures; version 1 uses its first 256 rows with byte opcodes.
constexpr OpcodeEntry kOpcodes[] = {
    {0x0000, 0x0000, "NOP", R::Fixed, 0, nullptr},
    {0x0001, 0x0001, "Clip", R::SizeWord, 0, SetClip},
    {0x0002, 0x0002, "BkPat", R::Fixed, 8, SetPattern},
    {0x0003, 0x0003, "TxFont", R::Fixed, 2, SetText},
    {0x0004, 0x0004, "TxFace", R::Fixed, 1, SetText},
    {0x0005, 0x0005, "TxMode", R::Fixed, 2, SetText},
    {0x0006, 0x0006, "SpExtra", R::Fixed, 4, SetText},
    {0x0007, 0x0007, "PnSize", R::Fixed, 4, SetPen},
    {0x0008, 0x0008, "PnMode", R::Fixed, 2, SetPen},
    {0x0009, 0x0009, "PnPat", R::Fixed, 8, SetPattern},
    {0x000A, 0x000A, "FillPat", R::Fixed, 8, SetPattern},
    {0x000B, 0x000B, "OvSize", R::Fixed, 4, SetOvalSize},
    {0x000C, 0x000C, "Origin", R::Fixed, 4, MoveOrigin},
    {0x000D, 0x000D, "TxSize", R::Fixed, 2, SetText},
    {0x000E, 0x000E, "FgColor", R::Fixed, 4, SetColour},
    {0x000F, 0x000F, "BkColor", R::Fixed, 4, SetColour},
    {0x0010, 0x0010, "TxRatio", R::Fixed, 8, SetText},
    // In version 2 the version is a word; its second byte is the alignment pad.
    {0x0011, 0x0011, "VersionOp", R::Fixed, 1, nullptr},
    {0x0012, 0x0014, "PixPat", R::Parsed, 0, SetPixelPattern},
    {0x0015, 0x0015, "PnLocHFrac", R::Fixed, 2, nullptr},
    {0x0016, 0x0016, "ChExtra", R::Fixed, 2, SetText},
    {0x0017, 0x0019, "reserved", R::Fixed, 0, nullptr},
    {0x001A, 0x001B, "RGBColor", R::Fixed, 6, SetColour},
    {0x001C, 0x001C, "HiliteMode", R::Fixed, 0, SetHilite},
    {0x001D, 0x001D, "HiliteColor", R::Fixed, 6, SetColour},
    {0x001E, 0x001E, "DefHilite", R::Fixed, 0, SetHilite},
    {0x001F, 0x001F, "OpColor", R::Fixed, 6, SetColour},
    {0x0020, 0x0020, "Line", R::Fixed, 8, DrawLine},
    {0x0021, 0x0021, "LineFrom", R::Fixed, 4, DrawLine},
    {0x0022, 0x0022, "ShortLine", R::Fixed, 6, DrawLine},
    {0x0023, 0x0023, "ShortLineFrom", R::Fixed, 2, DrawLine},
    {0x0024, 0x0027, "reserved", R::WordPrefixed, 0, nullptr},
    {0x0028, 0x0028, "LongText", R::LongText, 0, DrawText},
    {0x0029, 0x002A, "DHText/DVText", R::DhText, 0, DrawText},
    {0x002B, 0x002B, "DHDVText", R::DhDvText, 0, DrawText},
    {0x002C, 0x002C, "fontName", R::WordPrefixed, 0, SetFontName},
    {0x002D, 0x002D, "lineJustify", R::WordPrefixed, 0, nullptr},
    {0x002E, 0x002E, "glyphState", R::WordPrefixed, 0, nullptr},
    {0x002F, 0x002F, "reserved", R::WordPrefixed, 0, nullptr},
    {0x0030, 0x0034, "Rect", R::Fixed, 8, DrawRect},
    {0x0035, 0x0037, "reserved", R::Fixed, 8, nullptr},
    {0x0038, 0x003C, "SameRect", R::Fixed, 0, DrawRect},
    {0x003D, 0x003F, "reserved", R::Fixed, 0, nullptr},
    {0x0040, 0x0044, "RRect", R::Fixed, 8, DrawRoundRect},
    {0x0045, 0x0047, "reserved", R::Fixed, 8, nullptr},
    {0x0048, 0x004C, "SameRRect", R::Fixed, 0, DrawRoundRect},
    {0x004D, 0x004F, "reserved", R::Fixed, 0, nullptr},
    {0x0050, 0x0054, "Oval", R::Fixed, 8, DrawOval},
    {0x0055, 0x0057, "reserved", R::Fixed, 8, nullptr},
    {0x0058, 0x005C, "SameOval", R::Fixed, 0, DrawOval},
    {0x005D, 0x005F, "reserved", R::Fixed, 0, nullptr},
    {0x0060, 0x0064, "Arc", R::Fixed, 12, DrawArc},
    {0x0065, 0x0067, "reserved", R::Fixed, 12, nullptr},
    {0x0068, 0x006C, "SameArc", R::Fixed, 4, DrawArc},
    {0x006D, 0x006F, "reserved", R::Fixed, 4, nullptr},
    {0x0070, 0x0074, "Poly", R::SizeWord, 0, DrawPolygon},
    {0x0075, 0x0077, "reserved", R::SizeWord, 0, nullptr},
    {0x0078, 0x007C, "SamePoly", R::Fixed, 0, DrawPolygon},
    {0x007D, 0x007F, "reserved", R::Fixed, 0, nullptr},
    {0x0080, 0x0084, "Rgn", R::SizeWord, 0, DrawRegion},
    {0x0085, 0x0087, "reserved", R::SizeWord, 0, nullptr},
    {0x0088, 0x008C, "SameRgn", R::Fixed, 0, DrawRegion},
    {0x008D, 0x008F, "reserved", R::Fixed, 0, nullptr},
    {0x0090, 0x0091, "BitsRect/BitsRgn", R::Parsed, 0, DrawCopyBits},
    {0x0092, 0x0097, "reserved", R::WordPrefixed, 0, nullptr},
    {0x0098, 0x009B, "PackBits/DirectBits", R::Parsed, 0, DrawCopyBits},
    {0x009C, 0x009F, "reserved", R::WordPrefixed, 0, nullptr},
    {0x00A0, 0x00A0, "ShortComment", R::Fixed, 2, ReadComment},
    {0x00A1, 0x00A1, "LongComment", R::LongComment, 0, ReadComment},
    {0x00A2, 0x00AF, "reserved", R::WordPrefixed, 0, nullptr},
    {0x00B0, 0x00CF, "reserved", R::Fixed, 0, nullptr},
    {0x00D0, 0x00FE, "reserved", R::LongPrefixed, 0, nullptr},
    {0x00FF, 0x00FF, "OpEndPic", R::Fixed, 0, nullptr},
    {0x0100, 0x7FFF, "reserved", R::HighByteTimesTwo, 0, nullptr},
    {0x8000, 0x80FF, "reserved", R::Fixed, 0, nullptr},
    {0x8100, 0x81FF, "reserved", R::LongPrefixed, 0, nullptr},
    {0x8200, 0x8201, "QuickTime", R::LongPrefixed, 0, DrawQuickTime},
    {0x8202, 0xFFFF, "reserved", R::LongPrefixed, 0, nullptr},
};

}  // namespace

const OpcodeEntry& FindOpcode(uint16_t opcode) {
  const auto* entry = std::upper_bound(
      std::begin(kOpcodes), std::end(kOpcodes), opcode,
      [](uint16_t value, const OpcodeEntry& e) { return value < e.first; });
  return *(entry - 1);  // the table starts at 0 and leaves no gap
}

std::optional<size_t> DataLength(const OpcodeEntry& entry, uint16_t opcode, ByteReader peek) {
  size_t length = 0;
  switch (entry.rule) {
    case R::Fixed: length = entry.size; break;
    case R::SizeWord: length = peek.U16(); break;
    case R::WordPrefixed: length = 2 + size_t{peek.U16()}; break;
    case R::LongPrefixed: length = 4 + size_t{peek.U32()}; break;
    case R::LongText: peek.Skip(4); length = 5 + size_t{peek.U8()}; break;
    case R::DhText: peek.Skip(1); length = 2 + size_t{peek.U8()}; break;
    case R::DhDvText: peek.Skip(2); length = 3 + size_t{peek.U8()}; break;
    case R::LongComment: peek.Skip(2); length = 4 + size_t{peek.U16()}; break;
    case R::HighByteTimesTwo: length = 2 * size_t{static_cast<uint16_t>(opcode >> 8)}; break;
    case R::Parsed: length = peek.remaining(); break;
  }
  if (peek.failed()) return std::nullopt;
  return length;
}

}  // namespace pict
