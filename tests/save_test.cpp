// Save flags and the writers: what lands on disk, read with ImageMagick and jxrlib's decoder.
#include "pipeline/save.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pipeline/depth.h"
#include "pipeline/freeimage_file.h"
#include "pipeline/freeimage_writer.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tests/support/devil.h"
#include "tests/support/formats.h"
#include "tests/support/letter_f.h"
#include "tests/support/pixels.h"
#include "tests/support/run_program.h"
#include "tests/support/save_picture.h"

namespace {

const auto* const kDevil = ::testing::AddGlobalTestEnvironment(new DevilEnvironment);

// An 8-bit picture; palette entry i is (i, 255 - i, i) unless `palette` says otherwise.
Bitmap Indexed(unsigned width, unsigned height, std::initializer_list<RGBQUAD> palette = {}) {
  Bitmap picture(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 8));
  RGBQUAD* entries = FreeImage_GetPalette(picture.get());
  for (int i = 0; i < 256; ++i)
    entries[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i), 0};
  std::copy(palette.begin(), palette.end(), entries);
  return picture;
}

void SetIndex(FIBITMAP* picture, unsigned x, unsigned y, BYTE index) {
  FreeImage_SetPixelIndex(picture, x, y, &index);
}

TestSaveRequest RequestFor(const std::string& extension, const std::string& path,
                           const OutputFormatSettings& output = {}) {
  TestSaveRequest request;
  request.format = &Format(extension);
  request.output = output;
  request.outputPath = path;
  return request;
}

std::string Capture(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  char buffer[4096];
  for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  if (pipe) pclose(pipe);
  return output;
}

// ImageMagick's view of pixel (x, y), y counted from the top, e.g. "srgb(255,0,0)".
std::string Pixel(const std::string& path, int x, int y, const std::string& options = "") {
  return Capture("convert '" + path + "' " + options + " -format '%[pixel:p{" + std::to_string(x) +
                 "," + std::to_string(y) + "}]' info:");
}

// A picture whose every row differs from the one below it, so that a PNG writer that chooses a
// filter for each row chooses others than none; bpp 24, 32 (alpha varying too) or 48.
Bitmap Gradient(unsigned width, unsigned height, unsigned bpp) {
  Bitmap picture(bpp == 48 ? FreeImage_AllocateT(FIT_RGB16, int(width), int(height))
                           : FreeImage_Allocate(int(width), int(height), int(bpp)));
  for (unsigned y = 0; y < height; ++y) {
    BYTE* row = FreeImage_GetScanLine(picture.get(), int(y));
    for (unsigned x = 0; x < width * bpp / 8; ++x) row[x] = static_cast<BYTE>(x * 7 + y * y * 3);
  }
  return picture;
}

// The picture FreeImage reads from the bytes of a file: its type, depth, size, palette,
// transparency table and the bytes of its rows, as text to compare; "unreadable" when it reads
// none.
std::string Decoded(const std::string& bytes) {
  FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                          static_cast<DWORD>(bytes.size()));
  const Bitmap picture(FreeImage_LoadFromMemory(FreeImage_GetFileTypeFromMemory(memory), memory));
  FreeImage_CloseMemory(memory);
  if (!picture) return "unreadable";
  FIBITMAP* dib = picture.get();
  std::string text = std::to_string(FreeImage_GetImageType(dib)) + " " +
                     std::to_string(FreeImage_GetBPP(dib)) + " " +
                     std::to_string(FreeImage_GetWidth(dib)) + "x" +
                     std::to_string(FreeImage_GetHeight(dib)) + ":";
  if (const RGBQUAD* palette = FreeImage_GetPalette(dib))
    text.append(reinterpret_cast<const char*>(palette), FreeImage_GetColorsUsed(dib) * 4);
  text.append(reinterpret_cast<const char*>(FreeImage_GetTransparencyTable(dib)),
              FreeImage_GetTransparencyCount(dib));
  for (unsigned y = 0; y < FreeImage_GetHeight(dib); ++y)
    text.append(reinterpret_cast<const char*>(FreeImage_GetScanLine(dib, int(y))),
                FreeImage_GetLine(dib));
  return text;
}

