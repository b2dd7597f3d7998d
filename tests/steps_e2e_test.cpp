// Whole runs of marrowickcmd on PICT files the tests write, checked on the pixels of the files
// written: rotation, resizing, the icon limit, flipping, inversion, greyscale and threshold, the
// order of those steps, the size tokens of the filename mask and the debug echo of these settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/pixels.h"
#include "tests/support/run_program.h"
#include "tests/support/test_pictures.h"

namespace {

// 251 x 17, no two rows or columns alike: every wrong turn or mirror shows.
constexpr TestPicture kOdd = TestPicture::Odd;
// 80 x 60, red at the top fading to blue at the bottom; every row one colour.
constexpr TestPicture kGradient = TestPicture::Gradient;
// 3 x 2, all orange (255,165,0).
constexpr TestPicture kOrange = TestPicture::Orange;
// 100 x 80 grey, black at the top to white at the bottom; every row one value.
constexpr TestPicture kRamp = TestPicture::Ramp;
// 320 x 200, 16 colours from red to yellow; stored with a colour table.
constexpr TestPicture kPalette = TestPicture::RedYellow;

constexpr Rgb kRed{255, 0, 0}, kBlack{0, 0, 0}, kWhite{255, 255, 255};

class StepsRun : public ::testing::Test {
 protected:
  // Converts and expects a quiet run that writes one file.
  PictureFile Convert(TestPicture picture, const std::vector<std::string> &options,
                      const std::string &extension = "png") {
    Conversion conversion = ConvertPicture(scratch_, picture, options, extension);
    EXPECT_EQ(conversion.output, "") << picture;
    EXPECT_EQ(conversion.written.size(), 1u) << picture;
    EXPECT_TRUE(conversion.picture.IsLoaded()) << picture;
    return std::move(conversion.picture);
  }
  ScratchFolder scratch_;
};

class StepsGeometry : public StepsRun {};
class StepsColour : public StepsRun {};
class StepsNaming : public StepsRun {};

TEST_F(StepsGeometry, QuarterTurnsMoveEveryPixelCounterClockwise) {
  const PictureFile reference = Convert(kOdd, {});
  ASSERT_EQ(reference.width(), 251);
  ASSERT_EQ(reference.height(), 17);
  const int w = reference.width(), h = reference.height();
  struct Case {
    int angle, width, height;
    std::function<std::pair<int, int>(int, int)> where;
  };
  const Case kCases[] = {
      {90, h, w,
       [&](int x, int y) {
         return std::pair{y, w - 1 - x};
       }},
      {180, w, h,
       [&](int x, int y) {
         return std::pair{w - 1 - x, h - 1 - y};
       }},
      {270, h, w,
       [&](int x, int y) {
         return std::pair{h - 1 - y, x};
       }},
  };
  for (const Case &c : kCases) {
    const PictureFile turned = Convert(kOdd, {"--rotation=" + std::to_string(c.angle)});
    EXPECT_EQ(turned.width(), c.width) << c.angle;
    EXPECT_EQ(turned.height(), c.height) << c.angle;
    EXPECT_TRUE(PixelsMapTo(reference, turned, c.where)) << c.angle;
  }
}

TEST_F(StepsGeometry, PalettePictureIsTurnedExactlyToo) {
  const PictureFile reference = Convert(kPalette, {});
  const PictureFile turned = Convert(kPalette, {"--rotation=90"});
  EXPECT_EQ(turned.width(), 200);
  EXPECT_EQ(turned.height(), 320);
  const int w = reference.width();
  EXPECT_TRUE(PixelsMapTo(reference, turned, [&](int x, int y) {
    return std::pair{y, w - 1 - x};
  }));
}

TEST_F(StepsGeometry, AnglesOutsideOneTo359LeaveThePictureAlone) {
  const PictureFile reference = Convert(kOdd, {});
  for (const char *angle : {"0", "360", "-90"})
    EXPECT_TRUE(SamePixels(reference, Convert(kOdd, {std::string("--rotation=") + angle})))
        << angle;
}

TEST_F(StepsGeometry, SimpleRotationFillsTheUncoveredCornersWithTheBackColour) {
  const PictureFile turned = Convert(kGradient, {"--rotation=45", "--rotation-back-color=FF0000"});
  // An 80 x 60 picture turned by 45 degrees needs about 99 x 99 pixels.
  EXPECT_GE(turned.width(), 98);
  EXPECT_GE(turned.height(), 98);
  const int right = turned.width() - 1, bottom = turned.height() - 1;
  for (const auto &[x, y] : {std::pair{0, 0}, {right, 0}, {0, bottom}, {right, bottom}})
    EXPECT_EQ(turned.At(x, y), kRed) << x << "," << y;
  // The middle is the picture's middle row, half red and half blue.
  const Rgb middle = turned.At(turned.width() / 2, turned.height() / 2);
  EXPECT_NEAR(middle.red, 128, 8);
  EXPECT_NEAR(middle.blue, 128, 8);

  // A colour text of five digits is black.
  const PictureFile black = Convert(kGradient, {"--rotation=45", "--rotation-back-color=FF000"});
  EXPECT_EQ(black.At(0, 0), kBlack);
}

TEST_F(StepsGeometry, AdvancedRotationKeepsTheSizeAndIgnoresTheBackColour) {
  const PictureFile turned = Convert(
      kGradient, {"--rotation=45", "--rotation-type=advanced", "--rotation-back-color=FF0000"});
  EXPECT_EQ(turned.width(), 80);
  EXPECT_EQ(turned.height(), 60);
  EXPECT_NE(turned.At(0, 0), kRed);
  EXPECT_NE(turned.At(79, 59), kRed);
}

TEST_F(StepsGeometry, FlipsMirrorExactlyAndBothTurnByHalf) {
  const PictureFile reference = Convert(kOdd, {});
  const int w = reference.width(), h = reference.height();
  struct Case {
    std::vector<std::string> options;
    std::function<std::pair<int, int>(int, int)> where;
  };
  const Case kCases[] = {
      {{"--flip-horizontal"},
       [&](int x, int y) {
         return std::pair{w - 1 - x, y};
       }},
      {{"--flip-vertical"},
       [&](int x, int y) {
         return std::pair{x, h - 1 - y};
       }},
      {{"--flip-horizontal", "--flip-vertical"},
       [&](int x, int y) {
         return std::pair{w - 1 - x, h - 1 - y};
       }},
  };
  for (const Case &c : kCases) {
    const PictureFile flipped = Convert(kOdd, c.options);
    EXPECT_EQ(flipped.width(), w);
    EXPECT_EQ(flipped.height(), h);
    EXPECT_TRUE(PixelsMapTo(reference, flipped, c.where)) << c.options.size() << " flips";
  }
  // Both flips equal a half turn.
  EXPECT_TRUE(SamePixels(Convert(kOdd, {"--rotation=180"}),
                         Convert(kOdd, {"--flip-horizontal", "--flip-vertical"})));
}

TEST_F(StepsGeometry, FlipComesAfterTheTurn) {
  // Turned by 90 and then flipped horizontally, (x, y) of the 251 x 17 picture lands at
  // (16 - y, 250 - x); flipped first, it would land at (y, x).
  const PictureFile reference = Convert(kOdd, {});
  const PictureFile result = Convert(kOdd, {"--rotation=90", "--flip-horizontal"});
  const int w = reference.width(), h = reference.height();
  EXPECT_TRUE(PixelsMapTo(reference, result, [&](int x, int y) {
    return std::pair{h - 1 - y, w - 1 - x};
  }));
}

TEST_F(StepsGeometry, ResizeGivesTheAskedSizes) {
  struct Case {
    std::vector<std::string> options;
    int width, height;
  };
  const Case kCases[] = {
      {{"--width=40", "--height=40", "--keep-aspect-ratio"}, 40, 30},
      {{"--width=100", "--height=10", "--keep-aspect-ratio"}, 100, 75},
      // Turned first, the picture is portrait: the height target wins.
      {{"--rotation=90", "--width=40", "--height=40", "--keep-aspect-ratio"}, 30, 40},
      {{"--width=40", "--height=40"}, 40, 40},
      {{"--width=50", "--height=200", "--width-unit=percent", "--height-unit=percent"}, 40, 120},
      {{"--width=25", "--height=30", "--width-unit=percent"}, 20, 30},
      // Smaller than the target both ways: left alone with largeimages.
      {{"--width=100", "--height=100", "--resize-type=largeimages"}, 80, 60},
      // Reaching the target one way is enough, and the other side may grow.
      {{"--width=80", "--height=100", "--resize-type=largeimages"}, 80, 100},
      {{"--width=100", "--height=50", "--resize-type=largeimages"}, 100, 50},
      {{"--width=100", "--height=100"}, 100, 100},
      // A target that is not positive leaves the picture alone.
      {{"--width=-5", "--height=10"}, 80, 60},
  };
  for (const Case &c : kCases) {
    const PictureFile resized = Convert(kGradient, c.options);
    EXPECT_EQ(resized.width(), c.width) << c.options[0] << " " << c.options[1];
    EXPECT_EQ(resized.height(), c.height) << c.options[0] << " " << c.options[1];
  }
}

TEST_F(StepsGeometry, ResizeToTheSameSizeChangesNoPixel) {
  EXPECT_TRUE(SamePixels(Convert(kOdd, {}), Convert(kOdd, {"--width=251", "--height=17"})));
}

TEST_F(StepsGeometry, EveryAlgorithmKeepsAnEvenColourEven) {
  for (const char *algorithm : {"box", "bilinear", "bspline", "bicubic", "catmullrom", "lanczos"}) {
    const PictureFile resized = Convert(
        kOrange, {"--width=9", "--height=4", std::string("--resize-algorithm=") + algorithm});
    ASSERT_EQ(resized.width(), 9) << algorithm;
    ASSERT_EQ(resized.height(), 4) << algorithm;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 9; ++x) {
        const Rgb c = resized.At(x, y);
        EXPECT_NEAR(c.red, 255, 1) << algorithm << " " << x << "," << y;
        EXPECT_NEAR(c.green, 165, 1) << algorithm << " " << x << "," << y;
        EXPECT_NEAR(c.blue, 0, 1) << algorithm << " " << x << "," << y;
      }
  }
}

