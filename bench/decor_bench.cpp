// Time the decoration steps add per file: a solid frame, a text watermark (plain and
// antialiased) and an image watermark, on a synthetic 24-bit picture.
// Usage: decor_bench [width height [repeats]].
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <system_error>

#include "bench/bench_support.h"
#include "decor/frame.h"
#include "decor/watermark.h"

// A 300 x 100 logo with a transparent half, as a PNG file; empty path when it cannot be saved.
static std::string WriteLogo() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return {};
  const std::string path =
      (folder / ("decor_bench_logo_" + std::to_string(std::random_device{}()) + ".png")).string();
  const Bitmap logo(FreeImage_Allocate(300, 100, 32));
  for (unsigned y = 0; y < 100; ++y) {
    BYTE* pixel = FreeImage_GetScanLine(logo.get(), static_cast<int>(y));
    for (unsigned x = 0; x < 300; ++x, pixel += 4) {
      pixel[FI_RGBA_RED] = static_cast<BYTE>(x);
      pixel[FI_RGBA_GREEN] = static_cast<BYTE>(y * 2);
      pixel[FI_RGBA_BLUE] = 200;
      pixel[FI_RGBA_ALPHA] = x < 150 ? 255 : 0;
    }
  }
  return FreeImage_Save(FIF_PNG, logo.get(), path.c_str(), 0) ? path : std::string();
}

int main(int argc, char** argv) {
  const BenchRun run = StartBenchRun(argc, argv);
  if (!run.source) return 1;
  const int width = run.width, height = run.height, repeats = run.repeats;

  FrameSettings frame;
  frame.kind = FrameKind::Solid;
  frame.left = frame.right = frame.top = frame.bottom = 40;
  frame.leftColor = "FF0000", frame.topColor = "00FF00", frame.bottomColor = "0000FF";
  frame.opacity = 200;

  WatermarkSettings text;
  text.kind = WatermarkKind::Text;
  text.text.text = "Copyright (c) 2026 Quillmere%eol%%filename% %width% x %height%";
  text.text.backOpacity = 128;
  text.text.padding = 8;
  const Font font = LoadWatermarkFont(text.text);
  if (!font) {
    std::fprintf(stderr, "no usable font\n");
    return 1;
  }
  WatermarkSettings antialiased = text;
  antialiased.text.antialiasing = true;

  WatermarkSettings image;
  image.kind = WatermarkKind::Image;
  image.image.path = WriteLogo();
  image.image.opacity = 180;
  if (image.image.path.empty()) {
    std::fprintf(stderr, "cannot write the logo file\n");
    return 1;
  }

  const FileContext file;
  const auto mark = [&](Bitmap p, const WatermarkSettings& watermark) {
    return DrawWatermark(std::move(p), width, height, watermark, frame, file, "png", font);
  };
  struct Operation {
    const char* name;
    std::function<Bitmap(Bitmap)> step;
  };
  const Operation operations[] = {
      {"solid frame, 40 px, opacity 200",
       [&](Bitmap p) { return DrawSolidFrame(std::move(p), width, height, frame); }},
      {"text watermark, 2 lines, plain", [&](Bitmap p) { return mark(std::move(p), text); }},
      {"text watermark, 2 lines, antialiased",
       [&](Bitmap p) { return mark(std::move(p), antialiased); }},
      {"image watermark, 300x100 PNG", [&](Bitmap p) { return mark(std::move(p), image); }},
  };
  std::printf("decoration on %d x %d, best of %d, ms per file\n", width, height, repeats);
  for (const Operation& operation : operations)
    std::printf("%-40s %8.2f\n", operation.name,
                BestMilliseconds(run.source.get(), repeats, operation.step));

  std::error_code error;
  std::filesystem::remove(image.image.path, error);
  return 0;
}
