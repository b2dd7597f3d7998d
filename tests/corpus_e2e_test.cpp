// Whole runs over the PICT corpus and with converters that misbehave: every file converts or
// fails on its own, the run always finishes, and nothing is left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
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

// Ctrl-C (SIGINT to the whole group), SIGTERM and SIGHUP to the program alone, at random moments
// of a run that is busy with converters, with one job and with three, and a busy neighbour on the
// machine: every time, the run ends by that signal within seconds, and leaves no process (worker
// or converter), no temporary file or folder, no unfinished output and no progress line behind.
TEST_F(CorpusRun, EndingSignalAtAnyMomentLeavesNothingBehind) {
  const OrphanCatcher orphans;
  for (int i = 0; i < 8; ++i) {
    // Files for the converter, each held a fifth of a second, between ones we decode.
    ASSERT_TRUE(WriteConverterOnlyPicture(in_ + "c" + std::to_string(i) + ".pct", 63 + i % 4, 4));
    ASSERT_TRUE(WriteTestPicture(TestPicture::Gradient, in_ + "g" + std::to_string(i) + ".pct"));
  }
  const std::string pids = scratch_ / "converters.pid";
  RunOptions options;
  options.errorsOnTerminal = true;
  options.ownGroup = true;
  options.tempFolder = temp_;
  options.extraPath = FakeConverter("echo $$ $PPID >> '" + pids +
                                    "'\n/bin/sleep 0.2\nexec /usr/bin/convert \"$@\"");
  const pid_t busy = fork();
  if (busy == 0) {
    for (;;) {
    }
  }
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> moment(0, 1200);
  struct Case {
    int signal;
    bool toGroup;
    const char* jobs;
  };
  const Case kCases[] = {{SIGINT, true, "--jobs=1"},
                         {SIGTERM, false, "--jobs=1"},
                         {SIGHUP, false, "--jobs=1"},
                         {SIGINT, true, "--jobs=3"},
                         {SIGTERM, false, "--jobs=3"}};
  for (int round = 0; round < 3; ++round) {
    for (const Case& c : kCases) {
      const std::string what =
          strsignal(c.signal) + (" " + std::string(c.jobs) + " in round " + std::to_string(round));
      StartedRun run({"-i", in_, "-o", out_, "-c", "png", c.jobs}, options);
      std::this_thread::sleep_for(std::chrono::milliseconds(moment(random)));
      kill(c.toGroup ? -run.pid() : run.pid(), c.signal);
      const auto sent = std::chrono::steady_clock::now();
      const RunResult result = run.Finish();
      EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(5)) << what;
      EXPECT_EQ(result.signal, c.signal) << what;
      EXPECT_TRUE(orphans.AwaitEndOfAll(pids)) << what << ": a worker or converter is left";
      EXPECT_EQ(CountEntries(temp_), 0) << what;
      // What is in the output folder is whole; nothing half-written or temporary is there.
      for (const auto& entry : fs::directory_iterator(out_)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.ends_with(".png") && !name.starts_with("marrowick")) << what << name;
        FIBITMAP* picture = LoadAny(entry.path().string());
        EXPECT_TRUE(picture) << what << ": " << name;
        if (picture) FreeImage_Unload(picture);
      }
      // The progress line, drawn on the terminal, was erased: the last thing written is the
      // erasing sequence (no file fails, so no reason line follows it).
      EXPECT_TRUE(result.errors.empty() || result.errors.ends_with("\r\x1b[K")) << what;
      fs::remove_all(out_);
      fs::create_directories(out_);
      fs::remove(pids);
    }
  }
  kill(busy, SIGKILL);
  waitpid(busy, nullptr, 0);
}

}  // namespace
