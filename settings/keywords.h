// settings/keywords.h: the 22 keyword tables that turn option keywords into codes, each beside
// the enum that names its codes (the fields of settings/settings.h hold them), and the typed id
// by which an option row names its table.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct Keyword {
  std::string_view text;  // upper case, as matched
  int code;
};

// The code of a keyword enum's value.
template <typename Enum>
constexpr int Code(Enum value) {
  return static_cast<int>(value);
}

// Options of other input formats: accepted, read by nothing (their codes name no enum).
inline constexpr Keyword kDdsLoadAs[] = {{"AUTO", 0}, {"BGRA", 1}, {"RGBA", 2}};
inline constexpr Keyword kRawLoadAs[] = {{"AUTO", 0}, {"8", 1},    {"16", 2},
                                         {"24", 3},   {"48HS", 4}, {"48", 5}};
inline constexpr Keyword kFrameLoading[] = {
    {"ALL", 0}, {"FIRST", 1}, {"MIDDLE", 2}, {"LAST", 3}, {"RANDOM", 4}};
inline constexpr Keyword kToneMapping[] = {
    {"NONE", 0}, {"LINEAR", 1}, {"AL", 2}, {"DRR", 3}, {"GD", 4}};

// The compression keywords of all formats in one table: a code means what the format's own list
// of keywords (settings/formats.h) and its writer make of it; a keyword of another format is
// taken at its code.
inline constexpr Keyword kCompression[] = {
    {"NONE", 0},      {"RLE", 1},      {"ZIP", 1},     {"PIZ", 2},          {"PXR24", 3},
    {"B44", 4},       {"ZLIB1", 1},    {"ZLIB6", 2},   {"ZLIB9", 3},        {"CCITTFAX3", 1},
    {"CCITTFAX4", 2}, {"PACKBITS", 3}, {"DEFLATE", 4}, {"ADOBEDEFLATE", 5}, {"LZW", 6},
    {"JPEG", 7},      {"LOGLUV", 8}};

enum class ColorTable : int32_t { Auto = 0, Exact = 1 };
inline constexpr Keyword kColorTables[] = {{"AUTO", Code(ColorTable::Auto)},
                                           {"EXACT", Code(ColorTable::Exact)}};

enum class TiffColorModel : int32_t { Rgb = 0, Cmyk = 1, Lab = 2 };
inline constexpr Keyword kTiffColorModels[] = {{"RGB", Code(TiffColorModel::Rgb)},
                                               {"CMYK", Code(TiffColorModel::Cmyk)},
                                               {"LAB", Code(TiffColorModel::Lab)}};

enum class JpgChroma : int32_t { None = 0, Low = 1, Medium = 2, High = 3 };
inline constexpr Keyword kJpgChromas[] = {{"NONE", Code(JpgChroma::None)},
                                          {"LOW", Code(JpgChroma::Low)},
                                          {"MEDIUM", Code(JpgChroma::Medium)},
                                          {"HIGH", Code(JpgChroma::High)}};

enum class JpgSaveAs : int32_t { Standard = 0, Simple = 1, Optimized = 2, Progressive = 3 };
inline constexpr Keyword kJpgSaveAs[] = {{"STANDARD", Code(JpgSaveAs::Standard)},
                                         {"SIMPLE", Code(JpgSaveAs::Simple)},
                                         {"OPTIMIZED", Code(JpgSaveAs::Optimized)},
                                         {"PROGRESSIVE", Code(JpgSaveAs::Progressive)}};

enum class RotationType : int8_t { Simple = 0, Advanced = 1 };
inline constexpr Keyword kRotationTypes[] = {{"SIMPLE", Code(RotationType::Simple)},
                                             {"ADVANCED", Code(RotationType::Advanced)}};

enum class SizeUnit : int8_t { Pixels = 0, Percent = 1 };
inline constexpr Keyword kSizeUnits[] = {{"PIXELS", Code(SizeUnit::Pixels)},
                                         {"PERCENT", Code(SizeUnit::Percent)}};

enum class ResizeType : int8_t { AllImages = 0, LargeImages = 1 };
inline constexpr Keyword kResizeTypes[] = {{"ALLIMAGES", Code(ResizeType::AllImages)},
                                           {"LARGEIMAGES", Code(ResizeType::LargeImages)}};

enum class ResizeAlgorithm : int8_t {
  Box = 0,
  Bilinear = 1,
  BSpline = 2,
  Bicubic = 3,
  CatmullRom = 4,
  Lanczos = 5
};
inline constexpr Keyword kResizeAlgorithms[] = {{"BOX", Code(ResizeAlgorithm::Box)},
                                                {"BILINEAR", Code(ResizeAlgorithm::Bilinear)},
                                                {"BSPLINE", Code(ResizeAlgorithm::BSpline)},
                                                {"BICUBIC", Code(ResizeAlgorithm::Bicubic)},
                                                {"CATMULLROM", Code(ResizeAlgorithm::CatmullRom)},
                                                {"LANCZOS", Code(ResizeAlgorithm::Lanczos)}};

