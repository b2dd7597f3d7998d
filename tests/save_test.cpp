// Save flags and the writers: what lands on disk, checked with ImageMagick and jxrlib's decoder.
#include "pipeline/save.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pipeline/depth.h"
#include "platform/files.h"
#include "tests/support/run_program.h"

namespace {

class DevilEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ilInit();
    iluInit();
  }
};
const auto* const kDevil = ::testing::AddGlobalTestEnvironment(new DevilEnvironment);

constexpr RGBQUAD kRed{0, 0, 255, 255};  // FreeImage order: blue, green, red, alpha
constexpr RGBQUAD kBlue{255, 0, 0, 255};

// The letter F, red on blue, drawn on a 6 x 5 grid stretched over the picture.
Bitmap LetterF(unsigned width = 6, unsigned height = 5) {
  static const char* const kRows[] = {".XXXX.", ".X....", ".XXX..", ".X....", ".X...."};
  Bitmap picture(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 24));
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x) {
      const unsigned row = (height - 1 - y) * 5 / height, column = x * 6 / width;
      RGBQUAD colour = kRows[row][column] == 'X' ? kRed : kBlue;
      FreeImage_SetPixelColor(picture.get(), x, y, &colour);
    }
  return picture;
}

// An 8-bit picture of the given width whose pixels are all `index`, with a grey palette.
Bitmap IndexPicture(unsigned width, unsigned height, BYTE index) {
  Bitmap picture(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 8));
  RGBQUAD* palette = FreeImage_GetPalette(picture.get());
  for (int i = 0; i < 256; ++i)
    palette[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i), 0};
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x) FreeImage_SetPixelIndex(picture.get(), x, y, &index);
  return picture;
}

SaveRequest RequestFor(const std::string& extension, const std::string& path, int flags = 0) {
  SaveRequest request;
  request.extension = extension;
  request.formatId = kOutputFormats[*OutputFormatIndex(extension)].formatId;
  request.saveFlags = flags;
  request.outputPath = path;
  request.devilIntermediatePath = std::string(path.substr(0, path.rfind('/') + 1)) +
                                  UniqueLetterName("marrowick", "") + "." + extension;
  return request;
}

// Standard output of a command run through the shell (test paths hold no quotes).
std::string Capture(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  return output;
}

// ImageMagick's view of one pixel (x from the left, y from the top), e.g. "srgb(255,0,0)".
std::string MagickPixel(const std::string& path, int x, int y, const std::string& extra = "") {
  return Capture("convert '" + path + "' " + extra + " -format '%[pixel:p{" + std::to_string(x) +
                 "," + std::to_string(y) + "}]' info:");
}

// How ImageMagick should show pixel (x, yFromTop) of an 8-bit picture.
std::string PaletteColourAt(FIBITMAP* picture, unsigned x, unsigned yFromTop) {
  BYTE index = 0;
  FreeImage_GetPixelIndex(picture, x, FreeImage_GetHeight(picture) - 1 - yFromTop, &index);
  const RGBQUAD colour = FreeImage_GetPalette(picture)[index];
  return "srgb(" + std::to_string(colour.rgbRed) + "," + std::to_string(colour.rgbGreen) + "," +
         std::to_string(colour.rgbBlue) + ")";
}

uint32_t Le32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
  return value;
}

}  // namespace

TEST(BuildSaveFlags, JpegDefaultsAreQuality95WithoutChromaSubsampling) {
  EXPECT_EQ(BuildSaveFlags("jpg", OutputFormatSettings{}), 95 | JPEG_SUBSAMPLING_444);
}

TEST(BuildSaveFlags, JpegCombinesQualityChromaAndSaveAs) {
  OutputFormatSettings output;
  output.jpgQuality = 80;
  output.jpgChroma = JpgChroma::Medium;
  output.jpgSaveAs = JpgSaveAs::Progressive;
  EXPECT_EQ(BuildSaveFlags("jpg", output), 80 | 0x4000 | 0x2000);
}

TEST(BuildSaveFlags, PngBestCompressionInterlaced) {
  OutputFormatSettings output;
  output.pngCompression = 3;  // ZLIB9
  output.pngInterlaced = true;
  EXPECT_EQ(BuildSaveFlags("png", output), 0x209);
}

TEST(BuildSaveFlags, TiffCmykAddsItsFlagAndLabAddsNone) {
  OutputFormatSettings output;
  output.tiffCompression = 6;  // LZW
  output.tiffColorModel = TiffColorModel::Cmyk;
  EXPECT_EQ(BuildSaveFlags("tiff", output), 0x4001);
  output.tiffColorModel = TiffColorModel::Lab;
  EXPECT_EQ(BuildSaveFlags("tiff", output), 0x4000);
}

