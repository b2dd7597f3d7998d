// What drawing at a scale costs: each file our decoder renders, decoded at scale 1 and at the
// given scale, median processor time of several runs each, and the ratio. Drawings should cost
// about as much more as they have pixels more (scale squared), far from the scale times the file's
// whole work a blown-up copy of every operation would take.
//
//   build/pict_scale_bench [scale] [repeats] FILE...
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "pict/decode.h"

namespace {

// Processor time, not wall time: on a shared machine the wall clock mostly measures the others.
double MedianMilliseconds(int repeats, const std::vector<uint8_t>& bytes, int scale) {
  std::vector<double> times;
  for (int run = 0; run < repeats; ++run) {
    const std::clock_t start = std::clock();
    (void)pict::DecodePict(bytes, {.scale = scale});
    times.push_back(1000.0 * double(std::clock() - start) / CLOCKS_PER_SEC);
  }
  return Median(times);
}

std::vector<uint8_t> ReadBytes(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>{std::istreambuf_iterator<char>(file), {}};
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1, scale = 4, repeats = 5;
  if (argc > first && ParseArgument(argv[first], 0) > 0) scale = ParseArgument(argv[first++], 4);
  if (argc > first && ParseArgument(argv[first], 0) > 0) repeats = ParseArgument(argv[first++], 5);
  std::printf("%-32s %11s %9s %9s %7s\n", "file", "size", "1x ms", "scaled", "ratio");
  double plainTotal = 0, scaledTotal = 0, worst = 0;
  int files = 0;
  for (int i = first; i < argc; ++i) {
    const std::vector<uint8_t> bytes = ReadBytes(argv[i]);
    const pict::PictResult plain = pict::DecodePict(bytes);
    const pict::PictResult scaled = pict::DecodePict(bytes, {.scale = scale});
    if (plain.image.IsEmpty() || scaled.image.IsEmpty()) continue;
    const double one = MedianMilliseconds(repeats, bytes, 1);
    const double many = MedianMilliseconds(repeats, bytes, scale);
    plainTotal += one;
    scaledTotal += many;
    worst = std::max(worst, many / one);
    ++files;
    const std::string size =
        std::to_string(plain.image.width) + "x" + std::to_string(plain.image.height);
    std::printf("%-32s %11s %9.2f %9.2f %6.1fx\n",
                std::filesystem::path(argv[i]).filename().string().c_str(), size.c_str(), one, many,
                many / one);
  }
  std::printf(
      "\n%d files at scale %d: %.1f ms at 1, %.1f ms scaled, %.1fx in all; the most for "
      "one file %.1fx\n",
      files, scale, plainTotal, scaledTotal, plainTotal > 0 ? scaledTotal / plainTotal : 0, worst);
  return 0;
}
