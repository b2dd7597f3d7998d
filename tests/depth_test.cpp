// Bringing the finished picture to the depth of its output format.
#include "pipeline/depth.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr RGBQUAD kRed{0, 0, 255, 255};  // FreeImage order: blue, green, red, alpha
constexpr RGBQUAD kBlue{255, 0, 0, 255};

// The 6 x 5 letter F, red on blue, at 24 bits; rows listed top first.
Bitmap LetterF() {
  static const char* const kRows[] = {".XXXX.", ".X....", ".XXX..", ".X....", ".X...."};
  Bitmap picture(FreeImage_Allocate(6, 5, 24));
  for (int row = 0; row < 5; ++row)
    for (int x = 0; x < 6; ++x) {
      RGBQUAD colour = kRows[row][x] == 'X' ? kRed : kBlue;
      FreeImage_SetPixelColor(picture.get(), x, 4 - row, &colour);
    }
  return picture;
}

Bitmap Filled(unsigned width, unsigned height, BYTE red, BYTE green, BYTE blue) {
  Bitmap picture(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 24));
  RGBQUAD colour{blue, green, red, 255};
  FreeImage_FillBackground(picture.get(), &colour, 0);
  return picture;
}

RGBQUAD PixelAt(FIBITMAP* picture, unsigned x, unsigned y) {
  RGBQUAD colour{};
  if (FreeImage_GetBPP(picture) <= 8) {
    BYTE index = 0;
    FreeImage_GetPixelIndex(picture, x, y, &index);
    colour = FreeImage_GetPalette(picture)[index];
  } else {
    FreeImage_GetPixelColor(picture, x, y, &colour);
  }
  return colour;
}

}  // namespace

TEST(ApplyTargetDepth, EveryTargetDepthIsReachedWithTheSizeKept) {
  for (const int bpp : {1, 4, 8, 16, 24, 32, 48, 96}) {
    const Bitmap picture = ApplyTargetDepth(LetterF(), "tiff", bpp);
    ASSERT_TRUE(picture) << bpp;
    EXPECT_EQ(static_cast<int>(FreeImage_GetBPP(picture.get())), bpp);
    EXPECT_EQ(FreeImage_GetWidth(picture.get()), 6u) << bpp;
    EXPECT_EQ(FreeImage_GetHeight(picture.get()), 5u) << bpp;
  }
}

TEST(ApplyTargetDepth, DeepPicturesReachThePaletteAndSixteenBitDepths) {
  for (const int bpp : {1, 4, 8, 16}) {
    Bitmap deep = ApplyTargetDepth(LetterF(), "png", 48);
    const Bitmap picture = ApplyTargetDepth(std::move(deep), "bmp", bpp);
    ASSERT_TRUE(picture) << bpp;
    EXPECT_EQ(static_cast<int>(FreeImage_GetBPP(picture.get())), bpp);
  }
}

TEST(ApplyTargetDepth, SixteenBitsAre555ForIconsAndTargaAnd565Elsewhere) {
  const std::pair<std::string, unsigned> kCases[] = {{"ico", FI16_555_GREEN_MASK},
                                                     {"tga", FI16_555_GREEN_MASK},
                                                     {"bmp", FI16_565_GREEN_MASK},
                                                     {"jxr", FI16_565_GREEN_MASK}};
  for (const auto& [extension, greenMask] : kCases) {
    const Bitmap picture = ApplyTargetDepth(LetterF(), extension, 16);
    ASSERT_TRUE(picture) << extension;
    EXPECT_EQ(FreeImage_GetGreenMask(picture.get()), greenMask) << extension;
    const RGBQUAD corner = PixelAt(picture.get(), 1, 4);  // top of the F's stem
    EXPECT_GE(corner.rgbRed, 248) << extension;
    EXPECT_EQ(corner.rgbBlue, 0) << extension;
  }
}

