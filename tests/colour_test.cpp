// Colour adjustment, greyscale and threshold on pictures built in memory.
#include <gtest/gtest.h>

#include <cstring>

#include "pipeline/colour.h"
#include "tests/support/bitmaps.h"
#include "tests/support/letter_f.h"

constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;

// Checks every pixel of a picture of the letter's size against the letter's two colours.
static void ExpectLetterColours(FIBITMAP* picture, uint32_t ink, uint32_t paper) {
  ASSERT_NE(picture, nullptr);
  ASSERT_EQ(FreeImage_GetWidth(picture), kWidth);
  ASSERT_EQ(FreeImage_GetHeight(picture), kHeight);
  for (unsigned y = 0; y < kHeight; ++y) {
    for (unsigned x = 0; x < kWidth; ++x) {
      EXPECT_EQ(ColourAt(picture, x, y), kLetterF[y][x] == 'X' ? ink : paper) << x << "," << y;
    }
  }
}

static ColorSettings Adjust(int brightness, int contrast, float gamma, bool invert) {
  ColorSettings color;
  color.enabled = true;
  color.brightness = brightness;
  color.contrast = contrast;
  color.gamma = gamma;
  color.invert = invert;
  return color;
}

static ColorSettings Threshold(int level, bool greyscale = false) {
  ColorSettings color;
  color.threshold = true;
  color.thresholdLevel = level;
  color.greyscale = greyscale;
  return color;
}

TEST(AdjustPictureColors, InvertAloneInvertsEveryColourAtTwentyFourBits) {
  const std::pair<const char*, Bitmap (*)()> kPictures[] = {
      {"24-bit", [] { return MakeLetterF(); }},
      {"1-bit", [] { return MakeLetterF(1); }},
      {"4-bit", [] { return MakeLetterF(4); }},
      {"48-bit", [] { return Bitmap(FreeImage_ConvertToRGB16(MakeLetterF().get())); }}};
  for (const auto& [name, make] : kPictures) {
    SCOPED_TRACE(name);
    const Bitmap result = AdjustPictureColors(make(), Adjust(0, 0, 1.0f, true));
    EXPECT_EQ(FreeImage_GetBPP(result.get()), 24u);
    ExpectLetterColours(result.get(), 0x00FFFF, 0xFFFF00);
  }
}

TEST(AdjustPictureColors, BrightnessAloneChangesNothingElse) {
  // A ramp, so that brightening shows; the reference applies brightness and nothing more.
  Bitmap ramp(FreeImage_Allocate(16, 16, 24));
  for (unsigned y = 0; y < 16; ++y) {
    for (unsigned x = 0; x < 16; ++x) {
      RGBQUAD colour = Quad((x * 16) << 16 | (y * 16) << 8 | (x + y) * 8);
      FreeImage_SetPixelColor(ramp.get(), x, y, &colour);
    }
  }
  const Bitmap original(FreeImage_Clone(ramp.get()));
  Bitmap reference(FreeImage_Clone(ramp.get()));
  FreeImage_AdjustBrightness(reference.get(), 30);
  const Bitmap result = AdjustPictureColors(std::move(ramp), Adjust(30, 0, 1.0f, false));
  ASSERT_TRUE(result);
  for (unsigned y = 0; y < 16; ++y) {
    ASSERT_EQ(std::memcmp(FreeImage_GetScanLine(result.get(), y),
                          FreeImage_GetScanLine(reference.get(), y), 16 * 3), 0) << y;
  }
  EXPECT_NE(ColourAt(result.get(), 8, 8), ColourAt(original.get(), 8, 8));  // really brighter
}

TEST(ColourSteps, SwitchedOffStepsPassTheSameBitmapThrough) {
  Bitmap picture = MakeLetterF(4);
  FIBITMAP* before = picture.get();
  ColorSettings off = Adjust(50, 50, 2.0f, true);
  off.enabled = false;
  picture = AdjustPictureColors(std::move(picture), off);
  picture = GreyscalePicture(std::move(picture), off);
  picture = ThresholdPicture(std::move(picture), off);
  EXPECT_EQ(picture.get(), before);
  EXPECT_EQ(FreeImage_GetBPP(picture.get()), 4u);
  ExpectLetterColours(picture.get(), kRed, kBlue);
}

