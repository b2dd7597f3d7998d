// settings/formats.h: the output format registry (23 formats, their library ids and allowed
// depths) and the input format registry (79 extensions in 16 families).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t kOutputFormatCount = 23;

struct OutputFormat {
  std::string_view extension;    // lower case, the registry key
  int formatId;                  // FREE_IMAGE_FORMAT, or a DevIL type for psd, dds, pcx
  std::string_view description;
  std::string_view allowedDepths;  // ascending, separated by ","
};

// The 23 formats in their fixed order; entry 0 (bmp) is the default output extension.
extern const OutputFormat kOutputFormats[kOutputFormatCount];

// True when text equals one of the 23 extensions exactly (letter case included).
bool IsOutputExtension(std::string_view text);

// Registry index of an output extension, or nothing when it is not one.
std::optional<size_t> OutputFormatIndex(std::string_view extension);

// True when depth is 0 or one of the extension's allowed depths; false for unknown extensions.
bool IsAllowedDepth(std::string_view extension, int depth);

// The first allowed depth of the extension that is >= depth, else its largest; 0 for an
// unknown extension.
int AutomaticDepth(std::string_view extension, int depth);

// True for the formats written through DevIL (psd, dds, pcx).
bool IsDevilFormat(std::string_view extension);

struct InputFormat {
  std::string_view extension;  // lower case, the registry key
  std::string_view family;     // the main extension of its group
  std::string_view description;
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