// The filter byte of each row of a PNG file that is not interlaced, read from its inflated
// image data; empty when the file cannot be read so.
std::vector<int> RowFilters(const std::string& png) {
  uint32_t width = 0, height = 0;
  int depth = 0, channels = 0;
  std::string data;
  for (size_t at = 8; at + 12 <= png.size();) {
    const uint32_t length = __builtin_bswap32(*reinterpret_cast<const uint32_t*>(&png[at]));
    const std::string type = png.substr(at + 4, 4);
    if (type == "IHDR") {
      width = __builtin_bswap32(*reinterpret_cast<const uint32_t*>(&png[at + 8]));
      height = __builtin_bswap32(*reinterpret_cast<const uint32_t*>(&png[at + 12]));
      depth = png[at + 16];
      const int kinds[] = {1, 0, 3, 1, 2, 0, 4};  // samples a pixel, by colour type
      channels = kinds[static_cast<uint8_t>(png[at + 17]) % 7];
    }
    if (type == "IDAT") data += png.substr(at + 8, length);
    at += 12 + length;
  }
  const size_t rowBytes = (static_cast<size_t>(width) * channels * depth + 7) / 8 + 1;
  std::vector<Bytef> rows(rowBytes * height);
  uLongf size = rows.size();
  if (rows.empty() || uncompress(rows.data(), &size, reinterpret_cast<const Bytef*>(data.data()),
                                 data.size()) != Z_OK)
    return {};
  std::vector<int> filters;
  for (size_t row = 0; row < height; ++row) filters.push_back(rows[row * rowBytes]);
  return filters;
}

uint32_t Le32(const std::string& bytes, size_t at) {
  uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);  // this test runs on little-endian machines
  return value;
}

}  // namespace

TEST(SaveFlags, SettingsBecomeFreeImageFlags) {
  OutputFormatSettings jpg, png, cmyk, lab, rle;
  rle.bmpCompression = 1;
  jpg.jpgQuality = 80, jpg.jpgChroma = JpgChroma::Medium, jpg.jpgSaveAs = JpgSaveAs::Progressive;
  png.pngCompression = 3, png.pngInterlaced = true;
  cmyk.tiffCompression = lab.tiffCompression = 6;
  cmyk.tiffColorModel = TiffColorModel::Cmyk, lab.tiffColorModel = TiffColorModel::Lab;
  const std::tuple<const char*, OutputFormatSettings, int> kCases[] = {
      {"jpg", {}, 95 | 0x10000}, {"jpg", jpg, 80 | 0x4000 | 0x2000},
      {"png", png, 0x209},       {"tiff", cmyk, 0x4001},
      {"tiff", lab, 0x4000},     {"png", {}, 0x100},
      {"tiff", {}, 0x800},       {"webp", {}, 0x100},
      {"bmp", rle, 1},           {"pgm", {}, 0}};
  for (const auto& [extension, settings, flags] : kCases)
    EXPECT_EQ(SaveFlags(Format(extension), settings), flags) << extension;
}

