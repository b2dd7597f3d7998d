#include "settings/keywords.h"

#include "platform/text.h"

// By KeywordTableId.
static constexpr std::span<const Keyword> kTables[kKeywordTableCount] = {
    kDdsLoadAs,        kRawLoadAs,  kFrameLoading,   kToneMapping,   kCompression, kColorTables,
    kTiffColorModels,  kJpgChromas, kJpgSaveAs,      kRotationTypes, kSizeUnits,   kResizeTypes,
    kResizeAlgorithms, kFrameKinds, kWatermarkKinds, kFontStyles,    kFontEffects, kTextAlignments,
    kBoundaries,       kPositions,  kWatermarkSizes, kTimestampModes};

std::span<const Keyword> KeywordTable(KeywordTableId table) {
  if (table < 0 || table >= kKeywordTableCount) return {};
  return kTables[table];
}

int KeywordToCode(KeywordTableId table, std::string_view text) {
  const std::string upper = ToUpper(text);
  for (const Keyword& keyword : KeywordTable(table))
    if (keyword.text == upper) return keyword.code;
  return 0;
}

std::string KeywordText(KeywordTableId table, int code) {
  for (const Keyword& keyword : KeywordTable(table))
    if (keyword.code == code) return ToLower(keyword.text);
  return {};
}