TEST_F(StepsGeometry, IconsLargerThan128EitherWayBecomeExactly128Square) {
  for (const auto &[width, height] : {std::pair{"300", "100"}, {"100", "300"}, {"200", "200"}}) {
    const PictureFile icon = Convert(
        kGradient, {std::string("--width=") + width, std::string("--height=") + height}, "ico");
    EXPECT_EQ(icon.width(), 128) << width << "x" << height;
    EXPECT_EQ(icon.height(), 128) << width << "x" << height;
  }
  const PictureFile small = Convert(kGradient, {"--width=64", "--height=64"}, "ico");
  EXPECT_EQ(small.width(), 64);
  EXPECT_EQ(small.height(), 64);
}

TEST_F(StepsGeometry, SmallSquareIconsKeepTheirSizeAndOtherSmallIconsFail) {
  // The icon writer takes square pictures of 16 to 256 pixels only: anything else below the
  // 128 x 128 limit fails that file cleanly instead of writing a broken icon.
  const PictureFile square = Convert(kGradient, {"--width=64", "--height=64"}, "ico");
  EXPECT_EQ(square.width(), 64);
  EXPECT_EQ(square.height(), 64);
  for (const auto &[width, height] : {std::pair{"128", "64"}, {"80", "60"}}) {
    const Conversion icon = ConvertPicture(
        scratch_, kGradient, {std::string("--width=") + width, std::string("--height=") + height},
        "ico");
    EXPECT_EQ(icon.output, "Conversion stopped\n") << width << "x" << height;
    EXPECT_TRUE(icon.written.empty()) << width << "x" << height;
  }
}