TEST(ApplyTargetDepth, EightBitsAreGreyLevelsForFormatsWithoutPalettes) {
  for (const char* extension : {"jpg", "j2k", "jp2", "jxr", "pgm"}) {
    const Bitmap picture = ApplyTargetDepth(LetterF(), extension, 8);
    ASSERT_TRUE(picture) << extension;
    EXPECT_EQ(FreeImage_GetColorType(picture.get()), FIC_MINISBLACK) << extension;
    // Rec. 709 weights: red is brighter than blue, and both are dark.
    const BYTE* top = FreeImage_GetScanLine(picture.get(), 4);
    EXPECT_NEAR(top[1], 54, 1) << extension;
    EXPECT_NEAR(top[0], 18, 1) << extension;
  }
}

TEST(ApplyTargetDepth, EightBitsAreAColourPaletteForOtherFormats) {
  for (const char* extension : {"bmp", "gif", "ico", "png", "tga", "tiff"}) {
    const Bitmap picture = ApplyTargetDepth(LetterF(), extension, 8);
    ASSERT_TRUE(picture) << extension;
    EXPECT_EQ(FreeImage_GetColorType(picture.get()), FIC_PALETTE) << extension;
    const RGBQUAD letter = PixelAt(picture.get(), 1, 4);
    const RGBQUAD background = PixelAt(picture.get(), 0, 4);
    EXPECT_NEAR(letter.rgbRed, 255, 2) << extension;
    EXPECT_NEAR(letter.rgbBlue, 0, 2) << extension;
    EXPECT_NEAR(background.rgbBlue, 255, 2) << extension;
    EXPECT_NEAR(background.rgbRed, 0, 2) << extension;
  }
}

TEST(ApplyTargetDepth, FortyEightBitsKeepWhiteAtFullScale) {
  const Bitmap picture = ApplyTargetDepth(Filled(3, 2, 255, 128, 0), "png", 48);
  ASSERT_TRUE(picture);
  ASSERT_EQ(FreeImage_GetImageType(picture.get()), FIT_RGB16);
  const auto* pixel = reinterpret_cast<const FIRGB16*>(FreeImage_GetScanLine(picture.get(), 1));
  EXPECT_EQ(pixel[2].red, 65535);
  EXPECT_EQ(pixel[2].green, 128 * 257);
  EXPECT_EQ(pixel[2].blue, 0);
}

TEST(ApplyTargetDepth, NinetySixBitsHoldWhiteAsOne) {
  const Bitmap picture = ApplyTargetDepth(Filled(2, 2, 255, 255, 255), "exr", 96);
  ASSERT_TRUE(picture);
  const auto* pixel = reinterpret_cast<const FIRGBF*>(FreeImage_GetScanLine(picture.get(), 0));
  EXPECT_FLOAT_EQ(pixel->red, 1.0f);
  EXPECT_FLOAT_EQ(pixel->blue, 1.0f);
}

TEST(ApplyTargetDepth, OneBitIsDitheredBlackAndWhite) {
  // Mid grey comes out as a mix of black and white dots, not as one of them.
  const Bitmap picture = ApplyTargetDepth(Filled(32, 32, 128, 128, 128), "png", 1);
  ASSERT_TRUE(picture);
  int white = 0;
  for (unsigned y = 0; y < 32; ++y)
    for (unsigned x = 0; x < 32; ++x) white += PixelAt(picture.get(), x, y).rgbRed == 255;
  EXPECT_GT(white, 32 * 32 / 3);
  EXPECT_LT(white, 32 * 32 * 2 / 3);
}

TEST(ApplyTargetDepth, PictureAtTheTargetDepthIsPassedThroughUntouched) {
  Bitmap picture = LetterF();
  FIBITMAP* original = picture.get();
  const Bitmap result = ApplyTargetDepth(std::move(picture), "jpg", 24);
  EXPECT_EQ(result.get(), original);
}

TEST(ApplyTargetDepth, EmptyPictureStaysEmpty) {
  EXPECT_FALSE(ApplyTargetDepth(Bitmap(), "png", 24));
}
