// The option pass: how numbers are read, the errors it reports and the fields it writes.
#include "app/options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/option_table.h"
#include "settings/settings.h"

using Parameters = std::vector<std::string>;

static std::string Joined(const Parameters& parameters) {
  std::string text;
  for (const std::string& parameter : parameters) text += "[" + parameter + "] ";
  return text;
}

TEST(Options, NumbersAreReadUpToTheFirstMisfit) {
  const std::pair<std::string, int32_t> kIntegers[] = {
      {"$1F4", 500}, {"%111110100", 500}, {"800px", 800}, {"abc", 0},         {" \t-20", -20},
      {"+7", 7},     {"-$10", -16},       {"--20", 0},    {"4294967295", -1}, {"4294967296", 0}};
  for (const auto& [text, value] : kIntegers) EXPECT_EQ(ReadInteger(text), value) << text;
  const std::pair<std::string, float> kDecimals[] = {{"2.5", 2.5f}, {"-.5", -0.5f}, {"2,5", 2.0f},
                                                     {"abc", 0.0f}, {"inf", 0.0f},  {"", 0.0f}};
  for (const auto& [text, value] : kDecimals) EXPECT_FLOAT_EQ(ReadDecimal(text), value) << text;
}

TEST(Options, MissingOrMalformedValuesAreReported) {
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
    EXPECT_EQ(RunOptionPass(parameters).error, "Incorrect number of parameters")
        << Joined(parameters);
  }
}

TEST(Options, StopsAtTheFirstErrorKeepingWhatCameBefore) {
  const OptionPassResult pass =
      RunOptionPass({"--pause", "--jpg-quality=50", "--input", "--jpg-quality=60", "--quiet"});
  EXPECT_EQ(pass.error, "Incorrect number of parameters");
  EXPECT_TRUE(pass.pause);
  EXPECT_FALSE(pass.quiet);
  EXPECT_EQ(pass.settings.output.jpgQuality, 50);
}

// The parameters of a pass, a field they write and its expected value.
struct NumberCase {
  Parameters parameters;
  int32_t (*field)(const OptionPassResult& pass);
  int32_t expected;
};

TEST(Options, NumbersKeywordsAndFlagsStoreTheirValues) {
  const NumberCase kCases[] = {
      {{"--width=$1F4"}, [](const auto& p) { return p.settings.resize.width; }, 500},
      {{"--width=800px"}, [](const auto& p) { return p.settings.resize.width; }, 800},
      {{"--brightness=-20"}, [](const auto& p) { return p.settings.color.brightness; }, -20},
      {{"--jpg-quality=80", "--JPG-Quality=60"},
       [](const auto& p) { return p.settings.output.jpgQuality; },
       60},
      {{"--jpg-qual=10"}, [](const auto& p) { return p.settings.output.jpgQuality; }, 95},
      {{"x", "--unknown=5", "-v", "-h", "--jpg-quality=70"},
       [](const auto& p) { return p.settings.output.jpgQuality; },
       70},
      {{"--png-compression=RLE"},
       [](const auto& p) { return p.settings.output.pngCompression; },
       1},
      {{"--resize-algorithm= lanczos"},
       [](const auto& p) { return int32_t(p.settings.resize.algorithm); },
       5},
      {{"--resize-algorithm=sinc"},
       [](const auto& p) { return int32_t(p.settings.resize.algorithm); },
       0},
      {{"--png-interlaced=0"},
       [](const auto& p) { return int32_t(p.settings.output.pngInterlaced); },
       1},
      {{"--no-subfolders"},
       [](const auto& p) { return int32_t(p.settings.naming.keepSubfolders); },
       0},
      {{"--xpm-bpp=24"},
       [](const auto& p) { return p.settings.output.bpp[*OutputFormatIndex("xpm")]; },
       24},
      {{"--fr-solid-opacity=128"}, [](const auto& p) { return p.settings.frame.opacity; }, 128},
      {{"--wm-solid-opacity=128"}, [](const auto& p) { return p.settings.frame.opacity; }, 255},
      {{"-i=photo.pic"}, [](const auto& p) { return int32_t(p.job.inputGiven); }, 0},
      // Step flags: set only by their own options, and never cleared again.
      {{"--width-unit=percent"},
       [](const auto& p) { return int32_t(p.settings.resize.enabled); },
       0},
      {{"--height=10", "--height=0"},
       [](const auto& p) { return int32_t(p.settings.resize.enabled); },
       1},
      {{"--rotation-type=advanced"},
       [](const auto& p) { return int32_t(p.settings.rotation.enabled); },
       0},
      {{"--rotation=0"}, [](const auto& p) { return int32_t(p.settings.rotation.enabled); }, 1},
      {{"--invert"}, [](const auto& p) { return int32_t(p.settings.color.enabled); }, 1},
      {{"--fr-solid-top-color=FF0000"},
       [](const auto& p) { return int32_t(p.settings.frame.kind); },
       0},
      {{"--fr-solid-top=0"}, [](const auto& p) { return int32_t(p.settings.frame.kind); }, 1},
      {{"--wm-text=abc", "--wm-image=a.png"},
       [](const auto& p) { return int32_t(p.settings.watermark.kind); },
       2},
      {{"--wm-image=a.png", "--wm-text=abc"},
       [](const auto& p) { return int32_t(p.settings.watermark.kind); },
       1},
  };
  for (const NumberCase& testCase : kCases) {
    const OptionPassResult pass = RunOptionPass(testCase.parameters);
    EXPECT_EQ(pass.error, "") << Joined(testCase.parameters);
    EXPECT_EQ(testCase.field(pass), testCase.expected) << Joined(testCase.parameters);
  }
}