TEST(BuildSaveFlags, DefaultsAreUncompressedOrLossless) {
  const OutputFormatSettings defaults;
  EXPECT_EQ(BuildSaveFlags("png", defaults), PNG_Z_NO_COMPRESSION);
  EXPECT_EQ(BuildSaveFlags("tiff", defaults), TIFF_NONE);
  EXPECT_EQ(BuildSaveFlags("webp", defaults), WEBP_LOSSLESS);
  EXPECT_EQ(BuildSaveFlags("jxr", defaults), JXR_LOSSLESS);
  EXPECT_EQ(BuildSaveFlags("exr", defaults), EXR_NONE);
  EXPECT_EQ(BuildSaveFlags("pgm", defaults), 0);
}

TEST(ExactColorTableBmp, TableHoldsOnlyTheUsedEntries) {
  ScratchFolder folder;
  Bitmap picture = IndexPicture(7, 5, 0);
  for (BYTE index = 0; index < 10; ++index)
    FreeImage_SetPixelIndex(picture.get(), index % 7, index / 7, &index);
  for (const int flags : {0, BMP_SAVE_RLE}) {
    const std::string path = folder / ("exact" + std::to_string(flags) + ".bmp");
    ASSERT_TRUE(SaveExactColorTableBmp(picture.get(), path, flags)) << flags;
    const std::string bytes = *ReadFileBytes(path);
    EXPECT_EQ(Le32(bytes, 2), bytes.size()) << flags;        // bfSize
    EXPECT_EQ(Le32(bytes, 10), 94u) << flags;                // bfOffBits
    EXPECT_EQ(Le32(bytes, 30), flags ? 1u : 0u) << flags;    // biCompression
    EXPECT_EQ(Le32(bytes, 34), bytes.size() - 94) << flags;  // biSizeImage
    EXPECT_EQ(Le32(bytes, 46), 10u) << flags;                // biClrUsed
    EXPECT_EQ(Capture("identify -format '%m %w %h' '" + path + "'"), "BMP3 7 5") << flags;
    // Index 9 sits at (2, 1) counted from the bottom, i.e. row 3 from the top.
    EXPECT_EQ(MagickPixel(path, 2, 3), "srgb(9,246,9)") << flags;
    EXPECT_EQ(MagickPixel(path, 6, 4), "srgb(6,249,6)") << flags;
  }
}

TEST(ExactColorTableBmp, HighestIndexOnlyInTheTopRowIsCovered) {
  ScratchFolder folder;
  Bitmap picture = IndexPicture(7, 5, 3);
  BYTE highest = 200;
  FreeImage_SetPixelIndex(picture.get(), 6, 4, &highest);
  EXPECT_EQ(HighestUsedIndex(picture.get()), 200);
  const std::string path = folder / "top.bmp";
  ASSERT_TRUE(SaveExactColorTableBmp(picture.get(), path, 0));
  const std::string bytes = *ReadFileBytes(path);
  EXPECT_EQ(Le32(bytes, 46), 201u);
  EXPECT_EQ(MagickPixel(path, 6, 0), "srgb(200,55,200)");
}

TEST(SavePicture, RleBmpFromFreeImageHasAHeaderOtherReadersAccept) {
  ScratchFolder folder;
  const std::string path = folder / "rle.bmp";
  const Bitmap picture = ApplyTargetDepth(LetterF(), "bmp", 8);
  SaveRequest request = RequestFor("bmp", path, BMP_SAVE_RLE);
  request.targetBpp = 8;
  ASSERT_TRUE(SavePicture(picture.get(), request));
  const std::string bytes = *ReadFileBytes(path);
  EXPECT_EQ(Le32(bytes, 30), 1u);
  EXPECT_EQ(Le32(bytes, 2), bytes.size());
  EXPECT_EQ(Le32(bytes, 34), bytes.size() - Le32(bytes, 10));
  EXPECT_EQ(MagickPixel(path, 1, 0), PaletteColourAt(picture.get(), 1, 0));
  EXPECT_EQ(MagickPixel(path, 5, 0), PaletteColourAt(picture.get(), 5, 0));
  EXPECT_NE(MagickPixel(path, 1, 0), MagickPixel(path, 5, 0));
}

