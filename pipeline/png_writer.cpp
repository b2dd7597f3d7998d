#include "pipeline/png_writer.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "pipeline/freeimage_writer.h"

namespace {

// How the picture's rows go into the file.
struct PngLayout {
  int bitDepth = 8;
  int colourType = PNG_COLOR_TYPE_RGB;
  bool palette = false;     // PLTE (and tRNS when the picture has a transparency table)
  bool invertGrey = false;  // grey levels stored white first
  bool bgr = false;         // FreeImage's blue-green-red order
  bool swap16 = false;      // 16-bit samples in this machine's little-endian order
  bool dropAlpha = false;   // 32-bit rows whose alpha is opaque everywhere
};

// The layout FreeImage's PNG plugin gives the picture, by the same colour type; nothing for a
// picture it would not write this way or with more than this writer writes (CMYK, grey or
// alpha at 16 bits a sample, float pictures, text metadata).
std::optional<PngLayout> LayoutOf(FIBITMAP* picture) {
  if (FreeImage_GetMetadataCount(FIMD_COMMENTS, picture) > 0 ||
      FreeImage_GetMetadataCount(FIMD_XMP, picture) > 0)
    return std::nullopt;
  const FREE_IMAGE_TYPE type = FreeImage_GetImageType(picture);
  const unsigned bpp = FreeImage_GetBPP(picture);
  PngLayout layout;
  if (type == FIT_RGB16) {
    layout.bitDepth = 16;
    layout.swap16 = true;
    return layout;
  }
  if (type != FIT_BITMAP || bpp == 16) return std::nullopt;
  layout.bgr = FI_RGBA_RED == 2;
  const bool transparent =
      FreeImage_IsTransparent(picture) && FreeImage_GetTransparencyCount(picture) > 0;
  switch (FreeImage_GetColorType(picture)) {
    case FIC_MINISWHITE:
    case FIC_MINISBLACK:
      if (!transparent) {
        layout.bitDepth = static_cast<int>(bpp);
        layout.colourType = PNG_COLOR_TYPE_GRAY;
        layout.invertGrey = FreeImage_GetColorType(picture) == FIC_MINISWHITE;
        return layout;
      }
      [[fallthrough]];
    case FIC_PALETTE:
      layout.bitDepth = static_cast<int>(bpp);
      layout.colourType = PNG_COLOR_TYPE_PALETTE;
      layout.palette = true;
      return layout;
    case FIC_RGBALPHA:
      layout.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
      return layout;
    case FIC_RGB:
      layout.dropAlpha = bpp == 32;
      return layout;
    case FIC_CMYK:
      break;
  }
  return std::nullopt;
}

// Where libpng's output and its complaint go.
struct PngTarget {
  std::string* bytes;
  char complaint[160] = "";
};

void AppendBytes(png_structp png, png_bytep data, size_t length) {
  auto* target = static_cast<PngTarget*>(png_get_io_ptr(png));
  target->bytes->append(reinterpret_cast<const char*>(data), length);
}

void FlushNothing(png_structp) {}

// libpng calls this and must not get control back: the complaint is kept and libpng jumps back
// to WriteStoredPng's setjmp.
[[noreturn]] void Complain(png_structp png, png_const_charp text) {
  auto* target = static_cast<PngTarget*>(png_get_error_ptr(png));
  std::snprintf(target->complaint, sizeof target->complaint, "%s", text);
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// The whole file through libpng. libpng reports errors by jumping back here, so nothing that
// needs its destructor run may be made between the setjmp and the end: the caller owns the
// palette and the row buffer.
bool WriteStoredPng(png_structp png, png_infop info, FIBITMAP* picture, const PngLayout& layout,
                    bool interlaced, png_colorp palette, BYTE* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  const unsigned width = FreeImage_GetWidth(picture), height = FreeImage_GetHeight(picture);
  // A stored file: every row as it is. zlib stores a block straight from the rows only when its
  // output has room for a whole block; in libpng's own 8 KiB buffer it copies every byte through
  // its window first, which costs a fifth of a PNG run. (Each buffer is one IDAT chunk.)
  png_set_compression_level(png, 0);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_buffer_size(png, 1 << 20);
  const auto dotsX = static_cast<png_uint_32>(FreeImage_GetDotsPerMeterX(picture));
  const auto dotsY = static_cast<png_uint_32>(FreeImage_GetDotsPerMeterY(picture));
  if (dotsX > 0 && dotsY > 0) png_set_pHYs(png, info, dotsX, dotsY, PNG_RESOLUTION_METER);
  png_set_IHDR(png, info, width, height, layout.bitDepth, layout.colourType,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
               PNG_FILTER_TYPE_BASE);
  if (layout.palette) {
    const int entries = 1 << layout.bitDepth;
    const RGBQUAD* colours = FreeImage_GetPalette(picture);
    for (int i = 0; i < entries; ++i)
      palette[i] = {colours[i].rgbRed, colours[i].rgbGreen, colours[i].rgbBlue};
    png_set_PLTE(png, info, palette, entries);
    if (FreeImage_IsTransparent(picture) && FreeImage_GetTransparencyCount(picture) > 0)
      png_set_tRNS(png, info, FreeImage_GetTransparencyTable(picture),
                   static_cast<int>(FreeImage_GetTransparencyCount(picture)), nullptr);
  }
  const FIICCPROFILE* profile = FreeImage_GetICCProfile(picture);
  if (profile->size > 0 && profile->data)
    png_set_iCCP(png, info, "Embedded Profile", 0, static_cast<png_const_bytep>(profile->data),
                 static_cast<png_uint_32>(profile->size));
  RGBQUAD background;
  if (FreeImage_HasBackgroundColor(picture) && FreeImage_GetBackgroundColor(picture, &background)) {
    png_color_16 colour{};
    colour.red = background.rgbRed;
    colour.green = background.rgbGreen;
    colour.blue = background.rgbBlue;
    colour.index = background.rgbReserved;
    png_set_bKGD(png, info, &colour);
  }
  png_write_info(png, info);
  if (layout.invertGrey) png_set_invert_mono(png);
  if (layout.bgr && !layout.palette && layout.colourType != PNG_COLOR_TYPE_GRAY) png_set_bgr(png);
  if (layout.swap16) png_set_swap(png);
  const int passes = interlaced ? png_set_interlace_handling(png) : 1;
  // The file holds the top row first; FreeImage keeps the bottom row first.
  for (int pass = 0; pass < passes; ++pass) {
    for (unsigned y = 0; y < height; ++y) {
      BYTE* line = FreeImage_GetScanLine(picture, static_cast<int>(height - 1 - y));
      if (layout.dropAlpha) {
        FreeImage_ConvertLine32To24(row, line, static_cast<int>(width));
        line = row;
      }
      png_write_row(png, line);
    }
  }
  png_write_end(png, info);
  return true;
}

std::optional<std::string> EncodeStoredPng(FIBITMAP* picture, const PngLayout& layout,
                                           bool interlaced, std::string& message) {
  std::string bytes;
  // Stored rows are the pixels, a byte each and a little for the chunks and blocks around them.
  const size_t rowBytes = FreeImage_GetLine(picture);
  bytes.reserve((rowBytes + 1) * FreeImage_GetHeight(picture) * 1025 / 1024 + 4096);
  PngTarget target{&bytes};
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, &target, Complain, IgnoreWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    message = "libpng could not start a png file";
    return std::nullopt;
  }
  png_set_write_fn(png, &target, AppendBytes, FlushNothing);
  std::vector<png_color> palette(256);
  std::vector<BYTE> row(rowBytes);
  const bool written =
      WriteStoredPng(png, info, picture, layout, interlaced, palette.data(), row.data());
  png_destroy_write_struct(&png, &info);
  if (!written) {
    message = std::string("libpng could not write the png file: ") + target.complaint;
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

std::optional<std::string> EncodePng(FIBITMAP* picture, const SaveRequest& request,
                                     std::string& message) {
  // The flags FreeImage would be given say whether the file stores its pixels: a level of 0
  // with PNG_Z_NO_COMPRESSION, as FreeImage reads them.
  const int flags = SaveFlags(*request.format, request.output);
  const bool stored = (flags & 0x0F) == 0 && (flags & PNG_Z_NO_COMPRESSION) != 0;
  const std::optional<PngLayout> layout = stored ? LayoutOf(picture) : std::nullopt;
  if (!layout) return EncodeWithFreeImageWriter(picture, request, message);
  return EncodeStoredPng(picture, *layout, (flags & PNG_INTERLACED) != 0, message);
}
