// Time the geometry and colour steps add per file, in milliseconds per megapixel of a
// synthetic 24-bit picture. Usage: chain_bench [width height [repeats]].
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_support.h"
#include "pipeline/colour.h"
#include "pipeline/geometry.h"

int main(int argc, char** argv) {
  const BenchRun run = StartBenchRun(argc, argv);
  if (!run.source) return 1;
  const int width = run.width, height = run.height, repeats = run.repeats;
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
    const double ms = BestMilliseconds(run.source.get(), repeats, operation.step);
    if (ms < 0) {
      std::printf("%-26s failed\n", operation.name.c_str());
      continue;
    }
    std::printf("%-26s %8.2f ms/MP\n", operation.name.c_str(), ms / megapixels);
  }
  return 0;
}
