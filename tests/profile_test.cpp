// Profile files: encodings, line endings, the [CLI] group, the keys and how they differ from
// the command line, and their place among the command-line options.
#include "app/profile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/options.h"
#include "settings/settings.h"
#include "tests/support/run_program.h"

using Parameters = std::vector<std::string>;

class Profile : public testing::Test {
 protected:
  void SetUp() override {
    ResetJob();
    SetDefaultSettings(true);
  }

  // Writes bytes to a file of the scratch folder and returns its path.
  std::string Write(const std::string& bytes, const std::string& name = "p.ini") {
    const std::string path = scratch_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  ScratchFolder scratch_;
};

TEST_F(Profile, ByteOrderMarkMeansUtf8AndItsAbsenceLatin1) {
  const std::string kBom = "\xEF\xBB\xBF";
  ASSERT_TRUE(ReadProfile(Write(kBom + "[CLI]\n--WM-TEXT=caf\xC3\xA9\n")));
  EXPECT_EQ(gSettings.watermark.text.text, "caf\xC3\xA9");  // café

  // The same two bytes without the mark are Ã and ©.
  ASSERT_TRUE(ReadProfile(Write("[CLI]\n--WM-TEXT=caf\xC3\xA9\n")));
  EXPECT_EQ(gSettings.watermark.text.text, "caf\xC3\x83\xC2\xA9");

  ASSERT_TRUE(ReadProfile(Write("[CLI]\n--WM-TEXT=caf\xE9\n")));
  EXPECT_EQ(gSettings.watermark.text.text, "caf\xC3\xA9");
}

TEST_F(Profile, LinesEndWithCrOrLfOrBoth) {
  const std::string kFiles[] = {
      "[CLI]\n--JPG-QUALITY=90\n--FLIP-HORIZONTAL\n--WIDTH=50",
      "[CLI]\r\n--JPG-QUALITY=90\r\n--FLIP-HORIZONTAL\r\n--WIDTH=50\r\n",
      "[CLI]\r--JPG-QUALITY=90\r--FLIP-HORIZONTAL\r--WIDTH=50\r",
      "[CLI]\r\n\r\n--JPG-QUALITY=90\r--FLIP-HORIZONTAL\n\n--WIDTH=50",
  };
  for (const std::string& file : kFiles) {
    SetUp();
    ASSERT_TRUE(ReadProfile(Write(file)));
    EXPECT_EQ(gSettings.output.jpgQuality, 90) << testing::PrintToString(file);
    EXPECT_TRUE(gSettings.flip.horizontal) << testing::PrintToString(file);
    EXPECT_EQ(gSettings.resize.width, 50) << testing::PrintToString(file);
  }
}

TEST_F(Profile, OnlyTheFirstCliGroupIsReadInAnyLetterCase) {
  ASSERT_TRUE(
      ReadProfile(Write("--JPG-QUALITY=11\n"
                        "[Other]\n--JPG-QUALITY=10\n--WIDTH=5\n"
                        "[cli]\n--JPG-QUALITY=90\n"
                        "[Other]\n--HEIGHT=7\n"
                        "[CLI]\n--JPG-QUALITY=20\n")));
  EXPECT_EQ(gSettings.output.jpgQuality, 90);
  EXPECT_EQ(gSettings.resize.width, 0);
  EXPECT_EQ(gSettings.resize.height, 0);
}

TEST_F(Profile, KeyLinesAreTrimmedAndCommentsSkipped) {
  ASSERT_TRUE(
      ReadProfile(Write(" \t[CLI] trailing words\n"
                        "; --WIDTH=10\n"
                        "  \t--jpg-quality \t= 90 \n"
                        "--WM-TEXT= a;b # c \t\n"
                        "--WM-FONT-STYLE = bold\n"
                        "--RESIZE-ALGORITHM=lanczos\t\n")));
  EXPECT_EQ(gSettings.resize.width, 0);
  EXPECT_EQ(gSettings.output.jpgQuality, 90);
  EXPECT_EQ(gSettings.watermark.text.text, "a;b # c");
  EXPECT_EQ(gSettings.watermark.text.fontStyle, FontStyle::Bold);
  EXPECT_EQ(gSettings.resize.algorithm, ResizeAlgorithm::Lanczos);
}

TEST_F(Profile, EmptyValuesStoreZeroInsteadOfFailing) {
  ASSERT_TRUE(ReadProfile(Write("[CLI]\n--JPG-QUALITY=\n--RESIZE-ALGORITHM=\n--WM-FONT\n")));
  EXPECT_EQ(gSettings.output.jpgQuality, 0);
  EXPECT_EQ(gSettings.resize.algorithm, ResizeAlgorithm::Box);
  EXPECT_EQ(gSettings.watermark.text.font, "");
}

TEST_F(Profile, FrameOpacityIsSpelledWmSolidOpacity) {
  ASSERT_TRUE(ReadProfile(Write("[CLI]\n--FR-SOLID-OPACITY=128\n")));
  EXPECT_EQ(gSettings.frame.opacity, 255);
  ASSERT_TRUE(ReadProfile(Write("[CLI]\n--WM-SOLID-OPACITY=128\n")));
  EXPECT_EQ(gSettings.frame.opacity, 128);
}

TEST_F(Profile, TextKeepsItsQuotesButTheFilenameMaskLosesThem) {
  ASSERT_TRUE(
      ReadProfile(Write("[CLI]\n"
                        "--WM-TEXT=\"Hello world\"\n"
                        "--FILENAME-MASK= \" %filename% small\" \n")));
  EXPECT_EQ(gSettings.watermark.text.text, "\"Hello world\"");
  EXPECT_EQ(gSettings.watermark.kind, WatermarkKind::Text);
  EXPECT_EQ(gSettings.naming.filenameMask, " %filename% small");
}

TEST_F(Profile, FlagsAndStepFlagsFollowTheKeys) {
  ASSERT_TRUE(
      ReadProfile(Write("[CLI]\n--PNG-INTERLACED=0\n--NO-SUBFOLDERS\n--GAMMA=2.5\n"
                        "--FR-SOLID-LEFT=3\n--WM-IMAGE=logo.png\n--TIFF-BPP=$18\n")));
  EXPECT_TRUE(gSettings.output.pngInterlaced);
  EXPECT_FALSE(gSettings.naming.keepSubfolders);
  EXPECT_FLOAT_EQ(gSettings.color.gamma, 2.5f);
  EXPECT_TRUE(gSettings.color.enabled);
  EXPECT_EQ(gSettings.frame.kind, FrameKind::Solid);
  EXPECT_EQ(gSettings.watermark.kind, WatermarkKind::Image);
  EXPECT_EQ(gSettings.watermark.image.path, "logo.png");
  EXPECT_EQ(gSettings.output.bpp[*OutputFormatIndex("tiff")], 24);
}

TEST_F(Profile, FrontEndKeysAreIgnored) {
  const std::string path = Write(
      "[CLI]\n--INPUT=a.pic\n-I=a.pic\n--OUTPUT=/tmp\n"
      "--CONVERSION=png\n--PROFILE=missing.ini\n--DEBUG\n"
      "--QUIET\n--PAUSE\n-Q\n");
  const OptionPassResult pass = RunOptionPass({"--profile=" + path});
  EXPECT_EQ(pass.error, "");
  EXPECT_FALSE(pass.quiet);
  EXPECT_FALSE(pass.pause);
  EXPECT_FALSE(gJob.inputGiven);
  EXPECT_EQ(gJob.input, "");
  EXPECT_EQ(gJob.output, "");
  EXPECT_EQ(gJob.conversion, "");
  EXPECT_EQ(gJob.debug, "");
}

TEST_F(Profile, AppliesAtItsPlaceAmongTheCommandLineOptions) {
  const std::string first = Write("[CLI]\n--JPG-QUALITY=90\n", "first.ini");
  const std::string second = Write("[CLI]\n--JPG-QUALITY=80\n--WIDTH=5\n", "second.ini");
  const std::pair<Parameters, int> kCases[] = {
      {{"--jpg-quality=50", "--profile=" + first}, 90},
      {{"--profile=" + first, "--jpg-quality=50"}, 50},
      {{"--profile=" + first, "--profile=" + second}, 80},
      {{"--profile=" + second, "--profile=" + first}, 90},
  };
  for (const auto& [parameters, quality] : kCases) {
    SetUp();
    EXPECT_EQ(RunOptionPass(parameters).error, "");
    EXPECT_EQ(gSettings.output.jpgQuality, quality) << parameters[0] << " " << parameters[1];
  }
}

TEST_F(Profile, ItsPathIsJoinedAcrossSplitQuotes) {
  Write("[CLI]\n--JPG-QUALITY=90\n", "my profile.ini");
  EXPECT_EQ(RunOptionPass({"--profile=\"" + scratch_ / "my", "profile.ini\""}).error, "");
  EXPECT_EQ(gSettings.output.jpgQuality, 90);
}

TEST_F(Profile, AFileWithoutTheGroupIsValidAndChangesNothing) {
  for (const std::string file : {"", "--JPG-QUALITY=10\n", "[Other]\n--JPG-QUALITY=10\n"}) {
    EXPECT_TRUE(ReadProfile(Write(file))) << file;
    EXPECT_EQ(gSettings.output.jpgQuality, 95) << file;
  }
}

TEST_F(Profile, EmptyPathMissingFileAndFolderAreInvalid) {
  EXPECT_FALSE(ReadProfile(""));
  EXPECT_FALSE(ReadProfile(scratch_ / "missing.ini"));
  EXPECT_FALSE(ReadProfile(scratch_.path()));

  const OptionPassResult pass =
      RunOptionPass({"--input=a.pic", "--profile=" + scratch_ / "missing.ini", "--jpg-quality=50"});
  EXPECT_EQ(pass.error, "Invalid profile file");
  EXPECT_EQ(gSettings.output.jpgQuality, 95);
  EXPECT_EQ(RunOptionPass({"--profile=" + scratch_.path()}).error, "Invalid profile file");
}
