// Our PICT decoder on pictures the tests assemble opcode by opcode: headers and sizes, the
// opcode walk, every pixel depth and packing, masks, bands, scaling, transfer modes, and
// refusals of damaged data.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pict/decode.h"
#include "tests/support/pict_writer.h"

using namespace pict;  // the decoder's own types

namespace {

PictResult Decode(const PictWriter& writer) {
  const std::vector<uint8_t> bytes = writer.Bytes();
  return DecodePict(bytes);
}

uint32_t Rgb(const PictResult& result, int x, int y) { return result.image.At(x, y) & 0xFFFFFF; }

// A pixmap whose pixel (x, y) is value(x, y).
PixmapPlan Pixels(int depth, int width, int height, const std::function<uint32_t(int, int)>& value) {
  PixmapPlan plan;
  plan.depth = depth;
  plan.width = width;
  plan.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) plan.pixels.push_back(value(x, y));
  return plan;
}

// A direct 32-bit pixmap of one colour.
PixmapPlan Solid(int width, int height, uint32_t rgb) {
  return Pixels(32, width, height, [rgb](int, int) { return rgb; });
}

// Colours that differ in every pixel of a small picture, so a shifted or mirrored row shows.
uint32_t Distinct(int x, int y) {
  return uint32_t(0x20 + 9 * x) % 256 << 16 | uint32_t(0x40 + 13 * y) % 256 << 8 | 0x77;
}

// Expects every pixel of result to be expected(x, y); names the first that is not.
void ExpectPixels(const PictResult& result, int width, int height,
                  const std::function<uint32_t(int, int)>& expected, const std::string& what) {
  ASSERT_TRUE(result.refusal.empty()) << what << ": " << result.refusal;
  ASSERT_EQ(result.image.width, width) << what;
  ASSERT_EQ(result.image.height, height) << what;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (Rgb(result, x, y) != expected(x, y)) {
        ADD_FAILURE() << what << ": pixel " << x << "," << y << " is " << std::hex
                      << Rgb(result, x, y) << ", expected " << expected(x, y);
        return;
      }
}

}  // namespace

TEST(PictHeader, SizeComesFromTheFrameOrTheNativeResolution) {
  struct Case {
    const char* what;
    PictWriter writer;
    int width, height;
  };
  const PixmapPlan pixmap = Pixels(32, 8, 4, Distinct);
  Case cases[] = {
      {"version 2", PictWriter().Frame(0, 0, 8, 4), 8, 4},
      {"without the preamble", PictWriter().NoPreamble().Frame(0, 0, 8, 4), 8, 4},
      {"version 1", PictWriter().Version1().Frame(0, 0, 8, 4), 8, 4},
      {"frame away from the origin", PictWriter().Frame(100, 50, 108, 54), 8, 4},
      {"negative frame", PictWriter().Frame(-8, -4, 0, 0), 8, 4},
      {"extended at 72 dpi", PictWriter().ExtendedVersion2(72, 72, {0, 0, 8, 4}).Frame(0, 0, 8, 4),
       8, 4},
      {"extended at 144 dpi: native pixels",
       PictWriter().ExtendedVersion2(144, 144, {0, 0, 16, 8}).Frame(0, 0, 8, 4), 16, 8},
  };
  for (Case& c : cases) {
    const PictResult result = Decode(c.writer.End());
    EXPECT_TRUE(result.refusal.empty()) << c.what << ": " << result.refusal;
    EXPECT_EQ(result.image.width, c.width) << c.what;
    EXPECT_EQ(result.image.height, c.height) << c.what;
    // An empty picture is white.
    if (!result.image.IsEmpty()) {
      EXPECT_EQ(Rgb(result, 0, 0), 0xFFFFFFu) << c.what;
    }
  }
  // Pixels land where the frame's coordinates put them, whatever its origin.
  PixmapPlan placed = pixmap;
  placed.bounds = placed.destination = {-8, -4, 0, 0};
  ExpectPixels(Decode(PictWriter().Frame(-8, -4, 0, 0).Pixmap(placed).End()), 8, 4, Distinct,
               "negative frame with pixels");
  placed = Pixels(32, 16, 8, Distinct);
  ExpectPixels(Decode(PictWriter()
                          .ExtendedVersion2(144, 144, {0, 0, 16, 8})
                          .Frame(0, 0, 8, 4)
                          .Pixmap(placed)
                          .End()),
               16, 8, Distinct, "native resolution keeps every pixel");
}

