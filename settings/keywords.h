// settings/keywords.h: the 22 numbered keyword tables that turn option keywords into codes.
#pragma once

#include <span>
#include <string>
#include <string_view>

struct Keyword {
  std::string_view text;  // upper case, as matched
  int code;
};

enum KeywordTableId : int {
  kDdsLoadAsTable = 0, kRawLoadAsTable = 1, kFrameLoadingTable = 2, kToneMappingTable = 3,
  kCompressionTable = 4, kColorTableTable = 5, kTiffColorModelTable = 6, kJpgChromaTable = 7,
  kJpgSaveAsTable = 8, kRotationTypeTable = 9, kSizeUnitTable = 10, kResizeTypeTable = 11,
  kResizeAlgorithmTable = 12, kFrameKindTable = 13, kWatermarkKindTable = 14,
  kFontStyleTable = 15, kFontEffectTable = 16, kTextAlignmentTable = 17, kBoundaryTable = 18,
  kPositionTable = 19, kWatermarkSizeTable = 20, kTimestampTable = 21,
  kKeywordTableCount = 22
};

// The code of a keyword enum's value (settings/settings.h names the codes with enums).
template <typename Enum>
constexpr int Code(Enum value) {
  return static_cast<int>(value);
}

// The keywords of table `table` (0..21); empty for any other number.
std::span<const Keyword> KeywordTable(int table);

// The code of the keyword of `table` that equals text upper-cased; 0 when none matches.
int KeywordToCode(int table, std::string_view text);

// The lower-case keyword of `table` with `code`; empty when none has it. For table 4 use
// CompressionKeyword (settings/formats.h), which knows each format's own keywords.
std::string KeywordText(int table, int code);
