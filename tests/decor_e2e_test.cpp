// Whole runs of marrowickcmd on PICT files the tests write, checked on the pixels of the files
// written: the solid frame, the text watermark and the image watermark, their placement, their
// failures and their debug echo.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"  // WriteFileBytes
#include "tests/support/pixels.h"
#include "tests/support/run_program.h"
#include "tests/support/test_pictures.h"

namespace fs = std::filesystem;

namespace {

// 100 x 80 grey, black at the top to white at the bottom.
constexpr TestPicture kRamp = TestPicture::Ramp;
// 80 x 60, red at the top fading to blue at the bottom; green is 0 everywhere.
constexpr TestPicture kGradient = TestPicture::Gradient;
// 320 x 200, red to yellow; red is 255 and blue 0 everywhere, so pure green never occurs.
constexpr TestPicture kRedYellow = TestPicture::RedYellow;

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0};
constexpr Rgb kGrey76{76, 76, 76};

// The text watermark as one solid green box: text and box both green and opaque.
const std::vector<std::string> kGreenBox = {"--wm-back-color=00FF00", "--wm-back-opacity=255",
                                            "--wm-font-color=00FF00", "--wm-text-padding=4"};

std::vector<std::string> With(std::vector<std::string> options,
                              const std::vector<std::string>& more) {
  options.insert(options.end(), more.begin(), more.end());
  return options;
}

class DecorRun : public ::testing::Test {
 protected:
  // Converts to a 24-bit PNG and expects a quiet run that writes one file. The depth is fixed
  // because an 8-bit picture that the decoration made 24-bit would otherwise be quantised back
  // to 256 colours, which moves its colours a little.
  PictureFile Convert(TestPicture picture, const std::vector<std::string>& options) {
    Conversion conversion = ConvertPicture(scratch_, picture, With({"--png-bpp=24"}, options));
    EXPECT_EQ(conversion.output, "") << picture;
    EXPECT_EQ(conversion.written.size(), 1u) << picture;
    EXPECT_TRUE(conversion.picture.IsLoaded()) << picture;
    return std::move(conversion.picture);
  }
  // Passes when every pixel outside box is as in reference.
  static ::testing::AssertionResult UnchangedOutside(const PictureFile& reference,
                                                     const PictureFile& result, PixelBox box) {
    if (reference.width() != result.width() || reference.height() != result.height())
      return ::testing::AssertionFailure() << "size changed";
    for (int y = 0; y < reference.height(); ++y)
      for (int x = 0; x < reference.width(); ++x) {
        const bool inside =
            x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
        if (!inside && reference.At(x, y) != result.At(x, y))
          return ::testing::AssertionFailure() << "(" << x << "," << y << ") changed from "
                                               << reference.At(x, y) << " to " << result.At(x, y);
      }
    return ::testing::AssertionSuccess();
  }
  ScratchFolder scratch_;
};

class DecorFrame : public DecorRun {};
class DecorTextWatermark : public DecorRun {
 protected:
  // The green box of a text watermark on the red-yellow picture, drawn over what the options
  // under give; checks that it is one solid rectangle and that nothing else changed.
  PixelBox Box(const std::vector<std::string>& options,
               const std::vector<std::string>& under = {}) {
    const PictureFile result = Convert(kRedYellow, With(With(kGreenBox, under), options));
    const PixelBox box = result.BoundsOf(kGreen);
    EXPECT_EQ(result.Count(kGreen), box.width * box.height) << "not one rectangle: " << box;
    if (under.empty()) {
      EXPECT_TRUE(UnchangedOutside(Reference(), result, box));
    } else {
      EXPECT_TRUE(UnchangedOutside(Convert(kRedYellow, under), result, box));
    }
    return box;
  }
  const PictureFile& Reference() {
    if (!reference_.IsLoaded()) reference_ = Convert(kRedYellow, {});
    return reference_;
  }
  PictureFile reference_;
};
class DecorImageWatermark : public DecorRun {
 protected:
  void SetUp() override {
    // 20 x 10 opaque red, and the same with its left half transparent (and green there).
    ASSERT_TRUE(WritePng(redLogo_, 20, 10, false, [](int, int) { return Rgba{255, 0, 0, 255}; }));
    ASSERT_TRUE(WritePng(halfLogo_, 20, 10, true, [](int x, int) {
      return x < 10 ? Rgba{0, 255, 0, 0} : Rgba{255, 0, 0, 255};
    }));
    reference_ = Convert(kGradient, {});
    ASSERT_EQ(reference_.width(), 80);
    ASSERT_EQ(reference_.height(), 60);
  }
  const std::string redLogo_ = scratch_ / "red.png";
  const std::string halfLogo_ = scratch_ / "half.png";
  PictureFile reference_;
  // Where the 20 x 10 logo lands by default: bottom right, 10 from both edges.
  const PixelBox kDefaultPlace{50, 40, 20, 10};
};