TEST(SavePicture, StoredPngHoldsWhatFreeImageWritesWithoutChoosingRowFilters) {
  // Grey levels (ascending, and descending: stored inverted), a palette with a transparency
  // table, true colour with and without alpha, 16 bits a sample.
  Bitmap grey = ApplyTargetDepth(Gradient(37, 11, 24), Format("pgm"), 8);
  Bitmap inverted(FreeImage_Clone(grey.get()));
  for (int i = 0; i < 256; ++i)
    FreeImage_GetPalette(inverted.get())[i] = {BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 0};
  Bitmap transparent = ApplyTargetDepth(Gradient(37, 11, 24), Format("png"), 8);
  const BYTE alphas[] = {0, 128, 255, 7};
  FreeImage_SetTransparencyTable(transparent.get(), const_cast<BYTE*>(alphas), 4);
  Bitmap opaque = Gradient(37, 11, 32);
  for (unsigned y = 0; y < 11; ++y)
    for (unsigned x = 0; x < 37; ++x) FreeImage_GetScanLine(opaque.get(), int(y))[4 * x + 3] = 255;
  const std::pair<const char*, FIBITMAP*> kPictures[] = {
      {"1-bit", MakeLetterF(1).release()},
      {"4-bit", MakeLetterF(4).release()},
      {"grey", grey.release()},
      {"inverted grey", inverted.release()},
      {"palette with alpha", transparent.release()},
      {"24-bit", Gradient(37, 11, 24).release()},
      {"32-bit", Gradient(37, 11, 32).release()},
      {"32-bit opaque", opaque.release()},
      {"48-bit", Gradient(37, 11, 48).release()}};
  for (const auto& [name, picture] : kPictures) {
    const Bitmap owned(picture);
    for (const bool interlaced : {false, true}) {
      OutputFormatSettings output;
      output.pngInterlaced = interlaced;
      TestSaveRequest request = RequestFor("png", "", output);
      std::string message;
      const std::optional<std::string> ours = EncodePicture(picture, request, message);
      ASSERT_TRUE(ours) << name << ": " << message;
      const std::optional<std::string> freeImage = EncodeWithFreeImage(
          FIF_PNG, picture, PNG_Z_NO_COMPRESSION | (interlaced ? PNG_INTERLACED : 0));
      ASSERT_TRUE(freeImage) << name;
      EXPECT_EQ(Decoded(*ours), Decoded(*freeImage)) << name << (interlaced ? ", interlaced" : "");
      if (interlaced) continue;
      const std::vector<int> filters = RowFilters(*ours);
      ASSERT_FALSE(filters.empty()) << name;
      EXPECT_EQ(filters, std::vector<int>(filters.size(), 0)) << name;
    }
  }
  // What the filters above are checked against: FreeImage chooses others for such rows.
  const Bitmap rows = Gradient(37, 11, 24);
  const std::vector<int> chosen =
      RowFilters(*EncodeWithFreeImage(FIF_PNG, rows.get(), PNG_Z_NO_COMPRESSION));
  EXPECT_NE(chosen, std::vector<int>(chosen.size(), 0));
}

TEST(SavePicture, EveryWriterWritesTheSameBytesForTheSamePictureAndOptions) {
  // Memory the writers get from the allocator is filled differently before each of the two
  // writes, so that a byte a writer leaves unwritten shows as a difference.
  const auto dirtyMemory = [](char fill) {
    std::vector<std::vector<char>> blocks;
    for (size_t size = 8; size <= 256 * 1024; size += size < 1024 ? 8 : size / 4)
      for (int copy = 0; copy < 4; ++copy) blocks.emplace_back(size, fill);
  };
  OutputFormatSettings rle, lzw, deflate, packbits, zip;
  rle.bmpCompression = rle.tgaCompression = 1;
  lzw.tiffCompression = 6;
  deflate.tiffCompression = 4;
  packbits.tiffCompression = 3;
  zip.pngCompression = 3, zip.pngInterlaced = true, zip.exrCompression = 1;
  // Scattered pixels, whose literal runs RLE8 pads to a word.
  Bitmap scattered = Indexed(47, 47);
  uint32_t seed = 1;
  for (unsigned y = 0; y < 47; ++y)
    for (unsigned x = 0; x < 47; ++x) {
      seed = seed * 1103515245 + 12345;
      SetIndex(scattered.get(), x, y, BYTE((seed >> 16) % 4 == 0));
    }
  for (const OutputFormat& format : kOutputFormats) {
    for (const int bpp : format.depths) {
      const Bitmap picture = ApplyTargetDepth(
          bpp == 8 ? Bitmap(FreeImage_Clone(scattered.get())) : Gradient(47, 47, 24), format, bpp);
      ASSERT_TRUE(picture) << format.extension << " at " << bpp;
      for (const OutputFormatSettings& output :
           {OutputFormatSettings{}, rle, lzw, deflate, packbits, zip}) {
        TestSaveRequest request = RequestFor(std::string(format.extension), "", output);
        request.targetBpp = bpp;
        std::string message;
        dirtyMemory('\x5A');
        const std::optional<std::string> first = EncodePicture(picture.get(), request, message);
        dirtyMemory('\xA5');
        const std::optional<std::string> second = EncodePicture(picture.get(), request, message);
        ASSERT_EQ(first.has_value(), second.has_value()) << format.extension << " at " << bpp;
        if (first) {
          EXPECT_TRUE(*first == *second) << format.extension << " at " << bpp;
        }
      }
    }
  }
}

