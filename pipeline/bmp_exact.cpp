#include "pipeline/save.h"
#include "pipeline/writers.h"
#include "settings/formats.h"

bool SaveExactColorTableBmp(FIBITMAP* picture, const std::string& path, int saveFlags) {
  std::string failure;
  const std::optional<std::string> bytes = EncodeExactColorTableBmp(picture, saveFlags, failure);
  return bytes && WriteOutputFile(*bytes, path, *FindOutputFormat("bmp"), failure);
}

std::optional<std::string> EncodeExactColorTableBmp(FIBITMAP* picture, int saveFlags,
                                                    std::string& failure) {
  constexpr uint32_t kFileHeader = 14, kInfoHeader = 40, kTableStart = kFileHeader + kInfoHeader;
  failure = "FreeImage could not write the 8-bit bmp";
  if (!picture || FreeImage_GetImageType(picture) != FIT_BITMAP || FreeImage_GetBPP(picture) != 8)
    return {};

  // FreeImage writes the pixels (RLE8-compressed on request) after a full 256-entry table; only
  // they are taken from its file, behind a table cut to the entries in use.
  const std::optional<std::string> written = EncodeWithFreeImage(FIF_BMP, picture, saveFlags);
  if (!written || written->size() < kTableStart) return {};
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
