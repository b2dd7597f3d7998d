// batch/scheduler.h (private to batch/): the conversion phase in worker processes: which file
// each worker converts when, what a lost worker costs, and the settling of the files in input
// order whatever order they come back in.
#pragma once

#include <cstdint>
#include <vector>

#include "batch/collect.h"
#include "batch/file_conversion.h"
#include "batch/report.h"
#include "console/progress.h"
#include "pipeline/run.h"

// Converts every entry in up to jobs worker processes (forked while the progress display draws
// from no thread of its own) and settles each in input order, as one job would; converts in
// this process only when no worker can be started. Returns how many files were written and how
// many skipped.
ConversionCounts ConvertInWorkers(const Run& run, const std::vector<InputEntry>& entries, int jobs,
                                  ProgressDisplay& progress, RunReport& report);
