// settings/formats.h: the output format registry, one row per format holding what the options,
// the steps and the documentation know of it (its writer knows what its library needs), and
// the input format registry (79 extensions in 16 families).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t kOutputFormatCount = 25;

// The writer of the file: FreeImage; FreeImage with our own colour table for the 8-bit BMPs
// that ask for the exact one; libpng for the PNG files that store their pixels (FreeImage for
// compressed ones); DevIL; or jxrlib's encoder. Each writer knows what its library needs for
// its formats (pipeline/). Svg and Pdf are Cairo's surfaces, which write a page of vectors: the
// picture as a drawing, not as pixels.
enum class Writer { FreeImage, Bmp, Png, Devil, JxrEncoder, Svg, Pdf };

// What the depth step makes of a picture brought to 8 or to 16 bits.
enum class EightBits { Palette, Grey };  // a Wu-quantised 256-colour palette, or grey levels
enum class SixteenBits { Rgb565, Rgb555 };

struct OutputFormat {
  std::string_view extension;   // lower case, the registry key
  std::span<const int> depths;  // the allowed depths, ascending; 0 (automatic) is always allowed
  Writer writer = Writer::FreeImage;
  EightBits eightBits = EightBits::Palette;
  SixteenBits sixteenBits = SixteenBits::Rgb565;
  bool mipmaps = false;  // the file holds the full mipmap chain
  int squareLimit = 0;   // larger pictures become exactly this size square; 0: no limit
  // The format's compression keywords by the code of the shared compression table, as the debug
  // echo shows them; empty for the formats without a compression option.
  std::span<const std::string_view> compressions = {};
};

// The 25 formats in their fixed order; entry 0 (bmp) is the default output extension.
extern const OutputFormat kOutputFormats[kOutputFormatCount];

// True for the formats that hold a page of vectors (svg, pdf): the picture goes out as the
// decoder's drawing, and bit depth and compression mean nothing for it.
inline bool IsVectorFormat(const OutputFormat& format) {
  return format.writer == Writer::Svg || format.writer == Writer::Pdf;
}

// The row of an output extension (letter case included); null when it is none.
const OutputFormat* FindOutputFormat(std::string_view extension);

// True when text equals one of the 25 extensions exactly (letter case included).
bool IsOutputExtension(std::string_view text);

// Registry index of an output extension, or nothing when it is not one.
std::optional<size_t> OutputFormatIndex(std::string_view extension);

// True when depth is 0 or one of the extension's allowed depths; false for unknown extensions.
bool IsAllowedDepth(std::string_view extension, int depth);

// The first allowed depth of the format that is >= depth, else its largest.
int AutomaticDepth(const OutputFormat& format, int depth);

// The keyword of the format's compression code as the debug echo shows it ("rle" for bmp 1,
// "zlib1" for png 1); empty when the format has no compression of that code.
std::string CompressionKeyword(const OutputFormat& format, int code);

struct InputFormat {
  std::string_view extension;  // lower case, the registry key
  std::string_view family;     // the main extension of its group
};

// The 79 input extensions in order of entry.
extern const InputFormat kInputFormats[79];

// The families this program reads: "pic" only.
inline constexpr std::string_view kInputFamilies[] = {"pic"};

// The keys of the registry whose family is in kInputFamilies, in registry order
// (pic, pict, pct).
std::vector<std::string> DeriveAcceptedInputExtensions();

// True when the lower-cased text after the last "." of the file name is an accepted input
// extension; a name without extension is never accepted.
bool IsAcceptedInputFile(std::string_view path);