enum class FrameKind : int8_t { None = 0, Solid = 1 };
inline constexpr Keyword kFrameKinds[] = {{"NONE", Code(FrameKind::None)},
                                          {"SOLID", Code(FrameKind::Solid)}};

enum class WatermarkKind : int8_t { None = 0, Text = 1, Image = 2 };
inline constexpr Keyword kWatermarkKinds[] = {{"NONE", Code(WatermarkKind::None)},
                                              {"TEXT", Code(WatermarkKind::Text)},
                                              {"IMAGE", Code(WatermarkKind::Image)}};

enum class FontStyle : int8_t { Regular = 0, Bold = 1, Italic = 2, BoldItalic = 3 };
inline constexpr Keyword kFontStyles[] = {{"REGULAR", Code(FontStyle::Regular)},
                                          {"BOLD", Code(FontStyle::Bold)},
                                          {"ITALIC", Code(FontStyle::Italic)},
                                          {"BOLDITALIC", Code(FontStyle::BoldItalic)}};

enum class FontEffect : int8_t { None = 0, Underline = 1, Strikethrough = 2 };
// STRIKETHROUGHT is the keyword users have always typed; keep its spelling.
inline constexpr Keyword kFontEffects[] = {{"NONE", Code(FontEffect::None)},
                                           {"UNDERLINE", Code(FontEffect::Underline)},
                                           {"STRIKETHROUGHT", Code(FontEffect::Strikethrough)}};

enum class TextAlignment : int8_t { Left = 0, Center = 1, Right = 2 };
inline constexpr Keyword kTextAlignments[] = {{"LEFT", Code(TextAlignment::Left)},
                                              {"CENTER", Code(TextAlignment::Center)},
                                              {"RIGHT", Code(TextAlignment::Right)}};

enum class Boundary : int8_t { Image = 0, Frame = 1 };
inline constexpr Keyword kBoundaries[] = {{"IMAGE", Code(Boundary::Image)},
                                          {"FRAME", Code(Boundary::Frame)}};

enum class Position : int8_t {
  TopLeft = 0,
  TopCenter = 1,
  TopRight = 2,
  MiddleLeft = 3,
  MiddleCenter = 4,
  MiddleRight = 5,
  BottomLeft = 6,
  BottomCenter = 7,
  BottomRight = 8
};
inline constexpr Keyword kPositions[] = {
    {"TOPLEFT", Code(Position::TopLeft)},           {"TOPCENTER", Code(Position::TopCenter)},
    {"TOPRIGHT", Code(Position::TopRight)},         {"MIDDLELEFT", Code(Position::MiddleLeft)},
    {"MIDDLECENTER", Code(Position::MiddleCenter)}, {"MIDDLERIGHT", Code(Position::MiddleRight)},
    {"BOTTOMLEFT", Code(Position::BottomLeft)},     {"BOTTOMCENTER", Code(Position::BottomCenter)},
    {"BOTTOMRIGHT", Code(Position::BottomRight)}};

// A watermark keeps its size: FIXED is the only mode.
inline constexpr Keyword kWatermarkSizes[] = {{"FIXED", 0}};

enum class TimestampMode : int8_t { Current = 0, Original = 1, Custom = 2 };
inline constexpr Keyword kTimestampModes[] = {{"CURRENT", Code(TimestampMode::Current)},
                                              {"ORIGINAL", Code(TimestampMode::Original)},
                                              {"CUSTOM", Code(TimestampMode::Custom)}};

// Which table an option's keywords come from.
enum KeywordTableId : int8_t {
  kNoKeywordTable = -1,
  kDdsLoadAsTable = 0,
  kRawLoadAsTable = 1,
  kFrameLoadingTable = 2,
  kToneMappingTable = 3,
  kCompressionTable = 4,
  kColorTableTable = 5,
  kTiffColorModelTable = 6,
  kJpgChromaTable = 7,
  kJpgSaveAsTable = 8,
  kRotationTypeTable = 9,
  kSizeUnitTable = 10,
  kResizeTypeTable = 11,
  kResizeAlgorithmTable = 12,
  kFrameKindTable = 13,
  kWatermarkKindTable = 14,
  kFontStyleTable = 15,
  kFontEffectTable = 16,
  kTextAlignmentTable = 17,
  kBoundaryTable = 18,
  kPositionTable = 19,
  kWatermarkSizeTable = 20,
  kTimestampTable = 21,
  kKeywordTableCount = 22
};

// The keywords of the table; empty for kNoKeywordTable.
std::span<const Keyword> KeywordTable(KeywordTableId table);

// The code of the keyword of the table that equals text upper-cased; 0 when none matches.
int KeywordToCode(KeywordTableId table, std::string_view text);

// The lower-case keyword of the table with code; empty when none has it. For the compression
// table use CompressionKeyword (settings/formats.h), which knows each format's own keywords.
std::string KeywordText(KeywordTableId table, int code);
