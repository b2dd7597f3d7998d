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

std::string Flag(bool value) { return value ? "1" : "0"; }

constexpr FormatOption kBmpOptions[] = {
    {"BMP Color Table: ",
     [](const O& o) { return KeywordText(kColorTableTable, Code(o.bmpColorTable)); }}};
constexpr FormatOption kJpgOptions[] = {
    {"JPG Quality: ", [](const O& o) { return std::to_string(o.jpgQuality); },
     [](const O& o) { return o.jpgQuality >= 1 && o.jpgQuality <= 100; },
     "Error: Invalid jpg-quality value"},
    {"JPG Chroma Subsampling: ",
     [](const O& o) { return KeywordText(kJpgChromaTable, Code(o.jpgChroma)); }},
    {"JPG Save As: ", [](const O& o) { return KeywordText(kJpgSaveAsTable, Code(o.jpgSaveAs)); }}};
constexpr FormatOption kPngOptions[] = {
    {"PNG Interlaced: ", [](const O& o) { return Flag(o.pngInterlaced); }}};
constexpr FormatOption kTiffOptions[] = {
    {"TIFF Color Model: ",
     [](const O& o) { return KeywordText(kTiffColorModelTable, Code(o.tiffColorModel)); }}};

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
     .description = "Windows or OS/2 Bitmap",
     .depths = k1To32,
     .compressionSetting = &O::bmpCompression,
     .compressions = kBmpCompressions,
     .options = kBmpOptions},
    {.extension = "dds",
     .formatId = IL_DDS,
     .description = "DirectDraw Surface",
     .depths = k32,
     .writer = Writer::Devil,
     .mipmaps = true},
    {.extension = "exr",
     .formatId = FIF_EXR,
     .description = "ILM OpenEXR",
     .depths = k96,
     .compressionSetting = &O::exrCompression,
     .compressions = kExrCompressions},
    {.extension = "gif",
     .formatId = FIF_GIF,
     .description = "Graphics Interchange Format",
     .depths = k8},
    {.extension = "hdr",
     .formatId = FIF_HDR,
     .description = "High Dynamic Range Image",
     .depths = k96},
    // FreeImage writes square icons of 16 to 256 pixels only.
    {.extension = "ico",
     .formatId = FIF_ICO,
     .description = "Windows Icon",
     .depths = k1To32,
     .sixteenBits = SixteenBits::Rgb555,
     .preparation = Preparation::Rgb555,
     .squareLimit = 128},
    // Formats that store no palette take 8 bits as grey levels.
    {.extension = "j2k",
     .formatId = FIF_J2K,
     .description = "JPEG-2000 Codestream",
     .depths = kJpeg2000,
     .eightBits = EightBits::Grey},
    {.extension = "jng",
     .formatId = FIF_JNG,
     .description = "JPEG Network Graphics",
     .depths = k24And32},
    {.extension = "jp2",
     .formatId = FIF_JP2,
     .description = "JPEG-2000 File Format",
     .depths = kJpeg2000,
     .eightBits = EightBits::Grey},
    {.extension = "jpg",
     .formatId = FIF_JPEG,
     .description = "JPEG File Format",
     .depths = k8And24,
     .eightBits = EightBits::Grey,
     .options = kJpgOptions,
     .optionFlags = JpgFlags},
    // This FreeImage claims JPEG XR but every save fails: jxrlib's encoder writes it.
    {.extension = "jxr",
     .formatId = FIF_JXR,
     .description = "JPEG XR Image Format",
     .depths = kJxr,
     .writer = Writer::JxrEncoder,
     .eightBits = EightBits::Grey,
     .optionFlags = JxrFlags},
    {.extension = "pbm",
     .formatId = FIF_PBM,
     .description = "Portable Bitmap",
     .depths = k1,
     .preparation = Preparation::BlackSetBits,
     .allowedDepthsOnly = true},
    {.extension = "pcx",
     .formatId = IL_PCX,
     .description = "ZSoft Paintbrush",
     .depths = k24,
     .writer = Writer::Devil},
    // PFM stores the bottom row first; FreeImage's plugin writes its top row first.
    {.extension = "pfm",
     .formatId = FIF_PFM,
     .description = "Portable Floatmap",
     .depths = k96,
     .preparation = Preparation::UpsideDown},
    // PGM samples are grey levels by definition: quantised palette indices would be a
    // meaningless picture there.
    {.extension = "pgm",
     .formatId = FIF_PGM,
     .description = "Portable Greymap",
     .depths = k8,
     .eightBits = EightBits::Grey,
     .preparation = Preparation::GreyLevels,
     .allowedDepthsOnly = true},
    {.extension = "png",
     .formatId = FIF_PNG,
     .description = "Portable Network Graphics",
     .depths = kPng,
     .compressionSetting = &O::pngCompression,
     .compressions = kPngCompressions,
     .options = kPngOptions,
     .optionFlags = PngFlags},
    {.extension = "ppm",
     .formatId = FIF_PPM,
     .description = "Portable Pixelmap",
     .depths = k24And48,
     .allowedDepthsOnly = true},
    {.extension = "psd",
     .formatId = IL_PSD,
     .description = "Adobe Photoshop",
     .depths = k32,
     .writer = Writer::Devil},
    {.extension = "tga",
     .formatId = FIF_TARGA,
     .description = "Truevision Targa",
     .depths = kTarga,
     .sixteenBits = SixteenBits::Rgb555,
     .preparation = Preparation::Rgb555,
     .compressionSetting = &O::tgaCompression,
     .compressions = kTgaCompressions},
    {.extension = "tiff",
     .formatId = FIF_TIFF,
     .description = "Tagged Image File Format",
     .depths = k1To96,
     .preparation = Preparation::CmykWhenAsked,
     .compressionSetting = &O::tiffCompression,
     .compressions = kTiffCompressions,
     .options = kTiffOptions,
     .optionFlags = TiffFlags},
    {.extension = "wbmp", .formatId = FIF_WBMP, .description = "Wireless Bitmap", .depths = k1},
    {.extension = "webp",
     .formatId = FIF_WEBP,
     .description = "Google WebP Image Format",
     .depths = k24And32,
     .optionFlags = WebpFlags},
    {.extension = "xpm", .formatId = FIF_XPM, .description = "X11 Pixmap Format", .depths = k24},
};

