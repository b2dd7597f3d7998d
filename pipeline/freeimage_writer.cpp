#include "pipeline/freeimage_writer.h"

#include <algorithm>
#include <span>
#include <utility>

#include "pipeline/freeimage_file.h"
#include "pipeline/prepared_bitmap.h"

namespace {

// What the writer does to a picture before it hands it over.
enum class Preparation {
  None,
  BlackSetBits,   // 1-bit pictures with a set bit for black, as in PBM
  GreyLevels,     // 8-bit palette pictures as grey levels
  Rgb555,         // 16-bit pictures as 5-5-5
  CmykWhenAsked,  // 24-, 32- and 48-bit pictures as CMYK values when the colour model is CMYK
  UpsideDown,     // turned over top to bottom, for a plugin that writes its rows the wrong way
};

// The entry of table at code; 0 for a code past its end (a compression keyword of another
// format taken at its code, say).
int AtCode(std::span<const int> table, int code) {
  if (code < 0 || static_cast<size_t>(code) >= table.size()) return 0;
  return table[static_cast<size_t>(code)];
}

// The save flags of each format's settings; compression flags by the code of the format's
// compression keywords (settings/formats.cpp).
constexpr int kBmpCompressions[] = {0, BMP_SAVE_RLE};
constexpr int kTgaCompressions[] = {0, TARGA_SAVE_RLE};
constexpr int kExrCompressions[] = {EXR_NONE, EXR_ZIP, EXR_PIZ, EXR_PXR24, EXR_B44};
constexpr int kPngCompressions[] = {PNG_Z_NO_COMPRESSION, PNG_Z_BEST_SPEED,
                                    PNG_Z_DEFAULT_COMPRESSION, PNG_Z_BEST_COMPRESSION};
constexpr int kTiffCompressions[] = {TIFF_NONE,     TIFF_CCITTFAX3, TIFF_CCITTFAX4,
                                     TIFF_PACKBITS, TIFF_DEFLATE,   TIFF_ADOBE_DEFLATE,
                                     TIFF_LZW,      TIFF_JPEG,      TIFF_LOGLUV};
// By JpgChroma and JpgSaveAs code.
constexpr int kJpgChromas[] = {JPEG_SUBSAMPLING_444, JPEG_SUBSAMPLING_422, JPEG_SUBSAMPLING_420,
                               JPEG_SUBSAMPLING_411};
constexpr int kJpgSaveAs[] = {0, JPEG_BASELINE, JPEG_OPTIMIZE, JPEG_PROGRESSIVE};

using O = OutputFormatSettings;
int BmpFlags(const O& o) { return AtCode(kBmpCompressions, o.bmpCompression); }
int ExrFlags(const O& o) { return AtCode(kExrCompressions, o.exrCompression); }
int JpgFlags(const O& o) {
  return o.jpgQuality | AtCode(kJpgChromas, Code(o.jpgChroma)) |
         AtCode(kJpgSaveAs, Code(o.jpgSaveAs));
}
int PngFlags(const O& o) {
  return AtCode(kPngCompressions, o.pngCompression) | (o.pngInterlaced ? PNG_INTERLACED : 0);
}
int TgaFlags(const O& o) { return AtCode(kTgaCompressions, o.tgaCompression); }
int TiffFlags(const O& o) {
  return AtCode(kTiffCompressions, o.tiffCompression) |
         (o.tiffColorModel == TiffColorModel::Cmyk ? TIFF_CMYK : 0);
}
int WebpFlags(const O&) { return WEBP_LOSSLESS; }

// What FreeImage needs to write a format.
struct FreeImageFormat {
  std::string_view extension;
  FREE_IMAGE_FORMAT id;
  Preparation preparation = Preparation::None;
  // FreeImage writes whichever Netpbm kind a picture is under all three names, so only the
  // allowed depths may reach it.
  bool allowedDepthsOnly = false;
  int (*flags)(const O&) = nullptr;  // none: 0 (also PNM_DEFAULT, the binary Netpbm files)
};

constexpr FreeImageFormat kFreeImageFormats[] = {
    {.extension = "bmp", .id = FIF_BMP, .flags = BmpFlags},
    {.extension = "exr", .id = FIF_EXR, .flags = ExrFlags},
    {.extension = "gif", .id = FIF_GIF},
    {.extension = "hdr", .id = FIF_HDR},
    {.extension = "ico", .id = FIF_ICO, .preparation = Preparation::Rgb555},
    {.extension = "j2k", .id = FIF_J2K},
    {.extension = "jng", .id = FIF_JNG},
    {.extension = "jp2", .id = FIF_JP2},
    {.extension = "jpg", .id = FIF_JPEG, .flags = JpgFlags},
    {.extension = "pbm",
     .id = FIF_PBM,
     .preparation = Preparation::BlackSetBits,
     .allowedDepthsOnly = true},
    // PFM stores the bottom row first; FreeImage's plugin writes its top row first.
    {.extension = "pfm", .id = FIF_PFM, .preparation = Preparation::UpsideDown},
    // PGM samples are grey levels, never palette indices.
    {.extension = "pgm",
     .id = FIF_PGM,
     .preparation = Preparation::GreyLevels,
     .allowedDepthsOnly = true},
    {.extension = "png", .id = FIF_PNG, .flags = PngFlags},
    {.extension = "ppm", .id = FIF_PPM, .allowedDepthsOnly = true},
    {.extension = "tga", .id = FIF_TARGA, .preparation = Preparation::Rgb555, .flags = TgaFlags},
    {.extension = "tiff",
     .id = FIF_TIFF,
     .preparation = Preparation::CmykWhenAsked,
     .flags = TiffFlags},
    {.extension = "wbmp", .id = FIF_WBMP},
    {.extension = "webp", .id = FIF_WEBP, .flags = WebpFlags},
    {.extension = "xpm", .id = FIF_XPM},
};

const FreeImageFormat* FindFreeImageFormat(std::string_view extension) {
  for (const FreeImageFormat& format : kFreeImageFormats)
    if (format.extension == extension) return &format;
  return nullptr;
}

}  // namespace

