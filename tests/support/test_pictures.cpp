#include "tests/support/test_pictures.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <vector>

#include "tests/support/pict_writer.h"

namespace {

// A pixel of (x, y), counted from the top-left corner: 0xRRGGBB, or an index into the colour table.
using PixelValues = std::function<uint32_t(int x, int y)>;

// A version 2 picture of one 32-bit DirectBitsRect.
bool SaveDirect(const std::string& path, int width, int height, const PixelValues& colour) {
  PixmapPlan plan;
  plan.depth = 32;
  plan.width = width;
  plan.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) plan.pixels.push_back(0xFF000000u | colour(x, y));
  return PictWriter().Frame(0, 0, width, height).Pixmap(plan).End().Save(path);
}

// A version 2 picture of one 8-bit PackBitsRect.
bool SaveIndexed(const std::string& path, int width, int height, std::vector<uint32_t> palette,
                 const PixelValues& index) {
  PixmapPlan plan;
  plan.depth = 8;
  plan.width = width;
  plan.height = height;
  plan.palette = std::move(palette);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) plan.pixels.push_back(index(x, y));
  return PictWriter().Frame(0, 0, width, height).Pixmap(plan).End().Save(path);
}

bool SaveBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
  return static_cast<bool>(file);
}

uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) { return red << 16 | green << 8 | blue; }

// v of 0..steps as 0..255, rounded.
uint32_t Scale(int v, int steps) { return static_cast<uint32_t>((255 * v + steps / 2) / steps); }

bool WriteGradient(const std::string& path) {
  return SaveDirect(path, 80, 60,
                    [](int, int y) { return Rgb(Scale(59 - y, 59), 0, Scale(y, 59)); });
}

bool WriteOdd(const std::string& path) {
  // 7, 3 and 5 are prime to 256, so no two of the 251 columns share their red; 31 does the
  // same for the 17 rows.
  return SaveDirect(path, 251, 17, [](int x, int y) {
    return Rgb((7 * x + 31 * y) % 256, (3 * x + 57 * y + 40) % 256, (5 * x * x + 13 * y) % 256);
  });
}

bool WriteOrange(const std::string& path) {
  return SaveDirect(path, 3, 2, [](int, int) { return Rgb(255, 165, 0); });
}

bool WriteRamp(const std::string& path) {
  std::vector<uint32_t> greys;
  for (uint32_t v = 0; v < 256; ++v) greys.push_back(Rgb(v, v, v));
  return SaveIndexed(path, 100, 80, greys, [](int, int y) { return Scale(y, 79); });
}

bool WriteRedYellow(const std::string& path) {
  std::vector<uint32_t> palette;
  for (uint32_t i = 0; i < 16; ++i) palette.push_back(Rgb(255, 17 * i, 0));
  // Diagonal bands, so that rows and columns both change.
  return SaveIndexed(path, 320, 200, palette,
                     [](int x, int y) { return static_cast<uint32_t>((x + y) * 16 / 520); });
}

// A direct picture whose plan the caller adjusts before it is written.
PixmapPlan DirectPlan(int width, int height, uint32_t colour) {
  PixmapPlan plan;
  plan.depth = 32;
  plan.width = width;
  plan.height = height;
  plan.pixels.assign(size_t(width) * size_t(height), 0xFF000000u | colour);
  return plan;
}

bool WriteConverterOnly(const std::string& path) { return WriteConverterOnlyPicture(path, 64, 4); }

bool WriteReaderOnly(const std::string& path) {
  return PictWriter().Frame(0, 0, 0, 0).Pixmap(DirectPlan(40, 30, Rgb(255, 0, 0))).End().Save(path);
}

bool WriteGarbage(const std::string& path) {
  std::string bytes;
  uint32_t state = 11;
  for (int i = 0; i < 4096; ++i) {
    state = state * 1664525u + 1013904223u;
    bytes += static_cast<char>(state >> 24);
  }
  return SaveBytes(path, bytes);
}

bool WriteText(const std::string& path) { return SaveBytes(path, "This is not a picture.\r\n"); }

struct Maker {
  TestPicture picture;
  const char* name;
  bool (*write)(const std::string& path);
};

constexpr Maker kMakers[] = {
    {TestPicture::Gradient, "gradient", WriteGradient},
    {TestPicture::Odd, "odd", WriteOdd},
    {TestPicture::Orange, "orange", WriteOrange},
    {TestPicture::Ramp, "ramp", WriteRamp},
    {TestPicture::RedYellow, "red-yellow", WriteRedYellow},
    {TestPicture::ConverterOnly, "converter-only", WriteConverterOnly},
    {TestPicture::ReaderOnly, "reader-only", WriteReaderOnly},
    {TestPicture::Garbage, "garbage", WriteGarbage},
    {TestPicture::Text, "text", WriteText},
};

const Maker* FindMaker(TestPicture picture) {
  for (const Maker& maker : kMakers)
    if (maker.picture == picture) return &maker;
  return nullptr;
}

}  // namespace

bool WriteConverterOnlyPicture(const std::string& path, int width, int height) {
  // Rows of 4 * width > 250 bytes want two-byte counts.
  PixmapPlan plan = DirectPlan(width, height, Rgb(255, 165, 0));
  plan.countBytes = 1;
  return PictWriter().Frame(0, 0, width, height).Pixmap(plan).End().Save(path);
}

bool WriteTestPicture(TestPicture picture, const std::string& path) {
  const Maker* maker = FindMaker(picture);
  return maker && maker->write(path);
}

std::ostream& operator<<(std::ostream& out, TestPicture picture) {
  const Maker* maker = FindMaker(picture);
  return out << (maker ? maker->name : "?");
}