TEST_F(DecorFrame, SidesTakeTheirColoursAndTheCornerSplitsAlongTheDiagonal) {
  const PictureFile reference = Convert(kRamp, {});
  const PictureFile framed =
      Convert(kRamp, {"--fr-solid-left=10", "--fr-solid-top=10", "--fr-solid-top-color=FF0000",
                      "--fr-solid-left-color=0000FF"});
  ASSERT_EQ(framed.width(), 100);
  ASSERT_EQ(framed.height(), 80);
  EXPECT_EQ(framed.At(12, 3), kRed);
  EXPECT_EQ(framed.At(3, 12), kBlue);
  // Rows 0-9 red from x = 10 on, columns 0-9 blue from y = 10 on.
  for (int x = 10; x < 100; ++x)
    for (int y = 0; y < 10; ++y) ASSERT_EQ(framed.At(x, y), kRed) << x << "," << y;
  for (int y = 10; y < 80; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(framed.At(x, y), kBlue) << x << "," << y;
  // In the corner: red above the diagonal, blue below it, a mix of the two on it.
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const Rgb c = framed.At(x, y);
      if (x > y) {
        EXPECT_EQ(c, kRed) << x << "," << y;
      } else if (x < y) {
        EXPECT_EQ(c, kBlue) << x << "," << y;
      } else {
        EXPECT_EQ(c.green, 0) << x << "," << y;
        EXPECT_NEAR(c.red + c.blue, 255, 3) << x << "," << y;
        EXPECT_GT(c.red, 0) << x << "," << y;
        EXPECT_GT(c.blue, 0) << x << "," << y;
      }
    }
  // Inside the frame the picture is untouched.
  for (int y = 10; y < 80; ++y)
    for (int x = 10; x < 100; ++x) ASSERT_EQ(framed.At(x, y), reference.At(x, y)) << x << "," << y;
}

TEST_F(DecorFrame, FourSidesOfDifferentWidthsEachShowTheirColour) {
  const PictureFile reference = Convert(kRamp, {});
  const PictureFile framed =
      Convert(kRamp, {"--fr-solid-left=5", "--fr-solid-right=15", "--fr-solid-top=8",
                      "--fr-solid-bottom=20", "--fr-solid-left-color=0000ff",
                      "--fr-solid-right-color=00FF00", "--fr-solid-top-color=FF0000",
                      "--fr-solid-bottom-color=FFFF00"});
  struct Probe {
    int x, y;
    Rgb color;
  };
  const Probe kProbes[] = {{50, 0, kRed},
                           {50, 7, kRed},
                           {0, 40, kBlue},
                           {4, 40, kBlue},
                           {99, 40, kGreen},
                           {85, 40, kGreen},
                           {50, 79, kYellow},
                           {50, 60, kYellow},
                           // Near each corner, on either side of its diagonal.
                           {6, 1, kRed},
                           {1, 6, kBlue},
                           {98, 3, kGreen},
                           {90, 1, kRed},
                           {98, 75, kGreen},
                           {88, 78, kYellow},
                           {1, 62, kBlue},
                           {8, 78, kYellow}};
  for (const Probe& p : kProbes) EXPECT_EQ(framed.At(p.x, p.y), p.color) << p.x << "," << p.y;
  for (int y = 8; y < 60; ++y)
    for (int x = 5; x < 85; ++x) ASSERT_EQ(framed.At(x, y), reference.At(x, y)) << x << "," << y;
}

