// Whole runs over the PICT corpus and with converters that misbehave: every file converts or
// fails on its own, the run always finishes, and nothing is left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/files.h"
#include "tests/support/corpus.h"
#include "tests/support/run_program.h"
#include "tests/support/test_pictures.h"

namespace fs = std::filesystem;

namespace {

class CorpusRun : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(in_);
    fs::create_directories(out_);
    fs::create_directories(temp_);
  }
  // Copies a corpus folder below the input folder, write bits added.
  void CopyCorpus(const std::string& relative) {
    fs::copy(Corpus(relative), in_ + relative, fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(in_))
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
  }
  // A fake converter on PATH: a shell script whose body gets the TGA path as $tga.
  std::string FakeConverter(const std::string& body) {
    const std::string folder = scratch_ / "fake/";
    fs::create_directories(folder);
    std::ofstream(folder + "convert") << "#!/bin/sh\nfor tga; do :; done\ntga=${tga#tga:}\n"
                                      << body << "\n";
    fs::permissions(folder + "convert", fs::perms::owner_all);
    return folder;
  }
  RunResult Run(const std::vector<std::string>& arguments, RunOptions options = {}) {
    options.tempFolder = temp_;
    return RunMarrowick(arguments, options);
  }
  ScratchFolder scratch_;
  std::string in_ = scratch_ / "in/";
  std::string out_ = scratch_ / "out/";
  std::string temp_ = scratch_ / "tmp/";
};

// Checks the per-file debug blocks: each file ends in OK with a readable output, or Not OK.
void ExpectEveryFileSettled(const std::vector<std::string>& lines, int& converted, int& failed) {
  converted = failed = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("Processing: ", 0) != 0) continue;
    ASSERT_LT(i + 2, lines.size()) << lines[i];
    ASSERT_EQ(lines[i + 1].rfind("Saving As: ", 0), 0u) << lines[i];
    if (lines[i + 2] == "OK") {
      ++converted;
      FIBITMAP* picture = LoadAny(lines[i + 1].substr(11));
      EXPECT_NE(picture, nullptr) << lines[i];
      if (picture) FreeImage_Unload(picture);
    } else {
      EXPECT_EQ(lines[i + 2], "Not OK") << lines[i];
      ++failed;
    }
  }
}

TEST_F(CorpusRun, EveryCorpusFileConvertsOrFailsOnItsOwn) {
  REQUIRE_CORPUS();
  CopyCorpus("pict-synthetic");
  CopyCorpus("pict-real");
  const RunResult run = Run({"-i", in_, "-o", out_, "-c", "png", "-d", "-q"});
  EXPECT_EQ(run.exitCode, 0);
  int converted = 0, failed = 0;
  ExpectEveryFileSettled(Lines(run.output), converted, failed);
  EXPECT_EQ(converted + failed, 106);  // the corpus files that are not empty
  EXPECT_GE(converted, 60);
  EXPECT_EQ(CountEntries(temp_), 0);
}

TEST_F(CorpusRun, WithoutAConverterTheOwnReaderNeverHangsOrCrashesTheRun) {
  REQUIRE_CORPUS();
  CopyCorpus("pict-synthetic");
  RunOptions options;
  options.withConverter = false;
  const RunResult run = Run({"-i", in_, "-o", out_, "-c", "bmp", "-d", "-q"}, options);
  EXPECT_EQ(run.exitCode, 0);
  int converted = 0, failed = 0;
  ExpectEveryFileSettled(Lines(run.output), converted, failed);
  EXPECT_EQ(converted + failed, 48);
  EXPECT_GE(converted, 25);
  EXPECT_EQ(CountEntries(temp_), 0);
}

TEST_F(CorpusRun, ConverterThatLeavesNoUsablePictureFallsBackToTheOwnReader) {
  ASSERT_TRUE(WriteTestPicture(TestPicture::ReaderOnly, in_ + "a.pct"));
  const std::pair<const char*, std::string> kConverters[] = {
      {"writes nothing", "exit 0"},
      {"writes an empty file", ": > \"$tga\"; exit 0"},
      {"fails after writing a black picture",
       "/usr/bin/convert -size 40x30 xc:black \"tga:$tga\"; exit 1"},
  };
  for (const auto& [what, body] : kConverters) {
    RunOptions options;
    options.extraPath = FakeConverter(body);
    EXPECT_EQ(Run({"-i", in_, "-o", out_, "-c", "png", "-q"}, options).output, "") << what;
    FIBITMAP* picture = LoadAny(out_ + "a.png");
    ASSERT_NE(picture, nullptr) << what;
    EXPECT_EQ(FreeImage_GetWidth(picture), 40u) << what;
    // The picture is red: the black stand-in must not have been used.
    FIBITMAP* colour = FreeImage_ConvertTo24Bits(picture);
    RGBQUAD pixel{};
    FreeImage_GetPixelColor(colour, 10, 10, &pixel);
    EXPECT_GT(pixel.rgbRed, 200) << what;
    FreeImage_Unload(colour);
    FreeImage_Unload(picture);
    EXPECT_EQ(CountEntries(temp_), 0) << what;
    fs::remove(out_ + "a.png");
  }
}

