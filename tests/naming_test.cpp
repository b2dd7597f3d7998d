// Output names, output paths, the naming counters and file timestamps.
#include <gtest/gtest.h>

#include <optional>
#include <regex>

#include "naming/file_context.h"
#include "naming/output_names.h"
#include "naming/output_path.h"
#include "naming/tokens.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "settings/settings.h"
#include "tests/support/run_program.h"

namespace {

FileContext FileOf(const std::string& input) {
  FileContext file;
  file.inputPath = input;
  return file;
}

std::string Name(const std::string& mask, const std::string& input, const std::string& extension) {
  return ExpandFilenameMask(mask, FileOf(input), extension);
}

TEST(Naming, MasksExpandTheirTokensAndLowerCaseTheirLiterals) {
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

// The pictures of a Macintosh file: named after the wrapper (or a sidecar's data fork), with the
// resource after the name unless the mask places %resource% itself, and never a "/" or a
// control character from a resource's name.
TEST(Naming, ResourcesAreNamedAfterTheirWrapperAndId) {
  struct Case {
    std::string mask;
    std::optional<MacPart> part;
    std::string expected;
  };
  const MacPart house{.resourceId = 10011, .namedAfter = "/in/Demo House.hqx"};
  MacPart named = house;
  named.resourceId = -5;
  named.resourceName = "Caf\xC3\xA9 \xE2\x84\xA2";
  MacPart hostile = house;
  hostile.resourceName = "../../etc/x\n\x01%n%\\";
  MacPart dots = house;
  dots.resourceName = " .. ";
  MacPart longName = house;
  longName.resourceName = std::string(63, 'a') + "\xC3\xA9" + std::string(30, 'b');
  MacPart sidecar = house;
  sidecar.namedAfter = "/in/sub/food.pct";
  MacPart dataFork = house;
  dataFork.isResource = false;
  dataFork.namedAfter = "/in/Picture 1.bin";
  const Case kCases[] = {
      {"%filename%.%ext%", house, "Demo House.PICT-10011.png"},
      {"", house, "Demo House.PICT-10011.png"},
      {"%filename[u]%_%n%.%ext%", house, "DEMO HOUSE.PICT-10011_00001.png"},
      {"%resource%/%filename%.%ext%", house, "PICT-10011/Demo House.png"},
      {"%n%.%ext%", house, "00001.png"},
      {"%filename%.%ext%", named, "Demo House.PICT--5 Caf\xC3\xA9 \xE2\x84\xA2.png"},
      {"%filename%.%ext%", hostile, "Demo House.PICT-10011 _.._etc_x__%n%_.png"},
      {"%filename%.%ext%", dots, "Demo House.PICT-10011.png"},
      {"%resource%", longName, "PICT-10011 " + std::string(63, 'a')},
      {"%filename%.%ext%", sidecar, "food.PICT-10011.png"},
      {"%filename%.%ext%", dataFork, "Picture 1.png"},
      {"%filename%-%resource%.%ext%", dataFork, "Picture 1-.png"},
      {"%filename%-%resource%.%ext%", std::nullopt, "Demo House-.png"},
  };
  for (const Case& c : kCases) {
    FileContext file = FileOf("/in/Demo House.hqx");
    file.macPart = c.part;
    EXPECT_EQ(ExpandFilenameMask(c.mask, file, "png"), c.expected) << c.mask;
  }
}

TEST(Naming, SizeAndDepthTokensShowTheFileInHand) {
  FileContext file = FileOf("/in/a.pic");
  file.outputWidth = 640;
  file.outputHeight = 48;
  file.targetBpp = 24;
  EXPECT_EQ(ExpandFilenameMask("%width%x%height%@%bpp%", file, "png"), "640x48@24");
}

TEST(Naming, CounterStartsAtOneAdvancesByOneAndIsNeverCut) {
  FileContext file = FileOf("/in/a.pic");
  file.numbers = FirstFileNumbers();
  EXPECT_EQ(ExpandFilenameMask("%n%", file, "png"), "00001");
  file.numbers = NextFileNumbers(file.numbers);
  EXPECT_EQ(ExpandFilenameMask("%n%", file, "png"), "00002");
  file.numbers.counter = 99999;
  EXPECT_EQ(ExpandFilenameMask("%n%", file, "png"), "99999");
  file.numbers = NextFileNumbers(file.numbers);
  EXPECT_EQ(ExpandFilenameMask("%n%", file, "png"), "100000");
}

TEST(Naming, RandomNumberIsFiveDigitsInRange) {
  FileContext file = FileOf("/in/a.pic");
  file.numbers = FirstFileNumbers();
  for (int i = 0; i < 200; ++i) {
    const std::string name = ExpandFilenameMask("%rnd%", file, "png");
    ASSERT_EQ(name.size(), 5u) << name;
    const int value = std::stoi(name);
    EXPECT_GE(value, 1);
    EXPECT_LE(value, 99999);
    file.numbers = NextFileNumbers(file.numbers);
  }
}

TEST(Naming, DateTokensGiveTheLocalDate) {
  const LocalDateTime before = LocalNow();
  const std::string name = Name("Shot %yyyy%-%mm%-%dd% %hh%%ii%%ss%.%ext%", "/in/a.pic", "jpg");
  ASSERT_TRUE(std::regex_match(name, std::regex(R"(shot \d{4}-\d\d-\d\d \d{6}\.jpg)"))) << name;
  EXPECT_EQ(std::stoi(name.substr(5, 4)), before.year);
}

TEST(Naming, WatermarkTextKeepsItsCaseAndExpandsTokensInAnyCase) {
  const FileContext file = FileOf("/in/Holiday.pic");
  const std::string year = std::to_string(LocalNow().year);
  const std::pair<std::string, std::string> kCases[] = {
      {"(c) %YYYY% Me", "(c) " + year + " Me"},
      {"From %FileName% With LOVE as %Ext[U]%", "From Holiday With LOVE as JPG"},
      {"100% Sure %filename%", "100% Sure Holiday"},
      {"only one % here", "only one % here"},
      {"%nothing% at all", "%nothing% at all"}};
  for (const auto& [text, expanded] : kCases)
    EXPECT_EQ(ExpandTextTokens(text, file, "jpg"), expanded) << text;
}

TEST(Naming, OutputPathMirrorsTheSubfolderUnlessFlattened) {
  FileContext file = FileOf("/in/a/b/x.pic");
  file.relativeSubfolder = "a/b/";
  NamingSettings naming;
  EXPECT_EQ(BuildOutputPath(file, "/out/", naming, "jpg"), "/out/a/b/x.jpg");
  naming.keepSubfolders = false;
  EXPECT_EQ(BuildOutputPath(file, "/out/", naming, "jpg"), "/out/x.jpg");
  naming.filenameMask = "%N%_%FileName%.%ext%";
  EXPECT_EQ(BuildOutputPath(file, "/out/", naming, "jpg"), "/out/00001_x.jpg");
}

TEST(OutputNames, ALaterInputGetsTheFirstVariantNotGivenYetAndNamesTheEarlierOne) {
  // In order: the input, the name it asks for, the name it gets and whose the asked name was.
  struct Step {
    const char* input;
    const char* asked;
    const char* given;
    const char* earlier;
  };
  const Step kSteps[] = {
      {"/in/a.pct", "/o/a.png", "/o/a.png", ""},
      {"/in/a.pict", "/o/a.png", "/o/a~2.png", "/in/a.pct"},
      {"/in/a~2.pct", "/o/a~2.png", "/o/a~2~2.png", "/in/a.pict"},
      {"/in/y/a.pct", "/o/a.png", "/o/a~3.png", "/in/a.pct"},
      {"/in/z/a.pct", "/o/z/a.png", "/o/z/a.png", ""},
      {"/in/noext.pct", "/o/noext", "/o/noext", ""},
      {"/in/noext.pic", "/o/noext", "/o/noext~2", "/in/noext.pct"},
      {"/in/.hidden.pct", "/o/.hidden", "/o/.hidden", ""},
      {"/in/.hidden.pic", "/o/.hidden", "/o/.hidden~2", "/in/.hidden.pct"},
      {"/in/d.x/b.pct", "/o/d.x/b", "/o/d.x/b", ""},
      {"/in/d.x/b.pic", "/o/d.x/b", "/o/d.x/b~2", "/in/d.x/b.pct"},
  };
  OutputNames names;
  for (const Step& step : kSteps) {
    const OutputNames::Given given = names.Choose(step.asked);
    EXPECT_EQ(given.path, step.given) << step.input;
    EXPECT_EQ(given.earlierInput, step.earlier) << step.input;
    names.Keep(given.path, step.input);
  }
  // Choosing alone gives nothing away.
  EXPECT_EQ(names.Choose("/o/b.png").path, names.Choose("/o/b.png").path);
  EXPECT_EQ(names.Choose("/o/b.png").path, "/o/b.png");
}

TEST(OutputNames, OnlyNamesThatNeedNoPictureOrNumberAreKnownBeforeConversion) {
  const std::pair<const char*, bool> kCases[] = {{"%filename%.%ext%", true},
                                                 {"", true},
                                                 {"%yyyy%-%FILENAME[u]%.jpg", true},
                                                 {"%N%_%filename%.%ext%", false},
                                                 {"x%RND%.%ext%", false},
                                                 {"%filename%_%width%x%height%.%ext%", false},
                                                 {"%bpp%/%filename%.%ext%", false}};
  for (const auto& [mask, known] : kCases)
    EXPECT_EQ(IsNameKnownBeforeConversion(mask), known) << mask;
}

TEST(Naming, MissingSubfolderLevelsAreCreated) {
  ScratchFolder scratch;
  EnsureOutputSubfolder(scratch.path(), "a/b/c/");
  EXPECT_TRUE(IsFolder(scratch / "a/b/c"));
  EnsureOutputSubfolder(scratch.path(), "a/b/c/");  // already there: nothing happens
  EXPECT_TRUE(IsFolder(scratch / "a/b/c"));
}

TEST(Naming, TimestampsSetOnlyTheModificationTime) {
  ScratchFolder scratch;
  const std::string source = scratch / "source.pic";
  const std::string output = scratch / "out.png";
  ASSERT_TRUE(WriteFileBytes(source, "x"));
  ASSERT_TRUE(WriteFileBytes(output, "y"));
  ASSERT_TRUE(SetModificationTime(source, 1'000'000'000));
  const int64_t written = *ModificationTime(output);

  NamingSettings naming;
  naming.timestamp = TimestampMode::Current;
  ApplyFileTimestamp(source, output, naming);
  EXPECT_EQ(*ModificationTime(output), written);

  naming.timestamp = TimestampMode::Original;
  ApplyFileTimestamp(source, output, naming);
  EXPECT_EQ(*ModificationTime(output), 1'000'000'000);
  EXPECT_EQ(*ModificationTime(source), 1'000'000'000);

  naming.timestamp = TimestampMode::Custom;
  naming.customTimestamp = 0;  // 1970-01-01 00:00:00 local time
  ApplyFileTimestamp(source, output, naming);
  EXPECT_EQ(UtcToLocal(*ModificationTime(output)), 0);
}

}  // namespace
