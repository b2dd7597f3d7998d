// Output names, output paths, the naming counters and file timestamps.
#include <gtest/gtest.h>

#include <regex>

#include "batch/filename_mask.h"
#include "batch/output_path.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "settings/settings.h"
#include "tests/support/run_program.h"

namespace {

class Naming : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetJob();
    SetDefaultSettings(true);
    gJob.output = "/out/";
    gJob.conversion = "jpg";
    gJob.currentInputFile = "/in/Photo.PIC";
  }
  static std::string Name(const std::string& mask, const std::string& input,
                          const std::string& extension) {
    gSettings.naming.filenameMask = mask;
    gJob.currentInputFile = input;
    gJob.conversion = extension;
    return ExpandFilenameMask();
  }
};

TEST_F(Naming, MasksExpandTheirTokensAndLowerCaseTheirLiterals) {
  struct Case {
    std::string mask, input, extension, expected;
  };
  const Case kCases[] = {
      {"%filename%.%ext%", "/in/Photo.PIC", "jpg", "Photo.jpg"},
      {"", "/in/Photo.PIC", "jpg", "Photo.jpg"},
      {"%FILENAME[U]%_%n%.%EXT%", "/in/Photo.pic", "png", "PHOTO_00001.png"},
      {"%filename[t]%.%ext[t]%", "/in/photo.pic", "jpg", "Photo.Jpg"},
      {"%filename[t]%.%ext[t]%", "/in/pHOTO.pic", "jpg", "Photo.Jpg"},
      {"%filename[l]%.%ext[u]%", "/in/PhOtO.pic", "tiff", "photo.TIFF"},
      {"%ext[l]%", "/in/a.pic", "jpg", "%ext[l]%"},
      {"IMG_%n%", "/in/a.pic", "jpg", "img_00001"},
      {"%filename%", "/in/a.b.pic", "jpg", "a.b"},
      {"%filename%", "/in/README", "jpg", "README"},
      {"%filename%", "C:\\in\\win.pic", "jpg", "win"},
      // A value that holds a later token is expanded again.
      {"%filename%", "/in/a%ext%b.pic", "jpg", "ajpgb"},
      {"%filename[u]%", "/in/été.pic", "jpg", "ÉTÉ"},
  };
  for (const Case& c : kCases) EXPECT_EQ(Name(c.mask, c.input, c.extension), c.expected) << c.mask;
}

TEST_F(Naming, SizeAndDepthTokensShowTheCurrentPicture) {
  gJob.outputWidth = 640;
  gJob.outputHeight = 48;
  gJob.targetBpp = 24;
  EXPECT_EQ(Name("%width%x%height%@%bpp%", "/in/a.pic", "png"), "640x48@24");
}

TEST_F(Naming, CounterAdvancesOnlyWhenAskedAndIsNeverCut) {
  gSettings.naming.filenameMask = "%n%";
  EXPECT_EQ(ExpandFilenameMask(), "00001");
  AdvanceNamingCounters();
  EXPECT_EQ(ExpandFilenameMask(), "00002");
  gJob.fileCounter = 99999;
  EXPECT_EQ(ExpandFilenameMask(), "99999");
  AdvanceNamingCounters();
  EXPECT_EQ(ExpandFilenameMask(), "100000");
}

TEST_F(Naming, RandomNumberIsFiveDigitsInRange) {
  gSettings.naming.filenameMask = "%rnd%";
  for (int i = 0; i < 200; ++i) {
    const std::string name = ExpandFilenameMask();
    ASSERT_EQ(name.size(), 5u) << name;
    const int value = std::stoi(name);
    EXPECT_GE(value, 1);
    EXPECT_LE(value, 99999);
    AdvanceNamingCounters();
  }
}

TEST_F(Naming, DateTokensGiveTheLocalDate) {
  const LocalDateTime before = LocalNow();
  const std::string name = Name("Shot %yyyy%-%mm%-%dd% %hh%%ii%%ss%.%ext%", "/in/a.pic", "jpg");
  ASSERT_TRUE(std::regex_match(name, std::regex(R"(shot \d{4}-\d\d-\d\d \d{6}\.jpg)"))) << name;
  EXPECT_EQ(std::stoi(name.substr(5, 4)), before.year);
}

TEST_F(Naming, WatermarkTextKeepsItsCaseAndExpandsTokensInAnyCase) {
  gJob.currentInputFile = "/in/Holiday.pic";
  const std::string year = std::to_string(LocalNow().year);
  EXPECT_EQ(ExpandTextTokens("(c) %YYYY% Me"), "(c) " + year + " Me");
  EXPECT_EQ(ExpandTextTokens("From %FileName% With LOVE"), "From Holiday With LOVE");
  EXPECT_EQ(ExpandTextTokens("100% Sure %filename%"), "100% Sure Holiday");
  EXPECT_EQ(ExpandTextTokens("only one % here"), "only one % here");
  EXPECT_EQ(ExpandTextTokens("%nothing% at all"), "%nothing% at all");
}

TEST_F(Naming, OutputPathMirrorsTheSubfolderUnlessFlattened) {
  gJob.currentInputFile = "/in/a/b/x.pic";
  gJob.relativeSubfolder = "a/b/";
  EXPECT_EQ(BuildOutputPath(), "/out/a/b/x.jpg");
  gSettings.naming.keepSubfolders = false;
  EXPECT_EQ(BuildOutputPath(), "/out/x.jpg");
}

TEST_F(Naming, MissingSubfolderLevelsAreCreated) {
  ScratchFolder scratch;
  gJob.output = scratch.path();
  gJob.relativeSubfolder = "a/b/c/";
  EnsureOutputSubfolder();
  EXPECT_TRUE(IsFolder(scratch / "a/b/c"));
  EnsureOutputSubfolder();  // already there: nothing happens
  EXPECT_TRUE(IsFolder(scratch / "a/b/c"));
}

TEST_F(Naming, TimestampsSetOnlyTheModificationTime) {
  ScratchFolder scratch;
  const std::string source = scratch / "source.pic";
  const std::string output = scratch / "out.png";
  ASSERT_TRUE(WriteFileBytes(source, "x"));
  ASSERT_TRUE(WriteFileBytes(output, "y"));
  ASSERT_TRUE(SetModificationTime(source, 1'000'000'000));
  const int64_t written = *ModificationTime(output);

  gSettings.naming.timestamp = TimestampMode::Current;
  ApplyFileTimestamp(source, output);
  EXPECT_EQ(*ModificationTime(output), written);

  gSettings.naming.timestamp = TimestampMode::Original;
  ApplyFileTimestamp(source, output);
  EXPECT_EQ(*ModificationTime(output), 1'000'000'000);
  EXPECT_EQ(*ModificationTime(source), 1'000'000'000);

  gSettings.naming.timestamp = TimestampMode::Custom;
  gSettings.naming.customTimestamp = 0;  // 1970-01-01 00:00:00 local time
  ApplyFileTimestamp(source, output);
  EXPECT_EQ(UtcToLocal(*ModificationTime(output)), 0);
}

}  // namespace
