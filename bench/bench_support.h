// bench/bench_support.h: the command line, synthetic picture and timing loop of the benchmarks.
#pragma once

#include <FreeImage.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "picture/picture.h"

// Smooth gradients with a fine pattern on top, so the filters and the colour tables see
// varied values rather than a flat picture. Empty when it cannot be allocated.
inline Bitmap MakeSyntheticPicture(int width, int height) {
  Bitmap picture(FreeImage_Allocate(width, height, 24));
  if (!picture) return picture;
  for (int y = 0; y < height; ++y) {
    BYTE* line = FreeImage_GetScanLine(picture.get(), y);
    for (int x = 0; x < width; ++x) {
      line[3 * x + FI_RGBA_RED] = static_cast<BYTE>(x * 255 / width);
      line[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(y * 255 / height);
      line[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>((x * 7 + y * 13) & 0xFF);
    }
  }
  return picture;
}

// The middle value (the mean of the two middle ones for an even count); 0 for none.
inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The positive whole number in text; fallback when text is not one.
inline int ParseArgument(const char* text, int fallback) {
  int value = 0;
  const auto [end, error] = std::from_chars(text, text + std::strlen(text), value);
  return error == std::errc() && value > 0 ? value : fallback;
}

// What a benchmark was asked to measure, and the picture it measures on.
struct BenchRun {
  int width = 2000, height = 1500, repeats = 5;
  Bitmap source;  // a synthetic picture of width x height; empty when it could not be allocated
};

// Reads the command line "[width height [repeats]]", where a value that is not a positive
// number keeps its default, and makes the source picture. When that cannot be allocated, says
// so on standard error and returns an empty source.
inline BenchRun StartBenchRun(int argc, char** argv) {
  BenchRun run;
  if (argc > 2) {
    run.width = ParseArgument(argv[1], run.width);
    run.height = ParseArgument(argv[2], run.height);
  }
  if (argc > 3) run.repeats = ParseArgument(argv[3], run.repeats);
  run.source = MakeSyntheticPicture(run.width, run.height);
  if (!run.source) std::fprintf(stderr, "cannot allocate a %dx%d picture\n", run.width, run.height);
  return run;
}

// Best of several runs of step on a copy of source, in milliseconds; -1 when step fails. The
// copy each run works on is made outside the timed part.
inline double BestMilliseconds(FIBITMAP* source, int repeats,
                               const std::function<Bitmap(Bitmap)>& step) {
  double best = 0;
  for (int run = 0; run < repeats; ++run) {
    Bitmap copy(FreeImage_Clone(source));
    const auto start = std::chrono::steady_clock::now();
    const Bitmap result = step(std::move(copy));
    const auto end = std::chrono::steady_clock::now();
    if (!result) return -1;
    const double ms = std::chrono::duration<double, std::milli>(end - start).count();
    best = run == 0 ? ms : std::min(best, ms);
  }
  return best;
}
