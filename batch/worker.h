// batch/worker.h: the conversion phase: every collected file, one after another.
#pragma once

#include <cstdint>

// Converts every entry of gInputFiles in order, printing three lines per file in debug mode and,
// with showProgress, the progress line on standard error; returns the number of files written.
int32_t ConvertAll(bool showProgress);
