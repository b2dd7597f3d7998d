// Pictures drawn at a scale, as DrawPicture draws into a larger rectangle: what is made of whole
// pixels (frames, filled rectangles, lines along the axes, regions, 1-bit and 32-bit pixmaps,
// QuickTime images, clips and origins) comes out as the scale-1 picture with each pixel a
// block; text is drawn at the larger size, not blown up; patterns keep their device size; the
// caps count the scaled canvas.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pict/decode.h"
#include "pict/limits.h"
#include "tests/support/pict_writer.h"

using namespace pict;  // the decoder's own types

namespace {

PictResult Decode(const PictWriter& writer, int scale) {
  const std::vector<uint8_t> bytes = writer.Bytes();
  return DecodePict(bytes, {.scale = scale});
}

// image with each pixel a scale x scale block.
Image Enlarged(const Image& image, int scale) {
  Image large(image.width * scale, image.height * scale, 0);
  for (int y = 0; y < large.height; ++y)
    for (int x = 0; x < large.width; ++x) large.At(x, y) = image.At(x / scale, y / scale);
  return large;
}

// The first pixel where two pictures differ, or "" when they are the same.
std::string FirstDifference(const Image& a, const Image& b) {
  if (a.width != b.width || a.height != b.height)
    return std::to_string(a.width) + "x" + std::to_string(a.height) + " against " +
           std::to_string(b.width) + "x" + std::to_string(b.height);
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (a.At(x, y) != b.At(x, y)) return "pixel " + std::to_string(x) + "," + std::to_string(y);
  return "";
}

int Count(const Image& image, uint32_t rgb) {
  int count = 0;
  for (uint32_t pixel : image.pixels) count += (pixel & 0xFFFFFF) == rgb;
  return count;
}

PictWriter& RgbColour(PictWriter& writer, uint16_t opcode, uint32_t rgb) {
  return writer.Op(opcode)
      .U16(uint16_t((rgb >> 16 & 0xFF) * 0x101))
      .U16(uint16_t((rgb >> 8 & 0xFF) * 0x101))
      .U16(uint16_t((rgb & 0xFF) * 0x101));
}

PixmapPlan Plan(int depth, int width, int height) {
  PixmapPlan plan;
  plan.depth = depth;
  plan.width = width;
  plan.height = height;
  for (int i = 0; i < width * height; ++i)
    plan.pixels.push_back(depth == 1 ? uint32_t(i * 7 % 3 == 0)
                                     : 0xFF000000u | uint32_t(i) * 0x0A1B2Cu % 0xFFFFFF);
  if (depth == 1) plan.bitmap = true;
  return plan;
}

// A raw 24-bit QuickTime image of 6 x 5 pixels: rows of 18 bytes, already even.
std::vector<uint8_t> RawQuickTime() {
  std::vector<uint8_t> data;
  for (int i = 0; i < 30; ++i) {
    const uint32_t rgb = uint32_t(i) * 0x1F2E3Du % 0xFFFFFF;
    data.insert(data.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)});
  }
  return QuickTimeDescription("raw ", 6, 5, 24, data);
}

void QuickTime(PictWriter& w, const std::vector<uint8_t>& data) {
  w.Op(0x8200).U32(uint32_t(data.size())).Raw(data);
}

}  // namespace