TEST(SavePicture, DdsHoldsTheWholeMipmapChainAndReplacesAReadOnlyFile) {
  ScratchFolder folder;
  const std::string path = folder / "chain.dds";
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  chmod(path.c_str(), 0444);
  const Bitmap picture = ApplyTargetDepth(LetterF(64, 32), "dds", 32);
  ASSERT_TRUE(SavePicture(picture.get(), RequestFor("dds", path)));
  const std::string bytes = *ReadFileBytes(path);
  ASSERT_GT(bytes.size(), 128u);
  EXPECT_EQ(bytes.substr(0, 4), "DDS ");
  EXPECT_NE(Le32(bytes, 8) & 0x20000u, 0u);  // DDSD_MIPMAPCOUNT
  EXPECT_EQ(Le32(bytes, 28), 7u);            // 64x32 down to 1x1
  EXPECT_EQ(CountEntries(folder.path()), 1);
}

TEST(SavePicture, PsdAndPcxAreSinglePicturesTheRightWayUp) {
  ScratchFolder folder;
  const std::pair<std::string, int> kCases[] = {{"psd", 32}, {"pcx", 24}};
  for (const auto& [extension, bpp] : kCases) {
    const std::string path = folder / ("letter." + extension);
    const Bitmap picture = ApplyTargetDepth(LetterF(), extension, bpp);
    ASSERT_TRUE(SavePicture(picture.get(), RequestFor(extension, path))) << extension;
    EXPECT_EQ(Capture("identify -format '%w %h;' '" + path + "'"), "6 5;") << extension;
    EXPECT_EQ(MagickPixel(path, 1, 0, "-alpha off"), "srgb(255,0,0)") << extension;
    EXPECT_EQ(MagickPixel(path, 5, 0, "-alpha off"), "srgb(0,0,255)") << extension;
  }
  EXPECT_EQ(CountEntries(folder.path()), 2);
}

TEST(SavePicture, FailedSaveLeavesTheExistingOutputAndNoTemporaryFile) {
  ScratchFolder folder;
  // An 8-bit WebP would abort the process inside FreeImage; it must only fail this file.
  const std::string webp = folder / "kept.webp";
  ASSERT_TRUE(WriteFileBytes(webp, "precious"));
  const Bitmap palette = ApplyTargetDepth(LetterF(), "png", 8);
  EXPECT_FALSE(SavePicture(palette.get(), RequestFor("webp", webp, WEBP_LOSSLESS)));
  EXPECT_EQ(*ReadFileBytes(webp), "precious");
  // This FreeImage writes square icons of 16 to 256 pixels only.
  const std::string ico = folder / "kept.ico";
  ASSERT_TRUE(WriteFileBytes(ico, "precious"));
  const Bitmap letter = LetterF();
  EXPECT_FALSE(SavePicture(letter.get(), RequestFor("ico", ico)));
  EXPECT_EQ(*ReadFileBytes(ico), "precious");
  EXPECT_EQ(CountEntries(folder.path()), 2);
}

TEST(SavePicture, FreeImageWriterDoesNotReplaceAReadOnlyOutput) {
  ScratchFolder folder;
  const std::string path = folder / "locked.png";
  ASSERT_TRUE(WriteFileBytes(path, "precious"));
  chmod(path.c_str(), 0444);
  const Bitmap picture = LetterF();
  EXPECT_FALSE(SavePicture(picture.get(), RequestFor("png", path, PNG_Z_NO_COMPRESSION)));
  EXPECT_EQ(*ReadFileBytes(path), "precious");
  EXPECT_EQ(CountEntries(folder.path()), 1);
}

TEST(SavePicture, PbmKeepsBlackBlack) {
  ScratchFolder folder;
  const std::string path = folder / "letter.pbm";
  Bitmap letter(FreeImage_Allocate(6, 5, 1));
  RGBQUAD* palette = FreeImage_GetPalette(letter.get());
  palette[0] = {0, 0, 0, 0};
  palette[1] = {255, 255, 255, 0};
  BYTE white = 1;
  for (unsigned x = 0; x < 6; ++x) FreeImage_SetPixelIndex(letter.get(), x, 0, &white);
  ASSERT_TRUE(SavePicture(letter.get(), RequestFor("pbm", path)));
  EXPECT_EQ(MagickPixel(path, 0, 0), "gray(0)");    // top row: black
  EXPECT_EQ(MagickPixel(path, 3, 4), "gray(255)");  // bottom row: white
  // The caller's picture is not changed by the writer.
  BYTE index = 9;
  FreeImage_GetPixelIndex(letter.get(), 3, 0, &index);
  EXPECT_EQ(index, 1);
}

