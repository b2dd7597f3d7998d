// The option pass: names and values of parameters, number reading, the errors it reports and
// the fields it writes.
#include "app/options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "settings/formats.h"
#include "settings/settings.h"

using Parameters = std::vector<std::string>;

static std::string Joined(const Parameters& parameters) {
  std::string text;
  for (const std::string& parameter : parameters) text += "[" + parameter + "] ";
  return text;
}

class OptionPass : public testing::Test {
 protected:
  void SetUp() override {
    ResetJob();
    SetDefaultSettings(true);
  }
};

TEST(OptionName, IsTheUpperCasedOptionPartOfAParameter) {
  const std::pair<Parameters, std::string> kCases[] = {
      {{"--jpg-quality=80"}, "--JPG-QUALITY"},
      {{"  -i  "}, "-I"},
      {{"photo.pic"}, ""},
      {{"-i=photo.pic"}, "-I=PHOTO.PIC"},  // short options take no "="
      {{"--wm-text=a=b"}, "--WM-TEXT"},
      {{"--Flip-Horizontal"}, "--FLIP-HORIZONTAL"},
      {{"--wm-tëxt=x"}, "--WM-TËXT"},
  };
  for (const auto& [parameters, name] : kCases)
    EXPECT_EQ(OptionName(parameters, 0), name) << Joined(parameters);
  EXPECT_EQ(OptionName({"-i"}, 1), "");
}

TEST(OptionValue, IsTheTextAfterTheFirstEqualsSignOfALongOption) {
  const std::pair<Parameters, std::string> kCases[] = {
      {{"--wm-text=a=b"}, "a=b"},         {{"--Input=Photo.PIC"}, "Photo.PIC"},
      {{"--width"}, "--width"},           {{"  photo.pic "}, "photo.pic"},
      {{"-i=photo.pic"}, "-i=photo.pic"}, {{"--jpg-quality="}, ""},
  };
  for (const auto& [parameters, value] : kCases)
    EXPECT_EQ(OptionValue(parameters, 0), value) << Joined(parameters);
  EXPECT_EQ(OptionValue({"-i"}, 1), "");
}

TEST(ReadInteger, ReadsSignHexBinaryAndDecimalUpToTheFirstMisfit) {
  const std::pair<std::string, int32_t> kCases[] = {
      {"500", 500},
      {"$1F4", 500},
      {"$1f4", 500},
      {"%111110100", 500},
      {"800px", 800},
      {"abc", 0},
      {"", 0},
      {" \t-20", -20},
      {"+7", 7},
      {"-$10", -16},
      {"$FG", 15},
      {"%102", 2},
      {"--20", 0},
      {"- 5", 0},
      {"$", 0},
      {"12 34", 12},
      {"4294967295", -1},
      {"4294967296", 0},
      {"2147483648", INT32_MIN},
      {"$1FFFFFFFF", -1},
      {"-2147483648", INT32_MIN},
  };
  for (const auto& [text, value] : kCases) EXPECT_EQ(ReadInteger(text), value) << text;
}

TEST(ReadDecimal, ReadsAPointNumberAndGivesZeroForAnythingElse) {
  const std::pair<std::string, float> kCases[] = {
      {"1.5", 1.5f}, {"0.01", 0.01f},  {"-2.25", -2.25f}, {"+3", 3.0f}, {".5", 0.5f},
      {"2,5", 2.0f}, {"1.5x", 1.5f},   {"abc", 0.0f},     {"", 0.0f},   {"inf", 0.0f},
      {"nan", 0.0f}, {" 9.99", 9.99f}, {".", 0.0f},
  };
  for (const auto& [text, value] : kCases) EXPECT_FLOAT_EQ(ReadDecimal(text), value) << text;
}

TEST_F(OptionPass, MissingOrMalformedValuesAreReported) {
  const Parameters kCases[] = {
      {"--input", "photo.pic"},  // the value of "--input" is the option itself
      {"-i"},
      {"-i", "-o", "out"},
      {"-i", "photo.pic", "-o"},
      {"-c"},
      {"--output="},
      {"--width", "800"},
      {"--brightness=--20"},
      {"--jpg-quality="},
      {"--gamma"},
      {"--resize-algorithm"},
      {"--wm-text="},
      {"--profile"},
  };
  for (const Parameters& parameters : kCases) {
    SetUp();
    EXPECT_EQ(RunOptionPass(parameters).error, "Incorrect number of parameters")
        << Joined(parameters);
  }
}

TEST_F(OptionPass, StopsAtTheFirstErrorWithTheFlagsSeenBeforeIt) {
  const OptionPassResult pass =
      RunOptionPass({"--pause", "--jpg-quality=50", "--input", "--jpg-quality=60", "--quiet"});
  EXPECT_EQ(pass.error, "Incorrect number of parameters");
  EXPECT_TRUE(pass.pause);
  EXPECT_FALSE(pass.quiet);
  EXPECT_EQ(gSettings.output.jpgQuality, 50);
  EXPECT_TRUE(gJob.inputGiven);  // -I counts as met even without its value
}

