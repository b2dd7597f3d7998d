#include "picture/transfer.h"

#include <cstdint>
#include <cstring>

namespace {

// What comes before the palette, the transparency table and the pixel rows.
struct TransferHeader {
  uint32_t type, width, height, bpp, pitch;
  uint32_t redMask, greenMask, blueMask;
  uint32_t paletteEntries, transparencyEntries, transparent;
  uint32_t hasBackground;
  RGBQUAD background;
  uint32_t dotsPerMeterX, dotsPerMeterY;
};

}  // namespace

bool WriteBitmapBytes(FIBITMAP* dib, const ByteWriter& write) {
  TransferHeader header{};
  header.type = FreeImage_GetImageType(dib);
  header.width = FreeImage_GetWidth(dib);
  header.height = FreeImage_GetHeight(dib);
  header.bpp = FreeImage_GetBPP(dib);
  header.pitch = FreeImage_GetPitch(dib);
  header.redMask = FreeImage_GetRedMask(dib);
  header.greenMask = FreeImage_GetGreenMask(dib);
  header.blueMask = FreeImage_GetBlueMask(dib);
  header.paletteEntries = FreeImage_GetPalette(dib) ? FreeImage_GetColorsUsed(dib) : 0;
  header.transparencyEntries = FreeImage_GetTransparencyCount(dib);
  header.transparent = FreeImage_IsTransparent(dib);
  header.hasBackground = FreeImage_GetBackgroundColor(dib, &header.background);
  header.dotsPerMeterX = FreeImage_GetDotsPerMeterX(dib);
  header.dotsPerMeterY = FreeImage_GetDotsPerMeterY(dib);
  const size_t pixelBytes = static_cast<size_t>(header.pitch) * header.height;
  return write(&header, sizeof header) &&
         write(FreeImage_GetPalette(dib), header.paletteEntries * sizeof(RGBQUAD)) &&
         write(FreeImage_GetTransparencyTable(dib), header.transparencyEntries) &&
         write(FreeImage_GetBits(dib), pixelBytes);
}

static bool IsKnownDepth(uint32_t bpp) {
  for (uint32_t depth : {1, 4, 8, 16, 24, 32, 48, 64, 96, 128})
    if (bpp == depth) return true;
  return false;
}

Bitmap ReadBitmapBytes(std::string_view bytes) {
  TransferHeader header{};
  if (bytes.size() < sizeof header) return nullptr;
  std::memcpy(&header, bytes.data(), sizeof header);
  if (header.width == 0 || header.height == 0 || header.width > INT32_MAX ||
      header.height > INT32_MAX || !IsKnownDepth(header.bpp) || header.type > FIT_RGBAF ||
      header.paletteEntries > 256 || header.transparencyEntries > 256)
    return nullptr;
  const uint64_t paletteBytes = uint64_t{header.paletteEntries} * sizeof(RGBQUAD);
  const uint64_t pixelBytes = uint64_t{header.pitch} * header.height;
  if (bytes.size() != sizeof header + paletteBytes + header.transparencyEntries + pixelBytes)
    return nullptr;

  Bitmap picture(FreeImage_AllocateT(static_cast<FREE_IMAGE_TYPE>(header.type),
                                     static_cast<int>(header.width),
                                     static_cast<int>(header.height), static_cast<int>(header.bpp),
                                     header.redMask, header.greenMask, header.blueMask));
  if (!picture || FreeImage_GetPitch(picture.get()) != header.pitch) return nullptr;
  const uint32_t paletteEntries =
      FreeImage_GetPalette(picture.get()) ? FreeImage_GetColorsUsed(picture.get()) : 0;
  if (paletteEntries != header.paletteEntries) return nullptr;

  const char* from = bytes.data() + sizeof header;
  if (paletteBytes > 0) std::memcpy(FreeImage_GetPalette(picture.get()), from, paletteBytes);
  from += paletteBytes;
  if (header.transparencyEntries > 0) {
    BYTE table[256];
    std::memcpy(table, from, header.transparencyEntries);
    FreeImage_SetTransparencyTable(picture.get(), table,
                                   static_cast<int>(header.transparencyEntries));
  }
  from += header.transparencyEntries;
  // For 32-bit pictures FreeImage derives transparency from the pixels themselves.
  if (header.bpp <= 8) FreeImage_SetTransparent(picture.get(), header.transparent != 0);
  if (header.hasBackground) FreeImage_SetBackgroundColor(picture.get(), &header.background);
  FreeImage_SetDotsPerMeterX(picture.get(), header.dotsPerMeterX);
  FreeImage_SetDotsPerMeterY(picture.get(), header.dotsPerMeterY);
  std::memcpy(FreeImage_GetBits(picture.get()), from, pixelBytes);
  return picture;
}