TEST_F(DecorFrame, OpacityZeroLeavesThePictureAndHalfBlendsHalfway) {
  const PictureFile reference = Convert(kRamp, {});
  const std::vector<std::string> frame = {"--fr-solid-top=10", "--fr-solid-top-color=FF0000"};
  EXPECT_TRUE(SamePixels(reference, Convert(kRamp, With(frame, {"--fr-solid-opacity=0"}))));
  // No width at all: the picture is unchanged too.
  EXPECT_TRUE(SamePixels(reference, Convert(kRamp, {"--fr-solid-top=0"})));

  const PictureFile half = Convert(kRamp, With(frame, {"--fr-solid-opacity=128"}));
  for (int y = 0; y < 10; ++y)
    for (int x = 10; x < 90; x += 7) {
      const Rgb under = reference.At(x, y), c = half.At(x, y);
      EXPECT_NEAR(c.red, (255 * 128 + under.red * 127) / 255, 2) << x << "," << y;
      EXPECT_NEAR(c.green, under.green * 127 / 255, 2) << x << "," << y;
      EXPECT_NEAR(c.blue, under.blue * 127 / 255, 2) << x << "," << y;
    }
  EXPECT_TRUE(UnchangedOutside(reference, half, {0, 0, 100, 10}));
}

TEST_F(DecorFrame, FrameWiderThanThePictureStillWritesAFile) {
  const PictureFile framed =
      Convert(kRamp, {"--fr-solid-left=200", "--fr-solid-top=300", "--fr-solid-right=150",
                      "--fr-solid-bottom=500", "--fr-solid-left-color=0000FF"});
  EXPECT_EQ(framed.width(), 100);
  EXPECT_EQ(framed.height(), 80);
}

TEST_F(DecorTextWatermark, BoxLandsAtTheAnchorWithItsOffsets) {
  const PixelBox topLeft = Box({"--wm-text=AB", "--wm-text-position=topleft"});
  ASSERT_GT(topLeft.width, 8);
  ASSERT_GT(topLeft.height, 8);
  EXPECT_EQ(topLeft.x, 10);
  EXPECT_EQ(topLeft.y, 10);
  const int w = topLeft.width, h = topLeft.height;
  struct Case {
    std::vector<std::string> options;
    PixelBox box;
  };
  const Case kCases[] = {
      {{"--wm-text-position=topleft", "--wm-text-x-offset=3", "--wm-text-y-offset=25"},
       {3, 25, w, h}},
      // The default place: bottom right, 10 from both edges.
      {{}, {320 - w - 10, 200 - h - 10, w, h}},
      {{"--wm-text-position=bottomright", "--wm-text-x-offset=0", "--wm-text-y-offset=5"},
       {320 - w, 200 - h - 5, w, h}},
      // Centred positions ignore the offsets.
      {{"--wm-text-position=middlecenter"}, {(320 - w) / 2, (200 - h) / 2, w, h}},
      {{"--wm-text-position=middlecenter", "--wm-text-x-offset=40"},
       {(320 - w) / 2, (200 - h) / 2, w, h}},
      {{"--wm-text-position=topcenter"}, {(320 - w) / 2, 10, w, h}},
      {{"--wm-text-position=middleleft", "--wm-text-x-offset=7"}, {7, (200 - h) / 2, w, h}},
      {{"--wm-text-position=bottomleft"}, {10, 200 - h - 10, w, h}},
      {{"--wm-text-position=topright"}, {320 - w - 10, 10, w, h}},
  };
  for (const Case& c : kCases) {
    std::vector<std::string> options = With({"--wm-text=AB"}, c.options);
    EXPECT_EQ(Box(options), c.box) << (c.options.empty() ? "defaults" : c.options[0]);
  }
}

