// batch/worker.h: the conversion phase: every collected file, with what each file's end means
// (the debug lines, the reason a file failed, the naming numbers, the file time).
#pragma once

#include <cstdint>
#include <vector>

#include "batch/collect.h"
#include "batch/file_conversion.h"
#include "batch/report.h"
#include "pipeline/run.h"

// Converts every entry, jobs files at a time (1: one after another in this process; more: in
// as many worker processes), and settles them in input order: three lines per file in debug
// mode, one line on standard error for each file that fails (with its reason) and, with
// showProgress, the progress line on standard error. The files written, their names and
// numbers, every line printed and the report's records are the same for any number of jobs.
// Returns how many files were written and how many skipped.
ConversionCounts ConvertAll(const Run& run, const std::vector<InputEntry>& entries, int jobs,
                            bool showProgress, RunReport& report);
