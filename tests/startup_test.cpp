// The program's start: version, usage, silence without input, command-line errors, the pause
// at exit, the banner and the single-instance guard.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/run_program.h"

TEST(Startup, VersionPrintsTheVersionTextAlone) {
  for (const char* flag : {"-V", "-v", "--version", "--VERSION=anything"}) {
    const RunResult run = RunMarrowick({flag, "-i", "x.pic"});
    EXPECT_EQ(run.exitCode, 0) << flag;
    EXPECT_EQ(run.output, "2.2\n") << flag;
  }
}

TEST(Startup, HelpPrintsTheUsageText) {
  const char* const kUsage[] = {
      " ",
      "Usage: marrowickcmd -i <filename> [options]",
      " ",
      "  marrowickcmd -i example.pic",
      "  marrowickcmd -i c:\\tmp\\example.pic",
      "  marrowickcmd -i c:\\tmp\\example.pic -o d:\\converted",
      "  marrowickcmd -i c:\\tmp\\filelist.txt",
      "  marrowickcmd -i c:\\tmp\\ -o d:\\converted --jpg-quality=95",
      "  marrowickcmd -i c:\\tmp\\ -o d:\\converted -c bmp --jpg-quality=95",
      " ",
      "Options:",
      " ",
      "  -h, -?, --help            Display this help and exit",
      "  -i FILE, --input=FILE     Set input file/list/folder",
      "  -o PATH, --output=PATH    Set output folder",
      "  -c STR, --conversion=STR  Set output extension, STR = (jpg | bmp | ...)",
      " ",
      "Advanced options:",
      " ",
      "  --width=NUM               Set output image width",
      "  --height=NUM              Set output image height",
      "  --filename-mask=STR       Define output filename format",
      "  --flip-horizontal         Flip output image horizontally",
      "  --flip-vertical           Flip output image vertically",
      "  --brightness=NUM          Set output image brightness, NUM = -100..100",
      "  --contrast=NUM            Set output image contrast, NUM = -100..100",
      "  --gamma=NUM               Set output image gamma, NUM = 0.01..9.99",
      "  --invert                  Invert output image",
      "  --greyscale               Greyscale output image",
      "  --profile=FILE            Set configuration file with required settings",
      "    ...                     Refer documentation for all available options",
      " ",
      "Other options:",
      " ",
      "  -q, --quiet               Don't print status messages to stdout",
      "  -d, --debug               Print debug information to stdout",
      "  -p, --pause               Pause at exit",
      "  -v, --version             Display version information and exit",
  };
  std::string expected;
  for (const char* line : kUsage) expected += std::string(line) + "\n";
  ASSERT_EQ(std::size(kUsage), 38u);
  for (const char* flag : {"-h", "-H", "-?", "--help", "--Help=x"}) {
    const RunResult run = RunMarrowick({flag});
    EXPECT_EQ(run.exitCode, 0) << flag;
    EXPECT_EQ(run.output, expected) << flag;
  }
  // A bare command gets the same text, on standard error: standard output stays silent.
  const RunResult bare = RunMarrowick({});
  EXPECT_EQ(bare.output, "");
  EXPECT_EQ(bare.errors, expected);
}

TEST(Startup, WithoutAnInputOptionNothingIsPrinted) {
  const std::vector<std::string> kCases[] = {
      {},
      {"--quiet"},
      {"photo.pic"},
      {"-i=photo.pic"},  // no such option: "-I=PHOTO.PIC"
      {"-o", "/tmp", "-c", "png", "--jpg-quality=80"},
      {"--quiet", "-v"},
      {"--debug", "--help"},
      {"-U"},
      {"-T", "capture.png", "-i", "x.pic"},
  };
  for (const std::vector<std::string>& parameters : kCases) {
    const RunResult run = RunMarrowick(parameters);
    const std::string shown = parameters.empty() ? "(none)" : parameters[0];
    EXPECT_EQ(run.exitCode, 0) << shown;
    EXPECT_EQ(run.output, "") << shown;
  }
}