TEST_F(DecorTextWatermark, FrameBoundaryPlacesTheBoxInsideTheFrame) {
  const std::vector<std::string> frame = {"--fr-solid-left=20", "--fr-solid-right=20",
                                          "--fr-solid-top=20", "--fr-solid-bottom=20"};
  const std::vector<std::string> text = {"--wm-text=AB", "--wm-text-position=topleft"};
  const PixelBox inImage = Box(text, frame);
  EXPECT_EQ(inImage.x, 10);
  EXPECT_EQ(inImage.y, 10);
  const int w = inImage.width, h = inImage.height;
  EXPECT_EQ(Box(With(text, {"--wm-text-boundary=frame"}), frame), (PixelBox{30, 30, w, h}));
  EXPECT_EQ(Box({"--wm-text=AB", "--wm-text-boundary=frame"}, frame),
            (PixelBox{320 - 20 - w - 10, 200 - 20 - h - 10, w, h}));
  EXPECT_EQ(
      Box({"--wm-text=AB", "--wm-text-boundary=frame", "--wm-text-position=middlecenter"}, frame),
      (PixelBox{20 + (280 - w) / 2, 20 + (160 - h) / 2, w, h}));
  // Boundary frame without a frame is the same as boundary image.
  EXPECT_EQ(Box(With(text, {"--wm-text-boundary=frame"})), (PixelBox{10, 10, w, h}));
}

TEST_F(DecorTextWatermark, EachLineAddsALineHeightAndTheLeading) {
  const PixelBox one = Box({"--wm-text=AB", "--wm-text-position=topleft"});
  const PixelBox two = Box({"--wm-text=AB%eol%AB", "--wm-text-position=topleft"});
  const PixelBox three = Box({"--wm-text=AB%EOL%AB%Eol%", "--wm-text-position=topleft"});
  const PixelBox led =
      Box({"--wm-text=AB%eol%AB", "--wm-text-position=topleft", "--wm-font-leading=5"});
  const int padding = 4, line = one.height - 2 * padding;
  ASSERT_GT(line, 10);
  EXPECT_EQ(two.height, 2 * line + 2 * padding);
  // The marker counts in any letter case, and an empty last line still takes its height.
  EXPECT_EQ(three.height, 3 * line + 2 * padding);
  EXPECT_EQ(led.height, two.height + 5);
  EXPECT_EQ(two.width, one.width);
  // A longer line widens the box.
  EXPECT_GT(Box({"--wm-text=AB%eol%ABAB", "--wm-text-position=topleft"}).width, one.width);
}

TEST_F(DecorTextWatermark, Rotation90SwapsTheSidesOfTheBox) {
  const PixelBox flat = Box({"--wm-text=ABC"});
  const PixelBox turned = Box({"--wm-text=ABC", "--wm-text-rotation=90"});
  ASSERT_NE(flat.width, flat.height);
  EXPECT_EQ(turned.width, flat.height);
  EXPECT_EQ(turned.height, flat.width);
  // Still placed bottom right, 10 from the edges.
  EXPECT_EQ(turned.x, 320 - turned.width - 10);
  EXPECT_EQ(turned.y, 200 - turned.height - 10);
  for (const char* angle : {"0", "360", "-90"})
    EXPECT_EQ(Box({"--wm-text=ABC", std::string("--wm-text-rotation=") + angle}), flat) << angle;
}

TEST_F(DecorTextWatermark, AntialiasedTextKeepsTheBoxOfPlainText) {
  const std::vector<std::string> text = {"--wm-text=Ag%eol%yW", "--wm-text-position=topleft"};
  EXPECT_EQ(Box(With(text, {"--wm-text-antialiasing"})), Box(text));
}

TEST_F(DecorTextWatermark, WithoutItsBoxOnlyTheTextShowsAndStaysInsideTheBox) {
  const std::vector<std::string> text = {"--wm-text=Ag", "--wm-text-position=middlecenter"};
  const PixelBox box = Box(text);
  for (const bool antialiased : {false, true}) {
    std::vector<std::string> options =
        With(text, {"--wm-back-opacity=0", "--wm-font-color=FFFFFF"});
    if (antialiased) options.push_back("--wm-text-antialiasing");
    const PictureFile result = Convert(kRedYellow, With(kGreenBox, options));
    EXPECT_TRUE(UnchangedOutside(Reference(), result, box)) << antialiased;
    int changed = 0;
    for (int y = box.y; y < box.y + box.height; ++y)
      for (int x = box.x; x < box.x + box.width; ++x)
        changed += result.At(x, y) != Reference().At(x, y);
    EXPECT_GT(changed, 20) << antialiased;
    EXPECT_LT(changed, box.width * box.height / 2) << antialiased;
    EXPECT_EQ(result.Count(kGreen), 0) << antialiased;
  }
}