TEST(ColourSteps, EmptyPicturePassesThrough) {
  ColorSettings all = Threshold(128, true);
  all.enabled = true;
  EXPECT_FALSE(AdjustPictureColors(Bitmap(), all));
  EXPECT_FALSE(GreyscalePicture(Bitmap(), all));
  EXPECT_FALSE(ThresholdPicture(Bitmap(), all));
}

TEST(ColourGreyscale, GivesEightBitGreyWithRec709Weights) {
  ColorSettings grey;
  grey.greyscale = true;
  for (const bool deep : {false, true}) {
    Bitmap picture = MakeLetterF();
    if (deep) picture = Bitmap(FreeImage_ConvertToRGB16(picture.get()));
    const Bitmap result = GreyscalePicture(std::move(picture), grey);
    ASSERT_TRUE(result) << deep;
    EXPECT_EQ(FreeImage_GetBPP(result.get()), 8u);
    EXPECT_EQ(FreeImage_GetColorType(result.get()), FIC_MINISBLACK);
    ExpectLetterColours(result.get(), 0x363636, 0x121212);  // red 54, blue 18
  }
}

TEST(ColourThreshold, OnlyTheLowByteOfTheLevelCounts) {
  // An 8-bit grey ramp 0..255: a pixel is white exactly when its value reaches the level.
  Bitmap ramp(FreeImage_Allocate(16, 16, 8));
  for (unsigned i = 0; i < 256; ++i) {
    FreeImage_GetPalette(ramp.get())[i] = Quad(i * 0x010101);
    BYTE value = static_cast<BYTE>(i);
    FreeImage_SetPixelIndex(ramp.get(), i % 16, i / 16, &value);
  }
  const std::pair<int, unsigned> kCases[] = {{128, 128}, {1, 1}, {256, 0}, {300, 44}};
  for (const auto& [level, effective] : kCases) {
    const Bitmap result = ThresholdPicture(Bitmap(FreeImage_Clone(ramp.get())), Threshold(level));
    ASSERT_TRUE(result) << level;
    EXPECT_EQ(FreeImage_GetBPP(result.get()), 1u) << level;
    for (unsigned i = 0; i < 256; ++i) {
      EXPECT_EQ(ColourAt(result.get(), i % 16, 15 - i / 16), i >= effective ? kWhite : kBlack)
          << "level " << level << ", value " << i;
    }
  }
}

TEST(ColourThreshold, ColourAndDeepPicturesBecomeOneBit) {
  Bitmap colour = MakeLetterF(32);
  Bitmap deep(FreeImage_ConvertToRGB16(MakeLetterF().get()));
  for (Bitmap* picture : {&colour, &deep}) {
    const Bitmap result = ThresholdPicture(std::move(*picture), Threshold(50));
    EXPECT_EQ(FreeImage_GetBPP(result.get()), 1u);
    ExpectLetterColours(result.get(), kWhite, kBlack);
  }
}

TEST(ColourThreshold, GreyscaleFirstThenThreshold) {
  // As in the chain: grey values 54 (red) and 18 (blue) against the levels 50 and 128.
  const std::pair<int, uint32_t> kCases[] = {{50, kWhite}, {128, kBlack}};
  for (const auto& [level, ink] : kCases) {
    const ColorSettings color = Threshold(level, true);
    Bitmap picture = GreyscalePicture(MakeLetterF(), color);
    EXPECT_EQ(FreeImage_GetBPP(picture.get()), 8u);
    picture = ThresholdPicture(std::move(picture), color);
    EXPECT_EQ(FreeImage_GetBPP(picture.get()), 1u) << level;
    ExpectLetterColours(picture.get(), ink, kBlack);
  }
}