TEST_F(StepsColour, InvertTurnsOrangeIntoItsComplement) {
  const PictureFile inverted = Convert(kOrange, {"--invert"});
  ASSERT_EQ(inverted.width(), 3);
  ASSERT_EQ(inverted.height(), 2);
  EXPECT_EQ(Convert(kOrange, {}).Count({255, 165, 0}), 6);
  EXPECT_EQ(inverted.Count({0, 90, 255}), 6);
}

TEST_F(StepsColour, InvertMapsEveryValueToItsComplement) {
  const PictureFile reference = Convert(kOdd, {});
  const PictureFile inverted = Convert(kOdd, {"--invert"});
  for (int y = 0; y < reference.height(); ++y)
    for (int x = 0; x < reference.width(); ++x) {
      const Rgb r = reference.At(x, y);
      ASSERT_EQ(inverted.At(x, y), (Rgb{255 - r.red, 255 - r.green, 255 - r.blue}))
          << x << "," << y;
    }
}

TEST_F(StepsColour, NeutralAdjustmentsChangeNothing) {
  const PictureFile reference = Convert(kOdd, {});
  for (const char *option : {"--brightness=0", "--contrast=0", "--gamma=1"})
    EXPECT_TRUE(SamePixels(reference, Convert(kOdd, {option}))) << option;
}

