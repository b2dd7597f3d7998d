// Writes the pictures of fuzz/seeds/: in whole/, a small valid picture of each opcode family the
// decoder knows; in damaged/, each of them cut short and with single bytes changed. The replay
// test feeds them to the fuzz entry point in every build, and `make fuzz` starts from them. Each
// run writes the same names, so a rerun replaces its own files and leaves fuzz/seeds/crashes/
// alone. Run by hand after the decoder learns a new family (docs/pict.md):
//   cmake --build build --target pict_fuzz_seeds && build/pict_fuzz_seeds fuzz/seeds
#include <FreeImage.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "picture/picture.h"
#include "platform/files.h"
#include "tests/support/pict_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A pixmap of the depth whose values change from pixel to pixel, within what the depth holds;
// the indexed depths get a palette of up to 16 colours (a short table keeps the file small).
PixmapPlan Varied(int depth, int width, int height) {
  PixmapPlan plan;
  plan.depth = depth;
  plan.width = width;
  plan.height = height;
  const uint32_t mask = depth >= 32 ? 0xFFFFFFFF : depth == 8 ? 15 : (1u << depth) - 1;
  for (int i = 0; i < width * height; ++i)
    plan.pixels.push_back(uint32_t(i * 7 + i / width * 6) * 0x01030507u & mask);
  if (depth <= 8)
    for (uint32_t i = 0; i <= mask; ++i) plan.palette.push_back(i * 0x0B1D47 & 0xFFFFFF);
  return plan;
}

Bytes Rgb(uint16_t opcode, uint32_t rgb) {
  PictWriter w;
  w.Op(opcode).U16(uint16_t((rgb >> 16 & 0xFF) * 0x101));
  w.U16(uint16_t((rgb >> 8 & 0xFF) * 0x101)).U16(uint16_t((rgb & 0xFF) * 0x101));
  return w.Body();
}

PictWriter& Text(PictWriter& w, const std::string& text) {
  return w.U8(uint8_t(text.size())).Raw(Bytes(text.begin(), text.end()));
}

// A small picture in a file format FreeImage writes, for QuickTime's jpeg and png codecs.
Bytes Encoded(FREE_IMAGE_FORMAT format, int width, int height) {
  const Bitmap picture(FreeImage_Allocate(width, height, 24));
  for (int y = 0; y < height; ++y) {
    BYTE* row = FreeImage_GetScanLine(picture.get(), y);
    for (int x = 0; x < 3 * width; ++x) row[x] = BYTE(x * 29 + y * 53);
  }
  FIMEMORY* memory = FreeImage_OpenMemory();
  BYTE* data = nullptr;
  DWORD size = 0;
  FreeImage_SaveToMemory(format, picture.get(), memory, 0);
  FreeImage_AcquireMemory(memory, &data, &size);
  Bytes bytes(data, data + size);
  FreeImage_CloseMemory(memory);
  return bytes;
}

// QuickTime's uncompressed rows of 24-bit pixels, padded to even lengths.
Bytes RawRows(int width, int height) {
  Bytes rows;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) rows.insert(rows.end(), {uint8_t(40 * x), uint8_t(50 * y), 99});
    if (width * 3 % 2) rows.push_back(0);
  }
  return rows;
}

PictWriter QuickTime(const Bytes& data, int width, int height) {
  PictWriter w;
  w.NoPreamble().Frame(0, 0, 2 * width, 2 * height);
  w.Op(0x8200).U32(uint32_t(data.size())).Raw(data);
  // QuickTime's mark of the fallback drawing, and the drawing.
  PictWriter fallback;
  Text(fallback.Op(0x28).PointData(0, 10), "QuickTime is needed");
  w.Op(0x0007).U16(174).U16(uint16_t(fallback.Body().size())).Raw(fallback.Body());
  return w;
}

struct Seed {
  std::string name;
  PictWriter picture;
};

