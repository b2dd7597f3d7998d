#include "settings/formats.h"

#include <algorithm>

#include "platform/text.h"

namespace {

// Allowed depths, ascending.
constexpr int k1To32[] = {1, 4, 8, 16, 24, 32};
constexpr int k1To96[] = {1, 4, 8, 24, 32, 48, 96};
constexpr int kJpeg2000[] = {8, 24, 32, 48};
constexpr int kJxr[] = {1, 8, 16, 24, 32, 48, 96};
constexpr int kPng[] = {1, 4, 8, 24, 32, 48};
constexpr int kTarga[] = {8, 16, 24, 32};
constexpr int k8And24[] = {8, 24};
constexpr int k24And32[] = {24, 32};
constexpr int k24And48[] = {24, 48};
constexpr int k1[] = {1};
constexpr int k8[] = {8};
constexpr int k24[] = {24};
constexpr int k32[] = {32};
constexpr int k96[] = {96};

// Compression keywords, by the code of the shared compression keyword table.
constexpr std::string_view kBmpCompressions[] = {"none", "rle"};
constexpr std::string_view kTgaCompressions[] = {"none", "rle"};
constexpr std::string_view kExrCompressions[] = {"none", "zip", "piz", "pxr24", "b44"};
constexpr std::string_view kPngCompressions[] = {"none", "zlib1", "zlib6", "zlib9"};
constexpr std::string_view kTiffCompressions[] = {"none",     "ccittfax3", "ccittfax4",
                                                  "packbits", "deflate",   "adobedeflate",
                                                  "lzw",      "jpeg",      "logluv"};

}  // namespace

const OutputFormat kOutputFormats[kOutputFormatCount] = {
    {.extension = "bmp", .depths = k1To32, .writer = Writer::Bmp, .compressions = kBmpCompressions},
    {.extension = "dds", .depths = k32, .writer = Writer::Devil, .mipmaps = true},
    {.extension = "exr", .depths = k96, .compressions = kExrCompressions},
    {.extension = "gif", .depths = k8},
    {.extension = "hdr", .depths = k96},
    // FreeImage writes square icons of 16 to 256 pixels only.
    {.extension = "ico", .depths = k1To32, .sixteenBits = SixteenBits::Rgb555, .squareLimit = 128},
    // Formats that store no palette take 8 bits as grey levels.
    {.extension = "j2k", .depths = kJpeg2000, .eightBits = EightBits::Grey},
    {.extension = "jng", .depths = k24And32},
    {.extension = "jp2", .depths = kJpeg2000, .eightBits = EightBits::Grey},
    {.extension = "jpg", .depths = k8And24, .eightBits = EightBits::Grey},
    // This FreeImage claims JPEG XR but every save fails: jxrlib's encoder writes it.
    {.extension = "jxr",
     .depths = kJxr,
     .writer = Writer::JxrEncoder,
     .eightBits = EightBits::Grey},
    {.extension = "pbm", .depths = k1},
    {.extension = "pcx", .depths = k24, .writer = Writer::Devil},
    // A page has no bit depth: its only depth stands for the colours its drawing keeps.
    {.extension = "pdf", .depths = k24, .writer = Writer::Pdf},
    {.extension = "pfm", .depths = k96},
    // PGM samples are grey levels by definition: quantised palette indices would be a
    // meaningless picture there.
    {.extension = "pgm", .depths = k8, .eightBits = EightBits::Grey},
    {.extension = "png", .depths = kPng, .writer = Writer::Png, .compressions = kPngCompressions},
    {.extension = "ppm", .depths = k24And48},
    {.extension = "psd", .depths = k32, .writer = Writer::Devil},
    {.extension = "svg", .depths = k24, .writer = Writer::Svg},
    {.extension = "tga",
     .depths = kTarga,
     .sixteenBits = SixteenBits::Rgb555,
     .compressions = kTgaCompressions},
    {.extension = "tiff", .depths = k1To96, .compressions = kTiffCompressions},
    {.extension = "wbmp", .depths = k1},
    {.extension = "webp", .depths = k24And32},
    {.extension = "xpm", .depths = k24},
};