TEST_F(StepsColour, BrightnessAndGammaLightenContrastSpreads) {
  const PictureFile reference = Convert(kRamp, {});
  const PictureFile brighter = Convert(kRamp, {"--brightness=50"});
  const PictureFile gamma = Convert(kRamp, {"--gamma=2"});
  const PictureFile contrast = Convert(kRamp, {"--contrast=50"});
  // Row 20 is dark grey, row 60 light grey.
  const int dark = reference.At(50, 20).red, light = reference.At(50, 60).red;
  ASSERT_LT(dark, 100);
  ASSERT_GT(light, 155);
  EXPECT_GT(brighter.At(50, 20).red, dark);
  EXPECT_GT(gamma.At(50, 20).red, dark);
  EXPECT_LT(contrast.At(50, 20).red, dark);
  EXPECT_GT(contrast.At(50, 60).red, light);
}

TEST_F(StepsColour, GreyscaleGivesGreyPixelsAndKeepsGreyOnes) {
  const PictureFile reference = Convert(kOdd, {});
  const PictureFile grey = Convert(kOdd, {"--greyscale"});
  ASSERT_EQ(grey.width(), reference.width());
  int lightest = 0, darkest = 255;
  for (int y = 0; y < grey.height(); ++y)
    for (int x = 0; x < grey.width(); ++x) {
      const Rgb c = grey.At(x, y);
      ASSERT_TRUE(c.red == c.green && c.green == c.blue) << x << "," << y << " " << c;
      lightest = std::max(lightest, c.red);
      darkest = std::min(darkest, c.red);
    }
  EXPECT_GT(lightest - darkest, 100);
  // A picture that is grey already keeps its values.
  EXPECT_TRUE(SamePixels(Convert(kRamp, {}), Convert(kRamp, {"--greyscale"})));
}

TEST_F(StepsColour, ThresholdSplitsTheRampAtItsValue) {
  const PictureFile reference = Convert(kRamp, {});
  for (int level : {64, 129, 200}) {
    const PictureFile split = Convert(kRamp, {"--threshold=" + std::to_string(level)});
    for (int y = 0; y < reference.height(); ++y)
      for (int x = 0; x < reference.width(); ++x) {
        const Rgb expected = reference.At(x, y).red >= level ? kWhite : kBlack;
        ASSERT_EQ(split.At(x, y), expected)
            << level << " at " << x << "," << y << " from " << reference.At(x, y);
      }
  }
}

