// Time the decoration steps add per file: a solid frame, a text watermark (plain and
// antialiased) and an image watermark, on a synthetic 24-bit picture.
// Usage: decor_bench [width height [repeats]].
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "decor/frame.h"
#include "decor/watermark.h"

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
  if (!LoadWatermarkFont(text.text)) {
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

  struct Operation {
    const char* name;
    std::function<Bitmap(Bitmap)> step;
  };
  const Operation operations[] = {
      {"solid frame, 40 px, opacity 200",
       [&](Bitmap p) { return DrawSolidFrame(std::move(p), width, height, frame); }},
      {"text watermark, 2 lines, plain",
       [&](Bitmap p) { return DrawWatermark(std::move(p), width, height, text, frame); }},
      {"text watermark, 2 lines, antialiased",
       [&](Bitmap p) { return DrawWatermark(std::move(p), width, height, antialiased, frame); }},
      {"image watermark, 300x100 PNG",
       [&](Bitmap p) { return DrawWatermark(std::move(p), width, height, image, frame); }},
  };
  std::printf("decoration on %d x %d, best of %d, ms per file\n", width, height, repeats);
  for (const Operation& operation : operations)
    std::printf("%-40s %8.2f\n", operation.name,
                BestMilliseconds(source.get(), repeats, operation.step));

  ReleaseWatermarkFont();
  std::error_code error;
  std::filesystem::remove(image.image.path, error);
  return 0;
}