TEST_F(DecorTextWatermark, BoxWiderThanTheRoomIsCutOnItsRight) {
  const PixelBox whole = Box({"--wm-text=The quick brown fox jumps", "--wm-text-position=topleft",
                              "--wm-text-x-offset=0"});
  ASSERT_GT(whole.width, 120);
  const int xOffset = 320 - whole.width + 40;  // 40 pixels too many
  const PixelBox cut = Box({"--wm-text=The quick brown fox jumps", "--wm-text-position=topleft",
                            "--wm-text-x-offset=" + std::to_string(xOffset)});
  EXPECT_EQ(cut, (PixelBox{xOffset, 10, whole.width - 40, whole.height}));
}

TEST_F(DecorTextWatermark, TextTokensDescribeTheFileItself) {
  // The picture is resized to 300 x 150 and saved with 24 bits: the tokens must say so, for
  // the first (and only) file of the run.
  const std::vector<std::string> common = With(
      kGreenBox, {"--width=300", "--height=150", "--png-bpp=24", "--wm-text-position=topleft"});
  const PictureFile tokens =
      Convert(kRedYellow, With(common, {"--wm-text=%width%x%height%x%bpp%"}));
  EXPECT_GT(tokens.Count(kGreen), 0);
  EXPECT_TRUE(SamePixels(Convert(kRedYellow, With(common, {"--wm-text=300x150x24"})), tokens));
  EXPECT_FALSE(SamePixels(Convert(kRedYellow, With(common, {"--wm-text=0x0x0"})), tokens));
  EXPECT_TRUE(SamePixels(Convert(kRedYellow, With(common, {"--wm-text=a"})),
                         Convert(kRedYellow, With(common, {"--wm-text=%filename%"}))));

  // With the depth chosen per file, the text shows the depth the file is saved with, as the
  // filename mask does.
  const std::vector<std::string> automatic =
      With(kGreenBox, {"--png-bpp=0", "--wm-text-position=topleft"});
  const Conversion named = ConvertPicture(
      scratch_, kRedYellow, With(automatic, {"--wm-text=%bpp%", "--filename-mask=%bpp%.%ext%"}));
  ASSERT_EQ(named.written.size(), 1u);
  const std::string depth = named.written[0].substr(0, named.written[0].find('.'));
  EXPECT_NE(depth, "0");
  EXPECT_TRUE(
      SamePixels(Convert(kRedYellow, With(automatic, {"--wm-text=" + depth})), named.picture));
}

TEST_F(DecorTextWatermark, EachFileOfARunGetsItsOwnSizeInTheText) {
  fs::create_directories(scratch_ / "in");
  fs::create_directories(scratch_ / "out");
  ASSERT_TRUE(WriteTestPicture(kGradient, scratch_ / "in/a.pct"));
  ASSERT_TRUE(WriteTestPicture(kRedYellow, scratch_ / "in/b.pct"));
  const std::vector<std::string> box = With(kGreenBox, {"--wm-text-position=topleft"});
  const RunResult run =
      RunMarrowick(With({"-i", scratch_ / "in/", "-o", scratch_ / "out/", "-c", "png", "-q"},
                        With(box, {"--wm-text=%width%x%height%"})));
  EXPECT_EQ(run.output, "");
  EXPECT_GT(PictureFile(scratch_ / "out/a.png").Count(kGreen), 0);
  EXPECT_TRUE(SamePixels(Convert(kGradient, With(box, {"--wm-text=80x60"})),
                         PictureFile(scratch_ / "out/a.png")));
  EXPECT_TRUE(SamePixels(Convert(kRedYellow, With(box, {"--wm-text=320x200"})),
                         PictureFile(scratch_ / "out/b.png")));
}

