// QuickDraw drawing through the decoder, on pictures the tests assemble: pen geometry, the shape
// verbs, patterns and their alignment, pen modes, clip regions, origin changes, text placement
// and faces, the comments that turn text, QuickTime pictures and their fallback drawing, and
// the cap on the work one file may cause.
#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "pict/decode.h"
#include "pict/modes.h"
#include "tests/support/pict_writer.h"

using namespace pict;  // the decoder's own types

namespace {

constexpr uint32_t kBlackRgb = 0x000000, kWhiteRgb = 0xFFFFFF, kGround = 0x336699;

PictResult Decode(const PictWriter& writer) {
  const std::vector<uint8_t> bytes = writer.Bytes();
  return DecodePict(bytes);
}

uint32_t At(const PictResult& result, int x, int y) { return result.image.At(x, y) & 0xFFFFFF; }

// Pixels of one colour: how many, and the smallest box around them.
struct Ink {
  int count = 0;
  Rect bounds;
};
Ink InkOf(const PictResult& result, uint32_t rgb) {
  Ink ink;
  for (int y = 0; y < result.image.height; ++y)
    for (int x = 0; x < result.image.width; ++x) {
      if (At(result, x, y) != rgb) continue;
      ink.bounds = ink.count == 0 ? Rect{x, y, x + 1, y + 1}
                                  : Rect{std::min(ink.bounds.left, x), std::min(ink.bounds.top, y),
                                         std::max(ink.bounds.right, x + 1),
                                         std::max(ink.bounds.bottom, y + 1)};
      ++ink.count;
    }
  return ink;
}

// The whole canvas in one colour, drawn as pixels, so the modes have something to work on.
PictWriter& Ground(PictWriter& writer, int width, int height, uint32_t rgb = kGround) {
  PixmapPlan plan;
  plan.depth = 32;
  plan.width = width;
  plan.height = height;
  plan.pixels.assign(size_t(width) * size_t(height), rgb);
  return writer.Pixmap(plan);
}

PictWriter& PenSize(PictWriter& writer, int width, int height) {
  return writer.Op(0x0007).PointData(width, height);
}

PictWriter& RgbColour(PictWriter& writer, uint16_t opcode, uint32_t rgb) {
  return writer.Op(opcode)
      .U16(uint16_t((rgb >> 16 & 0xFF) * 0x101))
      .U16(uint16_t((rgb >> 8 & 0xFF) * 0x101))
      .U16(uint16_t((rgb & 0xFF) * 0x101));
}

// The count byte and the characters of a text opcode.
PictWriter& Text(PictWriter& writer, const std::string& text) {
  return writer.U8(uint8_t(text.size())).Raw(std::vector<uint8_t>(text.begin(), text.end()));
}

void ExpectDecoded(const PictResult& result, const std::string& what) {
  ASSERT_TRUE(result.refusal.empty()) << what << ": " << result.refusal;
}

// Opcodes drawn on a white canvas, and the black pixels they must leave.
struct Case {
  const char* what;
  std::function<void(PictWriter&)> draw;
  int count;
  Rect bounds;  // of the black pixels, when there are any
};

void ExpectBlack(std::span<const Case> cases, int size) {
  for (const Case& c : cases) {
    PictWriter writer;
    writer.Frame(0, 0, size, size);
    c.draw(writer);
    const PictResult result = Decode(writer.End());
    ExpectDecoded(result, c.what);
    const Ink ink = InkOf(result, kBlackRgb);
    EXPECT_EQ(ink.count, c.count) << c.what;
    if (c.count > 0) {
      EXPECT_EQ(ink.bounds, c.bounds) << c.what;
    }
  }
}

}  // namespace