TEST(PictScale, WholePixelDrawingBecomesBlocksOfTheScale) {
  const struct {
    const char* what;
    Rect frame;
    std::function<void(PictWriter&)> draw;
  } cases[] = {
      {"framed rectangles, 1 and 3x2 pens",
       {0, 0, 20, 16},
       [](PictWriter& w) {
         w.Op(0x30).RectData({2, 2, 12, 10});
         w.Op(0x0007).PointData(3, 2).Op(0x30).RectData({5, 4, 19, 15});
       }},
      {"filled, erased and inverted rectangles in colour",
       {0, 0, 20, 16},
       [](PictWriter& w) {
         RgbColour(w, 0x1A, 0xCC2211);
         RgbColour(w, 0x1B, 0x11AA44);
         w.Op(0x31).RectData({1, 1, 9, 7}).Op(0x32).RectData({4, 3, 15, 12});
         w.Op(0x33).RectData({0, 5, 20, 9});
       }},
      {"lines along the axes",
       {0, 0, 20, 16},
       [](PictWriter& w) {
         w.Op(0x20).PointData(2, 3).PointData(17, 3).Op(0x21).PointData(17, 14);
         w.Op(0x0007).PointData(2, 3).Op(0x20).PointData(5, 6).PointData(5, 12);
       }},
      {"a region and a clip region",
       {0, 0, 20, 16},
       [](PictWriter& w) {
         w.Op(0x0001).RegionData({{0, 0, 14, 16}});
         w.Op(0x0081).RegionData({{2, 2, 8, 5}, {4, 5, 18, 9}});
       }},
      {"a frame away from the origin, moved by Origin",
       {30, 40, 50, 56},
       [](PictWriter& w) {
         w.Op(0x000C).U16(uint16_t(-5)).U16(7);
         w.Op(0x30).RectData({28, 44, 40, 60});
       }},
      {"a 1-bit bitmap, stretched",
       {0, 0, 20, 16},
       [](PictWriter& w) {
         PixmapPlan plan = Plan(1, 7, 5);
         plan.destination = {2, 3, 16, 13};
         w.Pixmap(plan);
       }},
      {"a 32-bit pixmap in a masked copy",
       {0, 0, 20, 16},
       [](PictWriter& w) {
         PixmapPlan plan = Plan(32, 9, 6);
         plan.destination = {3, 2, 12, 8};
         plan.mask = {{3, 2, 8, 6}, {9, 5, 12, 8}};
         w.Pixmap(plan);
       }},
      {"a QuickTime image placed by its matrix",
       {0, 0, 20, 16},
       [](PictWriter& w) {
         QuickTime(w,
                   QuickTimeOpcodeData(RawQuickTime(), {0, 0, 6, 5}, QuickTimeScale(2, 2, 3, 4)));
       }},
  };
  for (const auto& c : cases) {
    PictWriter writer;
    writer.Frame(c.frame.left, c.frame.top, c.frame.right, c.frame.bottom);
    c.draw(writer);
    writer.End();
    const PictResult plain = Decode(writer, 1);
    ASSERT_TRUE(plain.refusal.empty()) << c.what << ": " << plain.refusal;
    for (int scale : {2, 3}) {
      const PictResult scaled = Decode(writer, scale);
      ASSERT_TRUE(scaled.refusal.empty()) << c.what << ": " << scaled.refusal;
      EXPECT_EQ(FirstDifference(scaled.image, Enlarged(plain.image, scale)), "")
          << c.what << " at scale " << scale;
    }
  }
}

TEST(PictScale, TextIsDrawnAtTheLargerSizeNotBlownUp) {
  PictWriter writer;
  writer.Frame(0, 0, 60, 24);
  writer.Op(0x0003).U16(21).Op(0x000D).U16(14);  // Helvetica 14
  writer.Op(0x0028).PointData(3, 17).U8(4).Raw({'H', 'e', 'g', 'o'});
  writer.Op(0x0029).U8(30).U8(2).Raw({'a', 'b'});  // goes on from the first text's start
  writer.End();
  const PictResult plain = Decode(writer, 1);
  ASSERT_TRUE(plain.refusal.empty()) << plain.refusal;
  const int ink = Count(plain.image, 0x000000);
  ASSERT_GT(ink, 20);
  for (int scale : {2, 3}) {
    const PictResult scaled = Decode(writer, scale);
    ASSERT_TRUE(scaled.refusal.empty()) << scaled.refusal;
    ASSERT_EQ(scaled.image.width, 60 * scale);
    // About scale squared times the ink, in the same places...
    const int scaledInk = Count(scaled.image, 0x000000);
    EXPECT_GT(scaledInk, ink * scale * scale * 2 / 3) << scale;
    EXPECT_LT(scaledInk, ink * scale * scale * 3 / 2) << scale;
    // ...but drawn at the size, not blown up: edges fall inside the blocks of the plain picture.
    EXPECT_NE(FirstDifference(scaled.image, Enlarged(plain.image, scale)), "") << scale;
  }
}