TEST_F(DecorTextWatermark, OffsetBeyondThePictureFailsThatFileOnly) {
  fs::create_directories(scratch_ / "in");
  fs::create_directories(scratch_ / "out");
  ASSERT_TRUE(WriteTestPicture(kGradient, scratch_ / "in/narrow.pct"));
  ASSERT_TRUE(WriteTestPicture(kRedYellow, scratch_ / "in/wide.pct"));
  const std::vector<std::string> options = {"--wm-text=AB", "--wm-text-x-offset=100"};
  const RunResult run = RunMarrowick(
      With({"-i", scratch_ / "in/", "-o", scratch_ / "out/", "-c", "png", "-d", "-q"}, options));
  const std::vector<std::string> lines = Lines(run.output);
  const auto verdict = [&](const std::string& name) {
    for (size_t i = 0; i + 2 < lines.size(); ++i)
      if (lines[i] == "Processing: " + (scratch_ / "in/") + name) return lines[i + 2];
    return std::string("(not processed)");
  };
  EXPECT_EQ(verdict("narrow.pct"), "Not OK");
  EXPECT_EQ(verdict("wide.pct"), "OK");
  EXPECT_FALSE(fs::exists(scratch_ / "out/narrow.png"));
  EXPECT_TRUE(fs::exists(scratch_ / "out/wide.png"));

  // An offset exactly as large as the picture fails too; alone, the run says it stopped.
  const Conversion alone =
      ConvertPicture(scratch_, kGradient, {"--wm-text=AB", "--wm-text-x-offset=80"});
  EXPECT_EQ(alone.output, "Conversion stopped\n");
  EXPECT_TRUE(alone.written.empty());
  const Conversion below =
      ConvertPicture(scratch_, kGradient, {"--wm-text=AB", "--wm-text-y-offset=60"});
  EXPECT_EQ(below.output, "Conversion stopped\n");
}

TEST_F(DecorTextWatermark, NegativeOffsetLeavesTheWatermarkOut) {
  const PictureFile result = Convert(
      kRedYellow,
      With(kGreenBox, {"--wm-text=AB", "--wm-text-position=topleft", "--wm-text-x-offset=-5"}));
  EXPECT_TRUE(SamePixels(Reference(), result));
}

TEST_F(DecorImageWatermark, OpaqueLogoIsStampedAtItsOwnSize) {
  const PictureFile result = Convert(kGradient, {"--wm-image=" + redLogo_});
  for (int y = kDefaultPlace.y; y < kDefaultPlace.y + 10; ++y)
    for (int x = kDefaultPlace.x; x < kDefaultPlace.x + 20; ++x)
      ASSERT_EQ(result.At(x, y), kRed) << x << "," << y;
  EXPECT_TRUE(UnchangedOutside(reference_, result, kDefaultPlace));
}

TEST_F(DecorImageWatermark, LogoLandsAtTheAnchorWithItsOffsets) {
  struct Case {
    std::vector<std::string> options;
    PixelBox box;
    bool framed = false;
  };
  const Case kCases[] = {
      {{"--wm-image-position=topleft", "--wm-image-x-offset=0", "--wm-image-y-offset=0"},
       {0, 0, 20, 10}},
      {{"--wm-image-position=topleft", "--wm-image-x-offset=5", "--wm-image-y-offset=7"},
       {5, 7, 20, 10}},
      {{"--wm-image-position=middlecenter"}, {30, 25, 20, 10}},
      {{"--wm-image-position=bottomleft", "--wm-image-y-offset=3"}, {10, 47, 20, 10}},
      {{"--wm-image-position=topright", "--wm-image-x-offset=1"}, {59, 10, 20, 10}},
      // Inside a frame of 15 on the left and 5 on top.
      {{"--wm-image-position=topleft", "--wm-image-boundary=frame", "--fr-solid-left=15",
        "--fr-solid-top=5"},
       {25, 15, 20, 10},
       true},
      // Cut to the room left by the offsets: 80 - 70 = 10 wide, 60 - 55 = 5 high.
      {{"--wm-image-position=topleft", "--wm-image-x-offset=70", "--wm-image-y-offset=55"},
       {70, 55, 10, 5}},
      // Turned by 90 degrees: 10 wide and 20 high.
      {{"--wm-image-rotation=90"}, {60, 30, 10, 20}},
  };
  for (const Case& c : kCases) {
    const PictureFile result = Convert(kGradient, With({"--wm-image=" + redLogo_}, c.options));
    int red = 0;
    for (int y = c.box.y; y < c.box.y + c.box.height; ++y)
      for (int x = c.box.x; x < c.box.x + c.box.width; ++x) red += result.At(x, y) == kRed;
    EXPECT_EQ(red, c.box.width * c.box.height) << c.box << " " << c.options.back();
    // The black frame changes the edges; everything else stays.
    if (!c.framed) {
      EXPECT_TRUE(UnchangedOutside(reference_, result, c.box)) << c.options.back();
    }
  }
}

