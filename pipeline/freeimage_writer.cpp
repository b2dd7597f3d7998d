#include "pipeline/freeimage_writer.h"

#include <algorithm>
#include <utility>

#include "pipeline/freeimage_file.h"
#include "pipeline/little_endian.h"
#include "pipeline/prepared_bitmap.h"

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

static PreparedBitmap PrepareForFormat(FIBITMAP* picture, const SaveRequest& request) {
  switch (request.format->preparation) {
    case Preparation::None:
      break;
    case Preparation::BlackSetBits:
      return AsBlackSetBits(picture);
    case Preparation::GreyLevels:
      return AsGreyLevels(picture);
    case Preparation::Rgb555:
      return As16BitLayout(picture, false);
    case Preparation::CmykWhenAsked:
      if (request.saveFlags & TIFF_CMYK) return AsCmyk(picture);
      break;
    case Preparation::UpsideDown:
      return UpsideDownCopy(picture);
  }
  return {Bitmap(), picture};
}

// FreeImage_Save runs a format's plugin without asking whether it takes the bitmap, and some
// plugins then crash (WebP aborts the process on 8 bits); so ask first.
static bool CanFormatTake(const OutputFormat& format, FIBITMAP* picture) {
  const FREE_IMAGE_TYPE type = FreeImage_GetImageType(picture);
  const int bpp = static_cast<int>(FreeImage_GetBPP(picture));
  if (format.allowedDepthsOnly) {
    // 48 bits are 16 bits a channel; every other allowed depth is a standard bitmap.
    const FREE_IMAGE_TYPE expected = bpp == 48 ? FIT_RGB16 : FIT_BITMAP;
    return type == expected &&
           std::find(format.depths.begin(), format.depths.end(), bpp) != format.depths.end();
  }
  const auto id = static_cast<FREE_IMAGE_FORMAT>(format.formatId);
  return FreeImage_FIFSupportsExportType(id, type) &&
         (type != FIT_BITMAP || FreeImage_FIFSupportsExportBPP(id, bpp));
}

// With BMP_SAVE_RLE the compressed pixels are right, but biSizeImage stays 0 and bfSize is the
// size the file would have uncompressed; other readers reject such a header.
static void MendCompressedBmpHeader(std::string& bmp) {
  constexpr uint32_t kRle8 = 1, kRle4 = 2;
  if (bmp.size() < 54 || bmp.compare(0, 2, "BM") != 0) return;
  const uint32_t compression = ReadLe32(bmp, 30);
  const uint32_t pixelOffset = ReadLe32(bmp, 10);
  if ((compression != kRle8 && compression != kRle4) || pixelOffset > bmp.size()) return;
  WriteLe32(bmp, 2, static_cast<uint32_t>(bmp.size()));
  WriteLe32(bmp, 34, static_cast<uint32_t>(bmp.size() - pixelOffset));
}

std::optional<std::string> EncodeWithFreeImageWriter(FIBITMAP* picture, const SaveRequest& request,
                                                     std::string& message) {
  const OutputFormat& format = *request.format;
  const PreparedBitmap prepared = PrepareForFormat(picture, request);
  if (!prepared.bitmap) {
    message = "the picture could not be prepared for " + std::string(format.extension);
    return {};
  }
  const std::string described = " (" + std::to_string(FreeImage_GetWidth(prepared.bitmap)) +
                                " x " + std::to_string(FreeImage_GetHeight(prepared.bitmap)) +
                                ", " + std::to_string(FreeImage_GetBPP(prepared.bitmap)) + " bits)";
  if (!CanFormatTake(format, prepared.bitmap)) {
    message = std::string(format.extension) + " cannot hold this picture" + described;
    return {};
  }
  const auto id = static_cast<FREE_IMAGE_FORMAT>(format.formatId);
  std::optional<std::string> bytes = EncodeWithFreeImage(id, prepared.bitmap, request.saveFlags);
  if (!bytes) {
    message =
        "FreeImage could not write this picture as " + std::string(format.extension) + described;
    return {};
  }
  if (id == FIF_BMP) MendCompressedBmpHeader(*bytes);
  return bytes;
}