struct StoreCase {
  Parameters parameters;
  std::function<void()> check;
};

static void RunStoreCases(const std::vector<StoreCase>& cases) {
  for (const StoreCase& testCase : cases) {
    ResetJob();
    SetDefaultSettings(true);
    SCOPED_TRACE(Joined(testCase.parameters));
    EXPECT_EQ(RunOptionPass(testCase.parameters).error, "");
    testCase.check();
  }
}

TEST_F(OptionPass, PathsTakeTheNextParameterOrTheEqualsValue) {
  RunStoreCases({
      {{"-i", "photo.pic"},
       [] {
         EXPECT_EQ(gJob.input, "photo.pic");
         EXPECT_TRUE(gJob.inputGiven);
       }},
      {{"--input=photo.pic"},
       [] {
         EXPECT_EQ(gJob.input, "photo.pic");
         EXPECT_TRUE(gJob.inputGiven);
       }},
      {{"-i=photo.pic"}, [] { EXPECT_FALSE(gJob.inputGiven); }},
      {{"-I", "a.pic", "-O", "/out", "-C", "png"},
       [] {
         EXPECT_EQ(gJob.input, "a.pic");
         EXPECT_EQ(gJob.output, "/out");
         EXPECT_EQ(gJob.conversion, "png");
       }},
      {{"-i", "\"my", "photo.pic\""}, [] { EXPECT_EQ(gJob.input, "my photo.pic"); }},
      {{"--output=\"/my out/\""}, [] { EXPECT_EQ(gJob.output, "/my out/"); }},
      {{"-c", "\"png\""}, [] { EXPECT_EQ(gJob.conversion, "png"); }},
      {{"-c", "png jpg"}, [] { EXPECT_EQ(gJob.conversion, "png jpg"); }},
      // Extensions are not joined: the parameter after a split one is an option again.
      {{"-c", "\"png", "--jpg-quality=5\""},
       [] {
         EXPECT_EQ(gJob.conversion, "png");
         EXPECT_EQ(gSettings.output.jpgQuality, 5);
       }},
      {{"-c", "JPG"}, [] { EXPECT_EQ(gJob.conversion, "JPG"); }},
      {{"-i", "a.pic", "-i", "b.pic"}, [] { EXPECT_EQ(gJob.input, "b.pic"); }},
  });
}

TEST_F(OptionPass, TextValuesAreJoinedAcrossSplitQuotesAndLoseTheirQuotes) {
  RunStoreCases({
      {{"--wm-text=\"Hello", "big", "world\""},
       [] {
         EXPECT_EQ(gSettings.watermark.text.text, "Hello big world");
         EXPECT_EQ(gSettings.watermark.kind, WatermarkKind::Text);
       }},
      {{"--wm-text=\"  padded  \""},
       [] { EXPECT_EQ(gSettings.watermark.text.text, "  padded  "); }},
      {{"--wm-text=\"Hello", "big"}, [] { EXPECT_EQ(gSettings.watermark.text.text, "Hello big"); }},
      // Joined parameters are consumed: the quality option inside the quotes is text.
      {{"--wm-text=\"a", "--jpg-quality=5\""},
       [] {
         EXPECT_EQ(gSettings.watermark.text.text, "a 5");
         EXPECT_EQ(gSettings.output.jpgQuality, 95);
       }},
      {{"--wm-font=Times New", "--wm-font-size=20"},
       [] {
         EXPECT_EQ(gSettings.watermark.text.font, "Times New");
         EXPECT_EQ(gSettings.watermark.text.fontSize, 20);
       }},
      {{"--filename-mask=\"%filename%_small\""},
       [] { EXPECT_EQ(gSettings.naming.filenameMask, "%filename%_small"); }},
      {{"--wm-text=-5"}, [] { EXPECT_EQ(gSettings.watermark.text.text, "-5"); }},
  });
}