TEST(SavePicture, BmpHeadersAreRightWithAndWithoutRleAndTheExactTableEndsAtTheHighestIndex) {
  ScratchFolder folder;
  Bitmap picture = Indexed(7, 5);  // odd width: rows are padded
  for (BYTE index = 0; index < 9; ++index) SetIndex(picture.get(), index % 7, index / 7, index);
  SetIndex(picture.get(), 6, 4, 9);  // the highest index only in the top row
  for (const ColorTable table : {ColorTable::Auto, ColorTable::Exact})
    for (const int flags : {0, 1}) {  // the compression codes of NONE and RLE
      const std::string path = folder / ("t" + std::to_string(int(table)) + std::to_string(flags));
      OutputFormatSettings output;
      output.bmpCompression = flags, output.bmpColorTable = table;
      TestSaveRequest request = RequestFor("bmp", path + ".bmp", output);
      request.targetBpp = 8;
      ASSERT_TRUE(SavePicture(picture.get(), request)) << path;
      const std::string bytes = *ReadFileBytes(path + ".bmp");
      EXPECT_EQ(Le32(bytes, 2), bytes.size()) << path;      // bfSize
      EXPECT_EQ(Le32(bytes, 30), flags ? 1u : 0u) << path;  // biCompression
      // biSizeImage: the pixel bytes (0 is allowed only without compression).
      if (flags || Le32(bytes, 34)) {
        EXPECT_EQ(Le32(bytes, 34), bytes.size() - Le32(bytes, 10)) << path;
      }
      EXPECT_EQ(Pixel(path + ".bmp", 6, 0), "srgb(9,246,9)") << path;
      EXPECT_EQ(Pixel(path + ".bmp", 1, 3), "srgb(8,247,8)") << path;
      if (table == ColorTable::Auto) continue;
      EXPECT_EQ(Le32(bytes, 10), 94u) << path;  // bfOffBits
      EXPECT_EQ(Le32(bytes, 46), 10u) << path;  // biClrUsed
    }
}

TEST(SavePicture, DdsHoldsItsMipmapsAndReplacesAReadOnlyFilePsdHasNone) {
  ScratchFolder folder;
  const std::string dds = folder / "chain.dds", psd = folder / "flat.psd";
  ASSERT_TRUE(WriteFileBytes(dds, "old"));
  chmod(dds.c_str(), 0444);
  const Bitmap picture = ApplyTargetDepth(LetterF(64, 32), Format("dds"), 32);
  ASSERT_TRUE(SavePicture(picture.get(), RequestFor("dds", dds)));
  const std::string bytes = *ReadFileBytes(dds);
  EXPECT_EQ(bytes.substr(0, 4), "DDS ");
  EXPECT_NE(Le32(bytes, 8) & 0x20000u, 0u);  // DDSD_MIPMAPCOUNT
  EXPECT_EQ(Le32(bytes, 28), 7u);            // 64 x 32 down to 1 x 1
  ASSERT_TRUE(SavePicture(picture.get(), RequestFor("psd", psd)));
  EXPECT_EQ(Capture("identify -format '%w %h;' '" + psd + "'"), "64 32;");
  EXPECT_EQ(Pixel(psd, 12, 0, "-alpha off"), "srgb(255,0,0)");
  EXPECT_EQ(CountEntries(folder.path()), 2);
}

