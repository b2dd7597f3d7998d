// The entry point of marrowickcmd: start-up, the dispatch on the first parameter, the option
// pass and the end sequence. The exit code is 0 on every path, unless --exit-status asks for
// one that tells what happened.
#include <FreeImage.h>
#include <IL/il.h>
#include <IL/ilu.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/options.h"
#include "app/usage.h"
#include "batch/driver.h"
#include "console/messages.h"
#include "platform/ending.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/terminal.h"
#include "settings/settings.h"

static void PrintUsage(const std::string& title) {
  SetConsoleTitle(title);
  for (const std::string& line : UsageText(ProgramName())) PrintLine(line);
}

// The exit code with --exit-status; without it the code is always 0.
enum ExitStatus { kAllConverted = 0, kSomeFailed = 1, kStopped = 2, kLockHeld = 3 };

// What the main flow came to, for --exit-status.
static ExitStatus RunMainFlow(const std::vector<std::string>& parameters) {
  const std::string title = TitleText(kProductName, kVersionNumber);
  // The interactive edition is not part of this build. A bare command gets the usage, on
  // standard error: it is no request for it, and standard output stays as silent as it was.
  if (parameters.empty()) {
    for (const std::string& line : UsageText(ProgramName())) WriteError(line + "\n");
    return kStopped;
  }

  const std::string first = OptionName(parameters, 0);
  if (first == "-U" || first == "-T") return kStopped;
  if (first == "-V" || first == "--VERSION") {
    SetConsoleTitle(title);
    PrintLine(VersionText(kVersionNumber));
    return kAllConverted;
  }
  if (first == "-H" || first == "-?" || first == "--HELP") {
    PrintUsage(title);
    return kAllConverted;
  }

  OptionPassResult pass = RunOptionPass(parameters);
  for (const std::string& notice : pass.notices) WriteError(ProgramName() + ": " + notice + "\n");
#ifdef QUILLMERE_TEST_CONVERTER_DEADLINE_MS
  // Only in the copy of the program built for the tests of a converter that never ends.
  pass.job.converterDeadlineMs = QUILLMERE_TEST_CONVERTER_DEADLINE_MS;
#endif
  if (!pass.error.empty()) {
    SetConsoleTitle(title);
    PrintLine("Error: " + pass.error);
    if (pass.pause) WaitForKey();
    return kStopped;
  }
  if (!pass.job.inputGiven) return kStopped;

  SetConsoleTitle(title);
  if (!pass.quiet) {
    PrintLine(title);
    PrintLine(kCopyrightNotice);
    PrintLine(kWebAddressLine);
    PrintLine(" ");
  }
  const RunOutcome outcome = RunBatch(pass.settings, std::move(pass.job), pass.quiet);
  if (pass.pause) {
    PrintLine("Press any key to exit.");
    WaitForKey();
  }
  switch (outcome) {
    case RunOutcome::AllConverted: return kAllConverted;
    case RunOutcome::SomeFailed: return kSomeFailed;
    case RunOutcome::Stopped: break;
  }
  return kStopped;
}

// --exit-status is read before the lock is taken, so that even a second run can tell.
static bool AsksForExitStatus(const std::vector<std::string>& parameters) {
  for (size_t i = 0; i < parameters.size(); ++i)
    if (OptionName(parameters, i) == "--EXIT-STATUS") return true;
  return false;
}

int main(int argc, char** argv) {
  // First of all: no child may ever start before the end of the run can end it.
  StartEndingWatch();
  IgnoreBrokenPipe();
  FreeImage_Initialise(FALSE);
  ilInit();
  iluInit();
  const std::vector<std::string> parameters(argv + 1, argv + argc);
  const bool exitStatus = AsksForExitStatus(parameters);
  ExitStatus status = kAllConverted;
  const InstanceLock lock = AcquireSingleInstance(TitleText(kProductName, kVersionNumber));
  if (lock.held) {
    status = RunMainFlow(parameters);
  } else if (lock.otherRun) {
    // Standard output stays silent, as it always was; a script still learns why.
    WriteError(ProgramName() + ": another run holds the lock " + lock.path +
               "; nothing was converted\n");
    status = kLockHeld;
  } else {
    WriteError(ProgramName() + ": cannot take the lock: " + lock.error +
               "; nothing was converted\n");
    status = kStopped;
  }
  ilShutDown();
  FreeImage_DeInitialise();
  return exitStatus ? status : 0;
}