TEST(PictDraw, PenHangsBelowAndRightAndFramesStayInside) {
  const Case cases[] = {
      {"framed rectangle, 3x2 pen",
       [](PictWriter& w) { PenSize(w, 3, 2).Op(0x30).RectData({2, 2, 12, 10}); }, 10 * 8 - 4 * 4,
       {2, 2, 12, 10}},
      {"pen wider than half the rectangle fills it",
       [](PictWriter& w) { PenSize(w, 8, 8).Op(0x30).RectData({2, 2, 12, 10}); }, 80,
       {2, 2, 12, 10}},
      {"horizontal line, 3x2 pen",
       [](PictWriter& w) { PenSize(w, 3, 2).Op(0x20).PointData(2, 3).PointData(10, 3); }, 11 * 2,
       {2, 3, 13, 5}},
      {"a line of no length draws the pen once",
       [](PictWriter& w) { PenSize(w, 3, 2).Op(0x20).PointData(5, 5).PointData(5, 5); }, 6,
       {5, 5, 8, 7}},
      {"a pen of no width draws nothing",
       [](PictWriter& w) { PenSize(w, 0, 2).Op(0x20).PointData(2, 2).PointData(9, 9); }, 0, {}},
      {"LineFrom and ShortLineFrom go on from the last end",
       [](PictWriter& w) {
         w.Op(0x20).PointData(2, 2).PointData(2, 6).Op(0x21).PointData(8, 6);
         w.Op(0x23).U8(0).U8(uint8_t(-4));
       },
       5 + 6 + 4, {2, 2, 9, 7}},
      {"ShortLine sets the pen before its offsets",
       [](PictWriter& w) { w.Op(0x22).PointData(3, 3).U8(4).U8(0); }, 5, {3, 3, 8, 4}},
  };
  ExpectBlack(cases, 20);
}

TEST(PictDraw, EachVerbPaintsItsOwnWay) {
  // Foreground red, background green, on a ground of kGround; the rectangle 4,4-12,12.
  constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00;
  struct Case {
    const char* what;
    uint16_t opcode;
    uint32_t centre, edge;
  };
  const Case cases[] = {
      {"frame", 0x30, kGround, kRed},
      {"paint", 0x31, kRed, kRed},
      {"erase: the background pattern", 0x32, kGreen, kGreen},
      {"invert", 0x33, kGround ^ kWhiteRgb, kGround ^ kWhiteRgb},
      {"fill: the fill pattern, here all background", 0x34, kGreen, kGreen},
      {"paint the same rectangle", 0x39, kRed, kRed},
      {"oval paints its middle, not its corners", 0x51, kRed, kGround},
      {"round rectangle with 6x6 corners", 0x41, kRed, kGround},
  };
  for (const Case& c : cases) {
    PictWriter writer;
    writer.Frame(0, 0, 16, 16);
    Ground(writer, 16, 16);
    RgbColour(writer, 0x1A, kRed);
    RgbColour(writer, 0x1B, kGreen);
    writer.Op(0x000A).Raw(std::vector<uint8_t>(8, 0));  // an all-background fill pattern
    writer.Op(0x000B).PointData(6, 6);                  // oval size
    // The "same" forms need a shape before them; an invisible one does.
    writer.Op(0x0008).U16(kPatOr).Op(0x0009).Raw(std::vector<uint8_t>(8, 0));
    writer.Op(0x30).RectData({4, 4, 12, 12});
    writer.Op(0x0008).U16(kPatCopy).Op(0x0009).Raw(std::vector<uint8_t>(8, 0xFF));
    writer.Op(c.opcode);
    if ((c.opcode & 8) == 0) writer.RectData({4, 4, 12, 12});
    const PictResult result = Decode(writer.End());
    ExpectDecoded(result, c.what);
    EXPECT_EQ(At(result, 8, 8), c.centre) << c.what;
    EXPECT_EQ(At(result, 4, 4), c.edge) << c.what;
    EXPECT_EQ(At(result, 2, 2), kGround) << c.what << ": outside the shape";
  }
}

