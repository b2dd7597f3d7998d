// pixel_digest: prints, for each picture file named, a digest of what FreeImage decodes from it
// (type, depth, size, colour masks, palette, transparency table and the pixel bits of every
// row), so that two files whose bytes differ can be told to hold the same picture or not.
//   pixel_digest FILE...   one line a file: DIGEST FILE ("unreadable FILE" when FreeImage
//                          cannot read it); exit status 1 when any file was unreadable
#include <FreeImage.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// FNV-1a, 64 bits: enough to tell two decoded pictures apart.
class Digest {
 public:
  void Add(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) value_ = (value_ ^ bytes[i]) * 0x100000001b3ull;
  }
  void Add(uint64_t number) { Add(&number, sizeof number); }
  uint64_t value() const { return value_; }

 private:
  uint64_t value_ = 0xcbf29ce484222325ull;
};

bool DigestFile(const std::string& path, uint64_t& digest) {
  FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
  if (format == FIF_UNKNOWN) format = FreeImage_GetFIFFromFilename(path.c_str());
  if (format == FIF_UNKNOWN) return false;
  FIBITMAP* picture = FreeImage_Load(format, path.c_str(), 0);
  if (!picture) return false;
  Digest sum;
  const unsigned width = FreeImage_GetWidth(picture), height = FreeImage_GetHeight(picture);
  const unsigned bpp = FreeImage_GetBPP(picture);
  sum.Add(FreeImage_GetImageType(picture));
  sum.Add(bpp);
  sum.Add(width);
  sum.Add(height);
  sum.Add(FreeImage_GetRedMask(picture));
  sum.Add(FreeImage_GetGreenMask(picture));
  sum.Add(FreeImage_GetBlueMask(picture));
  if (const RGBQUAD* palette = FreeImage_GetPalette(picture))
    sum.Add(palette, FreeImage_GetColorsUsed(picture) * sizeof(RGBQUAD));
  sum.Add(FreeImage_GetTransparencyCount(picture));
  if (FreeImage_GetTransparencyCount(picture) > 0)
    sum.Add(FreeImage_GetTransparencyTable(picture), FreeImage_GetTransparencyCount(picture));
  // The bits of a row's pixels, without the padding to its stride and without the unused bits
  // of its last byte.
  const uint64_t bits = static_cast<uint64_t>(width) * bpp;
  const size_t whole = bits / 8;
  const unsigned rest = bits % 8;
  for (unsigned y = 0; y < height; ++y) {
    const BYTE* row = FreeImage_GetScanLine(picture, static_cast<int>(y));
    sum.Add(row, whole);
    if (rest != 0) sum.Add(static_cast<uint64_t>(row[whole] & (0xFF << (8 - rest)) & 0xFF));
  }
  FreeImage_Unload(picture);
  digest = sum.value();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    uint64_t digest = 0;
    if (DigestFile(argv[i], digest)) {
      std::printf("%016llx %s\n", static_cast<unsigned long long>(digest), argv[i]);
    } else {
      std::printf("unreadable %s\n", argv[i]);
      status = 1;
    }
  }
  return status;
}