TEST(Startup, CommandLineErrorsPrintOneLineEvenWhenQuiet) {
  const std::pair<std::vector<std::string>, std::string> kCases[] = {
      {{"--quiet", "--input"}, "Error: Incorrect number of parameters\n"},
      {{"-i"}, "Error: Incorrect number of parameters\n"},
      {{"-q", "-i", "x.pic", "--width", "800"}, "Error: Incorrect number of parameters\n"},
      {{"-i", "x.pic", "--profile=missing.ini", "--jpg-quality"}, "Error: Invalid profile file\n"},
  };
  for (const auto& [parameters, output] : kCases) {
    const RunResult run = RunMarrowick(parameters);
    EXPECT_EQ(run.exitCode, 0) << parameters[0];
    EXPECT_EQ(run.output, output) << parameters[0];
  }
}

TEST(Startup, AnInputPrintsTheBannerFirst) {
  const RunResult run = RunMarrowick({"-i", "x.pic"});
  EXPECT_EQ(run.exitCode, 0);
  const std::vector<std::string> lines = Lines(run.output);
  ASSERT_GE(lines.size(), 4u) << run.output;
  EXPECT_EQ(lines[0], "Quillmere 2.2");
  EXPECT_NE(lines[1].find("(c)"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("://"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[3], " ");
}

TEST(Startup, QuietLeavesOutTheBanner) {
  const RunResult run = RunMarrowick({"-q", "-i", "x.pic"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output.find("Quillmere 2.2"), std::string::npos) << run.output;
}

TEST(Startup, PauseAfterARunAsksForAKey) {
  RunOptions options;
  options.input = "k";
  const RunResult run = RunMarrowick({"-i", "x.pic", "-p"}, options);
  EXPECT_EQ(run.exitCode, 0);
  const std::vector<std::string> lines = Lines(run.output);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Press any key to exit.");
}

// The key is read after the error line; closed input ends the wait as well.
TEST(Startup, PauseAfterAnErrorWaitsWithoutAPrompt) {
  for (const std::string input : {"", "k"}) {
    RunOptions options;
    options.input = input;
    const RunResult run = RunMarrowick({"--pause", "--input"}, options);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "Error: Incorrect number of parameters\n");
  }
}

TEST(Startup, ASecondInstanceWritesNothingOnStandardOutputAndSaysWhyOnStandardError) {
  ScratchFolder runtime;
  const std::string lockPath = runtime / "Quillmere 2.2.lock";
  const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  RunOptions options;
  options.runtimeFolder = runtime.path();
  const std::string said =
      "marrowickcmd: another run holds the lock " + lockPath + "; nothing was converted\n";
  const std::pair<std::vector<std::string>, int> kCases[] = {
      {{"-V"}, 0}, {{"-i", "x.pic"}, 0}, {{"--input"}, 0}, {{"-i", "x.pic", "--exit-status"}, 3}};
  for (const auto& [parameters, exitCode] : kCases) {
    const RunResult run = RunMarrowick(parameters, options);
    EXPECT_EQ(run.exitCode, exitCode) << parameters.back();
    EXPECT_EQ(run.output, "") << parameters.back();
    EXPECT_EQ(run.errors, said) << parameters.back();
  }
  close(fd);

  // Once the first copy has ended, the next one runs.
  EXPECT_EQ(RunMarrowick({"-V"}, options).output, "2.2\n");
}

TEST(Startup, ClosedOutputStillEndsWithExitCodeZero) {
  // As in `marrowickcmd -h | head -1`: the reader has gone before the usage text is written.
  ScratchFolder scratch;
  int output[2];
  ASSERT_EQ(pipe(output), 0);
  close(output[0]);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(output[1], 1);
    setenv("XDG_RUNTIME_DIR", scratch.path().c_str(), 1);
    execl(MARROWICKCMD_PATH, MARROWICKCMD_PATH, "-h", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(output[1]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
