// Decoding alone, side by side in one run: our PICT decoder in this process, the same decoder in
// an isolated child process (as FreeImage's reader runs, the picture coming back through a
// pipe), and ImageMagick's `convert` writing a TGA (what the chain ran before), per file, median
// of several runs each. Only files our decoder renders are compared.
//
//   build/pict_bench [repeats] FILE...
//   build/pict_bench --rendered FILE...   (lists "path<TAB>width<TAB>height" of the files our
//                                         decoder renders, for scripts)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "pict/decode.h"
#include "platform/isolated.h"
#include "platform/process.h"
#include "settings/settings.h"

namespace {

template <class F>
double MedianMilliseconds(int repeats, F work) {
  std::vector<double> times;
  for (int run = 0; run < repeats; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  return Median(times);
}

}  // namespace

// The bytes of a file; empty when it cannot be read.
std::vector<uint8_t> ReadBytes(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>{std::istreambuf_iterator<char>(file), {}};
}

int ListRendered(int argc, char** argv) {
  for (int i = 2; i < argc; ++i) {
    const pict::PictResult result = pict::DecodePict(ReadBytes(argv[i]));
    if (!result.image.IsEmpty())
      std::printf("%s\t%d\t%d\n", argv[i], result.image.width, result.image.height);
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--rendered") return ListRendered(argc, argv);
  int first = 1, repeats = 5;
  if (argc > 1 && ParseArgument(argv[1], 0) > 0) {
    repeats = ParseArgument(argv[1], repeats);
    first = 2;
  }
  const std::string tga =
      (std::filesystem::temp_directory_path() / "pict_bench_picture.tga").string();
  std::vector<double> ours, isolated, theirs, ratios;
  std::printf("%-44s %11s %9s %9s %9s %7s\n", "file", "size", "ours ms", "in child", "convert",
              "ratio");
  for (int i = first; i < argc; ++i) {
    const std::vector<uint8_t> bytes = ReadBytes(argv[i]);
    const pict::PictResult result = pict::DecodePict(bytes);
    if (result.image.IsEmpty()) continue;
    const double own = MedianMilliseconds(repeats, [&bytes] { (void)pict::DecodePict(bytes); });
    const double child = MedianMilliseconds(repeats, [&bytes] {
      (void)RunIsolated([&bytes](const IsolatedWriter& write) {
        const pict::Image image = pict::DecodePict(bytes).image;
        return write(image.pixels.data(), image.pixels.size() * sizeof(uint32_t));
      });
    });
    const std::string input = std::filesystem::absolute(argv[i]).string();
    const double other = MedianMilliseconds(repeats, [&] {
      RunProgram({"convert", "-quiet", "-colorspace", "sRGB", "-orient", "TopLeft",
                  "pict:" + input, "tga:" + tga},
                 kConverterDeadlineMs);
    });
    ours.push_back(own);
    isolated.push_back(child);
    theirs.push_back(other);
    ratios.push_back(other / own);
    const std::string size =
        std::to_string(result.image.width) + "x" + std::to_string(result.image.height);
    std::printf("%-44s %11s %9.2f %9.2f %9.2f %6.0fx\n",
                std::filesystem::path(argv[i]).filename().string().c_str(), size.c_str(), own,
                child, other, other / own);
  }
  std::filesystem::remove(tga);
  std::printf("\n%zu files rendered by our decoder; median ms: ours %.2f, in a child %.2f, "
              "convert %.2f; median of the per-file ratios to convert %.0fx\n",
              ours.size(), Median(ours), Median(isolated), Median(theirs), Median(ratios));
  return 0;
}