TEST(PictScale, PatternsKeepTheirDeviceSize) {
  // One dot every 8 pixels of the canvas, at any scale.
  PictWriter writer;
  writer.Frame(0, 0, 16, 16);
  writer.Op(0x000A).Raw({0x80, 0, 0, 0, 0, 0, 0, 0}).Op(0x34).RectData({0, 0, 16, 16}).End();
  for (int scale : {1, 2, 3}) {
    const PictResult result = Decode(writer, scale);
    ASSERT_TRUE(result.refusal.empty()) << result.refusal;
    for (int y = 0; y < result.image.height; ++y)
      for (int x = 0; x < result.image.width; ++x)
        ASSERT_EQ(result.image.At(x, y) & 0xFFFFFF, x % 8 == 0 && y % 8 == 0 ? 0u : 0xFFFFFFu)
            << "scale " << scale << ", pixel " << x << "," << y;
  }
}

TEST(PictScale, NativeResolutionKeepsItsSizeTimesTheScale) {
  // A 144-dpi picture whose frame says 20 x 10 at 72 dpi: the canvas is its 40 x 20 source.
  PixmapPlan plan = Plan(32, 40, 20);
  PictWriter writer;
  writer.ExtendedVersion2(144, 144, {0, 0, 40, 20}).Frame(0, 0, 20, 10).Pixmap(plan).End();
  const PictResult plain = Decode(writer, 1), scaled = Decode(writer, 2);
  ASSERT_TRUE(plain.refusal.empty()) << plain.refusal;
  ASSERT_EQ(plain.image.width, 40);
  EXPECT_EQ(FirstDifference(scaled.image, Enlarged(plain.image, 2)), "");
}

TEST(PictScale, CapsCountTheScaledCanvasAndSayTheScale) {
  const struct {
    const char* what;
    Rect frame;
    int scale;
    bool decodes;
  } cases[] = {
      {"5000 pixels a side", {0, 0, 5000, 10}, 1, true},
      {"8 times 5000 is beyond a side's cap", {0, 0, 5000, 10}, 8, false},
      {"4100 square at 2 is beyond the pixel cap", {0, 0, 4100, 4100}, 2, false},
      {"scale 0", {0, 0, 10, 10}, 0, false},
      {"scale 9", {0, 0, 10, 10}, kMaxScale + 1, false},
  };
  for (const auto& c : cases) {
    PictWriter writer;
    writer.Frame(c.frame.left, c.frame.top, c.frame.right, c.frame.bottom).End();
    const PictResult result = Decode(writer, c.scale);
    EXPECT_EQ(result.refusal.empty(), c.decodes) << c.what << ": " << result.refusal;
    if (!c.decodes) {
      EXPECT_NE(result.refusal.find("scale " + std::to_string(c.scale)), std::string::npos)
          << c.what << ": " << result.refusal;
    }
  }
}

TEST(PictScale, WorkBeyondTheCapAtAScaleIsRefusedWithTheScale) {
  // Filling a polygon costs its points times the rows of the clip: a flat polygon of 16000
  // points drawn ten times over a 1000-pixel-high frame is an eighth of the work cap at scale 1
  // and more than all of it at scale 8, without drawing anything.
  constexpr int kPoints = 16000;
  PictWriter writer;
  writer.Frame(0, 0, 1000, 1000);
  writer.Op(0x0071).U16(uint16_t(10 + 4 * kPoints)).RectData({0, 0, 1, 0});
  for (int i = 0; i < kPoints; ++i) writer.PointData(i % 2, 0);
  for (int i = 0; i < 9; ++i) writer.Op(0x0079);
  writer.End();
  EXPECT_EQ(Decode(writer, 1).refusal, "");
  EXPECT_EQ(Decode(writer, 8).refusal, "more drawing than the decoder allows (at scale 8)");
}
