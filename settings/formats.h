// settings/formats.h: the output format registry, one row per format holding everything the
// program knows about it, and the input format registry (79 extensions in 16 families).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct OutputFormatSettings;

inline constexpr size_t kOutputFormatCount = 23;

// The writer of the file: FreeImage, FreeImage with our own colour table for the 8-bit BMPs
// that ask for the exact one, DevIL, or jxrlib's encoder.
enum class Writer { FreeImage, Bmp, Devil, JxrEncoder };

// What the depth step makes of a picture brought to 8 or to 16 bits.
enum class EightBits { Palette, Grey };  // a Wu-quantised 256-colour palette, or grey levels
enum class SixteenBits { Rgb565, Rgb555 };

// What the FreeImage writer does to a picture before it hands it over.
enum class Preparation {
  None,
  BlackSetBits,   // 1-bit pictures with a set bit for black, as in PBM
  GreyLevels,     // 8-bit palette pictures as grey levels
  Rgb555,         // 16-bit pictures as 5-5-5
  CmykWhenAsked,  // 24-, 32- and 48-bit pictures as CMYK values when the flags hold TIFF_CMYK
  UpsideDown,     // turned over top to bottom, for a plugin that writes its rows the wrong way
};

// A compression keyword of one format, at the code the shared keyword table gives it.
struct Compression {
  std::string_view keyword;  // as the debug echo shows it
  int flag;                  // the FreeImage save flag
};

struct OutputFormat {
  std::string_view extension;   // lower case, the registry key
  int formatId;                 // FREE_IMAGE_FORMAT, or a DevIL type for psd, dds, pcx
  std::span<const int> depths;  // the allowed depths, ascending; 0 (automatic) is always allowed
  Writer writer = Writer::FreeImage;
  EightBits eightBits = EightBits::Palette;
  SixteenBits sixteenBits = SixteenBits::Rgb565;
  Preparation preparation = Preparation::None;
  // FreeImage writes whichever Netpbm kind a picture is under all three names, so only the
  // allowed depths may reach it.
  bool allowedDepthsOnly = false;
  bool mipmaps = false;  // DevIL adds the full mipmap chain
  int squareLimit = 0;   // larger pictures become exactly this size square; 0: no limit
  // The compression setting and its keywords, by code; none for most formats.
  int32_t OutputFormatSettings::*compressionSetting = nullptr;
  std::span<const Compression> compressions = {};
  // The save flags of the other options, and the flags the format always has.
  int (*optionFlags)(const OutputFormatSettings&) = nullptr;
};

// The 23 formats in their fixed order; entry 0 (bmp) is the default output extension.
extern const OutputFormat kOutputFormats[kOutputFormatCount];

// The row of an output extension (letter case included); null when it is none.
const OutputFormat* FindOutputFormat(std::string_view extension);

// True when text equals one of the 23 extensions exactly (letter case included).
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

// The FreeImage save-flag word of the format with these output settings; 0 for formats without
// options (0 is also PNM_DEFAULT, the binary form of pbm, pgm and ppm).
int SaveFlags(const OutputFormat& format, const OutputFormatSettings& output);

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