TEST(PictWalk, ReservedOpcodesAreSkippedByTheirDefinedLengths) {
  // One reserved opcode of every length rule before the pixels; a wrong length for any of
  // them would misread all that follows.
  PictWriter writer;
  writer.Frame(0, 0, 8, 4).Op(0x0000).Op(0x0017).Op(0x0024).U16(3).U8(1).U8(2).U8(3);
  writer.Op(0x0035).RectData({1, 2, 3, 4}).Op(0x003D).Op(0x0065).RectData({1, 2, 3, 4}).U32(7);
  writer.Op(0x006D).U32(7).Op(0x0075).U16(12).RectData({0, 0, 9, 9}).U16(0xFFFF);
  writer.Op(0x0092).U16(1).U8(0xAA).Op(0x00A2).U16(0).Op(0x00B0).Op(0x00CF);
  writer.Op(0x00D0).U32(5).Raw({1, 2, 3, 4, 5}).Op(0x00FE).U32(0);
  writer.Op(0x0100).U16(0x00FF).Op(0x0C01).Raw(std::vector<uint8_t>(24, 0xFF));
  writer.Op(0x7F00).Raw(std::vector<uint8_t>(254, 0xFF)).Op(0x8000).Op(0x80FF);
  writer.Op(0x8100).U32(3).Raw({0, 0xFF, 0}).Op(0xFFFF).U32(2).U16(0x00FF);
  writer.Op(0x00A0).U16(100).LongComment(100, {0x00, 0xFF, 0x00});
  writer.Op(0x001C).Op(0x001E).Op(0x0015).U16(0).Op(0x002D).U16(8).U32(0).U32(0);
  writer.Op(0x002E).U16(4).U32(0);
  ExpectPixels(Decode(writer.Pixmap(Pixels(32, 8, 4, Distinct)).End()), 8, 4, Distinct,
               "version 2");

  // Version 1 has byte opcodes and no alignment.
  PictWriter v1;
  v1.Version1().Frame(0, 0, 16, 2).Op(0x00).Op(0x17).Op(0xA0).U16(5).Op(0xA1).U16(1).U16(1).U8(9);
  PixmapPlan bits = Pixels(1, 16, 2, [](int x, int) { return x % 3 == 0 ? 1u : 0u; });
  bits.bitmap = true;
  bits.packed = false;
  ExpectPixels(Decode(v1.Pixmap(bits).End()), 16, 2,
               [](int x, int) { return x % 3 == 0 ? 0x000000u : 0xFFFFFFu; }, "version 1");
}

TEST(PictWalk, PictureEndsAtTheEndOpcodeOrAtTheEndOfItsData) {
  const PixmapPlan red = Solid(4, 4, 0xFF0000), blue = Solid(4, 4, 0x0000FF);
  // Whatever follows the end opcode is not drawn.
  ExpectPixels(Decode(PictWriter().Frame(0, 0, 4, 4).Pixmap(red).End().Pixmap(blue)), 4, 4,
               [](int, int) { return 0xFF0000u; }, "after the end opcode");
  // A picture whose data ends after a whole opcode is complete without the end opcode.
  ExpectPixels(Decode(PictWriter().Frame(0, 0, 4, 4).Pixmap(red)), 4, 4,
               [](int, int) { return 0xFF0000u; }, "no end opcode");
}