TEST(PictDraw, PatternsAlignToThePictureNotToTheShape) {
  // One black dot every 8 pixels: a pixel is black exactly where its picture coordinates are
  // multiples of 8, wherever the shape starts, wherever the frame lies and after the Origin
  // opcode has moved the coordinates.
  struct Case {
    Rect frame;
    int dh, dv;  // Origin opcode before the fill (0, 0: none)
  };
  const Case cases[] = {{{0, 0, 24, 24}, 0, 0},
                        {{101, 52, 125, 76}, 0, 0},
                        {{-35, -3, -11, 21}, 0, 0},
                        {{0, 0, 24, 24}, 3, -5}};
  for (const Case& c : cases) {
    for (const Rect r : {Rect{0, 0, 8, 8}, Rect{3, 5, 19, 21}}) {
      PictWriter writer;
      writer.Frame(c.frame.left, c.frame.top, c.frame.right, c.frame.bottom);
      if (c.dh != 0 || c.dv != 0) writer.Op(0x000C).U16(uint16_t(c.dh)).U16(uint16_t(c.dv));
      writer.Op(0x000A).Raw({0x80, 0, 0, 0, 0, 0, 0, 0});
      // In the moved coordinates, the rectangle still covers canvas pixels r.
      writer.Op(0x34).RectData(r.Offset(c.frame.left + c.dh, c.frame.top + c.dv));
      const PictResult result = Decode(writer.End());
      ExpectDecoded(result, "dotted fill");
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
          const int px = x + c.frame.left + c.dh, py = y + c.frame.top + c.dv;
          const bool dot = px % 8 == 0 && py % 8 == 0;
          ASSERT_EQ(At(result, x, y), dot ? kBlackRgb : kWhiteRgb)
              << "pixel " << x << "," << y << " of rectangle at " << r.left << "," << r.top
              << " in frame at " << c.frame.left << "," << c.frame.top;
        }
    }
  }
  // A colour pixel pattern tiles in its own colours, whatever the foreground.
  PixmapPlan tile;
  tile.depth = 2;
  tile.width = tile.height = 2;
  tile.pixels = {0, 1, 2, 3};
  tile.palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
  PictWriter writer;
  writer.Frame(0, 0, 8, 8).PixPat(0x13, tile);
  RgbColour(writer, 0x1A, 0x123456).Op(0x31).RectData({1, 1, 7, 7});
  const PictResult result = Decode(writer.End());
  ExpectDecoded(result, "pixel pattern");
  for (int y = 1; y < 7; ++y)
    for (int x = 1; x < 7; ++x)
      ASSERT_EQ(At(result, x, y), tile.palette[size_t((y % 2) * 2 + x % 2)]) << x << "," << y;
}

TEST(PictDraw, PenModesCombineThePatternWithWhatIsThere) {
  struct Case {
    const char* what;
    int mode;
    uint32_t result;
  };
  const Case cases[] = {
      {"patCopy", kPatCopy, kBlackRgb},       {"patOr", kPatOr, kBlackRgb},
      {"patXor", kPatXor, kGround ^ kWhiteRgb}, {"patBic", kPatBic, kWhiteRgb},
      {"notPatCopy", kNotPatCopy, kWhiteRgb}, {"notPatOr", kNotPatOr, kGround},
      {"srcCopy as the pen's mode", kSrcCopy, kBlackRgb}, {"adMin", kAdMin, kBlackRgb},
      {"addMax", kAddMax, kGround},           {"undefined 45 as patCopy", 45, kBlackRgb},
  };
  for (const Case& c : cases) {
    PictWriter writer;
    writer.Frame(0, 0, 8, 8);
    Ground(writer, 8, 8).Op(0x0008).U16(uint16_t(c.mode)).Op(0x31).RectData({2, 2, 6, 6});
    const PictResult result = Decode(writer.End());
    ExpectDecoded(result, c.what);
    EXPECT_EQ(At(result, 3, 3), c.result) << c.what;
    EXPECT_EQ(At(result, 1, 1), kGround) << c.what;
  }
}

