// batch/driver.h: one command-line run after the options have been read.
#pragma once

#include "settings/settings.h"

// How a run ended, for a caller that reports it in the exit code.
enum class RunOutcome {
  AllConverted,  // every collected file was written
  SomeFailed,    // at least one was not
  Stopped,       // a check failed or nothing was collected: no file was touched
};

// Checks the records the option pass made, echoes them in debug mode, collects the inputs,
// converts them and prints the summary. Prints every message itself; returns when the run has
// ended.
RunOutcome RunBatch(const ConversionSettings& settings, JobRecord job, bool quiet);