struct TextCase {
  Parameters parameters;
  std::string (*field)(const OptionPassResult& pass);
  std::string expected;
};

TEST(Options, PathsAndTextsJoinSplitQuotesAndLoseTheirQuotes) {
  const TextCase kCases[] = {
      {{"-i", "photo.pic"}, [](const auto& p) { return p.job.input; }, "photo.pic"},
      {{"--input=photo.pic"}, [](const auto& p) { return p.job.input; }, "photo.pic"},
      {{"-i", "\"my", "photo.pic\""}, [](const auto& p) { return p.job.input; }, "my photo.pic"},
      {{"-o", "/a", "--OUTPUT=\"/b\""}, [](const auto& p) { return p.job.output; }, "/b"},
      {{"-c", "\"png\""}, [](const auto& p) { return p.job.conversion; }, "png"},
      {{"-c", "png jpg"}, [](const auto& p) { return p.job.conversion; }, "png jpg"},
      {{"-c", "\"png", "jpg\""},
       [](const auto& p) { return p.job.conversion; },
       "png"},  // no joining
      {{"-c", "JPG"}, [](const auto& p) { return p.job.conversion; }, "JPG"},
      {{"--wm-text=\"Hello", "big", "world\""},
       [](const auto& p) { return p.settings.watermark.text.text; },
       "Hello big world"},
      {{"--wm-text=\"  padded  \""},
       [](const auto& p) { return p.settings.watermark.text.text; },
       "  padded  "},
      {{"--wm-text=\"Hello", "big"},
       [](const auto& p) { return p.settings.watermark.text.text; },
       "Hello big"},
      // Joined parameters are consumed: no quality option is seen here.
      {{"--wm-text=\"a", "--jpg-quality=5\""},
       [](const auto& p) {
         return p.settings.watermark.text.text + std::to_string(p.settings.output.jpgQuality);
       },
       "a 595"},
      {{"--filename-mask=\"%n%\""},
       [](const auto& p) { return p.settings.naming.filenameMask; },
       "%n%"},
      {{"-d"}, [](const auto& p) { return std::string(p.job.debug ? "on" : "off"); }, "on"},
  };
  for (const TextCase& testCase : kCases) {
    const OptionPassResult pass = RunOptionPass(testCase.parameters);
    EXPECT_EQ(pass.error, "") << Joined(testCase.parameters);
    EXPECT_EQ(testCase.field(pass), testCase.expected) << Joined(testCase.parameters);
  }
}

TEST(Options, QuietAndPauseReachTheMainFlow) {
  const OptionPassResult pass = RunOptionPass({"-Q", "--pause=no", "-i", "a.pic"});
  EXPECT_TRUE(pass.quiet);
  EXPECT_TRUE(pass.pause);
  EXPECT_TRUE(pass.job.inputGiven);
}
