#include "settings/keywords.h"

#include "platform/text.h"

static constexpr Keyword kDdsLoadAs[] = {{"AUTO", 0}, {"BGRA", 1}, {"RGBA", 2}};
static constexpr Keyword kRawLoadAs[] = {{"AUTO", 0}, {"8", 1},    {"16", 2},
                                         {"24", 3},   {"48HS", 4}, {"48", 5}};
static constexpr Keyword kFrameLoading[] = {
    {"ALL", 0}, {"FIRST", 1}, {"MIDDLE", 2}, {"LAST", 3}, {"RANDOM", 4}};
static constexpr Keyword kToneMapping[] = {
    {"NONE", 0}, {"LINEAR", 1}, {"AL", 2}, {"DRR", 3}, {"GD", 4}};
static constexpr Keyword kCompression[] = {
    {"NONE", 0},      {"RLE", 1},     {"ZIP", 1},          {"PIZ", 2},       {"PXR24", 3},
    {"B44", 4},       {"ZLIB1", 1},   {"ZLIB6", 2},        {"ZLIB9", 3},     {"CCITTFAX3", 1},
    {"CCITTFAX4", 2}, {"PACKBITS", 3}, {"DEFLATE", 4},     {"ADOBEDEFLATE", 5}, {"LZW", 6},
    {"JPEG", 7},      {"LOGLUV", 8}};
static constexpr Keyword kColorTable[] = {{"AUTO", 0}, {"EXACT", 1}};
static constexpr Keyword kTiffColorModel[] = {{"RGB", 0}, {"CMYK", 1}, {"LAB", 2}};
static constexpr Keyword kJpgChroma[] = {{"NONE", 0}, {"LOW", 1}, {"MEDIUM", 2}, {"HIGH", 3}};
static constexpr Keyword kJpgSaveAs[] = {
    {"STANDARD", 0}, {"SIMPLE", 1}, {"OPTIMIZED", 2}, {"PROGRESSIVE", 3}};
static constexpr Keyword kRotationType[] = {{"SIMPLE", 0}, {"ADVANCED", 1}};
static constexpr Keyword kSizeUnit[] = {{"PIXELS", 0}, {"PERCENT", 1}};
static constexpr Keyword kResizeType[] = {{"ALLIMAGES", 0}, {"LARGEIMAGES", 1}};
static constexpr Keyword kResizeAlgorithm[] = {{"BOX", 0},     {"BILINEAR", 1},
                                               {"BSPLINE", 2}, {"BICUBIC", 3},
                                               {"CATMULLROM", 4}, {"LANCZOS", 5}};
static constexpr Keyword kFrameKind[] = {{"NONE", 0}, {"SOLID", 1}};
static constexpr Keyword kWatermarkKind[] = {{"NONE", 0}, {"TEXT", 1}, {"IMAGE", 2}};
static constexpr Keyword kFontStyle[] = {
    {"REGULAR", 0}, {"BOLD", 1}, {"ITALIC", 2}, {"BOLDITALIC", 3}};
// STRIKETHROUGHT is the keyword users have always typed; keep its spelling.
static constexpr Keyword kFontEffect[] = {{"NONE", 0}, {"UNDERLINE", 1}, {"STRIKETHROUGHT", 2}};
static constexpr Keyword kTextAlignment[] = {{"LEFT", 0}, {"CENTER", 1}, {"RIGHT", 2}};
static constexpr Keyword kBoundary[] = {{"IMAGE", 0}, {"FRAME", 1}};
static constexpr Keyword kPosition[] = {
    {"TOPLEFT", 0},     {"TOPCENTER", 1},    {"TOPRIGHT", 2},
    {"MIDDLELEFT", 3},  {"MIDDLECENTER", 4}, {"MIDDLERIGHT", 5},
    {"BOTTOMLEFT", 6},  {"BOTTOMCENTER", 7}, {"BOTTOMRIGHT", 8}};
static constexpr Keyword kWatermarkSize[] = {{"FIXED", 0}};
static constexpr Keyword kTimestamp[] = {{"CURRENT", 0}, {"ORIGINAL", 1}, {"CUSTOM", 2}};

static constexpr std::span<const Keyword> kTables[kKeywordTableCount] = {
    kDdsLoadAs,    kRawLoadAs,     kFrameLoading,   kToneMapping,  kCompression,
    kColorTable,   kTiffColorModel, kJpgChroma,     kJpgSaveAs,    kRotationType,
    kSizeUnit,     kResizeType,    kResizeAlgorithm, kFrameKind,   kWatermarkKind,
    kFontStyle,    kFontEffect,    kTextAlignment,  kBoundary,     kPosition,
    kWatermarkSize, kTimestamp};

std::span<const Keyword> KeywordTable(int table) {
  if (table < 0 || table >= kKeywordTableCount) return {};
  return kTables[table];
}

int KeywordToCode(int table, std::string_view text) {
  const std::string upper = ToUpper(text);
  for (const Keyword& keyword : KeywordTable(table))
    if (keyword.text == upper) return keyword.code;
  return 0;
}

std::string KeywordText(int table, int code) {
  for (const Keyword& keyword : KeywordTable(table))
    if (keyword.code == code) return ToLower(keyword.text);
  return {};
}