static constexpr std::string_view kRaw = "Camera RAW Image";
static constexpr std::string_view kKodak = "Kodak Camera RAW Image";

const InputFormat kInputFormats[79] = {
    {"bmp", "bmp", "Windows or OS/2 Bitmap"}, {"rle", "bmp", "Windows or OS/2 Bitmap"},
    {"dib", "bmp", "Windows or OS/2 Bitmap"}, {"dds", "dds", "DirectDraw Surface File"},
    {"emf", "emf", "Enhanced Metafile Format"}, {"emz", "emf", "Enhanced Metafile Format"},
    {"gif", "gif", "GIF File"}, {"hdr", "hdr", "High Dynamic Range File"},
    {"hdri", "hdr", "High Dynamic Range File"}, {"ico", "ico", "Windows Icon"},
    {"jpg", "jpg", "JPEG File"}, {"jpeg", "jpg", "JPEG File"}, {"jpe", "jpg", "JPEG File"},
    {"jif", "jpg", "JPEG File"}, {"pcd", "pcd", "Kodak PhotoCD File"},
    {"pcd1", "pcd", "Kodak PhotoCD File"}, {"pcds", "pcd", "Kodak PhotoCD File"},
    {"ppcd", "pcd", "Kodak PhotoCD File"}, {"pcx", "pcx", "ZSoft Paintbrush File"},
    {"pic", "pic", "Macintosh PICT"}, {"pict", "pic", "Macintosh PICT"},
    {"pct", "pic", "Macintosh PICT"}, {"png", "png", "Portable Network Graphics"},
    {"psd", "psd", "Adobe Photoshop File"}, {"tga", "tga", "Truevision Targa"},
    {"targa", "tga", "Truevision Targa"}, {"tiff", "tiff", "Tagged Image File Format"},
    {"tif", "tiff", "Tagged Image File Format"}, {"wmf", "wmf", "Windows Metafile Format"},
    {"wmz", "wmf", "Windows Metafile Format"}, {"apm", "wmf", "Aldus Placeable Metafile"},
    {"raw", "raw", kRaw}, {"raw1", "raw", kRaw}, {"raw2", "raw", kRaw},
    {"3fr", "raw", "Hasselblad Camera RAW Image"}, {"arw", "raw", "Sony Camera RAW Image"},
    {"sr2", "raw", "Sony Camera RAW Image"}, {"srf", "raw", "Sony Camera RAW Image"},
    {"bay", "raw", "Casio Camera RAW Image"}, {"bmq", "raw", "NuCore RAW Image"},
    {"cap", "raw", "Phase One Camera RAW Image"}, {"iiq", "raw", "Phase One Camera RAW Image"},
    {"eip", "raw", "Phase One Camera RAW Image"}, {"cine", "raw", "Phantom RAW Image"},
    {"cr2", "raw", "Canon Camera RAW Image"}, {"crw", "raw", "Canon Camera RAW Image"},
    {"cs1", "raw", "Capture Shop RAW Image"}, {"dc2", "raw", kKodak}, {"dcr", "raw", kKodak},
    {"drf", "raw", kKodak}, {"dsc", "raw", kKodak}, {"k25", "raw", kKodak},
    {"kc2", "raw", kKodak}, {"kdc", "raw", kKodak}, {"dcs", "raw", kKodak},
    {"dng", "raw", "Adobe Digital Negative Image"}, {"erf", "raw", "Epson Camera RAW Image"},
    {"fff", "raw", "Imacon Camera RAW Image"}, {"ia", "raw", "Sinar RAW Image"},
    {"sti", "raw", "Sinar RAW Image"}, {"mdc", "raw", "Minolta Camera RAW Image"},
    {"mrw", "raw", "Minolta Camera RAW Image"}, {"mef", "raw", "Mamiya Camera RAW Image"},
    {"mos", "raw", "Mamiya Camera RAW Image"}, {"nef", "raw", "Nikon Camera RAW Image"},
    {"nrw", "raw", "Nikon Camera RAW Image"}, {"orf", "raw", "Olympus Camera RAW Image"},
    {"pef", "raw", "Pentax Camera RAW Image"}, {"ptx", "raw", "Pentax Camera RAW Image"},
    {"pxn", "raw", "Logitech Camera RAW Image"},
    {"qtk", "raw", "Apple Quicktake Camera RAW Image"}, {"raf", "raw", "Fuji Camera RAW Image"},
    {"rdc", "raw", "Digital Foto Maker RAW Image"},
    {"rw2", "raw", "Panasonic Camera RAW Image"}, {"rwz", "raw", "Rawzor Camera RAW Image"},
    {"x3f", "raw", "Sigma Camera RAW Image"}, {"ari", "raw", "ARRI RAW Image"},
    {"r3d", "raw", "RED RAW Image"}, {"rwl", "raw", "Leica Camera RAW Image"},
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
