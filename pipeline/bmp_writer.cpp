#include "pipeline/bmp_writer.h"

#include <algorithm>

#include "pipeline/freeimage_file.h"
#include "pipeline/freeimage_writer.h"
#include "pipeline/little_endian.h"

// The highest palette index used by any pixel of an 8-bit picture (0 for none, and for a
// picture that is not 8-bit).
static int HighestUsedIndex(FIBITMAP* picture) {
  if (!picture || FreeImage_GetImageType(picture) != FIT_BITMAP || FreeImage_GetBPP(picture) != 8)
    return 0;
  // Only the first width bytes of a row are pixels; the padding to the row stride never counts.
  const unsigned width = FreeImage_GetWidth(picture);
  BYTE highest = 0;
  for (unsigned y = 0; y < FreeImage_GetHeight(picture); ++y) {
    const BYTE* row = FreeImage_GetScanLine(picture, y);
    for (unsigned x = 0; x < width; ++x) highest = std::max(highest, row[x]);
  }
  return highest;
}

constexpr uint32_t kRle8 = 1, kRle4 = 2;

// FreeImage's RLE8 pixels are right, but the byte that pads a literal run of odd length to a
// word is whatever its buffer held there (it differs from run to run); it becomes 0. A stream
// that breaks off is left as it is from there.
static void ZeroRle8Padding(std::string& bmp, size_t start) {
  for (size_t at = start; at + 2 <= bmp.size();) {
    const auto count = static_cast<uint8_t>(bmp[at]), code = static_cast<uint8_t>(bmp[at + 1]);
    at += 2;
    if (count > 0 || code == 0) continue;  // a repeated run, or the end of a line
    if (code == 1) return;                 // the end of the picture
    if (code == 2) {                       // a jump, by two more bytes
      at += 2;
      continue;
    }
    at += code;  // a literal run of code pixels
    if (code % 2 != 0) {
      if (at >= bmp.size()) return;
      bmp[at++] = '\0';
    }
  }
}

// What FreeImage's RLE-compressed BMP needs: its padding bytes cleared, and the header's sizes,
// which it leaves at 0 (biSizeImage) and at the size of the uncompressed file (bfSize) so that
// other readers reject it.
static void MendCompressedBmp(std::string& bmp) {
  if (bmp.size() < 54 || bmp.compare(0, 2, "BM") != 0) return;
  const uint32_t compression = ReadLe32(bmp, 30);
  const uint32_t pixelOffset = ReadLe32(bmp, 10);
  if ((compression != kRle8 && compression != kRle4) || pixelOffset > bmp.size()) return;
  if (compression == kRle8) ZeroRle8Padding(bmp, pixelOffset);
  WriteLe32(bmp, 2, static_cast<uint32_t>(bmp.size()));
  WriteLe32(bmp, 34, static_cast<uint32_t>(bmp.size() - pixelOffset));
}

// An 8-bit BMP whose colour table holds only the entries up to HighestUsedIndex, with
// RLE8-compressed pixels when FreeImage's flags hold BMP_SAVE_RLE; nothing for a picture that is
// not 8-bit.
static std::optional<std::string> EncodeExactColorTableBmp(FIBITMAP* picture, int saveFlags,
                                                           std::string& message) {
  constexpr uint32_t kFileHeader = 14, kInfoHeader = 40, kTableStart = kFileHeader + kInfoHeader;
  message = "FreeImage could not write the 8-bit bmp";
  if (!picture || FreeImage_GetImageType(picture) != FIT_BITMAP || FreeImage_GetBPP(picture) != 8)
    return {};

  // FreeImage writes the pixels (RLE8-compressed on request) after a full 256-entry table; only
  // they are taken from its file, behind a table cut to the entries in use.
  std::optional<std::string> written = EncodeWithFreeImage(FIF_BMP, picture, saveFlags);
  if (!written || written->size() < kTableStart) return {};
  MendCompressedBmp(*written);
  const uint32_t writtenPixelStart = ReadLe32(*written, 10);
  if (writtenPixelStart < kTableStart || writtenPixelStart > written->size()) return {};
  const auto pixelBytes = static_cast<uint32_t>(written->size() - writtenPixelStart);
  const auto colours = static_cast<uint32_t>(HighestUsedIndex(picture) + 1);
  const uint32_t pixelStart = kTableStart + 4 * colours;

  std::string file(pixelStart + pixelBytes, '\0');
  file[0] = 'B';
  file[1] = 'M';
  WriteLe32(file, 2, pixelStart + pixelBytes);
  WriteLe32(file, 10, pixelStart);

  const BITMAPINFOHEADER* info = FreeImage_GetInfoHeader(picture);
  WriteLe32(file, 14, kInfoHeader);
  WriteLe32(file, 18, static_cast<uint32_t>(info->biWidth));
  WriteLe32(file, 22, static_cast<uint32_t>(info->biHeight));
  WriteLe16(file, 26, info->biPlanes);
  WriteLe16(file, 28, info->biBitCount);
  WriteLe32(file, 30, ReadLe32(*written, 30));  // BI_RGB, or BI_RLE8 when FreeImage compressed
  WriteLe32(file, 34, pixelBytes);
  WriteLe32(file, 38, static_cast<uint32_t>(info->biXPelsPerMeter));
  WriteLe32(file, 42, static_cast<uint32_t>(info->biYPelsPerMeter));
  WriteLe32(file, 46, colours);
  WriteLe32(file, 50, colours);

  const RGBQUAD* palette = FreeImage_GetPalette(picture);
  for (uint32_t i = 0; i < colours; ++i) {
    file[kTableStart + 4 * i] = static_cast<char>(palette[i].rgbBlue);
    file[kTableStart + 4 * i + 1] = static_cast<char>(palette[i].rgbGreen);
    file[kTableStart + 4 * i + 2] = static_cast<char>(palette[i].rgbRed);
    file[kTableStart + 4 * i + 3] = static_cast<char>(palette[i].rgbReserved);
  }
  file.replace(pixelStart, pixelBytes, *written, writtenPixelStart, pixelBytes);
  return file;
}

std::optional<std::string> EncodeBmp(FIBITMAP* picture, const SaveRequest& request,
                                     std::string& message) {
  if (request.targetBpp == 8 && request.output.bmpColorTable == ColorTable::Exact)
    return EncodeExactColorTableBmp(picture, SaveFlags(*request.format, request.output), message);
  std::optional<std::string> bytes = EncodeWithFreeImageWriter(picture, request, message);
  if (bytes) MendCompressedBmp(*bytes);
  return bytes;
}