TEST(SavePicture, FailureLeavesAnExistingOutputUntouchedAndNoTemporaryFile) {
  ScratchFolder folder;
  const std::string webp = folder / "kept.webp", ico = folder / "kept.ico", png = folder / "ro.png";
  for (const std::string& path : {webp, ico, png}) ASSERT_TRUE(WriteFileBytes(path, "precious"));
  chmod(png.c_str(), 0444);
  const Bitmap palette = ApplyTargetDepth(LetterF(), Format("png"), 8), letter = LetterF();
  // FreeImage would abort the process on an 8-bit WebP; it only fails this file.
  EXPECT_FALSE(SavePicture(palette.get(), RequestFor("webp", webp)));
  EXPECT_FALSE(SavePicture(letter.get(), RequestFor("ico", ico)));  // icons must be square
  EXPECT_FALSE(SavePicture(letter.get(), RequestFor("png", png)));  // read-only
  for (const std::string& path : {webp, ico, png}) EXPECT_EQ(*ReadFileBytes(path), "precious");
  EXPECT_EQ(CountEntries(folder.path()), 3);
}

TEST(SavePicture, PbmKeepsBlackBlackAndPgmHoldsGreyLevels) {
  ScratchFolder folder;
  Bitmap bits(FreeImage_Allocate(6, 5, 1));
  FreeImage_GetPalette(bits.get())[1] = {255, 255, 255, 0};        // index 0 black, 1 white
  for (unsigned x = 0; x < 6; ++x) SetIndex(bits.get(), x, 0, 1);  // bottom row white
  ASSERT_TRUE(SavePicture(bits.get(), RequestFor("pbm", folder / "bits.pbm")));
  EXPECT_EQ(Pixel(folder / "bits.pbm", 0, 0), "gray(0)");
  EXPECT_EQ(Pixel(folder / "bits.pbm", 3, 4), "gray(255)");
  // Written as indices, white (1) and red (2) would both look nearly black.
  Bitmap levels = Indexed(4, 2, {{0, 0, 0, 0}, {255, 255, 255, 0}, {0, 0, 255, 0}});
  SetIndex(levels.get(), 0, 1, 1);
  SetIndex(levels.get(), 1, 1, 2);
  ASSERT_TRUE(SavePicture(levels.get(), RequestFor("pgm", folder / "levels.pgm")));
  EXPECT_EQ(ReadFileBytes(folder / "levels.pgm")->substr(0, 2), "P5");
  EXPECT_EQ(Pixel(folder / "levels.pgm", 0, 0), "gray(255)");
  EXPECT_EQ(Pixel(folder / "levels.pgm", 1, 0), "gray(54)");
}

TEST(SavePicture, CmykTiffHoldsRealCmykValues) {
  ScratchFolder folder;
  OutputFormatSettings lzwCmyk;
  lzwCmyk.tiffCompression = 6, lzwCmyk.tiffColorModel = TiffColorModel::Cmyk;
  for (const int bpp : {24, 32, 48}) {
    const std::string path = folder / ("cmyk" + std::to_string(bpp) + ".tiff");
    const Bitmap picture = ApplyTargetDepth(LetterF(), Format("tiff"), bpp);
    ASSERT_TRUE(SavePicture(picture.get(), RequestFor("tiff", path, lzwCmyk))) << bpp;
    EXPECT_EQ(Capture("identify -format '%[colorspace] %z' '" + path + "'"),
              bpp == 48 ? "CMYK 16" : "CMYK 8");
    EXPECT_EQ(Pixel(path, 1, 0), "cmyk(0,255,255,0)") << bpp;  // red
    EXPECT_EQ(Pixel(path, 5, 0), "cmyk(255,255,0,0)") << bpp;  // blue
  }
}