TEST_F(DecorImageWatermark, OpacityHalfBlendsTheLogoHalfway) {
  const PictureFile result =
      Convert(kGradient, {"--wm-image=" + redLogo_, "--wm-image-opacity=128"});
  for (int y = kDefaultPlace.y; y < kDefaultPlace.y + 10; ++y)
    for (int x = kDefaultPlace.x; x < kDefaultPlace.x + 20; ++x) {
      const Rgb under = reference_.At(x, y), c = result.At(x, y);
      EXPECT_NEAR(c.red, (255 * 128 + under.red * 127) / 255, 2) << x << "," << y;
      EXPECT_EQ(c.green, 0) << x << "," << y;
      EXPECT_NEAR(c.blue, under.blue * 127 / 255, 2) << x << "," << y;
    }
  EXPECT_TRUE(UnchangedOutside(reference_, result, kDefaultPlace));
  EXPECT_TRUE(SamePixels(reference_,
                         Convert(kGradient, {"--wm-image=" + redLogo_, "--wm-image-opacity=0"})));
}

TEST_F(DecorImageWatermark, GreyscaleTurnsPureRedInto76) {
  const PictureFile result = Convert(kGradient, {"--wm-image=" + redLogo_, "--wm-image-greyscale"});
  for (int y = kDefaultPlace.y; y < kDefaultPlace.y + 10; ++y)
    for (int x = kDefaultPlace.x; x < kDefaultPlace.x + 20; ++x)
      ASSERT_EQ(result.At(x, y), kGrey76) << x << "," << y;
  EXPECT_TRUE(UnchangedOutside(reference_, result, kDefaultPlace));
}

TEST_F(DecorImageWatermark, TransparentPartsLeaveThePictureUntouched) {
  const PictureFile result = Convert(kGradient, {"--wm-image=" + halfLogo_});
  for (int y = kDefaultPlace.y; y < kDefaultPlace.y + 10; ++y)
    for (int x = kDefaultPlace.x; x < kDefaultPlace.x + 20; ++x) {
      const bool transparent = x < kDefaultPlace.x + 10;
      EXPECT_EQ(result.At(x, y), transparent ? reference_.At(x, y) : kRed) << x << "," << y;
    }
  EXPECT_TRUE(UnchangedOutside(reference_, result, kDefaultPlace));
}

TEST_F(DecorImageWatermark, MissingLogoStopsTheRunUnreadableOneIsLeftOut) {
  for (const std::string& logo : {scratch_ / "none.png", scratch_ / "empty.png"}) {
    if (logo.ends_with("empty.png")) {
      ASSERT_TRUE(WriteFileBytes(logo, ""));
    }
    const Conversion conversion = ConvertPicture(scratch_, kGradient, {"--wm-image=" + logo});
    EXPECT_EQ(conversion.output, "Error: Invalid watermark image\n") << logo;
    EXPECT_TRUE(conversion.written.empty()) << logo;
  }
  // A file that is there but holds no picture: the file is converted without a watermark.
  ASSERT_TRUE(WriteFileBytes(scratch_ / "text.png", "not a picture at all"));
  EXPECT_TRUE(
      SamePixels(reference_, Convert(kGradient, {"--wm-image=" + (scratch_ / "text.png")})));
}

// The echo lines from the frame line to the filename-mask line.
std::vector<std::string> DecorLines(const ScratchFolder& scratch,
                                    const std::vector<std::string>& options) {
  if (!WriteTestPicture(kGradient, scratch / "a.pct")) return {};
  const std::vector<std::string> lines = Lines(
      RunMarrowick(
          With({"-i", scratch / "a.pct", "-o", scratch.path(), "-c", "png", "-d", "-q"}, options))
          .output);
  std::vector<std::string> decor;
  bool inside = false;
  for (const std::string& line : lines) {
    if (line.starts_with("Frame: ")) inside = true;
    if (line.starts_with("Filename Mask: ")) break;
    if (inside) decor.push_back(line);
  }
  return decor;
}

