// batch/worker.h: the conversion phase: every collected file, with what each file's end means
// (the debug lines, the reason a file failed, the naming numbers, the file time).
#pragma once

#include <cstdint>
#include <vector>

#include "batch/collect.h"
#include "pipeline/run.h"

// Converts every entry in order, one after another, printing three lines per file in debug
// mode, one line on standard error for each file that fails (with its reason) and, with
// showProgress, the progress line on standard error; returns the number of files written.
int32_t ConvertAll(const Run& run, const std::vector<InputEntry>& entries, bool showProgress);