TEST_F(StepsColour, ThresholdTakesTheLowByteOfItsValue) {
  // 300 acts as 44, 256 as 0 (all white).
  EXPECT_TRUE(SamePixels(Convert(kRamp, {"--threshold=44"}), Convert(kRamp, {"--threshold=300"})));
  EXPECT_EQ(Convert(kRamp, {"--threshold=256"}).Count(kWhite), 100 * 80);
}

TEST_F(StepsColour, ThresholdedColourPictureIsBlackAndWhiteAndCanBeSavedAsOneBit) {
  const PictureFile split = Convert(kOdd, {"--threshold=128"});
  EXPECT_EQ(split.Count(kBlack) + split.Count(kWhite), 251 * 17);
  EXPECT_GT(split.Count(kBlack), 0);
  EXPECT_GT(split.Count(kWhite), 0);
  // Saved with the depth it was loaded with unless a depth is asked for.
  EXPECT_GT(split.bpp(), 1);

  const PictureFile oneBit = Convert(kOdd, {"--threshold=128", "--png-bpp=1"});
  EXPECT_EQ(oneBit.bpp(), 1);
  EXPECT_TRUE(SamePixels(split, oneBit));
}

TEST_F(StepsColour, ThresholdWorksOnTheGreyThatGreyscaleShows) {
  const PictureFile grey = Convert(kOdd, {"--greyscale"});
  const PictureFile split = Convert(kOdd, {"--greyscale", "--threshold=128"});
  for (int y = 0; y < grey.height(); ++y)
    for (int x = 0; x < grey.width(); ++x)
      ASSERT_EQ(split.At(x, y), grey.At(x, y).red >= 128 ? kWhite : kBlack)
          << x << "," << y << " from " << grey.At(x, y);
}

TEST_F(StepsColour, InvertComesBeforeThreshold) {
  // Inverted first, a pixel is white when 255 - v >= 100, that is v <= 155; thresholded first
  // and inverted after, it would be white when v < 100.
  const PictureFile reference = Convert(kRamp, {});
  const PictureFile result = Convert(kRamp, {"--invert", "--threshold=100"});
  for (int y = 0; y < reference.height(); ++y) {
    const int v = reference.At(0, y).red;
    EXPECT_EQ(result.At(0, y), v <= 155 ? kWhite : kBlack) << "row " << y << " value " << v;
  }
}

TEST_F(StepsNaming, SizeTokensGiveTheSizeAfterResizingAndTheIconLimit) {
  struct Case {
    std::vector<std::string> options;
    std::string extension, name;
  };
  const Case kCases[] = {
      {{}, "png", "a_80x60.png"},
      {{"--width=40", "--height=30"}, "png", "a_40x30.png"},
      {{"--rotation=90"}, "png", "a_60x80.png"},
      {{"--width=300", "--height=100"}, "ico", "a_128x128.ico"},
      // A frame is painted inside the picture: the size stays.
      {{"--width=40", "--height=30", "--fr-solid-left=10"}, "png", "a_40x30.png"},
  };
  for (const Case &c : kCases) {
    std::vector<std::string> options = c.options;
    options.push_back("--filename-mask=%filename%_%width%x%height%.%ext%");
    const Conversion conversion = ConvertPicture(scratch_, kGradient, options, c.extension);
    EXPECT_EQ(conversion.written, std::vector<std::string>{c.name});
    EXPECT_EQ(conversion.output, "");
  }
}