TEST_F(CorpusRun, ConverterThatHangsIsWaitedForLikeAnyOther) {
  // A converter that takes its time still counts: the run waits for it.
  ASSERT_TRUE(WriteTestPicture(TestPicture::ConverterOnly, in_ + "a.pct"));
  RunOptions options;
  options.extraPath = FakeConverter("/bin/sleep 1; exec /usr/bin/convert \"$@\"");
  EXPECT_EQ(Run({"-i", in_, "-o", out_, "-c", "png", "-q"}, options).output, "");
  EXPECT_TRUE(FileSize(out_ + "a.png").has_value());
}

TEST_F(CorpusRun, ConverterThatNeverEndsIsStoppedAndTheRunGoesOn) {
  // The copy of the program built for this gives the converter half a second, not a minute.
  const OrphanCatcher orphans;
  // b.pct is a picture our decoder refuses and FreeImage's reader reads.
  ASSERT_TRUE(WriteTestPicture(TestPicture::ConverterOnly, in_ + "a.pct"));
  ASSERT_TRUE(WriteTestPicture(TestPicture::ReaderOnly, in_ + "b.pct"));
  ASSERT_TRUE(WriteTestPicture(TestPicture::ConverterOnly, in_ + "c.pct"));
  const std::string pidFile = scratch_ / "background.pid";
  RunOptions options;
  options.shortConverterDeadline = true;
  options.extraPath =
      FakeConverter("case \"$*\" in *b.pct*)\n  /bin/sleep 1000 &\n  echo $! > '" + pidFile +
                    "'\n  exec /bin/sleep 1000;;\nesac\n" + "exec /usr/bin/convert \"$@\"");
  const RunResult run = Run({"-i", in_, "-o", out_, "-c", "png", "-d", "-q"}, options);
  const std::vector<std::string> lines = Lines(run.output);
  ASSERT_GE(lines.size(), 9u);
  // b.pct goes on to FreeImage's reader, like after any converter failure.
  EXPECT_EQ(std::vector<std::string>(lines.end() - 9, lines.end()),
            (std::vector<std::string>{
                "Processing: " + in_ + "a.pct", "Saving As: " + out_ + "a.png", "OK",
                "Processing: " + in_ + "b.pct", "Saving As: " + out_ + "b.png", "OK",
                "Processing: " + in_ + "c.pct", "Saving As: " + out_ + "c.png", "OK"}));
  EXPECT_TRUE(orphans.AwaitEnd(pidFile)) << "left running";
  EXPECT_EQ(CountEntries(temp_), 0);
}

TEST_F(CorpusRun, SignalThatEndsTheRunEndsItsConverterToo) {
  const OrphanCatcher orphans;
  ASSERT_TRUE(WriteTestPicture(TestPicture::ConverterOnly, in_ + "a.pct"));
  const std::string converterPid = scratch_ / "converter.pid";
  const std::string backgroundPid = scratch_ / "background.pid";
  RunOptions options;
  options.extraPath = FakeConverter("/bin/sleep 1000 &\necho $! > '" + backgroundPid +
                                    "'\necho $$ > '" + converterPid + "'\nexec /bin/sleep 1000");
  for (int signal : {SIGTERM, SIGINT}) {
    fs::remove(converterPid);
    StartedRun run({"-i", in_, "-o", out_, "-q"}, options);
    // The converter is running once it has written its process id.
    for (int wait = 0; wait < 1000 && FileSize(converterPid).value_or(0) == 0; ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GT(FileSize(converterPid).value_or(0), 0) << "the converter never started";
    kill(run.pid(), signal);
    EXPECT_EQ(run.Finish().signal, signal);
    for (const std::string& pidFile : {converterPid, backgroundPid})
      EXPECT_TRUE(orphans.AwaitEnd(pidFile)) << signal << " " << pidFile << ": left running";
  }
}

}  // namespace
