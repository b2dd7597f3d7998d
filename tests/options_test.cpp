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
  int32_t (*field)(const ConversionSettings& settings, const JobRecord& job);
  int32_t expected;
};

TEST(Options, NumbersKeywordsAndFlagsStoreTheirValues) {
  const NumberCase kCases[] = {
      {{"--width=$1F4"}, [](auto& s, auto&) { return s.resize.width; }, 500},
      {{"--width=800px"}, [](auto& s, auto&) { return s.resize.width; }, 800},
      {{"--brightness=-20"}, [](auto& s, auto&) { return s.color.brightness; }, -20},
      {{"--jpg-quality=80", "--JPG-Quality=60"},
       [](auto& s, auto&) { return s.output.jpgQuality; },
       60},
      {{"--jpg-qual=10"}, [](auto& s, auto&) { return s.output.jpgQuality; }, 95},
      {{"x", "--unknown=5", "-v", "-h", "--jpg-quality=70"},
       [](auto& s, auto&) { return s.output.jpgQuality; },
       70},
      {{"--png-compression=RLE"}, [](auto& s, auto&) { return s.output.pngCompression; }, 1},
      {{"--resize-algorithm= lanczos"},
       [](auto& s, auto&) { return int32_t(s.resize.algorithm); },
       5},
      {{"--resize-algorithm=sinc"}, [](auto& s, auto&) { return int32_t(s.resize.algorithm); }, 0},
      {{"--png-interlaced=0"}, [](auto& s, auto&) { return int32_t(s.output.pngInterlaced); }, 1},
      {{"--no-subfolders"}, [](auto& s, auto&) { return int32_t(s.naming.keepSubfolders); }, 0},
      {{"--xpm-bpp=24"},
       [](auto& s, auto&) { return s.output.bpp[*OutputFormatIndex("xpm")]; },
       24},
      {{"--fr-solid-opacity=128"}, [](auto& s, auto&) { return s.frame.opacity; }, 128},
      {{"--wm-solid-opacity=128"}, [](auto& s, auto&) { return s.frame.opacity; }, 255},
      {{"-i=photo.pic"}, [](auto&, auto& j) { return int32_t(j.inputGiven); }, 0},
      // Step flags: set only by their own options, and never cleared again.
      {{"--width-unit=percent"}, [](auto& s, auto&) { return int32_t(s.resize.enabled); }, 0},
      {{"--height=10", "--height=0"}, [](auto& s, auto&) { return int32_t(s.resize.enabled); }, 1},
      {{"--rotation-type=advanced"}, [](auto& s, auto&) { return int32_t(s.rotation.enabled); }, 0},
      {{"--rotation=0"}, [](auto& s, auto&) { return int32_t(s.rotation.enabled); }, 1},
      {{"--invert"}, [](auto& s, auto&) { return int32_t(s.color.enabled); }, 1},
      {{"--fr-solid-top-color=FF0000"}, [](auto& s, auto&) { return int32_t(s.frame.kind); }, 0},
      {{"--fr-solid-top=0"}, [](auto& s, auto&) { return int32_t(s.frame.kind); }, 1},
      {{"--wm-text=abc", "--wm-image=a.png"},
       [](auto& s, auto&) { return int32_t(s.watermark.kind); },
       2},
      {{"--wm-image=a.png", "--wm-text=abc"},
       [](auto& s, auto&) { return int32_t(s.watermark.kind); },
       1},
  };
  for (const NumberCase& testCase : kCases) {
    const OptionPassResult pass = RunOptionPass(testCase.parameters);
    EXPECT_EQ(pass.error, "") << Joined(testCase.parameters);
    EXPECT_EQ(testCase.field(pass.settings, pass.job), testCase.expected)
        << Joined(testCase.parameters);
  }
}

struct TextCase {
  Parameters parameters;
  std::string (*field)(const ConversionSettings& settings, const JobRecord& job);
  std::string expected;
};