TEST(PictPixels, EveryDepthAndPackingGivesThePixelsBack) {
  struct Case {
    const char* what;
    int depth, width, height;
    bool packed;
    int packType;
    int components;
  };
  const Case cases[] = {
      {"1-bit pixmap", 1, 70, 3, true, 0, 3},     {"2-bit", 2, 40, 3, true, 0, 3},
      {"4-bit", 4, 23, 3, true, 0, 3},            {"8-bit packed", 8, 300, 3, true, 0, 3},
      {"8-bit unpacked", 8, 13, 3, false, 0, 3},  {"8-bit narrow rows", 8, 5, 3, true, 0, 3},
      {"16-bit packed words", 16, 37, 3, true, 0, 3}, {"16-bit unpacked", 16, 37, 3, false, 0, 3},
      {"32-bit planes", 32, 130, 3, true, 0, 3},  {"32-bit planes with alpha", 32, 33, 3, true, 0, 4},
      {"32-bit unpacked", 32, 9, 3, false, 0, 3}, {"32-bit without pad byte", 32, 9, 3, true, 2, 3},
      {"32-bit narrow rows", 32, 1, 3, true, 0, 3},
  };
  for (const Case& c : cases) {
    std::function<uint32_t(int, int)> value, expected;
    std::vector<uint32_t> palette;
    if (c.depth <= 8) {
      const uint32_t colours = 1u << c.depth;
      for (uint32_t i = 0; i < colours; ++i) palette.push_back((i * 0x3B5D1F) & 0xFFFFFF);
      // Runs and single pixels both, so both kinds of PackBits record are read.
      value = [colours](int x, int y) { return uint32_t((x / 3 + x * y) % colours); };
      expected = [&palette, value](int x, int y) { return palette[value(x, y)]; };
    } else if (c.depth == 16) {
      value = [](int x, int y) { return uint32_t((x / 2 * 1021 + y * 31) & 0x7FFF); };
      // Five bits widen by repeating their top bits, so white stays white.
      expected = [value](int x, int y) {
        const uint32_t v = value(x, y);
        auto widen = [](uint32_t c) { return (c << 3) | (c >> 2); };
        return widen(v >> 10 & 31) << 16 | widen(v >> 5 & 31) << 8 | widen(v & 31);
      };
    } else {
      // The alpha byte is ignored, as QuickDraw ignores it.
      value = [](int x, int y) { return 0x5A000000u | Distinct(x / 2, y); };
      expected = [](int x, int y) { return Distinct(x / 2, y); };
    }
    PixmapPlan plan = Pixels(c.depth, c.width, c.height, value);
    plan.palette = palette;
    plan.packed = c.packed;
    plan.packType = c.packType;
    plan.components = c.components;
    ExpectPixels(Decode(PictWriter().Frame(0, 0, c.width, c.height).Pixmap(plan).End()), c.width,
                 c.height, expected, c.what);
  }
}

TEST(PictPixels, BitmapsDrawInTheForegroundAndBackgroundColours) {
  PixmapPlan bits = Pixels(1, 16, 1, [](int x, int) { return uint32_t(x & 1); });
  bits.bitmap = true;
  const PictResult plain = Decode(PictWriter().Version1().Frame(0, 0, 16, 1).Pixmap(bits).End());
  ExpectPixels(plain, 16, 1, [](int x, int) { return x & 1 ? 0x000000u : 0xFFFFFFu; }, "default");
  // Version 1's colour constants: redColor for the foreground, yellowColor for the background.
  const PictResult coloured = Decode(PictWriter()
                                         .Version1()
                                         .Frame(0, 0, 16, 1)
                                         .Op(0x0E).U32(205)
                                         .Op(0x0F).U32(69)
                                         .Pixmap(bits)
                                         .End());
  ExpectPixels(coloured, 16, 1, [](int x, int) { return x & 1 ? 0xDD0806u : 0xFCF305u; },
               "coloured");
}

