// The option rows: each row complete and consistent, and the echo text, the echo's conditions
// and the checks reading whichever records they are given.
#include "settings/option_rows.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/text.h"
#include "settings/formats.h"

TEST(OptionRows, EveryRowIsComplete) {
  std::set<std::string_view> names;
  for (const OptionRow& row : OptionRows()) {
    // A row without a name only shows a setting no option names (Frame:, Watermark:).
    if (row.name.empty()) {
      EXPECT_FALSE(row.echo.label.empty());
      continue;
    }
    EXPECT_TRUE(names.insert(row.name).second) << row.name << " twice";
    EXPECT_TRUE(row.name.starts_with("--") && ToUpper(row.name) == row.name) << row.name;
    EXPECT_FALSE(row.help.empty()) << row.name;
    EXPECT_EQ(row.kind == OptionKind::Keyword, row.table >= 0) << row.name;
    EXPECT_NE(row.field.IsNone(), row.action == PassAction::None) << row.name;
    EXPECT_EQ(row.echo.when == Shown::WithFormat, IsOutputExtension(row.format)) << row.name;
    if (!row.echo.joined.empty()) {
      EXPECT_NE(FindRow(row.echo.joined), nullptr) << row.name;
    }
    if (row.check.kind != CheckKind::None) {
      EXPECT_TRUE(row.check.error.starts_with("Error: Invalid ")) << row.name;
    }
  }
  // Every format has its depth option, made from its row.
  for (const OutputFormat& format : kOutputFormats)
    EXPECT_TRUE(names.contains("--" + ToUpper(format.extension) + "-BPP")) << format.extension;
}

TEST(OptionRows, EchoAndChecksReadTheRecordsTheyAreGiven) {
  ConversionSettings settings;
  JobRecord job;
  settings.resize.enabled = true;
  settings.resize.width = 800;
  settings.resize.widthUnit = SizeUnit::Percent;
  settings.color.gamma = 0.01f;  // the smallest gamma, as ReadDecimal gives it
  settings.output.pngCompression = 3;
  settings.output.bpp[*OutputFormatIndex("png")] = 16;
  settings.output.bpp[*OutputFormatIndex("bmp")] = 16;
  settings.watermark.text.placement.xOffset = -4;
  settings.naming.keepSubfolders = false;
  settings.decoding.pictScale = 9;
  struct Case {
    std::string_view option;
    std::string text;
    bool passes;
  };
  const Case kCases[] = {
      {"--WIDTH", "800 percent", true},
      {"--HEIGHT", "0 pixels", false},
      {"--GAMMA", "0.01", true},
      {"--PNG-COMPRESSION", "zlib9", true},  // the code of the shared table, shown by png's list
      {"--TIFF-COMPRESSION", "none", true},
      {"--PNG-BPP", "16", false},
      {"--BMP-BPP", "16", true},
      {"--WM-TEXT-X-OFFSET", "-4/10", true},
      {"--NO-SUBFOLDERS", "0", true},
      {"--RESIZE-ALGORITHM", "bicubic", true},
      {"--PICT-SCALE", "9", false},
      {"--JOBS", "", true},  // none given: nothing to show or check
  };
  for (const Case& c : kCases) {
    const OptionRow* row = FindRow(c.option);
    ASSERT_NE(row, nullptr) << c.option;
    EXPECT_EQ(EchoText(*row, settings, job), c.text) << c.option;
    EXPECT_EQ(PassesCheck(*row, settings, job), c.passes) << c.option;
  }
  settings.color.gamma = 0.009f;
  EXPECT_FALSE(PassesCheck(*FindRow("--GAMMA"), settings, job));
  job.jobs = 65;
  EXPECT_EQ(EchoText(*FindRow("--JOBS"), settings, job), "65");
  EXPECT_FALSE(PassesCheck(*FindRow("--JOBS"), settings, job));
}

TEST(OptionRows, LinesAreShownWithTheirStepFormatOrValue) {
  ConversionSettings settings;
  JobRecord job;
  struct Case {
    std::string_view option;
    std::string_view format;
    bool shown;
  };
  auto expect = [&](std::initializer_list<Case> cases, const char* when) {
    for (const Case& c : cases)
      EXPECT_EQ(IsShown(*FindRow(c.option), settings, job, c.format), c.shown)
          << c.option << " " << when;
  };
  expect({{"--WIDTH", "bmp", false},
          {"--FLIP-VERTICAL", "bmp", true},
          {"--PNG-INTERLACED", "bmp", false},
          {"--PNG-INTERLACED", "png", true},
          {"--FILE-TIMESTAMP-CUSTOM", "bmp", false},
          {"--PICT-SCALE", "bmp", false},
          {"--JOBS", "bmp", false},
          {"--WIDTH-UNIT", "bmp", false}},  // its value ends the width line
         "by default");
  settings.resize.enabled = true;
  settings.naming.timestamp = TimestampMode::Custom;
  settings.decoding.pictScale = 2;
  job.jobs = 1;
  expect({{"--WIDTH", "bmp", true},
          {"--FILE-TIMESTAMP-CUSTOM", "bmp", true},
          {"--PICT-SCALE", "bmp", true},
          {"--JOBS", "bmp", true}},
         "when set");
}