TEST(PictDraw, HiliteModeTurnsTheNextInversionIntoAHilite) {
  // Three stripes: the background colour (white), the hilite colour (yellow) and red. A hilite
  // swaps the first two and leaves red; an inversion inverts all three.
  constexpr uint32_t kYellow = 0xFFFF00, kRed = 0xFF0000, kBlue = 0x0000FF, kCyan = 0x00FFFF;
  const auto stripes = [&](PictWriter& w) {
    RgbColour(w, 0x1A, kYellow).Op(0x31).RectData({0, 4, 12, 8});
    RgbColour(w, 0x1A, kRed).Op(0x31).RectData({0, 8, 12, 12});
    RgbColour(w, 0x1D, kYellow);
  };
  const auto invert = [](PictWriter& w) { w.Op(0x33).RectData({0, 0, 12, 12}); };
  const auto hilite = [](PictWriter& w) { w.Op(0x001C); };
  struct Case {
    const char* what;
    std::function<void(PictWriter&)> draw;
    uint32_t white, yellow, red;  // what each stripe becomes
  };
  const Case cases[] = {
      {"invert", [&](PictWriter& w) { invert(w); }, kBlackRgb, kBlue, kCyan},
      {"hilite once", [&](PictWriter& w) { hilite(w), invert(w); }, kYellow, kWhiteRgb, kRed},
      {"hilite, then invert: the flag is used up",
       [&](PictWriter& w) { hilite(w), invert(w), invert(w); }, kBlue, kBlackRgb, kCyan},
      {"a drawing that does not invert leaves the flag for the next",
       [&](PictWriter& w) {
         hilite(w), w.Op(0x31).RectData({20, 0, 24, 4}), invert(w);
       },
       kYellow, kWhiteRgb, kRed},
      {"an xor pen hilites",
       [&](PictWriter& w) {
         hilite(w), w.Op(0x0008).U16(kPatXor).Op(0x31).RectData({0, 0, 12, 12});
       },
       kYellow, kWhiteRgb, kRed},
      {"hilite colour the background's: inverts",
       [&](PictWriter& w) { RgbColour(w, 0x1D, kWhiteRgb), hilite(w), invert(w); }, kBlackRgb,
       kBlue, kCyan},
      {"DefHilite: black, the default", [&](PictWriter& w) { w.Op(0x001E), hilite(w), invert(w); },
       kBlackRgb, kYellow, kRed},
  };
  for (const Case& c : cases) {
    PictWriter writer;
    writer.Frame(0, 0, 24, 12);
    stripes(writer);
    c.draw(writer);
    const PictResult result = Decode(writer.End());
    ExpectDecoded(result, c.what);
    EXPECT_EQ(At(result, 5, 1), c.white) << c.what;
    EXPECT_EQ(At(result, 5, 5), c.yellow) << c.what;
    EXPECT_EQ(At(result, 5, 9), c.red) << c.what;
  }
}

TEST(PictDraw, RedTextInvertedAboveAndHilitedBelow) {
  // As a real file draws it: red text, the top half inverted, the bottom half hilited with the
  // default hilite colour (black). Inverted, the red ink turns cyan; hilited, it stays red while
  // the white around it turns black.
  constexpr uint32_t kRed = 0xFF0000, kCyan = 0x00FFFF;
  const auto draw = [&](bool mark) {
    PictWriter writer;
    writer.Frame(0, 0, 120, 60);
    RgbColour(writer, 0x1A, kRed).Op(0x0003).U16(21).Op(0x000D).U16(40);  // Helvetica 40
    Text(writer.Op(0x28).PointData(5, 45), "HEH");
    if (mark)
      writer.Op(0x33).RectData({0, 0, 120, 30}).Op(0x001C).Op(0x33).RectData({0, 30, 120, 60});
    return Decode(writer.End());
  };
  const PictResult plain = draw(false), marked = draw(true);
  ExpectDecoded(plain, "plain text");
  ExpectDecoded(marked, "marked text");
  int top = 0, bottom = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 120; ++x) {
      const uint32_t before = At(plain, x, y), after = At(marked, x, y);
      const uint32_t expected = y < 30                ? before ^ kWhiteRgb
                                : before == kWhiteRgb ? kBlackRgb
                                                      : before;
      ASSERT_EQ(after, expected) << "pixel " << x << "," << y;
      if (before == kRed) ++(y < 30 ? top : bottom);
    }
  EXPECT_GT(top, 50) << "red ink in the top half";
  EXPECT_GT(bottom, 50) << "red ink in the bottom half";
  EXPECT_EQ(InkOf(marked, kCyan).count, top);
  EXPECT_EQ(InkOf(marked, kRed).count, bottom);
}

