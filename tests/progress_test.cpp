// The progress line of a conversion run: what it says, how it fits the terminal, and that it
// shows only on a terminal, leaving standard output as it is.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "console/progress.h"
#include "tests/support/run_program.h"
#include "tests/support/test_pictures.h"

namespace {

TEST(ProgressLine, SaysHowFarTheRunIsAndFitsTheTerminal) {
  struct Case {
    int64_t done, total;
    std::string file;
    int64_t seconds;
    int columns;
    std::string line;
  };
  const Case kCases[] = {
      // No estimate before the first file is done, nor after the last.
      {0, 5000, "", 0, 100, "0 of 5000 done, 0:00 elapsed"},
      {0, 2, "/in/a.pct", 3, 100, "0 of 2 done, 0:03 elapsed: /in/a.pct"},
      {3, 3, "/in/c.pct", 61, 100, "3 of 3 done, 1:01 elapsed: /in/c.pct"},
      {12, 5000, "/in/a.pct", 42, 100,
       "12 of 5000 done, 0:42 elapsed, about 4:50:58 left: /in/a.pct"},
      {1, 2, "/in/b.pct", 3605, 100, "1 of 2 done, 1:00:05 elapsed, about 1:00:05 left: /in/b.pct"},
      // The path gives way from the left, and the last column stays free.
      {1, 2, "/in/folder/subfolder/picture.pct", 5, 60,
       "1 of 2 done, 0:05 elapsed, about 0:05 left: .../picture.pct"},
      {1, 2, "/in/folder/picture.pct", 5, 67,
       "1 of 2 done, 0:05 elapsed, about 0:05 left: /in/folder/picture.pct"},
      {1, 2, "/in/folder/picture.pct", 5, 66,
       "1 of 2 done, 0:05 elapsed, about 0:05 left: ...folder/picture.pct"},
      // Characters count, not bytes.
      {1, 2, "/ä/ö/ü/éàè.pct", 5, 58, "1 of 2 done, 0:05 elapsed, about 0:05 left: .../ü/éàè.pct"},
      // Too narrow for any of the path: the counts alone, cut too.
      {1, 2, "/in/a.pct", 5, 48, "1 of 2 done, 0:05 elapsed, about 0:05 left"},
      {1, 2, "/in/a.pct", 5, 13, "1 of 2 done,"},
  };
  for (const Case& c : kCases)
    EXPECT_EQ(FormatProgressLine(c.done, c.total, c.file, c.seconds, c.columns), c.line) << c.line;
}

TEST(ProgressDisplayRun, ShowsOnlyOnATerminalAndLeavesStandardOutputAsItIs) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch / "in");
  std::filesystem::create_directories(scratch / "out");
  ASSERT_TRUE(WriteTestPicture(TestPicture::Orange, scratch / "in/a.pct"));
  ASSERT_TRUE(WriteTestPicture(TestPicture::Garbage, scratch / "in/b.pct"));
  const std::vector<std::string> base = {"-i", scratch / "in/", "-o", scratch / "out/", "-c",
                                         "png"};
  struct Case {
    std::vector<std::string> extra;
    bool shown;  // on a terminal
  };
  const Case kCases[] = {{{}, true}, {{"-d"}, true}, {{"-q"}, false}, {{"-d", "-q"}, false}};
  for (const Case& c : kCases) {
    std::vector<std::string> arguments = base;
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    const std::string what =
        c.extra.empty() ? "plain" : c.extra[0] + std::to_string(c.extra.size());
    const RunResult piped = RunMarrowick(arguments);
    RunOptions terminal;
    terminal.errorsOnTerminal = true;
    const RunResult shown = RunMarrowick(arguments, terminal);
    EXPECT_EQ(shown.output, piped.output) << what;
    // Off a terminal, standard error holds the failed file's reason and nothing else.
    const std::string reason = "marrowickcmd: " + (scratch / "in/b.pct") + ": no decoder could";
    EXPECT_TRUE(piped.errors.find(reason) != std::string::npos) << what;
    EXPECT_EQ(piped.errors.find('\r'), std::string::npos) << what;
    if (!c.shown) {
      EXPECT_EQ(shown.errors, piped.errors) << what;
      continue;
    }
    // Drawn in place from the start of the line, erased before each reason line and at the end.
    std::string progress = shown.errors;
    for (size_t at; (at = progress.find("marrowickcmd: ")) != std::string::npos;)
      progress.erase(at, progress.find('\n', at) + 1 - at);
    EXPECT_TRUE(progress.starts_with("\r")) << what;
    EXPECT_NE(progress.find(" of 2 done, "), std::string::npos) << what;
    EXPECT_TRUE(progress.ends_with("\r\x1b[K")) << what;
    EXPECT_EQ(progress.find('\n'), std::string::npos) << what;
  }
}

}  // namespace