int SaveFlags(const OutputFormat& format, const OutputFormatSettings& output) {
  const FreeImageFormat* written = FindFreeImageFormat(format.extension);
  return written && written->flags ? written->flags(output) : 0;
}

static unsigned Luminance(const RGBQUAD& colour) {
  return 54u * colour.rgbRed + 182u * colour.rgbGreen + 18u * colour.rgbBlue;
}

// FreeImage writes a 1-bit picture's palette indices into the PBM as they are, but in PBM a set
// bit is black. The copy has its bits inverted (and its two palette entries swapped, so that it
// still shows the same picture) whenever index 0 is the dark one.
static PreparedBitmap AsBlackSetBits(FIBITMAP* picture) {
  const RGBQUAD* palette = FreeImage_GetPalette(picture);
  if (FreeImage_GetBPP(picture) != 1 || !palette || Luminance(palette[1]) <= Luminance(palette[0]))
    return {Bitmap(), picture};
  Bitmap copy(FreeImage_Clone(picture));
  if (!copy) return {};
  const unsigned rowBytes = FreeImage_GetLine(copy.get());
  for (unsigned y = 0; y < FreeImage_GetHeight(copy.get()); ++y) {
    BYTE* row = FreeImage_GetScanLine(copy.get(), y);
    for (unsigned x = 0; x < rowBytes; ++x) row[x] = static_cast<BYTE>(~row[x]);
  }
  RGBQUAD* copyPalette = FreeImage_GetPalette(copy.get());
  std::swap(copyPalette[0], copyPalette[1]);
  FIBITMAP* bitmap = copy.get();
  return {std::move(copy), bitmap};
}

// Writes the four CMYK values of one RGB colour; maximum is the channel range (255 or 65535).
// K comes from the brightest channel and C, M, Y from what is left, the conversion that readers
// undo with R = (1 - C)(1 - K).
template <typename Channel>
static void StoreCmyk(uint64_t maximum, uint64_t red, uint64_t green, uint64_t blue,
                      Channel* cmyk) {
  const uint64_t brightest = std::max({red, green, blue});
  cmyk[3] = static_cast<Channel>(maximum - brightest);
  if (brightest == 0) {
    cmyk[0] = cmyk[1] = cmyk[2] = 0;
    return;
  }
  const auto part = [&](uint64_t channel) {
    return static_cast<Channel>(((brightest - channel) * maximum + brightest / 2) / brightest);
  };
  cmyk[0] = part(red);
  cmyk[1] = part(green);
  cmyk[2] = part(blue);
}