TEST(SavePicture, PfmStoresTheBottomRowFirstAsOtherReadersExpect) {
  ScratchFolder folder;
  const std::string pfm = folder / "letter.pfm", png = folder / "back.png";
  const Bitmap picture = ApplyTargetDepth(MakeLetterF(), Format("pfm"), 96);
  ASSERT_TRUE(SavePicture(picture.get(), RequestFor("pfm", pfm)));
  // FreeImage's own PFM reader shares its writer's row order, so ImageMagick judges.
  ASSERT_EQ(std::system(("convert '" + pfm + "' -depth 8 '" + png + "'").c_str()), 0);
  const PictureFile back(png);
  ASSERT_EQ(back.width(), int(kWidth));
  ASSERT_EQ(back.height(), int(kHeight));
  const Rgb red{255, 0, 0}, blue{0, 0, 255};
  for (unsigned y = 0; y < kHeight; ++y)
    for (unsigned x = 0; x < kWidth; ++x)
      EXPECT_EQ(back.At(int(x), int(y)), kLetterF[y][x] == 'X' ? red : blue) << x << "," << y;
}

TEST(SavePicture, JxrGoesLosslesslyThroughTheEncoderAndLeavesNoIntermediate) {
  ScratchFolder folder, decoded;
  // At 64 x 63 FreeImage's TIFF has two strips, a layout jxrlib's reader trips over.
  for (const unsigned size : {6u, 64u}) {
    const std::string path = folder / ("letter" + std::to_string(size) + ".jxr");
    const std::string tiff = decoded / "back.tif";
    const Bitmap picture = LetterF(size, size - 1);
    ASSERT_TRUE(SavePicture(picture.get(), RequestFor("jxr", path))) << size;
    ASSERT_EQ(std::system(("JxrDecApp -i '" + path + "' -o '" + tiff + "' >/dev/null").c_str()), 0);
    const Bitmap back(FreeImage_Load(FIF_TIFF, tiff.c_str(), 0));
    ASSERT_EQ(FreeImage_GetBPP(back.get()), 24u) << size;
    for (unsigned y = 0; y < size - 1; ++y)
      ASSERT_EQ(std::memcmp(FreeImage_GetScanLine(back.get(), y),
                            FreeImage_GetScanLine(picture.get(), y), 3 * size),
                0)
          << size << " row " << y;
  }
  EXPECT_EQ(CountEntries(folder.path()), 2);

  // Without the encoder on PATH the file fails and nothing stays behind.
  ScratchFolder empty;
  const std::string path = std::getenv("PATH");
  setenv("PATH", empty.path().c_str(), 1);
  const Bitmap picture = LetterF();
  EXPECT_FALSE(SavePicture(picture.get(), RequestFor("jxr", empty / "none.jxr")));
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(CountEntries(empty.path()), 0);
}

TEST(SaveUniqueLetterName, TimeDigitsBecomeLettersAndFiveRandomLettersFollow) {
  const std::string name = UniqueLetterName("marrowick", ".tif");
  ASSERT_GT(name.size(), 9u + 5u + 4u);
  EXPECT_EQ(name.substr(0, 9) + name.substr(name.size() - 4), "marrowick.tif");
  for (const char letter : name.substr(9, name.size() - 18))
    EXPECT_TRUE(letter >= 'a' && letter <= 'j');
  for (const char letter : name.substr(name.size() - 9, 5))
    EXPECT_TRUE(letter >= 'a' && letter <= 'z');
  EXPECT_NE(UniqueLetterName("a", ""), UniqueLetterName("a", ""));
}