TEST(PictDraw, ClipAndOriginMoveWhatIsDrawn) {
  const Case cases[] = {
      {"clip region of two rectangles",
       [](PictWriter& w) {
         w.Op(0x0001).RegionData({{1, 1, 3, 3}, {5, 4, 8, 6}}).Op(0x31).RectData({0, 0, 10, 10});
       },
       4 + 6, {1, 1, 8, 6}},
      {"origin moves the coordinates",
       [](PictWriter& w) { w.Op(0x000C).U16(10).U16(5).Op(0x31).RectData({10, 5, 14, 9}); }, 16,
       {0, 0, 4, 4}},
      {"the clip keeps its numbers when the origin moves",
       [](PictWriter& w) {
         w.ClipRect({2, 0, 6, 4}).Op(0x000C).U16(2).U16(0).Op(0x31).RectData({0, 0, 10, 10});
       },
       16, {0, 0, 4, 4}},
      {"an empty clip hides everything",
       [](PictWriter& w) { w.ClipRect({0, 0, 0, 0}).Op(0x31).RectData({0, 0, 10, 10}); }, 0, {}},
  };
  ExpectBlack(cases, 10);
}

TEST(PictDraw, TextLandsOnItsBaselineAndMovesFromWhereTheLastBegan) {
  PictWriter writer;
  writer.Frame(0, 0, 200, 100).Op(0x0003).U16(21).Op(0x000D).U16(14);  // Helvetica 14
  Text(writer.Op(0x28).PointData(10, 30), "Hi");
  Text(writer.Op(0x29).U8(60), "Hi");             // 60 right of the last start
  Text(writer.Op(0x2A).U8(40), "Hi");             // 40 down, same start
  Text(writer.Op(0x2B).U8(60).U8(0), "Hi");       // both
  const PictResult result = Decode(writer.End());
  ExpectDecoded(result, "text");
  const Rect starts[] = {{10, 30}, {70, 30}, {70, 70}, {130, 70}};
  for (const Rect& at : starts) {
    int count = 0;
    Rect box{1000, 1000, -1, -1};
    for (int y = at.top - 20; y < at.top + 6; ++y)
      for (int x = at.left - 5; x < at.left + 40; ++x)
        if (At(result, x, y) == kBlackRgb) {
          ++count;
          box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                 std::max(box.bottom, y + 1)};
        }
    EXPECT_GT(count, 20) << "text at " << at.left << "," << at.top;
    EXPECT_GE(box.left, at.left) << "ink left of the origin";
    EXPECT_LE(box.bottom, at.top + 1) << "\"Hi\" has no descender";
    EXPECT_LT(box.top, at.top - 7) << "ink reaches up from the baseline";
  }
}

TEST(PictDraw, TextFacesModesAndTurns) {
  auto draw = [](const std::function<void(PictWriter&)>& before) {
    PictWriter writer;
    writer.Frame(0, 0, 120, 120);
    Ground(writer, 120, 120, kWhiteRgb).Op(0x0003).U16(20).Op(0x000D).U16(24);  // Times 24
    before(writer);
    Text(writer.Op(0x28).PointData(30, 60), "Text");
    return Decode(writer.End());
  };
  const PictResult plain = draw([](PictWriter&) {});
  const PictResult bold = draw([](PictWriter& w) { w.Op(0x0004).U8(1); });
  const PictResult copy = draw([](PictWriter& w) {
    RgbColour(w, 0x1B, 0x00FF00).Op(0x0005).U16(kSrcCopy);
  });
  const PictResult turned = draw([](PictWriter& w) {
    w.LongComment(150, {0, 0, 0, 90, 0, 0}).LongComment(154, {0, 0, 0, 0, 0, 0, 0, 0});
  });
  const PictResult damagedComment = draw([](PictWriter& w) { w.LongComment(154, {1}); });
  for (const PictResult* result : {&plain, &bold, &copy, &turned, &damagedComment})
    ExpectDecoded(*result, "text");
  const Ink plainInk = InkOf(plain, kBlackRgb);
  EXPECT_GT(InkOf(bold, kBlackRgb).count, plainInk.count) << "bold";
  EXPECT_EQ(InkOf(plain, 0x00FF00).count, 0);
  EXPECT_GT(InkOf(copy, 0x00FF00).count, plainInk.count) << "srcCopy paints the cell";
  const Ink turnedInk = InkOf(turned, kBlackRgb);
  EXPECT_GT(turnedInk.bounds.Height(), turnedInk.bounds.Width()) << "turned 90 degrees";
  EXPECT_GT(plainInk.bounds.Width(), plainInk.bounds.Height());
  EXPECT_EQ(InkOf(damagedComment, kBlackRgb).count, plainInk.count) << "short comment ignored";
}