TEST(DecorDebugEcho, FrameAndWatermarkSettingsAreEchoedWithTheirLabels) {
  ScratchFolder scratch;
  const std::string logo = scratch / "logo.png";
  ASSERT_TRUE(WritePng(logo, 4, 4, false, [](int, int) { return Rgba{1, 2, 3, 255}; }));
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> lines;
  };
  const Case kCases[] = {
      {{}, {"Frame: none", "Watermark: none"}},
      {{"--fr-solid-bottom=0", "--fr-solid-left-color=ABCDEF", "--fr-solid-opacity=128"},
       {"Frame: solid", "Frame left: 0", "Frame right: 0", "Frame top: 0", "Frame bottom: 0",
        "Frame left color: ABCDEF", "Frame right color: 000000", "Frame top color: 000000",
        "Frame bottom color: 000000", "Frame opacity: 128", "Watermark: none"}},
      {{"--wm-text=Hello %eol%%filename%", "--wm-font=DejaVu Sans", "--wm-font-size=20",
        "--wm-font-leading=-3", "--wm-font-color=FF00FF", "--wm-font-style=bolditalic",
        "--wm-font-effect=underline", "--wm-text-antialiasing", "--wm-text-alignment=center",
        "--wm-text-padding=6", "--wm-text-opacity=200", "--wm-back-color=112233",
        "--wm-back-opacity=90", "--wm-text-boundary=frame", "--wm-text-position=middleleft",
        "--wm-text-x-offset=-4", "--wm-text-y-offset=12", "--wm-text-rotation=45"},
       {"Frame: none",
        "Watermark: text",
        "Watermark text: Hello %eol%%filename%",
        "Watermark font: DejaVu Sans",
        "Watermark font size: 20",
        "Watermark font leading: -3",
        "Watermark font color: FF00FF",
        "Watermark font style: bolditalic",
        "Watermark font effect: underline",
        "Watermark text antialiasing: 1",
        "Watermark text alignment: center",
        "Watermark text padding: 6",
        "Watermark text opacity: 200",
        "Watermark background color: 112233",
        "Watermark background opacity: 90",
        "Watermark boundary: frame",
        "Watermark position: middleleft",
        "Watermark offset (x/y): -4/12",
        "Watermark rotation: 45",
        "Watermark size/mode: fixed"}},
      {{"--wm-image=" + logo, "--wm-image-greyscale", "--wm-image-opacity=128",
        "--wm-image-boundary=frame", "--wm-image-position=topleft", "--wm-image-x-offset=3",
        "--wm-image-y-offset=4", "--wm-image-rotation=90"},
       {"Frame: none", "Watermark: image", "Watermark image: " + logo, "Watermark greyscale: 1",
        "Watermark opacity: 128", "Watermark boundary: frame", "Watermark position: topleft",
        "Watermark offset (x/y): 3/4", "Watermark rotation: 90", "Watermark size/mode: fixed"}},
      {{"--wm-image=" + logo},
       {"Frame: none", "Watermark: image", "Watermark image: " + logo, "Watermark greyscale: 0",
        "Watermark opacity: 255", "Watermark boundary: image", "Watermark position: bottomright",
        "Watermark offset (x/y): 10/10", "Watermark rotation: 0", "Watermark size/mode: fixed"}},
  };
  for (const Case& c : kCases)
    EXPECT_EQ(DecorLines(scratch, c.options), c.lines)
        << (c.options.empty() ? "none" : c.options[0]);
}

TEST(DecorDebugEcho, MissingLogoIsReportedAfterTheImageLines) {
  ScratchFolder scratch;
  ASSERT_TRUE(WriteTestPicture(kGradient, scratch / "a.pct"));
  const std::string logo = scratch / "none.png";
  const std::vector<std::string> lines =
      Lines(RunMarrowick(
                {"-i", scratch / "a.pct", "-o", scratch.path(), "-d", "-q", "--wm-image=" + logo})
                .output);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
            (std::vector<std::string>{"Watermark rotation: 0", "Watermark size/mode: fixed",
                                      "Error: Invalid watermark image"}));
}

}  // namespace
