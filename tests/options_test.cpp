// The option pass: how numbers are read, the errors it reports and the fields it writes.
#include "app/options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings.h"

using Parameters = std::vector<std::string>;

static std::string Joined(const Parameters& parameters) {
  std::string text;
  for (const std::string& parameter : parameters) text += "[" + parameter + "] ";
  return text;
}

class Options : public testing::Test {
 protected:
  void SetUp() override {
    ResetJob();
    SetDefaultSettings(true);
  }
};

TEST_F(Options, NumbersAreReadUpToTheFirstMisfit) {
  const std::pair<std::string, int32_t> kIntegers[] = {
      {"$1F4", 500}, {"%111110100", 500}, {"800px", 800}, {"abc", 0},         {" \t-20", -20},
      {"+7", 7},     {"-$10", -16},       {"--20", 0},    {"4294967295", -1}, {"4294967296", 0}};
  for (const auto& [text, value] : kIntegers) EXPECT_EQ(ReadInteger(text), value) << text;
  const std::pair<std::string, float> kDecimals[] = {{"2.5", 2.5f}, {"-.5", -0.5f}, {"2,5", 2.0f},
                                                     {"abc", 0.0f}, {"inf", 0.0f},  {"", 0.0f}};
  for (const auto& [text, value] : kDecimals) EXPECT_FLOAT_EQ(ReadDecimal(text), value) << text;
}

TEST_F(Options, MissingOrMalformedValuesAreReported) {
  const Parameters kCases[] = {{"--input", "photo.pic"},
                               {"-i"},
                               {"-i", "-o", "out"},
                               {"-c"},
                               {"--output="},
                               {"--width", "800"},
                               {"--brightness=--20"},
                               {"--jpg-quality="},
                               {"--gamma"},
                               {"--wm-text="},
                               {"--profile"}};
  for (const Parameters& parameters : kCases) {
    SetUp();
    EXPECT_EQ(RunOptionPass(parameters).error, "Incorrect number of parameters")
        << Joined(parameters);
  }
}

TEST_F(Options, StopsAtTheFirstErrorKeepingWhatCameBefore) {
  const OptionPassResult pass =
      RunOptionPass({"--pause", "--jpg-quality=50", "--input", "--jpg-quality=60", "--quiet"});
  EXPECT_EQ(pass.error, "Incorrect number of parameters");
  EXPECT_TRUE(pass.pause);
  EXPECT_FALSE(pass.quiet);
  EXPECT_EQ(gSettings.output.jpgQuality, 50);
}

// The parameters of a pass, a field they write and its expected value.
struct NumberCase {
  Parameters parameters;
  int32_t (*field)();
  int32_t expected;
};