TEST(SavePicture, PgmHoldsGreyLevelsNotPaletteIndices) {
  ScratchFolder folder;
  const std::string path = folder / "levels.pgm";
  // Index 1 is white and index 0 black: written as indices, both would be near black.
  Bitmap picture(FreeImage_Allocate(4, 2, 8));
  RGBQUAD* palette = FreeImage_GetPalette(picture.get());
  palette[0] = {0, 0, 0, 0};
  palette[1] = {255, 255, 255, 0};
  palette[2] = {0, 0, 255, 0};  // red
  BYTE white = 1, red = 2;
  FreeImage_SetPixelIndex(picture.get(), 0, 1, &white);
  FreeImage_SetPixelIndex(picture.get(), 1, 1, &red);
  ASSERT_TRUE(SavePicture(picture.get(), RequestFor("pgm", path)));
  EXPECT_EQ(ReadFileBytes(path)->substr(0, 2), "P5");
  EXPECT_EQ(MagickPixel(path, 0, 0), "gray(255)");
  EXPECT_EQ(MagickPixel(path, 1, 0), "gray(54)");
  EXPECT_EQ(MagickPixel(path, 0, 1), "gray(0)");
}

TEST(SavePicture, CmykTiffHoldsRealCmykValues) {
  ScratchFolder folder;
  const std::pair<int, std::string> kCases[] = {{24, "8"}, {32, "8"}, {48, "16"}};
  for (const auto& [bpp, channelDepth] : kCases) {
    const std::string path = folder / ("cmyk" + std::to_string(bpp) + ".tiff");
    const Bitmap picture = ApplyTargetDepth(LetterF(), "tiff", bpp);
    ASSERT_TRUE(SavePicture(picture.get(), RequestFor("tiff", path, TIFF_LZW | TIFF_CMYK))) << bpp;
    EXPECT_EQ(Capture("identify -format '%[colorspace] %z' '" + path + "'"), "CMYK " + channelDepth)
        << bpp;
    EXPECT_EQ(MagickPixel(path, 1, 0), "cmyk(0,255,255,0)") << bpp;  // red
    EXPECT_EQ(MagickPixel(path, 5, 0), "cmyk(255,255,0,0)") << bpp;  // blue
    EXPECT_EQ(MagickPixel(path, 5, 0, "-colorspace sRGB"), "srgb(0,0,255)") << bpp;
  }
}

TEST(SavePicture, JxrIsLosslessThroughTheEncoderAndLeavesNoIntermediate) {
  ScratchFolder folder, decoded;
  // 64 x 64 at 24 bits is stored in two TIFF strips, a layout jxrlib's reader trips over.
  for (const unsigned size : {6u, 64u}) {
    const std::string path = folder / ("letter" + std::to_string(size) + ".jxr");
    const Bitmap picture = LetterF(size, size - 1);
    ASSERT_TRUE(SavePicture(picture.get(), RequestFor("jxr", path, JXR_LOSSLESS))) << size;
    const std::string tiff = decoded / ("letter" + std::to_string(size) + ".tif");
    ASSERT_EQ(std::system(("JxrDecApp -i '" + path + "' -o '" + tiff + "' >/dev/null").c_str()), 0);
    const Bitmap back(FreeImage_Load(FIF_TIFF, tiff.c_str(), 0));
    ASSERT_TRUE(back) << size;
    ASSERT_EQ(FreeImage_GetBPP(back.get()), 24u) << size;
    for (unsigned y = 0; y < size - 1; ++y)
      EXPECT_EQ(memcmp(FreeImage_GetScanLine(back.get(), y),
                       FreeImage_GetScanLine(picture.get(), y), 3 * size),
                0)
          << size << " row " << y;
  }
  EXPECT_EQ(CountEntries(folder.path()), 2);
}

TEST(SavePicture, JxrWithoutTheEncoderFailsCleanly) {
  ScratchFolder folder;
  const std::string path = folder / "missing.jxr";
  const std::string savedPath = std::getenv("PATH");
  setenv("PATH", folder.path().c_str(), 1);
  const Bitmap picture = LetterF();
  const bool saved = SavePicture(picture.get(), RequestFor("jxr", path, JXR_LOSSLESS));
  setenv("PATH", savedPath.c_str(), 1);
  EXPECT_FALSE(saved);
  EXPECT_EQ(CountEntries(folder.path()), 0);
}

TEST(UniqueLetterName, DigitsOfTheTimeBecomeLettersAndFiveRandomOnesFollow) {
  const std::string name = UniqueLetterName("marrowick", ".tif");
  ASSERT_GT(name.size(), 9u + 5u + 4u);
  EXPECT_EQ(name.substr(0, 9), "marrowick");
  EXPECT_EQ(name.substr(name.size() - 4), ".tif");
  for (const char letter : name.substr(9, name.size() - 13))
    EXPECT_TRUE(letter >= 'a' && letter <= 'z');
  for (const char letter : name.substr(9, name.size() - 18)) EXPECT_LE(letter, 'j');
  EXPECT_NE(UniqueLetterName("a", ""), UniqueLetterName("a", ""));
}