// The echo lines between the format lines and the frame line.
std::vector<std::string> StepLines(const std::vector<std::string> &options) {
  ScratchFolder scratch;
  if (!WriteTestPicture(kOrange, scratch / "a.pct")) return {};
  std::vector<std::string> arguments = {
      "-i", scratch / "a.pct", "-o", scratch.path(), "-c", "png", "-d", "-q"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  const std::vector<std::string> lines = Lines(RunMarrowick(arguments).output);
  std::vector<std::string> steps;
  bool inside = false;
  for (const std::string &line : lines) {
    if (line.starts_with("Frame: ") || line.starts_with("Error: ")) {
      if (line.starts_with("Error: ")) steps.push_back(line);
      break;
    }
    if (inside) steps.push_back(line);
    if (line.starts_with("PNG Interlaced: ")) inside = true;
  }
  return steps;
}

TEST(StepsDebugEcho, EachStepEchoesItsSettingsOnlyWhenSwitchedOn) {
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> lines;
  };
  const Case kCases[] = {
      {{}, {"Flip Horizontal: 0", "Flip Vertical: 0", "Greyscale: 0"}},
      {{"--rotation=0", "--rotation-type=advanced", "--rotation-back-color=00FF7F"},
       {"Image Rotation Type: advanced", "Image Rotation: 0", "Image Rotation Back Color: 00FF7F",
        "Flip Horizontal: 0", "Flip Vertical: 0", "Greyscale: 0"}},
      {{"--rotation=-45"},
       {"Image Rotation Type: simple", "Image Rotation: -45", "Image Rotation Back Color: 000000",
        "Flip Horizontal: 0", "Flip Vertical: 0", "Greyscale: 0"}},
      {{"--width=40", "--height=30", "--height-unit=percent", "--keep-aspect-ratio",
        "--resize-type=largeimages", "--resize-algorithm=box", "--flip-horizontal",
        "--flip-vertical"},
       {"Width: 40 pixels", "Height: 30 percent", "Keep Aspect Ratio: 1",
        "Image Resize Type: largeimages", "Image Resize Algorithm: box", "Flip Horizontal: 1",
        "Flip Vertical: 1", "Greyscale: 0"}},
      {{"--width=-5", "--height=7", "--resize-algorithm=catmullrom"},
       {"Width: -5 pixels", "Height: 7 pixels", "Keep Aspect Ratio: 0",
        "Image Resize Type: allimages", "Image Resize Algorithm: catmullrom", "Flip Horizontal: 0",
        "Flip Vertical: 0", "Greyscale: 0"}},
      {{"--gamma=2.5"},
       {"Flip Horizontal: 0", "Flip Vertical: 0", "Brightness: 0", "Contrast: 0", "Gamma: 2.50",
        "Invert: 0", "Greyscale: 0"}},
      {{"--invert", "--brightness=-20", "--contrast=35", "--greyscale", "--threshold=300"},
       {"Flip Horizontal: 0", "Flip Vertical: 0", "Brightness: -20", "Contrast: 35", "Gamma: 1.00",
        "Invert: 1", "Greyscale: 1", "Image Threshold: 300"}},
      {{"--threshold=0"},
       {"Flip Horizontal: 0", "Flip Vertical: 0", "Greyscale: 0", "Image Threshold: 0"}},
      // A failing check comes right after its own line.
      {{"--width=40", "--height=0"},
       {"Width: 40 pixels", "Height: 0 pixels", "Error: Invalid height value"}},
      {{"--width=0", "--height=30"}, {"Width: 0 pixels", "Error: Invalid width value"}},
      {{"--brightness=5", "--contrast=500"},
       {"Flip Horizontal: 0", "Flip Vertical: 0", "Brightness: 5", "Contrast: 500",
        "Error: Invalid contrast value"}},
      {{"--gamma=0"},
       {"Flip Horizontal: 0", "Flip Vertical: 0", "Brightness: 0", "Contrast: 0", "Gamma: 0.00",
        "Error: Invalid gamma value"}},
  };
  for (const Case &c : kCases)
    EXPECT_EQ(StepLines(c.options), c.lines) << (c.options.empty() ? "none" : c.options[0]);
}

}  // namespace
