// Bringing the finished picture to the depth of its output format.
#include "pipeline/depth.h"

#include <gtest/gtest.h>

#include "tests/support/formats.h"
#include "tests/support/letter_f.h"

namespace {

RGBQUAD ColourAt(FIBITMAP* picture, unsigned x, unsigned y) {
  RGBQUAD colour{};
  BYTE index = 0;
  if (FreeImage_GetBPP(picture) > 8) FreeImage_GetPixelColor(picture, x, y, &colour);
  if (FreeImage_GetBPP(picture) <= 8 && FreeImage_GetPixelIndex(picture, x, y, &index))
    colour = FreeImage_GetPalette(picture)[index];
  return colour;
}

}  // namespace

TEST(ApplyTargetDepth, EveryDepthIsReachedFromColourAndFromDeepPictures) {
  for (const int bpp : {1, 4, 8, 16, 24, 32, 48, 96}) {
    const Bitmap fromColour = ApplyTargetDepth(LetterF(), Format("tiff"), bpp);
    const Bitmap fromDeep =
        ApplyTargetDepth(ApplyTargetDepth(LetterF(), Format("png"), 48), Format("bmp"), bpp);
    for (FIBITMAP* picture : {fromColour.get(), fromDeep.get()}) {
      ASSERT_TRUE(picture) << bpp;
      EXPECT_EQ(static_cast<int>(FreeImage_GetBPP(picture)), bpp);
      EXPECT_EQ(FreeImage_GetWidth(picture), 6u);
      EXPECT_EQ(FreeImage_GetHeight(picture), 5u);
    }
  }
}

TEST(ApplyTargetDepth, SixteenBitsAre555ForIconsAndTargaAnd565Elsewhere) {
  const std::pair<const char*, unsigned> kCases[] = {{"ico", FI16_555_GREEN_MASK},
                                                     {"tga", FI16_555_GREEN_MASK},
                                                     {"bmp", FI16_565_GREEN_MASK},
                                                     {"jxr", FI16_565_GREEN_MASK}};
  for (const auto& [extension, greenMask] : kCases) {
    const Bitmap picture = ApplyTargetDepth(LetterF(), Format(extension), 16);
    ASSERT_TRUE(picture) << extension;
    EXPECT_EQ(FreeImage_GetGreenMask(picture.get()), greenMask) << extension;
    EXPECT_EQ(ColourAt(picture.get(), 1, 4).rgbRed, 255) << extension;  // the F stays red
  }
}

TEST(ApplyTargetDepth, EightBitsAreGreyWithoutPalettesAndQuantisedColourElsewhere) {
  for (const char* extension : {"jpg", "j2k", "jp2", "jxr", "pgm"}) {
    const Bitmap picture = ApplyTargetDepth(LetterF(), Format(extension), 8);
    ASSERT_EQ(FreeImage_GetColorType(picture.get()), FIC_MINISBLACK) << extension;
    // Rec. 709 weights: the red letter is grey 54, the blue ground grey 18.
    EXPECT_NEAR(FreeImage_GetScanLine(picture.get(), 4)[1], 54, 1) << extension;
    EXPECT_NEAR(FreeImage_GetScanLine(picture.get(), 4)[0], 18, 1) << extension;
  }
  for (const char* extension : {"bmp", "gif", "ico", "png", "tga", "tiff"}) {
    const Bitmap picture = ApplyTargetDepth(LetterF(), Format(extension), 8);
    ASSERT_EQ(FreeImage_GetColorType(picture.get()), FIC_PALETTE) << extension;
    EXPECT_NEAR(ColourAt(picture.get(), 1, 4).rgbRed, 255, 2) << extension;
    EXPECT_NEAR(ColourAt(picture.get(), 0, 4).rgbBlue, 255, 2) << extension;
    EXPECT_NEAR(ColourAt(picture.get(), 0, 4).rgbRed, 0, 2) << extension;
  }
}

TEST(ApplyTargetDepth, FortyEightBitsKeepWhiteAtFullScale) {
  Bitmap picture(FreeImage_Allocate(3, 2, 24));
  RGBQUAD colour{0, 128, 255, 0};
  FreeImage_FillBackground(picture.get(), &colour, 0);
  picture = ApplyTargetDepth(std::move(picture), Format("png"), 48);
  ASSERT_EQ(FreeImage_GetImageType(picture.get()), FIT_RGB16);
  const auto* pixel = reinterpret_cast<const FIRGB16*>(FreeImage_GetScanLine(picture.get(), 1));
  EXPECT_EQ(pixel[2].red, 65535);
  EXPECT_EQ(pixel[2].green, 128 * 257);
  EXPECT_EQ(pixel[2].blue, 0);
}

TEST(ApplyTargetDepth, PictureAtTheTargetDepthIsPassedThroughUntouched) {
  Bitmap picture = LetterF();
  FIBITMAP* original = picture.get();
  EXPECT_EQ(ApplyTargetDepth(std::move(picture), Format("jpg"), 24).get(), original);
  EXPECT_FALSE(ApplyTargetDepth(Bitmap(), Format("png"), 24));
}
