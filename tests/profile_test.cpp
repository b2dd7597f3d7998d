// Profile files: encodings, line endings, the [CLI] group, how keys differ from the
// command line, and where a profile takes effect among the command-line options.
#include "app/profile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/options.h"
#include "settings/settings.h"
#include "tests/support/run_program.h"

class Profile : public testing::Test {
 protected:
  void SetUp() override {
    settings_ = DefaultSettings(true);
    job_ = NewJobRecord();
  }

  // Applies the profile at path to the fixture's records.
  bool ReadProfile(const std::string& path) { return ::ReadProfile(path, settings_, job_); }

  // Writes bytes to a file of the scratch folder and returns its path.
  std::string Write(const std::string& bytes, const std::string& name = "p.ini") {
    std::ofstream(scratch_ / name, std::ios::binary) << bytes;
    return scratch_ / name;
  }

  ScratchFolder scratch_;
  ConversionSettings settings_;
  JobRecord job_;
};

TEST_F(Profile, IgnoredKeysAndUnknownKeywordsAreToldWithTheFile) {
  const std::string path = Write(
      "[CLI]\n--WIDHT=3\n--INPUT=x.pic\n--FR-SOLID-OPACITY=128\n--RESIZE-ALGORITHM=\n"
      "--JPG-QUALITY=90\n");
  std::vector<std::string> notices;
  ASSERT_TRUE(::ReadProfile(path, settings_, job_, &notices));
  EXPECT_EQ(notices, (std::vector<std::string>{
                         path + ": unknown key --WIDHT ignored; nearest: --width",
                         path + ": --INPUT is read only from the command line; ignored",
                         path + ": --FR-SOLID-OPACITY is read only from the command line; ignored",
                         path + ": no value for --resize-algorithm; box is used; "
                                "valid: box, bilinear, bspline, bicubic, catmullrom, lanczos"}));
  EXPECT_EQ(settings_.output.jpgQuality, 90);
}

TEST_F(Profile, ByteOrderMarkMeansUtf8AndItsAbsenceLatin1) {
  ASSERT_TRUE(ReadProfile(Write("\xEF\xBB\xBF[CLI]\n--WM-TEXT=caf\xC3\xA9\n")));
  EXPECT_EQ(settings_.watermark.text.text, "caf\xC3\xA9");
  // Without the mark the same two bytes are the characters U+00C3 and U+00A9.
  ASSERT_TRUE(ReadProfile(Write("[CLI]\n--WM-TEXT=caf\xC3\xA9\n")));
  EXPECT_EQ(settings_.watermark.text.text, "caf\xC3\x83\xC2\xA9");
}

TEST_F(Profile, LinesEndWithCrOrLfOrBoth) {
  for (const std::string file :
       {"[CLI]\r\n--FLIP-VERTICAL\r\n--WIDTH=50\r\n", "[CLI]\r--FLIP-VERTICAL\r--WIDTH=50",
        "[CLI]\n\n--FLIP-VERTICAL\n--WIDTH=50"}) {
    SetUp();
    ASSERT_TRUE(ReadProfile(Write(file)));
    EXPECT_TRUE(settings_.flip.vertical) << testing::PrintToString(file);
    EXPECT_EQ(settings_.resize.width, 50) << testing::PrintToString(file);
  }
}

TEST_F(Profile, OnlyTheFirstCliGroupIsReadInAnyLetterCase) {
  ASSERT_TRUE(
      ReadProfile(Write("--WIDTH=1\n[Other]\n--JPG-QUALITY=10\n[cli]\n--JPG-QUALITY=90\n"
                        "[Other]\n--HEIGHT=7\n[CLI]\n--JPG-QUALITY=20\n")));
  EXPECT_EQ(settings_.output.jpgQuality, 90);
  EXPECT_EQ(settings_.resize.width, 0);
  EXPECT_EQ(settings_.resize.height, 0);
}

TEST_F(Profile, KeysFollowTheirOwnRules) {
  ASSERT_TRUE(
      ReadProfile(Write(" \t[CLI] ignored\n"
                        "; --WIDTH=10\n"
                        "  --jpg-quality \t= \n"
                        "--WM-TEXT= \"Hi\" ;# \t\n"
                        "--FILENAME-MASK= \" %n% \" \n"
                        "--FR-SOLID-OPACITY=128\n"
                        "--PNG-INTERLACED=0\n"
                        "--WM-FONT-STYLE = bold\n")));
  EXPECT_EQ(settings_.resize.width, 0);
  EXPECT_EQ(settings_.output.jpgQuality, 0);  // an empty value is no error here
  EXPECT_EQ(settings_.watermark.text.text, "\"Hi\" ;#");
  EXPECT_EQ(settings_.naming.filenameMask, " %n% ");
  EXPECT_EQ(settings_.frame.opacity, 255);
  EXPECT_TRUE(settings_.output.pngInterlaced);
  EXPECT_EQ(settings_.watermark.text.fontStyle, FontStyle::Bold);

  ASSERT_TRUE(ReadProfile(Write("[CLI]\n--WM-SOLID-OPACITY=128\n")));
  EXPECT_EQ(settings_.frame.opacity, 128);
}

TEST_F(Profile, FrontEndKeysAreIgnored) {
  const std::string path = Write(
      "[CLI]\n--INPUT=a.pic\n-I=a.pic\n--OUTPUT=/tmp\n--CONVERSION=png\n"
      "--PROFILE=missing.ini\n--DEBUG\n--QUIET\n--PAUSE\n");
  const OptionPassResult pass = RunOptionPass({"--profile=" + path});
  EXPECT_EQ(pass.error, "");
  EXPECT_FALSE(pass.quiet || pass.pause || pass.job.inputGiven || pass.job.debug);
  EXPECT_EQ(pass.job.output + pass.job.conversion, "");
}

TEST_F(Profile, TakesEffectAtItsPlaceAmongTheOptions) {
  const std::string first = Write("[CLI]\n--JPG-QUALITY=90\n", "my first.ini");
  const std::string second = Write("[CLI]\n--JPG-QUALITY=80\n", "second.ini");
  const std::pair<std::vector<std::string>, int> kCases[] = {
      {{"--jpg-quality=50", "--profile=" + first}, 90},
      {{"--profile=" + first, "--jpg-quality=50"}, 50},
      {{"--profile=" + second, "--profile=" + first}, 90},
      {{"--profile=\"" + scratch_ / "my", "first.ini\""}, 90},  // a path split at its space
  };
  for (const auto& [parameters, quality] : kCases) {
    const OptionPassResult pass = RunOptionPass(parameters);
    EXPECT_EQ(pass.error, "") << parameters[0];
    EXPECT_EQ(pass.settings.output.jpgQuality, quality) << parameters[0];
  }
}

TEST_F(Profile, EmptyPathMissingFileAndFolderAreInvalid) {
  EXPECT_FALSE(ReadProfile(""));
  EXPECT_FALSE(ReadProfile(scratch_.path()));
  EXPECT_TRUE(ReadProfile(Write("")));
  const OptionPassResult pass =
      RunOptionPass({"--input=a.pic", "--profile=" + scratch_ / "missing.ini", "--jpg-quality=50"});
  EXPECT_EQ(pass.error, "Invalid profile file");
  EXPECT_EQ(pass.settings.output.jpgQuality, 95);
}
