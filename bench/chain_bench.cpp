// Time the geometry and colour steps add per file, in milliseconds per megapixel of a
// synthetic 24-bit picture. Usage: chain_bench [width height [repeats]].
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "pipeline/colour.h"
#include "pipeline/geometry.h"

// Smooth gradients with a fine pattern on top, so the filters and the colour tables see
// varied values rather than a flat picture.
static Bitmap MakeSyntheticPicture(int width, int height) {
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

static int ParseArgument(const char* text, int fallback) {
  int value = 0;
  const auto [end, error] = std::from_chars(text, text + std::strlen(text), value);
  return error == std::errc() && value > 0 ? value : fallback;
}

// Best of several runs: the copy each run works on is made outside the timed part.
static double BestMilliseconds(FIBITMAP* source, int repeats,
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

int main(int argc, char** argv) {
  const int width = argc > 2 ? ParseArgument(argv[1], 2000) : 2000;
  const int height = argc > 2 ? ParseArgument(argv[2], 1500) : 1500;
  const int repeats = argc > 3 ? ParseArgument(argv[3], 5) : 5;
  const Bitmap source = MakeSyntheticPicture(width, height);
  if (!source) {
    std::fprintf(stderr, "cannot allocate a %dx%d picture\n", width, height);
    return 1;
  }
  const double megapixels = width * static_cast<double>(height) / 1e6;

  struct Operation {
    std::string name;
    std::function<Bitmap(Bitmap)> step;
  };
  std::vector<Operation> operations;
  const std::pair<const char*, ResizeAlgorithm> kAlgorithms[] = {
      {"BOX", ResizeAlgorithm::Box},         {"BILINEAR", ResizeAlgorithm::Bilinear},
      {"BSPLINE", ResizeAlgorithm::BSpline}, {"BICUBIC", ResizeAlgorithm::Bicubic},
      {"CATMULLROM", ResizeAlgorithm::CatmullRom}, {"LANCZOS", ResizeAlgorithm::Lanczos}};
  for (const auto& [name, algorithm] : kAlgorithms) {
    ResizeSettings resize;
    resize.enabled = true;
    resize.width = resize.height = 50;
    resize.widthUnit = resize.heightUnit = SizeUnit::Percent;
    resize.algorithm = algorithm;
    operations.push_back({std::string("resize 50% ") + name, [=](Bitmap picture) {
                            return ResizePicture(std::move(picture), width, height, resize);
                          }});
  }
  for (const auto& [name, type] : {std::pair{"SIMPLE", RotationType::Simple},
                                   std::pair{"ADVANCED", RotationType::Advanced}}) {
    const RotationSettings rotation{true, type, 30, "FF0000"};
    operations.push_back({std::string("rotate 30 ") + name, [=](Bitmap picture) {
                            return RotatePicture(std::move(picture), rotation);
                          }});
  }
  ColorSettings color;
  color.enabled = color.greyscale = color.threshold = true;
  color.brightness = 20;
  color.contrast = 10;
  color.gamma = 1.2f;
  color.invert = true;
  color.thresholdLevel = 128;
  operations.push_back({"colour adjust (all four)", [=](Bitmap picture) {
                          return AdjustPictureColors(std::move(picture), color);
                        }});
  operations.push_back({"greyscale", [=](Bitmap picture) {
                          return GreyscalePicture(std::move(picture), color);
                        }});
  operations.push_back({"threshold", [=](Bitmap picture) {
                          return ThresholdPicture(std::move(picture), color);
                        }});
  operations.push_back({"flip both", [](Bitmap picture) {
                          FlipPicture(picture.get(), FlipSettings{true, true});
                          return picture;
                        }});

  std::printf("%dx%d 24-bit (%.2f MP), best of %d\n", width, height, megapixels, repeats);
  for (const Operation& operation : operations) {
    const double ms = BestMilliseconds(source.get(), repeats, operation.step);
    if (ms < 0) {
      std::printf("%-26s failed\n", operation.name.c_str());
      continue;
    }
    std::printf("%-26s %8.2f ms/MP\n", operation.name.c_str(), ms / megapixels);
  }
  return 0;
}