TEST_F(Options, NumbersKeywordsAndFlagsStoreTheirValues) {
  const NumberCase kCases[] = {
      {{"--width=$1F4"}, [] { return gSettings.resize.width; }, 500},
      {{"--width=800px"}, [] { return gSettings.resize.width; }, 800},
      {{"--brightness=-20"}, [] { return gSettings.color.brightness; }, -20},
      {{"--jpg-quality=80", "--JPG-Quality=60"}, [] { return gSettings.output.jpgQuality; }, 60},
      {{"--jpg-qual=10"}, [] { return gSettings.output.jpgQuality; }, 95},
      {{"x", "--unknown=5", "-v", "-h", "--jpg-quality=70"},
       [] { return gSettings.output.jpgQuality; },
       70},
      {{"--png-compression=RLE"}, [] { return gSettings.output.pngCompression; }, 1},
      {{"--resize-algorithm= lanczos"}, [] { return int32_t(gSettings.resize.algorithm); }, 5},
      {{"--resize-algorithm=sinc"}, [] { return int32_t(gSettings.resize.algorithm); }, 0},
      {{"--png-interlaced=0"}, [] { return int32_t(gSettings.output.pngInterlaced); }, 1},
      {{"--no-subfolders"}, [] { return int32_t(gSettings.naming.keepSubfolders); }, 0},
      {{"--xpm-bpp=24"}, [] { return gSettings.output.bpp[*OutputFormatIndex("xpm")]; }, 24},
      {{"--fr-solid-opacity=128"}, [] { return gSettings.frame.opacity; }, 128},
      {{"--wm-solid-opacity=128"}, [] { return gSettings.frame.opacity; }, 255},
      {{"-i=photo.pic"}, [] { return int32_t(gJob.inputGiven); }, 0},
      // Step flags: set only by their own options, and never cleared again.
      {{"--width-unit=percent"}, [] { return int32_t(gSettings.resize.enabled); }, 0},
      {{"--height=10", "--height=0"}, [] { return int32_t(gSettings.resize.enabled); }, 1},
      {{"--rotation-type=advanced"}, [] { return int32_t(gSettings.rotation.enabled); }, 0},
      {{"--rotation=0"}, [] { return int32_t(gSettings.rotation.enabled); }, 1},
      {{"--invert"}, [] { return int32_t(gSettings.color.enabled); }, 1},
      {{"--fr-solid-top-color=FF0000"}, [] { return int32_t(gSettings.frame.kind); }, 0},
      {{"--fr-solid-top=0"}, [] { return int32_t(gSettings.frame.kind); }, 1},
      {{"--wm-text=abc", "--wm-image=a.png"}, [] { return int32_t(gSettings.watermark.kind); }, 2},
      {{"--wm-image=a.png", "--wm-text=abc"}, [] { return int32_t(gSettings.watermark.kind); }, 1},
  };
  for (const NumberCase& testCase : kCases) {
    SetUp();
    EXPECT_EQ(RunOptionPass(testCase.parameters).error, "") << Joined(testCase.parameters);
    EXPECT_EQ(testCase.field(), testCase.expected) << Joined(testCase.parameters);
  }
}

struct TextCase {
  Parameters parameters;
  std::string (*field)();
  std::string expected;
};

TEST_F(Options, PathsAndTextsJoinSplitQuotesAndLoseTheirQuotes) {
  const TextCase kCases[] = {
      {{"-i", "photo.pic"}, [] { return gJob.input; }, "photo.pic"},
      {{"--input=photo.pic"}, [] { return gJob.input; }, "photo.pic"},
      {{"-i", "\"my", "photo.pic\""}, [] { return gJob.input; }, "my photo.pic"},
      {{"-o", "/a", "--OUTPUT=\"/b\""}, [] { return gJob.output; }, "/b"},
      {{"-c", "\"png\""}, [] { return gJob.conversion; }, "png"},
      {{"-c", "png jpg"}, [] { return gJob.conversion; }, "png jpg"},
      {{"-c", "\"png", "jpg\""}, [] { return gJob.conversion; }, "png"},  // no joining
      {{"-c", "JPG"}, [] { return gJob.conversion; }, "JPG"},
      {{"--wm-text=\"Hello", "big", "world\""},
       [] { return gSettings.watermark.text.text; },
       "Hello big world"},
      {{"--wm-text=\"  padded  \""}, [] { return gSettings.watermark.text.text; }, "  padded  "},
      {{"--wm-text=\"Hello", "big"}, [] { return gSettings.watermark.text.text; }, "Hello big"},
      // Joined parameters are consumed: no quality option is seen here.
      {{"--wm-text=\"a", "--jpg-quality=5\""},
       [] { return gSettings.watermark.text.text + std::to_string(gSettings.output.jpgQuality); },
       "a 595"},
      {{"--filename-mask=\"%n%\""}, [] { return gSettings.naming.filenameMask; }, "%n%"},
      {{"-d"}, [] { return gJob.debug; }, "DEBUG"},
  };
  for (const TextCase& testCase : kCases) {
    SetUp();
    EXPECT_EQ(RunOptionPass(testCase.parameters).error, "") << Joined(testCase.parameters);
    EXPECT_EQ(testCase.field(), testCase.expected) << Joined(testCase.parameters);
  }
}

TEST_F(Options, QuietAndPauseReachTheMainFlow) {
  const OptionPassResult pass = RunOptionPass({"-Q", "--pause=no", "-i", "a.pic"});
  EXPECT_TRUE(pass.quiet);
  EXPECT_TRUE(pass.pause);
  EXPECT_TRUE(gJob.inputGiven);
}
