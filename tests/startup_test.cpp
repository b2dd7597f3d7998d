// The program's start: version, usage, silence without input, the single-instance guard.
#include <gtest/gtest.h>

#include "tests/support/run_program.h"

TEST(Startup, VersionPrintsTheVersionTextAlone) {
  for (const char* flag : {"-V", "-v", "--version", "--VERSION=anything"}) {
    const RunResult run = RunMarrowick({flag});
    EXPECT_EQ(run.exitCode, 0) << flag;
    EXPECT_EQ(run.output, "2.2\n") << flag;
  }
}

TEST(Startup, NoParametersPrintNothing) {
  const RunResult run = RunMarrowick({});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
}
