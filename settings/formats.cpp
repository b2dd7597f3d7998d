#include "settings/formats.h"

#include <FreeImage.h>
#include <IL/il.h>

#include <algorithm>

#include "platform/text.h"
#include "settings/keywords.h"
#include "settings/settings.h"

namespace {

using O = OutputFormatSettings;

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

// Compression keywords and flags, by the code of the shared compression keyword table.
constexpr Compression kBmpCompressions[] = {{"none", 0}, {"rle", BMP_SAVE_RLE}};
constexpr Compression kTgaCompressions[] = {{"none", 0}, {"rle", TARGA_SAVE_RLE}};
constexpr Compression kExrCompressions[] = {
    {"none", EXR_NONE}, {"zip", EXR_ZIP}, {"piz", EXR_PIZ}, {"pxr24", EXR_PXR24}, {"b44", EXR_B44}};
constexpr Compression kPngCompressions[] = {{"none", PNG_Z_NO_COMPRESSION},
                                            {"zlib1", PNG_Z_BEST_SPEED},
                                            {"zlib6", PNG_Z_DEFAULT_COMPRESSION},
                                            {"zlib9", PNG_Z_BEST_COMPRESSION}};
constexpr Compression kTiffCompressions[] = {{"none", TIFF_NONE},
                                             {"ccittfax3", TIFF_CCITTFAX3},
                                             {"ccittfax4", TIFF_CCITTFAX4},
                                             {"packbits", TIFF_PACKBITS},
                                             {"deflate", TIFF_DEFLATE},
                                             {"adobedeflate", TIFF_ADOBE_DEFLATE},
                                             {"lzw", TIFF_LZW},
                                             {"jpeg", TIFF_JPEG},
                                             {"logluv", TIFF_LOGLUV}};

// By JpgChroma and JpgSaveAs code.
constexpr int kJpgChromaFlags[] = {JPEG_SUBSAMPLING_444, JPEG_SUBSAMPLING_422, JPEG_SUBSAMPLING_420,
                                   JPEG_SUBSAMPLING_411};
constexpr int kJpgSaveAsFlags[] = {0, JPEG_BASELINE, JPEG_OPTIMIZE, JPEG_PROGRESSIVE};

// The entry of table at code; T{} for a code past its end.
template <typename T>
T AtCode(std::span<const T> table, int code) {
  if (code < 0 || static_cast<size_t>(code) >= table.size()) return T{};
  return table[static_cast<size_t>(code)];
}

int JpgFlags(const O& o) {
  return o.jpgQuality | AtCode<int>(kJpgChromaFlags, Code(o.jpgChroma)) |
         AtCode<int>(kJpgSaveAsFlags, Code(o.jpgSaveAs));
}
int PngFlags(const O& o) { return o.pngInterlaced ? PNG_INTERLACED : 0; }
int TiffFlags(const O& o) { return o.tiffColorModel == TiffColorModel::Cmyk ? TIFF_CMYK : 0; }
int JxrFlags(const O&) { return JXR_LOSSLESS; }
int WebpFlags(const O&) { return WEBP_LOSSLESS; }

}  // namespace

const OutputFormat kOutputFormats[kOutputFormatCount] = {
    {.extension = "bmp",
     .formatId = FIF_BMP,
     .depths = k1To32,
     .writer = Writer::Bmp,
     .compressionSetting = &O::bmpCompression,
     .compressions = kBmpCompressions},
    {.extension = "dds",
     .formatId = IL_DDS,
     .depths = k32,
     .writer = Writer::Devil,
     .mipmaps = true},
    {.extension = "exr",
     .formatId = FIF_EXR,
     .depths = k96,
     .compressionSetting = &O::exrCompression,
     .compressions = kExrCompressions},
    {.extension = "gif", .formatId = FIF_GIF, .depths = k8},
    {.extension = "hdr", .formatId = FIF_HDR, .depths = k96},
    // FreeImage writes square icons of 16 to 256 pixels only.
    {.extension = "ico",
     .formatId = FIF_ICO,
     .depths = k1To32,
     .sixteenBits = SixteenBits::Rgb555,
     .preparation = Preparation::Rgb555,
     .squareLimit = 128},
    // Formats that store no palette take 8 bits as grey levels.
    {.extension = "j2k", .formatId = FIF_J2K, .depths = kJpeg2000, .eightBits = EightBits::Grey},
    {.extension = "jng", .formatId = FIF_JNG, .depths = k24And32},
    {.extension = "jp2", .formatId = FIF_JP2, .depths = kJpeg2000, .eightBits = EightBits::Grey},
    {.extension = "jpg",
     .formatId = FIF_JPEG,
     .depths = k8And24,
     .eightBits = EightBits::Grey,
     .optionFlags = JpgFlags},
    // This FreeImage claims JPEG XR but every save fails: jxrlib's encoder writes it.
    {.extension = "jxr",
     .formatId = FIF_JXR,
     .depths = kJxr,
     .writer = Writer::JxrEncoder,
     .eightBits = EightBits::Grey,
     .optionFlags = JxrFlags},
    {.extension = "pbm",
     .formatId = FIF_PBM,
     .depths = k1,
     .preparation = Preparation::BlackSetBits,
     .allowedDepthsOnly = true},
    {.extension = "pcx", .formatId = IL_PCX, .depths = k24, .writer = Writer::Devil},
    // PFM stores the bottom row first; FreeImage's plugin writes its top row first.
    {.extension = "pfm",
     .formatId = FIF_PFM,
     .depths = k96,
     .preparation = Preparation::UpsideDown},
    // PGM samples are grey levels by definition: quantised palette indices would be a
    // meaningless picture there.
    {.extension = "pgm",
     .formatId = FIF_PGM,
     .depths = k8,
     .eightBits = EightBits::Grey,
     .preparation = Preparation::GreyLevels,
     .allowedDepthsOnly = true},
    {.extension = "png",
     .formatId = FIF_PNG,
     .depths = kPng,
     .compressionSetting = &O::pngCompression,
     .compressions = kPngCompressions,
     .optionFlags = PngFlags},
    {.extension = "ppm", .formatId = FIF_PPM, .depths = k24And48, .allowedDepthsOnly = true},
    {.extension = "psd", .formatId = IL_PSD, .depths = k32, .writer = Writer::Devil},
    {.extension = "tga",
     .formatId = FIF_TARGA,
     .depths = kTarga,
     .sixteenBits = SixteenBits::Rgb555,
     .preparation = Preparation::Rgb555,
     .compressionSetting = &O::tgaCompression,
     .compressions = kTgaCompressions},
    {.extension = "tiff",
     .formatId = FIF_TIFF,
     .depths = k1To96,
     .preparation = Preparation::CmykWhenAsked,
     .compressionSetting = &O::tiffCompression,
     .compressions = kTiffCompressions,
     .optionFlags = TiffFlags},
    {.extension = "wbmp", .formatId = FIF_WBMP, .depths = k1},
    {.extension = "webp", .formatId = FIF_WEBP, .depths = k24And32, .optionFlags = WebpFlags},
    {.extension = "xpm", .formatId = FIF_XPM, .depths = k24},
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
  return std::string(AtCode(format.compressions, code).keyword);
}

int SaveFlags(const OutputFormat& format, const OutputFormatSettings& output) {
  int flags = 0;
  if (format.compressionSetting)
    flags |= AtCode(format.compressions, output.*format.compressionSetting).flag;
  if (format.optionFlags) flags |= format.optionFlags(output);
  return flags;
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