TEST(Options, PathsAndTextsJoinSplitQuotesAndLoseTheirQuotes) {
  const TextCase kCases[] = {
      {{"-i", "photo.pic"}, [](auto&, auto& j) { return j.input; }, "photo.pic"},
      {{"--input=photo.pic"}, [](auto&, auto& j) { return j.input; }, "photo.pic"},
      {{"-i", "\"my", "photo.pic\""}, [](auto&, auto& j) { return j.input; }, "my photo.pic"},
      {{"-o", "/a", "--OUTPUT=\"/b\""}, [](auto&, auto& j) { return j.output; }, "/b"},
      {{"-c", "\"png\""}, [](auto&, auto& j) { return j.conversion; }, "png"},
      {{"-c", "png jpg"}, [](auto&, auto& j) { return j.conversion; }, "png jpg"},
      {{"-c", "\"png", "jpg\""}, [](auto&, auto& j) { return j.conversion; }, "png"},  // no joining
      {{"-c", "JPG"}, [](auto&, auto& j) { return j.conversion; }, "JPG"},
      {{"--wm-text=\"Hello", "big", "world\""},
       [](auto& s, auto&) { return s.watermark.text.text; },
       "Hello big world"},
      {{"--wm-text=\"  padded  \""},
       [](auto& s, auto&) { return s.watermark.text.text; },
       "  padded  "},
      {{"--wm-text=\"Hello", "big"},
       [](auto& s, auto&) { return s.watermark.text.text; },
       "Hello big"},
      // Joined parameters are consumed: no quality option is seen here.
      {{"--wm-text=\"a", "--jpg-quality=5\""},
       [](auto& s, auto&) { return s.watermark.text.text + std::to_string(s.output.jpgQuality); },
       "a 595"},
      {{"--filename-mask=\"%n%\""}, [](auto& s, auto&) { return s.naming.filenameMask; }, "%n%"},
      {{"-d"}, [](auto&, auto& j) { return std::string(j.debug ? "on" : "off"); }, "on"},
  };
  for (const TextCase& testCase : kCases) {
    const OptionPassResult pass = RunOptionPass(testCase.parameters);
    EXPECT_EQ(pass.error, "") << Joined(testCase.parameters);
    EXPECT_EQ(testCase.field(pass.settings, pass.job), testCase.expected)
        << Joined(testCase.parameters);
  }
}

// What the pass ignores it tells, and stores what it always stored.
TEST(Options, IgnoredOptionsStrayValuesAndUnknownKeywordsAreTold) {
  const std::pair<Parameters, std::vector<std::string>> kCases[] = {
      {{"--widht=100"}, {"unknown option --widht ignored; nearest: --width"}},
      {{"--Heigth"}, {"unknown option --Heigth ignored; nearest: --height"}},
      {{"--zzzzzzzzzz"}, {"unknown option --zzzzzzzzzz ignored; see --help"}},
      {{"-i", "a.pic", "-v"}, {"-v is read only as the first parameter; ignored"}},
      {{"--wm-solid-opacity=3"}, {"--wm-solid-opacity is read only from a profile; ignored"}},
      {{"-i", "a.pic", "b.pic"}, {"stray parameter b.pic ignored"}},
      {{"--resize-algorithm=sinc", "--jpg-chroma=low"},
       {"unknown value sinc for --resize-algorithm ignored; box is used; valid: box, bilinear, "
        "bspline, bicubic, catmullrom, lanczos"}},
      {{"-i", "a.pic", "--wm-text=\"a", "b\"", "--width=5"}, {}},
  };
  for (const auto& [parameters, notices] : kCases) {
    const OptionPassResult pass = RunOptionPass(parameters);
    EXPECT_EQ(pass.notices, notices) << Joined(parameters);
    EXPECT_EQ(pass.error, "") << Joined(parameters);
  }
  EXPECT_EQ(RunOptionPass({"--resize-algorithm=sinc"}).settings.resize.algorithm,
            ResizeAlgorithm::Box);
}

TEST(Options, QuietAndPauseReachTheMainFlow) {
  const OptionPassResult pass = RunOptionPass({"-Q", "--pause=no", "-i", "a.pic"});
  EXPECT_TRUE(pass.quiet);
  EXPECT_TRUE(pass.pause);
  EXPECT_TRUE(pass.job.inputGiven);
}