TEST(PictDraw, QuickTimePictureReplacesItsFallbackDrawing) {
  // A 4x3 'raw ' picture, each pixel its own colour, then the fallback QuickTime marks: a pen
  // size of 174 by the length of the drawing that follows.
  std::vector<uint8_t> pixels;
  for (int i = 0; i < 12; ++i) pixels.insert(pixels.end(), {uint8_t(20 * i), 0x80, 0x40});
  const std::vector<uint8_t> data =
      QuickTimeOpcodeData(QuickTimeDescription("raw ", 4, 3, 24, pixels), {0, 0, 4, 3},
                          QuickTimeScale(2, 2, 1, 1));
  PictWriter fallback;
  fallback.Frame(0, 0, 1, 1);
  Text(fallback.Op(0x28).PointData(0, 10), "QuickTime is needed");
  const std::vector<uint8_t> fallbackOps = fallback.Body();
  auto picture = [&](const std::vector<uint8_t>& payload) {
    PictWriter writer;
    writer.Frame(0, 0, 40, 12).Op(0x8200).U32(uint32_t(payload.size())).Raw(payload);
    writer.Op(0x0007).U16(174).U16(uint16_t(fallbackOps.size())).Raw(fallbackOps);
    return Decode(writer.End());
  };
  const PictResult result = picture(data);
  ExpectDecoded(result, "QuickTime");
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(At(result, 1 + x, 1 + y), uint32_t(20 * ((y / 2) * 4 + x / 2)) << 16 | 0x8040)
          << x << "," << y;
  EXPECT_EQ(InkOf(result, kBlackRgb).count, 0) << "the fallback text was drawn";
  // A codec nobody here decodes: the picture is refused, never shown as its fallback.
  const PictResult unknown =
      picture(QuickTimeOpcodeData(QuickTimeDescription("zzzz", 4, 3, 24, pixels), {0, 0, 4, 3}));
  EXPECT_TRUE(unknown.image.IsEmpty());
  EXPECT_NE(unknown.refusal.find("zzzz"), std::string::npos) << unknown.refusal;
}

TEST(PictDraw, PolygonsAndRegionsThroughTheirOpcodes) {
  auto polygon = [](PictWriter& w, uint16_t opcode, const std::vector<Point>& points) {
    w.Op(opcode).U16(uint16_t(10 + 4 * points.size())).RectData({0, 0, 0, 0});
    for (const Point& p : points) w.PointData(p.x, p.y);
  };
  const Case cases[] = {
      {"painted square polygon",
       [&](PictWriter& w) { polygon(w, 0x71, {{2, 2}, {12, 2}, {12, 12}, {2, 12}, {2, 2}}); },
       100, {2, 2, 12, 12}},
      {"framed polygon hangs right and below",
       [&](PictWriter& w) { polygon(w, 0x70, {{2, 2}, {12, 2}, {12, 12}}); }, 11 + 10,
       {2, 2, 13, 13}},
      {"painted region, then inverted as the same region",
       [](PictWriter& w) {
         w.Op(0x81).RegionData({{1, 1, 5, 3}, {6, 1, 9, 2}});
         w.Op(0x8B);
         w.Op(0x81).RegionData({{1, 1, 3, 3}});
       },
       4, {1, 1, 3, 3}},
      {"framed region with a 1x1 pen", [](PictWriter& w) { w.Op(0x80).RegionData({{2, 2, 7, 6}}); },
       5 * 4 - 3 * 2, {2, 2, 7, 6}},
  };
  ExpectBlack(cases, 16);
}

TEST(PictDraw, EndlessRedrawingStopsAtTheWorkCap) {
  PictWriter writer;
  writer.Frame(0, 0, 2000, 2000).Op(0x31).RectData({0, 0, 2000, 2000});
  for (int i = 0; i < 400; ++i) writer.Op(0x3B);  // invert the same rectangle, again and again
  const PictResult result = Decode(writer.End());
  EXPECT_TRUE(result.image.IsEmpty());
  EXPECT_NE(result.refusal.find("more drawing"), std::string::npos) << result.refusal;
}
