// The naming numbers of files converted out of order: guesses made ahead of time, and the exact
// numbers each file gets in its turn, as one file after another would have had them.
#include "batch/ledger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A script of events and what the ledger must say: "g2=3" guesses counter 3 for file 2, "f1"
// marks file 1 failed, "w" and "x" settle the file in turn as written or not, "e=2" expects the
// exact counter 2 for it.
struct Case {
  const char* name;
  size_t files;
  std::vector<std::string> steps;
};

TEST(FileLedger, GuessesAssumeEarlierFilesSucceedAndExactNumbersCountOnlyWrittenOnes) {
  const Case kCases[] = {
      {"in order, all written", 3, {"e=1", "w", "e=2", "w", "e=3", "w"}},
      {"a failure known before the guess", 3, {"f0", "g1=1", "g2=2", "x", "e=1", "w", "e=2"}},
      {"a failure found after the guess", 3, {"g1=2", "g2=3", "f0", "x", "e=1", "g2=2", "w"}},
      {"a file that fails when it is written", 3, {"g2=3", "e=1", "x", "e=1", "g2=2", "w", "e=2"}},
      {"guesses skip every known failure", 5, {"f1", "f3", "g4=3", "w", "x", "w", "x", "e=3"}},
  };
  for (const Case& c : kCases) {
    FileLedger ledger(c.files);
    for (const std::string& step : c.steps) {
      const auto equals = step.find('=');
      if (step[0] == 'g') {
        const size_t index = std::stoul(step.substr(1, equals - 1));
        EXPECT_EQ(ledger.Guess(index).counter, std::stol(step.substr(equals + 1)))
            << c.name << ": " << step;
      } else if (step[0] == 'e') {
        EXPECT_EQ(ledger.Exact().counter, std::stol(step.substr(equals + 1)))
            << c.name << ": " << step;
      } else if (step[0] == 'f') {
        ledger.MarkFailed(std::stoul(step.substr(1)));
      } else {
        ledger.Settle(step == "w");
      }
    }
  }
}

TEST(FileLedger, EachWrittenFileDrawsItsOwnRandomNumberWhicheverWayItWasReached) {
  FileLedger ledger(4);
  const FileNumbers guessedThird = ledger.Guess(2);  // counter 3, the third draw
  ledger.Settle(true);
  const FileNumbers second = ledger.Exact();
  ledger.Settle(true);
  EXPECT_EQ(ledger.Exact(), guessedThird);
  EXPECT_EQ(second.counter, 2);
  EXPECT_FALSE(ledger.IsDone());
  ledger.Settle(false);
  ledger.Settle(true);
  EXPECT_TRUE(ledger.IsDone());
}

}  // namespace
