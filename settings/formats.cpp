#include "settings/formats.h"

#include <FreeImage.h>
#include <IL/il.h>

#include <algorithm>
#include <charconv>

#include "platform/text.h"

const OutputFormat kOutputFormats[kOutputFormatCount] = {
    {"bmp", FIF_BMP, "Windows or OS/2 Bitmap", "1,4,8,16,24,32"},
    {"dds", IL_DDS, "DirectDraw Surface", "32"},
    {"exr", FIF_EXR, "ILM OpenEXR", "96"},
    {"gif", FIF_GIF, "Graphics Interchange Format", "8"},
    {"hdr", FIF_HDR, "High Dynamic Range Image", "96"},
    {"ico", FIF_ICO, "Windows Icon", "1,4,8,16,24,32"},
    {"j2k", FIF_J2K, "JPEG-2000 Codestream", "8,24,32,48"},
    {"jng", FIF_JNG, "JPEG Network Graphics", "24,32"},
    {"jp2", FIF_JP2, "JPEG-2000 File Format", "8,24,32,48"},
    {"jpg", FIF_JPEG, "JPEG File Format", "8,24"},
    {"jxr", FIF_JXR, "JPEG XR Image Format", "1,8,16,24,32,48,96"},
    {"pbm", FIF_PBM, "Portable Bitmap", "1"},
    {"pcx", IL_PCX, "ZSoft Paintbrush", "24"},
    {"pfm", FIF_PFM, "Portable Floatmap", "96"},
    {"pgm", FIF_PGM, "Portable Greymap", "8"},
    {"png", FIF_PNG, "Portable Network Graphics", "1,4,8,24,32,48"},
    {"ppm", FIF_PPM, "Portable Pixelmap", "24,48"},
    {"psd", IL_PSD, "Adobe Photoshop", "32"},
    {"tga", FIF_TARGA, "Truevision Targa", "8,16,24,32"},
    {"tiff", FIF_TIFF, "Tagged Image File Format", "1,4,8,24,32,48,96"},
    {"wbmp", FIF_WBMP, "Wireless Bitmap", "1"},
    {"webp", FIF_WEBP, "Google WebP Image Format", "24,32"},
    {"xpm", FIF_XPM, "X11 Pixmap Format", "24"},
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

bool IsOutputExtension(std::string_view text) { return OutputFormatIndex(text).has_value(); }

std::optional<size_t> OutputFormatIndex(std::string_view extension) {
  for (size_t i = 0; i < kOutputFormatCount; ++i)
    if (kOutputFormats[i].extension == extension) return i;
  return std::nullopt;
}

// The allowed depths of an extension as numbers, ascending.
static std::vector<int> AllowedDepths(std::string_view extension) {
  std::vector<int> depths;
  const auto index = OutputFormatIndex(extension);
  if (!index) return depths;
  std::string_view list = kOutputFormats[*index].allowedDepths;
  while (!list.empty()) {
    const size_t comma = list.find(',');
    const std::string_view piece = list.substr(0, comma);
    int value = 0;
    std::from_chars(piece.data(), piece.data() + piece.size(), value);
    depths.push_back(value);
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return depths;
}

bool IsAllowedDepth(std::string_view extension, int depth) {
  if (!IsOutputExtension(extension)) return false;
  if (depth == 0) return true;
  const auto depths = AllowedDepths(extension);
  return std::find(depths.begin(), depths.end(), depth) != depths.end();
}

int AutomaticDepth(std::string_view extension, int depth) {
  const auto depths = AllowedDepths(extension);
  if (depths.empty()) return 0;
  for (int allowed : depths)
    if (allowed >= depth) return allowed;
  return depths.back();
}

bool IsDevilFormat(std::string_view extension) {
  return extension == "psd" || extension == "dds" || extension == "pcx";
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
