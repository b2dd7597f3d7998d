// Rotation, resizing and flipping on pictures built in memory.
#include <gtest/gtest.h>

#include <cstring>

#include "pipeline/geometry.h"
#include "tests/support/bitmaps.h"
#include "tests/support/letter_f.h"

constexpr uint32_t kBlack = 0x000000;

static uint32_t LetterAt(unsigned x, unsigned yFromTop) {
  return kLetterF[yFromTop][x] == 'X' ? kRed : kBlue;
}

static bool HasSamePixels(FIBITMAP* a, FIBITMAP* b) {
  if (FreeImage_GetWidth(a) != FreeImage_GetWidth(b) ||
      FreeImage_GetHeight(a) != FreeImage_GetHeight(b) ||
      FreeImage_GetBPP(a) != FreeImage_GetBPP(b)) {
    return false;
  }
  for (unsigned y = 0; y < FreeImage_GetHeight(a); ++y) {
    if (std::memcmp(FreeImage_GetScanLine(a, y), FreeImage_GetScanLine(b, y),
                    FreeImage_GetLine(a)) != 0) {
      return false;
    }
  }
  return true;
}

static RotationSettings Rotation(int angle, RotationType type = RotationType::Simple,
                                 std::string backColor = "000000") {
  return RotationSettings{true, type, angle, std::move(backColor)};
}

static ResizeSettings Resize(int width, int height, SizeUnit unit = SizeUnit::Pixels) {
  ResizeSettings resize;
  resize.enabled = true;
  resize.width = width;
  resize.height = height;
  resize.widthUnit = resize.heightUnit = unit;
  resize.algorithm = ResizeAlgorithm::Box;
  return resize;
}

TEST(RotatePicture, QuarterTurnIsCounterClockwiseAndExact) {
  const Bitmap turned = RotatePicture(MakeLetterF(), Rotation(90));
  ASSERT_TRUE(turned);
  ASSERT_EQ(FreeImage_GetWidth(turned.get()), kHeight);
  ASSERT_EQ(FreeImage_GetHeight(turned.get()), kWidth);
  // Counter-clockwise: the old right column becomes the new top row.
  for (unsigned y = 0; y < kWidth; ++y) {
    for (unsigned x = 0; x < kHeight; ++x) {
      EXPECT_EQ(ColourAt(turned.get(), x, y), LetterAt(kWidth - 1 - y, x)) << x << "," << y;
    }
  }
}

TEST(RotatePicture, FourQuarterTurnsGiveBackTheOriginal) {
  Bitmap picture = MakeLetterF();
  for (int turn = 0; turn < 4; ++turn) picture = RotatePicture(std::move(picture), Rotation(90));
  ASSERT_TRUE(picture);
  EXPECT_TRUE(HasSamePixels(picture.get(), MakeLetterF().get()));
}

TEST(RotatePicture, UncoveredCornersTakeTheBackgroundColour) {
  const std::pair<const char*, uint32_t> kCases[] = {{"FF0000", kRed}, {"FF000", kBlack}};
  for (const auto& [text, corner] : kCases) {
    Bitmap plain(FreeImage_Allocate(40, 30, 24));
    RGBQUAD blue = Quad(kBlue);
    FreeImage_FillBackground(plain.get(), &blue);
    const Bitmap turned = RotatePicture(std::move(plain), Rotation(45, RotationType::Simple, text));
    ASSERT_TRUE(turned) << text;
    const unsigned width = FreeImage_GetWidth(turned.get());
    const unsigned height = FreeImage_GetHeight(turned.get());
    EXPECT_GT(width, 40u) << text;
    for (const auto& [x, y] :
         {std::pair{0u, 0u}, {width - 1, 0u}, {0u, height - 1}, {width - 1, height - 1}}) {
      EXPECT_EQ(ColourAt(turned.get(), x, y), corner) << text << " at " << x << "," << y;
    }
    EXPECT_EQ(ColourAt(turned.get(), width / 2, height / 2), kBlue) << text;
  }
}

TEST(RotatePicture, AnglesOutsideOneTo359LeaveThePictureAlone) {
  for (const int angle : {0, 360, -90, 450}) {
    Bitmap picture = MakeLetterF(8);
    FIBITMAP* before = picture.get();
    const Bitmap after = RotatePicture(std::move(picture), Rotation(angle));
    EXPECT_EQ(after.get(), before) << angle;
    EXPECT_EQ(FreeImage_GetBPP(after.get()), 8u) << angle;
  }
  RotationSettings off = Rotation(90);
  off.enabled = false;
  Bitmap picture = MakeLetterF();
  FIBITMAP* before = picture.get();
  EXPECT_EQ(RotatePicture(std::move(picture), off).get(), before);
}

TEST(RotatePicture, OtherDepthsAreMade24BitBeforeTurning) {
  const std::pair<const char*, Bitmap (*)()> kPictures[] = {
      {"1-bit", [] { return MakeLetterF(1); }},
      {"8-bit", [] { return MakeLetterF(8); }},
      {"48-bit", [] { return Bitmap(FreeImage_ConvertToRGB16(MakeLetterF().get())); }}};
  const Bitmap expected = RotatePicture(MakeLetterF(), Rotation(90));
  for (const auto& [name, make] : kPictures) {
    const Bitmap turned = RotatePicture(make(), Rotation(90));
    ASSERT_TRUE(turned) << name;
    EXPECT_TRUE(HasSamePixels(turned.get(), expected.get())) << name;
  }
}