// With TIFF_CMYK this FreeImage stores a 32-bit bitmap's four bytes (a 64-bit bitmap's four
// words) as C, M, Y, K in memory order, whatever they hold; the colours must therefore be
// converted here. Alpha has no place in a four-channel CMYK file and is dropped. Other depths
// keep their RGB, grey or palette form (FreeImage ignores the flag for them).
static PreparedBitmap AsCmyk(FIBITMAP* picture) {
  const unsigned width = FreeImage_GetWidth(picture);
  const unsigned height = FreeImage_GetHeight(picture);
  const FREE_IMAGE_TYPE type = FreeImage_GetImageType(picture);
  const unsigned bpp = FreeImage_GetBPP(picture);
  if (type == FIT_BITMAP && (bpp == 24 || bpp == 32)) {
    Bitmap cmyk(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 32));
    if (!cmyk) return {};
    const unsigned step = bpp / 8;
    for (unsigned y = 0; y < height; ++y) {
      const BYTE* source = FreeImage_GetScanLine(picture, y);
      BYTE* target = FreeImage_GetScanLine(cmyk.get(), y);
      for (unsigned x = 0; x < width; ++x, source += step, target += 4)
        StoreCmyk(255, source[FI_RGBA_RED], source[FI_RGBA_GREEN], source[FI_RGBA_BLUE], target);
    }
    FIBITMAP* bitmap = cmyk.get();
    return {std::move(cmyk), bitmap};
  }
  if (type == FIT_RGB16) {
    Bitmap cmyk(FreeImage_AllocateT(FIT_RGBA16, static_cast<int>(width), static_cast<int>(height)));
    if (!cmyk) return {};
    for (unsigned y = 0; y < height; ++y) {
      const auto* source = reinterpret_cast<const FIRGB16*>(FreeImage_GetScanLine(picture, y));
      auto* target = reinterpret_cast<WORD*>(FreeImage_GetScanLine(cmyk.get(), y));
      for (unsigned x = 0; x < width; ++x, ++source, target += 4)
        StoreCmyk(65535, source->red, source->green, source->blue, target);
    }
    FIBITMAP* bitmap = cmyk.get();
    return {std::move(cmyk), bitmap};
  }
  return {Bitmap(), picture};
}

// A copy turned over top to bottom: FreeImage's PFM plugin writes its rows top first, so the
// copy's rows reach the file bottom first, as the format stores them.
static PreparedBitmap UpsideDownCopy(FIBITMAP* picture) {
  Bitmap copy(FreeImage_Clone(picture));
  if (!copy || !FreeImage_FlipVertical(copy.get())) return {};
  FIBITMAP* bitmap = copy.get();
  return {std::move(copy), bitmap};
}

static PreparedBitmap PrepareForFormat(FIBITMAP* picture, const FreeImageFormat& format,
                                       const OutputFormatSettings& output) {
  switch (format.preparation) {
    case Preparation::None:
      break;
    case Preparation::BlackSetBits:
      return AsBlackSetBits(picture);
    case Preparation::GreyLevels:
      return AsGreyLevels(picture);
    case Preparation::Rgb555:
      return As16BitLayout(picture, false);
    case Preparation::CmykWhenAsked:
      if (output.tiffColorModel == TiffColorModel::Cmyk) return AsCmyk(picture);
      break;
    case Preparation::UpsideDown:
      return UpsideDownCopy(picture);
  }
  return {Bitmap(), picture};
}

// FreeImage_Save runs a format's plugin without asking whether it takes the bitmap, and some
// plugins then crash (WebP aborts the process on 8 bits); so ask first.
static bool CanFormatTake(const OutputFormat& format, const FreeImageFormat& written,
                          FIBITMAP* picture) {
  const FREE_IMAGE_TYPE type = FreeImage_GetImageType(picture);
  const int bpp = static_cast<int>(FreeImage_GetBPP(picture));
  if (written.allowedDepthsOnly) {
    // 48 bits are 16 bits a channel; every other allowed depth is a standard bitmap.
    const FREE_IMAGE_TYPE expected = bpp == 48 ? FIT_RGB16 : FIT_BITMAP;
    return type == expected &&
           std::find(format.depths.begin(), format.depths.end(), bpp) != format.depths.end();
  }
  return FreeImage_FIFSupportsExportType(written.id, type) &&
         (type != FIT_BITMAP || FreeImage_FIFSupportsExportBPP(written.id, bpp));
}

std::optional<std::string> EncodeWithFreeImageWriter(FIBITMAP* picture, const SaveRequest& request,
                                                     std::string& message) {
  const OutputFormat& format = *request.format;
  const FreeImageFormat* written = FindFreeImageFormat(format.extension);
  if (!written) {
    message = "FreeImage does not write " + std::string(format.extension) + " files here";
    return {};
  }
  const PreparedBitmap prepared = PrepareForFormat(picture, *written, request.output);
  if (!prepared.bitmap) {
    message = "the picture could not be prepared for " + std::string(format.extension);
    return {};
  }
  const std::string described = " (" + std::to_string(FreeImage_GetWidth(prepared.bitmap)) +
                                " x " + std::to_string(FreeImage_GetHeight(prepared.bitmap)) +
                                ", " + std::to_string(FreeImage_GetBPP(prepared.bitmap)) + " bits)";
  if (!CanFormatTake(format, *written, prepared.bitmap)) {
    message = std::string(format.extension) + " cannot hold this picture" + described;
    return {};
  }
  std::optional<std::string> bytes = EncodeWithFreeImage(
      written->id, prepared.bitmap, written->flags ? written->flags(request.output) : 0);
  if (!bytes) {
    message =
        "FreeImage could not write this picture as " + std::string(format.extension) + described;
    return {};
  }
  return bytes;
}
