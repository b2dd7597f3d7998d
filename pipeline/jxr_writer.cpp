#include "pipeline/jxr_writer.h"

#include "pipeline/freeimage_file.h"
#include "pipeline/little_endian.h"
#include "pipeline/prepared_bitmap.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/temporary_file.h"

// Generous: JxrEncApp encodes a 2000 x 1500 picture in well under a second.
static constexpr int kEncoderDeadlineMs = 60'000;

// The bitmaps JxrEncApp can read back from our intermediate files.
static bool CanEncoderTake(FIBITMAP* picture) {
  const FREE_IMAGE_TYPE type = FreeImage_GetImageType(picture);
  const unsigned bpp = FreeImage_GetBPP(picture);
  if (type == FIT_RGB16 || type == FIT_RGBF) return true;
  return type == FIT_BITMAP && (bpp == 1 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32);
}

// jxrlib's TIFF reader takes the strip offsets and strip byte counts as arrays of LONG stored
// out of line. libtiff writes them as SHORT when the numbers are small, inside the entry itself
// when two fit there; the reader then follows a bogus offset and the encoder fails with a file
// error (a 64 x 64 picture is enough). Moving every such array to LONGs at the end of the file
// gives a TIFF that means the same to every reader.
static bool StoreStripArraysAsLongs(std::string& tiff) {
  constexpr uint16_t kStripOffsets = 273, kStripByteCounts = 279, kShort = 3, kLong = 4;
  if (tiff.size() < 8 || tiff.compare(0, 4, std::string("II*\0", 4)) != 0) return false;
  const size_t directory = ReadLe32(tiff, 4);
  if (directory + 2 > tiff.size()) return false;
  const size_t entries = ReadLe16(tiff, directory);
  if (directory + 2 + 12 * entries > tiff.size()) return false;
  for (size_t i = 0; i < entries; ++i) {
    const size_t entry = directory + 2 + 12 * i;
    const uint16_t tag = ReadLe16(tiff, entry);
    const size_t count = ReadLe32(tiff, entry + 4);
    if ((tag != kStripOffsets && tag != kStripByteCounts) || ReadLe16(tiff, entry + 2) != kShort ||
        count < 2)
      continue;
    const size_t source = 2 * count <= 4 ? entry + 8 : ReadLe32(tiff, entry + 8);
    if (source + 2 * count > tiff.size()) return false;
    if (tiff.size() % 2 != 0) tiff.push_back('\0');  // values start on a word boundary
    const size_t target = tiff.size();
    tiff.resize(target + 4 * count);
    for (size_t j = 0; j < count; ++j)
      WriteLe32(tiff, target + 4 * j, ReadLe16(tiff, source + 2 * j));
    WriteLe16(tiff, entry + 2, kLong);
    WriteLe32(tiff, entry + 8, static_cast<uint32_t>(target));
  }
  return true;
}

// JxrEncApp reads 16-bit pixels only from a BMP, and it expects the three bit-field masks in the
// order blue, green, red (the reverse of the BMP layout that FreeImage and everyone else write).
static bool ReverseBitFieldMasks(std::string& bmp) {
  constexpr uint32_t kBitFields = 3;
  if (bmp.size() < 66 || bmp.compare(0, 2, "BM") != 0 || ReadLe32(bmp, 30) != kBitFields ||
      ReadLe32(bmp, 10) < 66)
    return false;
  const uint32_t red = ReadLe32(bmp, 54);
  WriteLe32(bmp, 54, ReadLe32(bmp, 62));
  WriteLe32(bmp, 62, red);
  return true;
}

// The file JxrEncApp encodes from, and the extension by which it recognises the kind.
struct EncoderSource {
  std::string bytes;
  std::string_view extension;
};

static std::optional<EncoderSource> BuildEncoderSource(FIBITMAP* picture) {
  if (FreeImage_GetBPP(picture) == 16) {
    std::optional<std::string> bmp = EncodeWithFreeImage(FIF_BMP, picture, BMP_DEFAULT);
    if (!bmp || !ReverseBitFieldMasks(*bmp)) return {};
    return EncoderSource{std::move(*bmp), "bmp"};
  }
  // The encoder reads uncompressed TIFF only.
  std::optional<std::string> tiff = EncodeWithFreeImage(FIF_TIFF, picture, TIFF_NONE);
  if (!tiff || !StoreStripArraysAsLongs(*tiff)) return {};
  return EncoderSource{std::move(*tiff), "tif"};
}

static PreparedBitmap PrepareForEncoder(FIBITMAP* picture) {
  // JPEG XR has no palettes: 8 bits are grey levels, as the depth step makes them for jxr.
  if (FreeImage_GetBPP(picture) == 8) return AsGreyLevels(picture);
  // The encoder's BMP reader knows 5-6-5 only.
  if (FreeImage_GetBPP(picture) == 16) return As16BitLayout(picture, true);
  return {Bitmap(), picture};
}

std::optional<std::string> EncodeJxrWithEncoder(FIBITMAP* picture, const std::string& scratchFolder,
                                                std::string& message) {
  if (!CanEncoderTake(picture)) {
    message = "jxr cannot hold a " + std::to_string(FreeImage_GetBPP(picture)) + "-bit picture";
    return {};
  }
  const PreparedBitmap prepared = PrepareForEncoder(picture);
  const std::optional<EncoderSource> source =
      prepared.bitmap ? BuildEncoderSource(prepared.bitmap) : std::nullopt;
  if (!source) {
    message = "the picture could not be prepared for JxrEncApp";
    return {};
  }

  TemporaryFile sourceFile, encodedFile;
  if (!sourceFile.Create(scratchFolder, source->extension, message) ||
      !encodedFile.Create(scratchFolder, "jxr", message))
    return {};
  std::string written;
  if (!WriteFileBytes(sourceFile.path(), source->bytes, written)) {
    message = "cannot write " + sourceFile.path() + ": " + written;
    return {};
  }
  // Quantisation 1 is the lossless setting (also the encoder's default, stated for clarity).
  const ProgramEnd end = RunProgram({"JxrEncApp", "-i", AbsolutePath(sourceFile.path()), "-o",
                                     AbsolutePath(encodedFile.path()), "-q", "1"},
                                    kEncoderDeadlineMs);
  std::optional<std::string> bytes;
  if (end) bytes = ReadFileBytes(encodedFile.path());
  if (!bytes || bytes->empty()) {
    message = "JxrEncApp failed: " +
              (end ? std::string("it wrote nothing") : DescribeProgramEnd(end, kEncoderDeadlineMs));
    return {};
  }
  return bytes;
}
