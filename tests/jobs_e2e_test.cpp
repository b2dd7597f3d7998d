// Several files at once: the same files, names, numbers and lines as one after another, and a
// worker that crashes costs only its own file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/files.h"
#include "tests/support/run_program.h"
#include "tests/support/test_pictures.h"

namespace fs = std::filesystem;

namespace {

// text with every occurrence of from replaced by to.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

TEST(Jobs, OneAndThreeJobsGiveTheSameFilesNamesNumbersAndLines) {
  ScratchFolder scratch;
  const std::string in = scratch / "in/";
  fs::create_directories(in + "sub");
  // Good files, files no decoder reads and files only the converter or FreeImage's reader
  // reads, mixed so that failures fall between files that convert.
  const std::pair<TestPicture, const char*> kFiles[] = {
      {TestPicture::Gradient, "a.pct"},      {TestPicture::Garbage, "b.pct"},
      {TestPicture::ConverterOnly, "c.pct"}, {TestPicture::Odd, "d.pct"},
      {TestPicture::Garbage, "e.pct"},       {TestPicture::ReaderOnly, "f.pct"},
      {TestPicture::RedYellow, "g.pct"},     {TestPicture::Ramp, "sub/h.pct"},
      {TestPicture::Garbage, "sub/i.pct"},   {TestPicture::ConverterOnly, "sub/j.pct"},
      {TestPicture::Orange, "sub/k.pct"}};
  for (const auto& [picture, name] : kFiles) ASSERT_TRUE(WriteTestPicture(picture, in + name));
  // The second mask puts outputs in a folder of their own: x/ exists in the output folder but
  // not below sub/, so the files of sub/ fail, with the same reasons for any number of jobs.
  for (const std::string mask : {"%n%_%filename%.%ext%", "x/%n%_%filename%.%ext%"}) {
    std::map<std::string, std::string> files[2];
    std::string output[2], errors[2];
    for (int jobs : {1, 3}) {
      const std::string out = scratch / (std::to_string(jobs) + mask.substr(0, 1) + "/");
      fs::create_directories(out + "x");
      const RunResult run = RunMarrowick(
          {"-i", in, "-o", out, "-c", "png", "-d", "--filename-mask=" + mask,
           "--wm-text=No %n% of %filename%", "--wm-font-size=8", "--wm-text-x-offset=0",
           "--wm-text-y-offset=0", "--jobs=" + std::to_string(jobs)});
      const int i = jobs == 1 ? 0 : 1;
      files[i] = FileBytesBelow(out);
      // The output folder's name and the echo of --jobs are all that may differ.
      output[i] = Replaced(Replaced(run.output, out, "OUT/"), "Jobs: " + std::to_string(jobs), "");
      errors[i] = Replaced(run.errors, out, "OUT/");
    }
    EXPECT_EQ(output[0], output[1]) << mask;
    EXPECT_EQ(errors[0], errors[1]) << mask;
    EXPECT_EQ(files[0], files[1]) << mask;
    if (mask.starts_with("x/")) {
      EXPECT_NE(errors[0].find("sub/h.pct: cannot create a file in OUT/sub/x/"), std::string::npos)
          << errors[0];
      continue;
    }
    // Eight written and numbered without gaps, the three that failed skipped.
    EXPECT_EQ(files[0].size(), 8u);
    EXPECT_TRUE(files[0].count("sub/00008_k.png"));
    EXPECT_TRUE(files[0].count("00002_c.png"));
    EXPECT_NE(output[0].find("Files converted: 8 of 11"), std::string::npos);
  }
}

TEST(Jobs, AWorkerThatCrashesCostsOnlyTheFileItHadInHand) {
  ScratchFolder scratch;
  const std::string in = scratch / "in/", out = scratch / "out/";
  fs::create_directories(in);
  fs::create_directories(out);
  for (const char* name : {"a.pct", "b.pct", "d.pct", "e.pct"})
    ASSERT_TRUE(WriteTestPicture(TestPicture::Gradient, in + name));
  ASSERT_TRUE(WriteTestPicture(TestPicture::ConverterOnly, in + "c.pct"));
  // The converter, started by the worker that has c.pct, brings that worker down as the kernel
  // does a process out of memory (a signal no sanitizer turns into a report of its own).
  const std::string fake = scratch / "fake/";
  fs::create_directories(fake);
  std::ofstream(fake + "convert") << "#!/bin/sh\nkill -KILL $PPID\nexec /bin/sleep 1\n";
  fs::permissions(fake + "convert", fs::perms::owner_all);
  RunOptions options;
  options.extraPath = fake;
  const RunResult run = RunMarrowick({"-i", in, "-o", out, "-c", "png", "-q", "--jobs=2"}, options);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.errors, "marrowickcmd: " + in +
                            "c.pct: the worker process converting it ended by signal 9 (Killed)\n");
  EXPECT_EQ(FileBytesBelow(out).size(), 4u);
}

}  // namespace