std::vector<Seed> ValidPictures() {
  std::vector<Seed> seeds;
  const auto add = [&seeds](std::string name, PictWriter w) {
    seeds.push_back({std::move(name), std::move(w.End())});
  };

  PixmapPlan bits = Varied(1, 16, 3);
  bits.bitmap = true;
  bits.packed = false;
  add("header-v1", PictWriter().Version1().Frame(0, 0, 16, 3).Pixmap(bits));
  add("header-v2-extended", PictWriter()
                                .ExtendedVersion2(144, 144, {0, 0, 12, 6})
                                .Frame(0, 0, 6, 3)
                                .Pixmap(Varied(32, 12, 6)));
  bits = Varied(1, 70, 4);
  bits.bitmap = true;
  add("bitmap-v1-packbits", PictWriter().Version1().NoPreamble().Frame(0, 0, 70, 4).Pixmap(bits));

  struct Depth {
    const char* name;
    int depth, width;
    std::function<void(PixmapPlan&)> adjust;
  };
  const Depth kDepths[] = {
      {"pixmap-1", 1, 70, {}},
      {"pixmap-2", 2, 37, {}},
      {"pixmap-4", 4, 21, {}},
      {"pixmap-8", 8, 11, {}},
      {"pixmap-8-unpacked", 8, 11, [](PixmapPlan& p) { p.packed = false; }},
      {"pixmap-8-wide-rows", 8, 300, {}},  // rows of more than 250 bytes: two-byte counts
      {"pixmap-8-masked", 8, 11,
       [](PixmapPlan& p) {
         p.mask = {{0, 0, 5, 2}, {6, 1, 11, 3}};
       }},
      {"pixmap-8-blend", 8, 11, [](PixmapPlan& p) { p.mode = 32; }},
      {"pixmap-16", 16, 9, {}},
      {"pixmap-16-unpacked", 16, 9, [](PixmapPlan& p) { p.packType = 1; }},
      {"pixmap-32", 32, 9, {}},
      {"pixmap-32-alpha", 32, 9, [](PixmapPlan& p) { p.components = 4; }},
      {"pixmap-32-unpacked", 32, 9, [](PixmapPlan& p) { p.packType = 1; }},
      {"pixmap-32-stretched", 32, 9,
       [](PixmapPlan& p) {
         p.destination = {2, 1, 20, 9};
       }},
  };
  for (const Depth& d : kDepths) {
    PixmapPlan plan = Varied(d.depth, d.width, 4);
    if (d.adjust) d.adjust(plan);
    add(d.name, PictWriter().NoPreamble().Frame(0, 0, std::max(d.width, 20), 10).Pixmap(plan));
  }

  PictWriter regions;
  regions.NoPreamble().Frame(0, 0, 20, 12);
  regions.Op(0x0001).RegionData({{1, 1, 15, 9}, {4, 9, 12, 11}});
  regions.Op(0x81).RegionData({{2, 2, 8, 5}, {9, 3, 14, 8}, {3, 6, 6, 10}});
  regions.Op(0x80).RegionData({{5, 5, 12, 10}}).Op(0x8B).Op(0x8C);
  add("regions", std::move(regions));

  PictWriter polygons;
  polygons.NoPreamble().Frame(0, 0, 20, 20);
  for (const uint16_t opcode : {0x71, 0x70, 0x74}) {
    const int points[][2] = {{2, 2}, {17, 4}, {11, 17}, {4, 12}, {2, 2}};
    polygons.Op(opcode).U16(uint16_t(10 + 4 * 5)).RectData({2, 2, 17, 17});
    for (const auto& p : points) polygons.PointData(p[0] + opcode % 3, p[1]);
  }
  polygons.Op(0x79).Op(0x7C);
  add("polygons", std::move(polygons));

  PictWriter shapes;
  shapes.NoPreamble().Frame(0, 0, 24, 24).Op(0x0007).PointData(2, 3).Op(0x0008).U16(10);
  shapes.Op(0x20).PointData(1, 1).PointData(20, 7).Op(0x21).PointData(3, 22);
  shapes.Op(0x22).PointData(5, 5).U8(9).U8(0xFC).Op(0x23).U8(3).U8(4);
  shapes.Op(0x31).RectData({2, 2, 10, 9}).Op(0x33).RectData({6, 6, 20, 14}).Op(0x3A);
  shapes.Op(0x000B).PointData(6, 4).Op(0x41).RectData({1, 12, 12, 22}).Op(0x48);
  shapes.Op(0x51).RectData({12, 12, 22, 20}).Op(0x5A);
  shapes.Op(0x61).RectData({3, 3, 21, 21}).U16(30).U16(200).Op(0x68).U16(uint16_t(-90)).U16(45);
  add("shapes", std::move(shapes));

  PictWriter patterns;
  patterns.NoPreamble().Frame(0, 0, 16, 16);
  patterns.Op(0x0002).Raw({0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA});
  patterns.Op(0x0009).Raw({0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01});
  patterns.Op(0x000A).Raw({0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F});
  patterns.Op(0x32).RectData({0, 0, 16, 8}).Op(0x31).RectData({0, 8, 8, 16});
  patterns.Op(0x34).RectData({8, 8, 16, 16});
  patterns.PixPat(0x12, Varied(2, 2, 2))
      .PixPat(0x13, Varied(8, 8, 8))
      .PixPat(0x14, Varied(4, 4, 3));
  patterns.Op(0x32).RectData({1, 1, 6, 6}).Op(0x31).RectData({5, 5, 11, 11});
  patterns.Op(0x34).RectData({9, 2, 15, 14});
  add("patterns", std::move(patterns));

  PictWriter colours;
  colours.NoPreamble().Frame(0, 0, 12, 8).Pixmap(Varied(32, 12, 8));
  colours.Op(0x000E).U32(205).Op(0x000F).U32(341);  // classic QuickDraw's red and blue
  colours.Raw(Rgb(0x1A, 0x123456)).Raw(Rgb(0x1B, 0xABCDEF)).Raw(Rgb(0x1F, 0x808080));
  colours.Raw(Rgb(0x1D, 0xFF00FF)).Op(0x001C).Op(0x001E);
  for (const uint16_t mode : {0, 2, 32, 34, 36, 37, 39, 45})
    colours.Op(0x0008).U16(mode).Op(0x31).RectData({mode % 6, 1, mode % 6 + 5, 7});
  colours.Op(0x000C).U16(3).U16(2).ClipRect({0, 0, 7, 5}).Op(0x31).RectData({0, 0, 12, 8});
  add("colours-modes-origin", std::move(colours));

  PictWriter text;
  text.NoPreamble().Frame(0, 0, 120, 60);
  text.Op(0x002C).U16(10).U16(22);
  Text(text, "Courier").Op(0x0003).U16(22).Op(0x000D).U16(12).Op(0x0004).U8(0x07);
  text.Op(0x0005).U16(1).Op(0x0006).U32(0x00010000).Op(0x0016).U16(1);
  text.Op(0x0010).PointData(3, 2).PointData(2, 3);
  Text(text.Op(0x28).PointData(4, 14), "Text");
  Text(text.Op(0x29).U8(30), "\xA5\xD0");  // Mac Roman bullet and dash
  Text(text.Op(0x2A).U8(12), "down");
  Text(text.Op(0x2B).U8(20).U8(10), "both");
  text.LongComment(150, {0, 0, 0, 90, 0, 0}).LongComment(154, {0, 20, 0, 30, 0, 0, 0, 0});
  Text(text.Op(0x28).PointData(60, 40), "turned");
  text.LongComment(151, {}).Op(0x00A0).U16(152);
  text.Op(0x0003).U16(23).Op(0x000D).U16(18);  // Symbol
  Text(text.Op(0x28).PointData(70, 55), "abg");
  add("text", std::move(text));

  PictWriter walk;
  walk.NoPreamble().Frame(0, 0, 8, 4).Op(0x0000).Op(0x0017).Op(0x0024).U16(3).Raw({1, 2, 3});
  walk.Op(0x0035).RectData({1, 2, 3, 4}).Op(0x0075).U16(12).RectData({0, 0, 9, 9}).U16(0xFFFF);
  walk.Op(0x0092).U16(1).U8(0xAA).Op(0x00D0).U32(5).Raw({1, 2, 3, 4, 5});
  walk.Op(0x0100).U16(0x00FF).Op(0x0C01).Raw(Bytes(24, 0xFF)).Op(0x8000).Op(0x80FF);
  walk.Op(0x8100).U32(3).Raw({0, 0xFF, 0}).LongComment(100, {0x00, 0xFF, 0x00});
  add("reserved-opcodes-comments", std::move(walk.Pixmap(Varied(32, 8, 4))));

  const Bytes matte = QuickTimeDescription("raw ", 6, 5, 40, Bytes(30, 0x80));
  const Bytes mask = PictWriter().RegionData({{0, 0, 4, 3}, {5, 4, 12, 10}}).Body();
  add("quicktime-raw",
      QuickTime(QuickTimeOpcodeData(QuickTimeDescription("raw ", 6, 5, 24, RawRows(6, 5)),
                                    {0, 0, 6, 5}, QuickTimeScale(2, 2), mask, matte, {0, 0, 6, 5}),
                12, 10));
  add("quicktime-jpeg",
      QuickTime(
          QuickTimeOpcodeData(QuickTimeDescription("jpeg", 16, 8, 24, Encoded(FIF_JPEG, 16, 8)),
                              {0, 0, 16, 8}),
          16, 8));
  add("quicktime-png",
      QuickTime(QuickTimeOpcodeData(QuickTimeDescription("png ", 7, 5, 24, Encoded(FIF_PNG, 7, 5)),
                                    {0, 0, 7, 5}, QuickTimeScale(1, 1, 3, 2)),
                10, 7));

  // UncompressedQuickTime: version, identity matrix, no matte, then a bitmap opcode.
  PictWriter uncompressed;
  uncompressed.U16(0);
  for (const int32_t value : QuickTimeScale(1, 1)) uncompressed.U32(uint32_t(value));
  uncompressed.U32(0).RectData({});
  uncompressed.Raw(PictWriter().Pixmap(Varied(8, 10, 4)).Body());
  const Bytes wrapped = uncompressed.Body();
  add("quicktime-uncompressed", PictWriter()
                                    .NoPreamble()
                                    .Frame(0, 0, 10, 4)
                                    .Op(0x8201)
                                    .U32(uint32_t(wrapped.size()))
                                    .Raw(wrapped));
  return seeds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string whole = std::string(argv[1]) + "/whole/";
  const std::string damaged = std::string(argv[1]) + "/damaged/";
  if (!MakeFolder(whole) || !MakeFolder(damaged)) {
    std::fprintf(stderr, "cannot make the folders in %s\n", argv[1]);
    return 1;
  }
  std::vector<std::pair<std::string, Bytes>> files;
  for (const Seed& seed : ValidPictures()) {
    const Bytes bytes = seed.picture.Bytes();
    const size_t body = seed.picture.Body().size(), header = bytes.size() - body;
    files.emplace_back(whole + seed.name, bytes);
    // Cut in the header, inside the opcodes, and just before the end opcode's last byte.
    const size_t cuts[] = {header - 3, header + body / 3, header + 2 * body / 3, bytes.size() - 1};
    for (size_t i = 0; i < std::size(cuts); ++i)
      files.emplace_back(damaged + seed.name + "-cut" + std::to_string(i + 1),
                         Bytes(bytes.begin(), bytes.begin() + long(cuts[i])));
    // One byte changed at a time, spread over the opcodes; the values turn small lengths and
    // counts huge, negative or zero.
    const uint8_t kChanges[] = {0xFF, 0x80, 0x7F, 0x01, 0xF0};
    for (size_t i = 0; i < std::size(kChanges); ++i) {
      Bytes changed = bytes;
      changed[header + body * (2 * i + 1) / (2 * std::size(kChanges))] ^= kChanges[i];
      files.emplace_back(damaged + seed.name + "-changed" + std::to_string(i + 1), changed);
    }
  }
  // Each behind the fuzz target's scale byte: 0, scale 1.
  for (const auto& [path, bytes] : files)
    if (!WriteFileBytes(path + ".pict", '\0' + std::string(bytes.begin(), bytes.end()))) {
      std::fprintf(stderr, "cannot write %s.pict\n", path.c_str());
      return 1;
    }
  std::printf("%zu pictures in %s\n", files.size(), argv[1]);
  return 0;
}