TEST_F(OptionPass, NumbersAndKeywordsStoreTheirValues) {
  RunStoreCases({
      {{"--width=$1F4"}, [] { EXPECT_EQ(gSettings.resize.width, 500); }},
      {{"--width=800px"}, [] { EXPECT_EQ(gSettings.resize.width, 800); }},
      {{"--width=abc"},
       [] {
         EXPECT_EQ(gSettings.resize.width, 0);
         EXPECT_TRUE(gSettings.resize.enabled);
       }},
      {{"--brightness=-20"},
       [] {
         EXPECT_EQ(gSettings.color.brightness, -20);
         EXPECT_TRUE(gSettings.color.enabled);
       }},
      {{"--gamma=2.5"}, [] { EXPECT_FLOAT_EQ(gSettings.color.gamma, 2.5f); }},
      {{"--jpg-quality=80", "--jpg-quality=60"},
       [] { EXPECT_EQ(gSettings.output.jpgQuality, 60); }},
      {{"--JPG-Quality=70"}, [] { EXPECT_EQ(gSettings.output.jpgQuality, 70); }},
      {{"--jpg-qual=10"}, [] { EXPECT_EQ(gSettings.output.jpgQuality, 95); }},
      {{"--png-compression=RLE"}, [] { EXPECT_EQ(gSettings.output.pngCompression, 1); }},
      {{"--tiff-compression=lzw"}, [] { EXPECT_EQ(gSettings.output.tiffCompression, 6); }},
      {{"--resize-algorithm=lanczos"},
       [] { EXPECT_EQ(gSettings.resize.algorithm, ResizeAlgorithm::Lanczos); }},
      {{"--resize-algorithm=sinc"},
       [] { EXPECT_EQ(gSettings.resize.algorithm, ResizeAlgorithm::Box); }},
      {{"--resize-algorithm= Bilinear"},
       [] { EXPECT_EQ(gSettings.resize.algorithm, ResizeAlgorithm::Bilinear); }},
      {{"--wm-font-effect=strikethrought"},
       [] { EXPECT_EQ(gSettings.watermark.text.fontEffect, FontEffect::Strikethrough); }},
      {{"--wm-image-position=topcenter", "--wm-text-position=middleleft"},
       [] {
         EXPECT_EQ(gSettings.watermark.image.placement.position, Position::TopCenter);
         EXPECT_EQ(gSettings.watermark.text.placement.position, Position::MiddleLeft);
       }},
      {{"--file-timestamp=custom", "--file-timestamp-custom=86400"},
       [] {
         EXPECT_EQ(gSettings.naming.timestamp, TimestampMode::Custom);
         EXPECT_EQ(gSettings.naming.customTimestamp, 86400);
       }},
      {{"--fr-solid-opacity=128"}, [] { EXPECT_EQ(gSettings.frame.opacity, 128); }},
      // The profile spelling of the frame opacity is no command-line option.
      {{"--wm-solid-opacity=128"}, [] { EXPECT_EQ(gSettings.frame.opacity, 255); }},
  });
}

TEST_F(OptionPass, EachDepthOptionWritesItsOwnFormat) {
  for (size_t index = 0; index < kOutputFormatCount; ++index) {
    SetUp();
    const std::string option = "--" + std::string(kOutputFormats[index].extension) + "-bpp=24";
    EXPECT_EQ(RunOptionPass({option}).error, "") << option;
    for (size_t other = 0; other < kOutputFormatCount; ++other)
      EXPECT_EQ(gSettings.output.bpp[other], other == index ? 24 : 0) << option;
  }
}

TEST_F(OptionPass, FlagsIgnoreAnyValueAndFrontEndFlagsReachTheMainFlow) {
  const OptionPassResult pass = RunOptionPass(
      {"--png-interlaced=0", "-q", "-P", "--debug", "--no-subfolders", "--invert", "--greyscale"});
  EXPECT_TRUE(gSettings.output.pngInterlaced);
  EXPECT_TRUE(pass.quiet);
  EXPECT_TRUE(pass.pause);
  EXPECT_EQ(gJob.debug, "DEBUG");
  EXPECT_FALSE(gSettings.naming.keepSubfolders);
  EXPECT_TRUE(gSettings.color.invert);
  EXPECT_TRUE(gSettings.color.enabled);
  EXPECT_TRUE(gSettings.color.greyscale);
}

TEST_F(OptionPass, StepFlagsComeOnlyWithTheirOwnOptionsAndStaySet) {
  RunStoreCases({
      {{"--rotation-type=advanced"}, [] { EXPECT_FALSE(gSettings.rotation.enabled); }},
      {{"--rotation=0"}, [] { EXPECT_TRUE(gSettings.rotation.enabled); }},
      {{"--width-unit=percent"}, [] { EXPECT_FALSE(gSettings.resize.enabled); }},
      {{"--height=10", "--height=0"}, [] { EXPECT_TRUE(gSettings.resize.enabled); }},
      {{"--fr-solid-left-color=FF0000"}, [] { EXPECT_EQ(gSettings.frame.kind, FrameKind::None); }},
      {{"--fr-solid-top=0"}, [] { EXPECT_EQ(gSettings.frame.kind, FrameKind::Solid); }},
      {{"--threshold=128"},
       [] {
         EXPECT_TRUE(gSettings.color.threshold);
         EXPECT_EQ(gSettings.color.thresholdLevel, 128);
       }},
      {{"--wm-text=abc", "--wm-image=logo.png"},
       [] {
         EXPECT_EQ(gSettings.watermark.kind, WatermarkKind::Image);
         EXPECT_EQ(gSettings.watermark.text.text, "abc");
       }},
      {{"--wm-image=logo.png", "--wm-text=abc"},
       [] { EXPECT_EQ(gSettings.watermark.kind, WatermarkKind::Text); }},
  });
}

TEST_F(OptionPass, StrayParametersUnknownOptionsAndFirstOnlySwitchesAreIgnored) {
  const OptionPassResult pass =
      RunOptionPass({"stray", "--unknown=5", "-v", "-h", "--version", "-x", "--jpg-quality=70"});
  EXPECT_EQ(pass.error, "");
  EXPECT_EQ(gSettings.output.jpgQuality, 70);
  EXPECT_FALSE(gJob.inputGiven);
}