TEST(RotatePicture, AdvancedTurnKeepsTheSize) {
  const Bitmap turned = RotatePicture(MakeLetterF(32), Rotation(30, RotationType::Advanced));
  ASSERT_TRUE(turned);
  EXPECT_EQ(FreeImage_GetWidth(turned.get()), kWidth);
  EXPECT_EQ(FreeImage_GetHeight(turned.get()), kHeight);
  EXPECT_EQ(FreeImage_GetBPP(turned.get()), 32u);
}

TEST(FlipPicture, FlipsMirrorRowsAndColumnsExactly) {
  Bitmap picture = MakeLetterF();
  FlipPicture(picture.get(), FlipSettings{true, false});
  for (unsigned y = 0; y < kHeight; ++y) {
    for (unsigned x = 0; x < kWidth; ++x) {
      EXPECT_EQ(ColourAt(picture.get(), x, y), LetterAt(kWidth - 1 - x, y)) << x << "," << y;
    }
  }
  FlipPicture(picture.get(), FlipSettings{true, true});
  for (unsigned y = 0; y < kHeight; ++y) {
    for (unsigned x = 0; x < kWidth; ++x) {
      EXPECT_EQ(ColourAt(picture.get(), x, y), LetterAt(x, kHeight - 1 - y)) << x << "," << y;
    }
  }
  FlipPicture(picture.get(), FlipSettings{false, true});
  EXPECT_TRUE(HasSamePixels(picture.get(), MakeLetterF().get()));
  FlipPicture(nullptr, FlipSettings{true, true});
}

TEST(ResizePicture, KeepAspectRatioFollowsTheLongerSide) {
  const int kCases[][4] = {{1600, 1200, 800, 600}, {1200, 1600, 600, 800}, {1000, 999, 800, 799}};
  ResizeSettings resize = Resize(800, 800);
  resize.keepAspectRatio = true;
  for (const auto& [width, height, newWidth, newHeight] : kCases) {
    const Bitmap result =
        ResizePicture(Bitmap(FreeImage_Allocate(width, height, 24)), width, height, resize);
    ASSERT_TRUE(result) << width << "x" << height;
    EXPECT_EQ(FreeImage_GetWidth(result.get()), static_cast<unsigned>(newWidth)) << width;
    EXPECT_EQ(FreeImage_GetHeight(result.get()), static_cast<unsigned>(newHeight)) << width;
  }
}

TEST(ResizePicture, LargeImagesOnlyResizesPicturesReachingTheTarget) {
  ResizeSettings resize = Resize(800, 800);
  resize.type = ResizeType::LargeImages;
  Bitmap small(FreeImage_Allocate(640, 480, 24));
  FIBITMAP* before = small.get();
  EXPECT_EQ(ResizePicture(std::move(small), 640, 480, resize).get(), before);
  const Bitmap wide = ResizePicture(Bitmap(FreeImage_Allocate(800, 480, 24)), 800, 480, resize);
  ASSERT_TRUE(wide);
  EXPECT_EQ(FreeImage_GetWidth(wide.get()), 800u);
  EXPECT_EQ(FreeImage_GetHeight(wide.get()), 800u);
}

TEST(ResizePicture, UnchangedTargetsReturnTheSameBitmap) {
  const ResizeSettings kCases[] = {Resize(6, 5), Resize(100, 100, SizeUnit::Percent),
                                   Resize(50, 0, SizeUnit::Percent), Resize(-3, 5)};
  for (const ResizeSettings& resize : kCases) {
    Bitmap picture = MakeLetterF();
    FIBITMAP* before = picture.get();
    EXPECT_EQ(ResizePicture(std::move(picture), 6, 5, resize).get(), before) << resize.width;
  }
}

TEST(ResizePicture, PercentRoundsToTheNearestPixel) {
  ResizeSettings resize = Resize(33, 200, SizeUnit::Percent);
  const Bitmap result = ResizePicture(MakeLetterF(), 6, 5, resize);
  ASSERT_TRUE(result);
  EXPECT_EQ(FreeImage_GetWidth(result.get()), 2u);   // 1.98
  EXPECT_EQ(FreeImage_GetHeight(result.get()), 10u);
  EXPECT_EQ(ScaledDimension(60, SizeUnit::Percent, 5), 3);
  EXPECT_EQ(ScaledDimension(67, SizeUnit::Percent, 10), 7);  // 6.7
}

TEST(GeometrySteps, EmptyPicturePassesThrough) {
  EXPECT_FALSE(RotatePicture(Bitmap(), Rotation(90)));
  EXPECT_FALSE(RotatePicture(Bitmap(), Rotation(30, RotationType::Advanced)));
  EXPECT_FALSE(ResizePicture(Bitmap(), 0, 0, Resize(10, 10)));
}
