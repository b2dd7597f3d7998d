// Time QuickDraw text takes to render: a slide of 200 strings in mixed fonts, sizes and
// styles, once the fonts are loaded, best of several runs.
// Usage: text_bench [repeats].
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/bench_support.h"
#include "pict/text.h"

using namespace pict;  // the decoder's own types

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? ParseArgument(argv[1], 20) : 20;
  const Rect canvas{0, 0, 1024, 768};
  constexpr int kFonts[] = {0, 2, 4, 20, 21, 22};
  constexpr int kFaces[] = {0, kFaceBold, kFaceItalic, kFaceUnderline, kFaceOutline};

  double best = 1e9;
  size_t rectangles = 0;
  for (int run = 0; run <= repeats; ++run) {  // run 0 loads the fonts and is not counted
    const auto start = std::chrono::steady_clock::now();
    rectangles = 0;
    for (int i = 0; i < 200; ++i) {
      const std::string text = "Slide line " + std::to_string(i) + ": the quick brown fox";
      TextStyle style;
      style.fontNumber = kFonts[i % 6];
      style.face = kFaces[i % 5];
      style.size = 10 + (i % 4) * 6;
      std::string reason;
      const auto ink = RenderText({reinterpret_cast<const uint8_t*>(text.data()), text.size()},
                                  Point{20, 20 + (i * 37) % 740}, style, canvas, reason);
      if (!ink) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return 1;
      }
      rectangles += ink->ink.Rects().size();
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (run > 0) best = std::min(best, took.count());
  }
  std::printf("200 strings: %.2f ms (best of %d), %zu ink rectangles\n", best, repeats, rectangles);
  return 0;
}