TEST(PictPixels, SourceRectangleIsScaledIntoTheDestination) {
  PixmapPlan plan = Pixels(32, 4, 2, Distinct);
  plan.destination = {0, 0, 8, 6};
  ExpectPixels(Decode(PictWriter().Frame(0, 0, 8, 6).Pixmap(plan).End()), 8, 6,
               [](int x, int y) { return Distinct(x / 2, y / 3); }, "enlarged");
  plan = Pixels(32, 8, 4, Distinct);
  plan.source = {2, 1, 6, 3};
  plan.destination = {0, 0, 2, 2};
  ExpectPixels(Decode(PictWriter().Frame(0, 0, 2, 2).Pixmap(plan).End()), 2, 2,
               [](int x, int y) { return Distinct(2 + 2 * x, 1 + y); }, "part, reduced");
}

TEST(PictPixels, MasksAndClipsLimitWhatIsDrawn) {
  const std::vector<Rect> mask = {{0, 0, 3, 2}, {5, 2, 8, 4}};
  auto inMask = [&mask](int x, int y) {
    for (const Rect& r : mask)
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
  };
  PixmapPlan direct = Pixels(32, 8, 4, Distinct);
  direct.mask = mask;
  ExpectPixels(Decode(PictWriter().Frame(0, 0, 8, 4).Pixmap(direct).End()), 8, 4,
               [&](int x, int y) { return inMask(x, y) ? Distinct(x, y) : 0xFFFFFFu; },
               "DirectBitsRgn");
  PixmapPlan indexed = Pixels(8, 8, 4, [](int x, int) { return uint32_t(x); });
  for (int i = 0; i < 8; ++i) indexed.palette.push_back(0x101010u * uint32_t(i + 1));
  indexed.mask = mask;
  ExpectPixels(Decode(PictWriter().Frame(0, 0, 8, 4).Pixmap(indexed).End()), 8, 4,
               [&](int x, int y) { return inMask(x, y) ? 0x101010u * uint32_t(x + 1) : 0xFFFFFFu; },
               "PackBitsRgn");
  // A source wider than the pixmap: columns past its own are left as they are, also where the
  // mask holds nothing else on a row.
  PixmapPlan narrow = Pixels(32, 3, 4, Distinct);
  narrow.source = narrow.destination = {0, 0, 8, 4};
  narrow.mask = mask;
  ExpectPixels(
      Decode(PictWriter().Frame(0, 0, 8, 4).Pixmap(narrow).End()), 8, 4,
      [&](int x, int y) { return inMask(x, y) && x < 3 ? Distinct(x, y) : 0xFFFFFFu; },
      "source wider than the pixmap");
  // The clip region cuts what a later opcode draws.
  ExpectPixels(Decode(PictWriter()
                          .Frame(0, 0, 8, 4)
                          .ClipRect({2, 1, 6, 3})
                          .Pixmap(Pixels(32, 8, 4, Distinct))
                          .End()),
               8, 4,
               [](int x, int y) {
                 return x >= 2 && x < 6 && y >= 1 && y < 3 ? Distinct(x, y) : 0xFFFFFFu;
               },
               "clip");
}

TEST(PictPixels, BandsMakeOnePicture) {
  PictWriter writer;
  writer.Frame(0, 0, 6, 9);
  for (int band = 0; band < 3; ++band) {
    PixmapPlan plan = Pixels(32, 6, 3, [band](int x, int y) { return Distinct(x, y + 3 * band); });
    plan.bounds = plan.destination = {0, 3 * band, 6, 3 * band + 3};
    writer.Pixmap(plan);
  }
  ExpectPixels(Decode(writer.End()), 6, 9, Distinct, "three bands");
}