const InputFormat kInputFormats[79] = {
    {"bmp", "bmp"},   {"rle", "bmp"},   {"dib", "bmp"},  {"dds", "dds"},  {"emf", "emf"},
    {"emz", "emf"},   {"gif", "gif"},   {"hdr", "hdr"},  {"hdri", "hdr"}, {"ico", "ico"},
    {"jpg", "jpg"},   {"jpeg", "jpg"},  {"jpe", "jpg"},  {"jif", "jpg"},  {"pcd", "pcd"},
    {"pcd1", "pcd"},  {"pcds", "pcd"},  {"ppcd", "pcd"}, {"pcx", "pcx"},  {"pic", "pic"},
    {"pict", "pic"},  {"pct", "pic"},   {"png", "png"},  {"psd", "psd"},  {"tga", "tga"},
    {"targa", "tga"}, {"tiff", "tiff"}, {"tif", "tiff"}, {"wmf", "wmf"},  {"wmz", "wmf"},
    {"apm", "wmf"},   {"raw", "raw"},   {"raw1", "raw"}, {"raw2", "raw"}, {"3fr", "raw"},
    {"arw", "raw"},   {"sr2", "raw"},   {"srf", "raw"},  {"bay", "raw"},  {"bmq", "raw"},
    {"cap", "raw"},   {"iiq", "raw"},   {"eip", "raw"},  {"cine", "raw"}, {"cr2", "raw"},
    {"crw", "raw"},   {"cs1", "raw"},   {"dc2", "raw"},  {"dcr", "raw"},  {"drf", "raw"},
    {"dsc", "raw"},   {"k25", "raw"},   {"kc2", "raw"},  {"kdc", "raw"},  {"dcs", "raw"},
    {"dng", "raw"},   {"erf", "raw"},   {"fff", "raw"},  {"ia", "raw"},   {"sti", "raw"},
    {"mdc", "raw"},   {"mrw", "raw"},   {"mef", "raw"},  {"mos", "raw"},  {"nef", "raw"},
    {"nrw", "raw"},   {"orf", "raw"},   {"pef", "raw"},  {"ptx", "raw"},  {"pxn", "raw"},
    {"qtk", "raw"},   {"raf", "raw"},   {"rdc", "raw"},  {"rw2", "raw"},  {"rwz", "raw"},
    {"x3f", "raw"},   {"ari", "raw"},   {"r3d", "raw"},  {"rwl", "raw"},
};

const OutputFormat* FindOutputFormat(std::string_view extension) {
  for (const OutputFormat& format : kOutputFormats)
    if (format.extension == extension) return &format;
  return nullptr;
}

bool IsOutputExtension(std::string_view text) { return FindOutputFormat(text) != nullptr; }

std::optional<size_t> OutputFormatIndex(std::string_view extension) {
  const OutputFormat* format = FindOutputFormat(extension);
  if (!format) return std::nullopt;
  return static_cast<size_t>(format - kOutputFormats);
}

bool IsAllowedDepth(std::string_view extension, int depth) {
  const OutputFormat* format = FindOutputFormat(extension);
  if (!format) return false;
  return depth == 0 ||
         std::find(format->depths.begin(), format->depths.end(), depth) != format->depths.end();
}

int AutomaticDepth(const OutputFormat& format, int depth) {
  for (int allowed : format.depths)
    if (allowed >= depth) return allowed;
  return format.depths.back();
}

std::string CompressionKeyword(const OutputFormat& format, int code) {
  if (code < 0 || static_cast<size_t>(code) >= format.compressions.size()) return {};
  return std::string(format.compressions[static_cast<size_t>(code)]);
}

std::vector<std::string> DeriveAcceptedInputExtensions() {
  std::vector<std::string> accepted;
  for (std::string_view family : kInputFamilies)
    for (const InputFormat& format : kInputFormats)
      if (format.family == family) accepted.emplace_back(format.extension);
  return accepted;
}

bool IsAcceptedInputFile(std::string_view path) {
  static const std::vector<std::string> accepted = DeriveAcceptedInputExtensions();
  const std::string_view name = FilePart(path);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string extension = ToLower(name.substr(dot + 1));
  return std::find(accepted.begin(), accepted.end(), extension) != accepted.end();
}
