#include "tests/support/conformance_pictures.h"

#include <FreeImage.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "picture/picture.h"

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

}  // namespace

std::vector<ConformancePicture> OpcodeFamilyPictures() {
  std::vector<ConformancePicture> seeds;
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

namespace {

PictWriter& Colour(PictWriter& w, uint16_t opcode, uint32_t rgb) { return w.Raw(Rgb(opcode, rgb)); }

PictWriter& Polygon(PictWriter& w, uint16_t opcode, const std::vector<pict::Point>& points) {
  int left = points[0].x, top = points[0].y, right = left, bottom = top;
  for (const pict::Point& p : points) {
    left = std::min(left, p.x), right = std::max(right, p.x);
    top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  }
  w.Op(opcode).U16(uint16_t(10 + 4 * points.size())).RectData({left, top, right, bottom});
  for (const pict::Point& p : points) w.PointData(p.x, p.y);
  return w;
}

PictWriter& FontName(PictWriter& w, int number, const std::string& name) {
  w.Op(0x002C).U16(uint16_t(3 + name.size())).U16(uint16_t(number));
  return Text(w, name);
}

}  // namespace

std::vector<ConformancePicture> DrawingPictures() {
  std::vector<ConformancePicture> pictures;
  const auto add = [&pictures](std::string name, PictWriter w) {
    pictures.push_back({std::move(name), std::move(w.End())});
  };

  // Every shape framed with a thin pen and a wide one, painted, filled, erased over others.
  PictWriter shapes;
  shapes.Frame(0, 0, 240, 180).Op(0x000B).PointData(24, 16);
  for (const auto& [penWidth, penHeight, top] : {std::tuple{1, 1, 8}, std::tuple{3, 2, 64}}) {
    shapes.Op(0x0007).PointData(penWidth, penHeight);
    shapes.Op(0x30).RectData({8, top, 58, top + 44});
    shapes.Op(0x50).RectData({66, top, 116, top + 44});
    shapes.Op(0x40).RectData({124, top, 174, top + 44});
    shapes.Op(0x60).RectData({182, top, 232, top + 44}).U16(30).U16(200);
  }
  Colour(shapes, 0x1A, 0x2050C0);
  shapes.Op(0x51).RectData({8, 120, 48, 172});
  shapes.Op(0x41).RectData({56, 120, 106, 172});
  shapes.Op(0x61).RectData({114, 120, 164, 172}).U16(uint16_t(-45)).U16(uint16_t(-100));
  Colour(shapes, 0x1A, 0xC03020);
  Polygon(shapes, 0x71, {{172, 170}, {200, 118}, {232, 170}, {186, 140}, {218, 140}, {172, 170}});
  shapes.Op(0x0007).PointData(2, 2);
  Polygon(shapes, 0x70, {{172, 120}, {232, 122}, {172, 172}});
  shapes.Op(0x32).RectData({20, 130, 36, 160});
  add("drawing-shapes", std::move(shapes));

  // Lines fanning out at every slope, thin and with a pen taller than wide.
  PictWriter lines;
  lines.Frame(0, 0, 220, 120);
  for (const auto& [penWidth, penHeight, centreX] : {std::tuple{1, 1, 55}, std::tuple{2, 3, 165}}) {
    lines.Op(0x0007).PointData(penWidth, penHeight);
    for (int i = 0; i < 16; ++i) {
      const int dx[] = {50, 50, 50, 50, 50, 30, 12, 0, -12, -30, -50, -50, -50, -50, -50, 20};
      const int dy[] = {0, 12, 25, 40, 50, 50, 50, 50, 50, 50, 50, 40, 25, 12, 0, -50};
      lines.Op(0x20).PointData(centreX, 60).PointData(centreX + dx[i], 60 + dy[i]);
    }
    lines.Op(0x22).PointData(centreX - 40, 10).U8(80).U8(uint8_t(-6));
  }
  add("drawing-lines", std::move(lines));

  // Patterns in two colours and a pixel pattern, for fills, pens and the background.
  PictWriter patterns;
  patterns.Frame(0, 0, 200, 150).Op(0x000B).PointData(30, 30);
  patterns.Op(0x000A).Raw({0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22});
  patterns.Op(0x34).RectData({6, 6, 96, 70});
  patterns.Op(0x000A).Raw({0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F});
  Colour(patterns, 0x1A, 0x006000);
  Colour(patterns, 0x1B, 0xF0E0A0);
  patterns.Op(0x54).RectData({104, 6, 194, 70});
  patterns.Op(0x0009).Raw({0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01});
  patterns.Op(0x0007).PointData(8, 8).Op(0x40).RectData({6, 78, 96, 144});
  patterns.Op(0x0002).Raw({0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55});
  patterns.Op(0x52).RectData({30, 96, 72, 126});
  PixmapPlan tile = Varied(8, 8, 8);
  tile.palette = {0xFF0000, 0x00A000, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF, 0x808080, 0x000000,
                  0xFFFFFF, 0x804000, 0x008080, 0x400080, 0xC0C0C0, 0x204060, 0xA0A000, 0x602020};
  patterns.PixPat(0x14, tile).Op(0x34).RectData({104, 78, 194, 144});
  add("drawing-patterns", std::move(patterns));

  // Text in three fonts and several sizes, faces, a ratio, a cell painted in srcCopy and a
  // line turned by the drawing programs' comments.
  PictWriter text;
  text.Frame(0, 0, 240, 170);
  FontName(text, 21, "Helvetica");
  FontName(text, 20, "Times");
  FontName(text, 22, "Courier");
  const struct {
    int font, size, face, y;
    const char* words;
  } kLines[] = {{21, 12, 0, 16, "Plain Helvetica 12"}, {20, 14, 1, 34, "Bold Times 14"},
                {22, 12, 2, 52, "Italic Courier 12"},  {21, 18, 4, 76, "Underlined 18"},
                {21, 24, 8, 104, "Outline 24"},        {20, 24, 16, 134, "Shadow 24"}};
  for (const auto& line : kLines) {
    text.Op(0x0003).U16(uint16_t(line.font)).Op(0x000D).U16(uint16_t(line.size));
    text.Op(0x0004).U8(uint8_t(line.face));
    Text(text.Op(0x28).PointData(6, line.y), line.words);
  }
  text.Op(0x0004).U8(0).Op(0x0003).U16(21).Op(0x000D).U16(12);
  Colour(text, 0x1A, 0xFFFFFF);
  Colour(text, 0x1B, 0x203080);
  text.Op(0x0005).U16(0);
  Text(text.Op(0x28).PointData(6, 160), "White on blue");
  Colour(text, 0x1A, 0x000000);
  Colour(text, 0x1B, 0xFFFFFF);
  text.Op(0x0005).U16(1).Op(0x0010).PointData(3, 2).PointData(2, 1);
  Text(text.Op(0x28).PointData(120, 160), "Wide");
  text.Op(0x0010).PointData(1, 1).PointData(1, 1);
  text.LongComment(150, {0, 0, 0, 90, 0, 0}).LongComment(154, {0, 0, 0, 0, 0, 0, 0, 0});
  Text(text.Op(0x28).PointData(214, 20), "Turned");
  text.LongComment(151, {});
  add("drawing-text", std::move(text));

  // One-bit bitmaps in the modes that colour them, and a pixmap stretched.
  PictWriter bitmaps;
  bitmaps.Frame(0, 0, 180, 120);
  Colour(bitmaps, 0x1A, 0x90C0F0).Op(0x31).RectData({0, 0, 180, 120});
  PixmapPlan bits = Varied(1, 40, 30);
  bits.bitmap = true;
  const struct {
    int mode;
    uint32_t fore, back;
    pict::Rect destination;
  } kBitmaps[] = {{1, 0xC00000, 0xFFFFFF, {8, 8, 48, 38}},
                  {0, 0x0000C0, 0xFFFF80, {56, 8, 96, 38}},
                  {3, 0x000000, 0xFFFFFF, {104, 8, 144, 38}},
                  {1, 0x006000, 0xFFFFFF, {8, 48, 88, 108}}};
  for (const auto& b : kBitmaps) {
    Colour(bitmaps, 0x1A, b.fore);
    Colour(bitmaps, 0x1B, b.back);
    bits.mode = b.mode;
    bits.destination = b.destination;
    bitmaps.Pixmap(bits);
  }
  Colour(bitmaps, 0x1A, 0x000000);
  Colour(bitmaps, 0x1B, 0xFFFFFF);
  PixmapPlan pixels = Varied(8, 20, 15);
  pixels.destination = {100, 48, 160, 93};
  bitmaps.Pixmap(pixels);
  add("drawing-bitmaps", std::move(bitmaps));

  // Shapes cut by a clip region that is no rectangle, then by a rectangle, then by none.
  PictWriter clip;
  clip.Frame(0, 0, 200, 150);
  clip.Op(0x0001).RegionData({{10, 10, 110, 60}, {40, 60, 190, 110}, {10, 110, 80, 140}});
  Colour(clip, 0x1A, 0x208020).Op(0x51).RectData({0, 20, 200, 130});
  Colour(clip, 0x1A, 0x000000).Op(0x0007).PointData(3, 3).Op(0x30).RectData({20, 30, 180, 120});
  clip.ClipRect({100, 0, 200, 150});
  Colour(clip, 0x1A, 0xE0A000).Op(0x51).RectData({90, 5, 150, 50});
  clip.ClipRect({-32767, -32767, 32767, 32767});
  Colour(clip, 0x1A, 0x000080).Op(0x20).PointData(0, 145).PointData(199, 0);
  add("drawing-clip", std::move(clip));

  // Modes a drawing cannot say, over pixels, beside ones it can.
  PictWriter modes;
  PixmapPlan ground = Varied(32, 20, 15);
  ground.destination = {0, 0, 160, 120};
  modes.Frame(0, 0, 160, 120).Pixmap(ground);
  modes.Op(0x0008).U16(10).Op(0x31).RectData({8, 8, 48, 48});
  modes.Op(0x33).RectData({56, 8, 96, 48});
  modes.Op(0x0008).U16(37).Op(0x51).RectData({104, 8, 152, 48});
  Colour(modes, 0x1F, 0x808080);
  Colour(modes, 0x1A, 0xC00000);
  modes.Op(0x0008).U16(32).Op(0x31).RectData({8, 60, 48, 110});
  Colour(modes, 0x1F, 0x4080C0);
  modes.Op(0x31).RectData({56, 60, 96, 110});
  Colour(modes, 0x1B, 0xC00000);
  modes.Op(0x0008).U16(36).Op(0x31).RectData({104, 60, 152, 110});
  add("drawing-modes", std::move(modes));
  return pictures;
}