TEST(PictModes, BitmapModesCombineWithWhatIsThere) {
  // A grey ground, then a bitmap whose left half is set bits (black) and right half clear.
  constexpr uint32_t kGround = 0x336699, kInverse = 0xCC9966;
  PixmapPlan bits = Pixels(1, 16, 1, [](int x, int) { return x < 8 ? 1u : 0u; });
  bits.bitmap = true;
  struct Case {
    const char* what;
    int mode;
    uint32_t set, clear;
  };
  const Case cases[] = {
      {"srcCopy", 0, 0x000000, 0xFFFFFF},      {"srcOr", 1, 0x000000, kGround},
      {"srcXor", 2, kInverse, kGround},        {"srcBic", 3, 0xFFFFFF, kGround},
      {"notSrcCopy", 4, 0xFFFFFF, 0x000000},   {"notSrcOr", 5, kGround, 0x000000},
      {"notSrcXor", 6, kGround, kInverse},     {"notSrcBic", 7, kGround, 0xFFFFFF},
      {"ditherCopy", 64, 0x000000, 0xFFFFFF},  {"transparent", 36, 0x000000, kGround},
      {"addMax", 37, kGround, 0xFFFFFF},       {"adMin", 39, 0x000000, kGround},
      {"undefined mode 23 as notSrcBic", 23, kGround, 0xFFFFFF},
  };
  for (const Case& c : cases) {
    bits.mode = c.mode;
    const PictResult result =
        Decode(PictWriter().Frame(0, 0, 16, 1).Pixmap(Solid(16, 1, kGround)).Pixmap(bits).End());
    ExpectPixels(result, 16, 1, [&c](int x, int) { return x < 8 ? c.set : c.clear; }, c.what);
  }
}

TEST(PictRefusal, DamagedOrHostileDataIsRefusedWithAReason) {
  const std::vector<uint8_t> good =
      PictWriter().Frame(0, 0, 40, 3).Pixmap(Pixels(8, 40, 3, [](int x, int) { return uint32_t(x % 4); })).End().Bytes();
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* reason;
  };
  std::vector<uint8_t> zeroFrame = PictWriter().Frame(5, 5, 5, 9).End().Bytes();
  std::vector<uint8_t> badPixelSize = good;
  badPixelSize[512 + 40 + 2 + 10 + 2 + 2 + 4 + 8 + 2 + 1] = 3;  // pixelSize 3
  std::vector<uint8_t> badRegion = PictWriter().Frame(0, 0, 4, 4).Op(0x0001).U16(16).RectData({0, 0, 4, 4}).U16(2).U16(1).U16(0x7FFF).End().Bytes();
  const Case cases[] = {
      {"empty", {}, "not a PICT"},
      {"text", {'h', 'e', 'l', 'l', 'o'}, "not a PICT"},
      {"empty frame", zeroFrame, "empty picture frame"},
      {"huge frame", PictWriter().Frame(0, 0, 32000, 32000).End().Bytes(), "larger than"},
      {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 530), "runs past"},
      {"pixel size QuickDraw does not define", badPixelSize, "pixel size"},
      {"region without its end mark", badRegion, "region"},
  };
  for (const Case& c : cases) {
    const PictResult result = DecodePict(c.bytes);
    EXPECT_TRUE(result.image.IsEmpty()) << c.what;
    EXPECT_NE(result.refusal.find(c.reason), std::string::npos) << c.what << ": " << result.refusal;
  }
}

TEST(PictRefusal, EveryCutOfAPictureDecodesOrIsRefused) {
  PixmapPlan masked = Pixels(16, 30, 5, [](int x, int y) { return uint32_t(x * 997 + y * 31); });
  masked.mask = {{0, 0, 10, 5}, {20, 1, 30, 4}};
  const std::vector<uint8_t> bytes = PictWriter()
                                         .Frame(0, 0, 30, 10)
                                         .ClipRect({0, 0, 30, 10})
                                         .Pixmap(masked)
                                         .Pixmap(Pixels(4, 30, 5, [](int x, int) { return uint32_t(x % 16); }))
                                         .End()
                                         .Bytes();
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    const std::vector<uint8_t> part(bytes.begin(), bytes.begin() + cut);
    const PictResult result = DecodePict(part);
    EXPECT_NE(result.image.IsEmpty(), result.refusal.empty()) << "cut at " << cut;
  }
}

TEST(PictRefusal, EndlessNopsStopAtTheOpcodeCap) {
  PictWriter writer;
  writer.Frame(0, 0, 1, 1).Raw(std::vector<uint8_t>(size_t{9} << 20, 0));
  const PictResult result = Decode(writer);
  EXPECT_NE(result.refusal.find("more opcodes"), std::string::npos) << result.refusal;
}
