// What a drawing costs against pixels: each file decoded and written as PNG (the pixels, through
// FreeImage), as SVG and as PDF (the drawing, through Cairo), median processor time of several
// runs each (decoding included) and the size of what is written.
//
//   build/vector_bench [scale] [repeats] FILE...
#include <FreeImage.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "pict/decode.h"
#include "vector/render.h"

namespace {

std::vector<uint8_t> ReadBytes(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>{std::istreambuf_iterator<char>(file), {}};
}

// The decoded pixels as a PNG in memory, as the pipeline writes PNG: 24 bits through FreeImage.
size_t PngSize(const pict::Image& image) {
  const Bitmap picture(FreeImage_Allocate(image.width, image.height, 24));
  for (int y = 0; y < image.height; ++y) {
    BYTE* row = FreeImage_GetScanLine(picture.get(), image.height - 1 - y);
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = image.At(x, y);
      row[3 * x + FI_RGBA_RED] = BYTE(p >> 16);
      row[3 * x + FI_RGBA_GREEN] = BYTE(p >> 8);
      row[3 * x + FI_RGBA_BLUE] = BYTE(p);
    }
  }
  FIMEMORY* memory = FreeImage_OpenMemory();
  FreeImage_SaveToMemory(FIF_PNG, picture.get(), memory, PNG_DEFAULT);
  const size_t size = FreeImage_TellMemory(memory);
  FreeImage_CloseMemory(memory);
  return size;
}

// Processor time, not wall time: on a shared machine the wall clock mostly measures the others.
// Gives the median milliseconds; size gets what the last run wrote.
double Measure(int repeats, size_t& size, const std::function<size_t()>& run) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const std::clock_t start = std::clock();
    size = run();
    times.push_back(1000.0 * double(std::clock() - start) / CLOCKS_PER_SEC);
  }
  return Median(times);
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1, scale = 1, repeats = 5;
  if (argc > first && ParseArgument(argv[first], 0) > 0) scale = ParseArgument(argv[first++], 1);
  if (argc > first && ParseArgument(argv[first], 0) > 0) repeats = ParseArgument(argv[first++], 5);
  std::printf("%-28s %8s %9s %8s %9s %8s %9s\n", "file", "png ms", "bytes", "svg ms", "bytes",
              "pdf ms", "bytes");
  double totals[3] = {0, 0, 0};
  size_t sizes[3] = {0, 0, 0};
  for (int i = first; i < argc; ++i) {
    const std::vector<uint8_t> bytes = ReadBytes(argv[i]);
    if (!pict::DecodePict(bytes, {.scale = scale}).refusal.empty()) continue;
    const auto encode = [&](bool svg) -> size_t {
      const pict::PictResult result = pict::DecodePict(bytes, {.scale = scale, .vector = true});
      const vector::Drawing& drawing = result.drawing->drawing;
      std::string message;
      const vector::OutputPage page = vector::PageOf(drawing);
      const auto document =
          svg ? vector::EncodeSvg(page, message) : vector::EncodePdf(page, message);
      return document ? document->size() : 0;
    };
    size_t size[3];
    const double ms[3] = {
        Measure(repeats, size[0],
                [&] { return PngSize(pict::DecodePict(bytes, {.scale = scale}).image); }),
        Measure(repeats, size[1], [&] { return encode(true); }),
        Measure(repeats, size[2], [&] { return encode(false); })};
    for (int k = 0; k < 3; ++k) {
      totals[k] += ms[k];
      sizes[k] += size[k];
    }
    std::printf("%-28s %8.1f %9zu %8.1f %9zu %8.1f %9zu\n",
                std::filesystem::path(argv[i]).filename().string().substr(0, 28).c_str(), ms[0],
                size[0], ms[1], size[1], ms[2], size[2]);
  }
  std::printf("%-28s %8.1f %9zu %8.1f %9zu %8.1f %9zu\n", "total", totals[0], sizes[0], totals[1],
              sizes[1], totals[2], sizes[2]);
  return 0;
}
