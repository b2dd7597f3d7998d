// The decoder's drawing beside its canvas (DecodeOptions::vector), on pictures the tests
// assemble: each shape, pen, pattern, clip and bitmap covers the pixels the canvas paints; what
// a transfer mode lays over what is there is what the canvas makes of it; each kind of opcode
// becomes the operation a drawing says it with, and the modes it cannot say become pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "pict/canvas.h"
#include "pict/decode.h"
#include "pict/modes.h"
#include "tests/support/conformance_pictures.h"
#include "tests/support/pict_writer.h"
#include "tests/support/rendered.h"

using namespace pict;  // the decoder's own types

namespace {

PictResult Decode(const PictWriter& writer, int scale = 1) {
  const std::vector<uint8_t> bytes = writer.Bytes();
  return DecodePict(bytes, {.scale = scale, .vector = true});
}

const std::vector<vector::Operation>& Operations(const PictResult& result) {
  static const std::vector<vector::Operation> kNone;
  return result.drawing ? result.drawing->drawing.operations : kNone;
}

// The operations of one kind, in order.
template <class Op>
std::vector<const Op*> All(const PictResult& result) {
  std::vector<const Op*> found;
  for (const vector::Operation& operation : Operations(result))
    if (const Op* op = std::get_if<Op>(&operation)) found.push_back(op);
  return found;
}

PictWriter& RgbColour(PictWriter& writer, uint16_t opcode, uint32_t rgb) {
  return writer.Op(opcode)
      .U16(uint16_t((rgb >> 16 & 0xFF) * 0x101))
      .U16(uint16_t((rgb >> 8 & 0xFF) * 0x101))
      .U16(uint16_t((rgb & 0xFF) * 0x101));
}

PixmapPlan Bits(int width, int height) {
  PixmapPlan plan;
  plan.depth = 1;
  plan.bitmap = true;
  plan.width = width;
  plan.height = height;
  for (int i = 0; i < width * height; ++i) plan.pixels.push_back((i * 7 + i / width) % 3 == 0);
  plan.palette = {0xFFFFFF, 0x000000};
  return plan;
}

uint32_t Composite(uint32_t cover, uint32_t under) {
  const uint32_t a = cover >> 24;
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8)
    out |= (((cover >> shift & 0xFF) * a + (under >> shift & 0xFF) * (255 - a) + 127) / 255)
           << shift;
  return out;
}

}  // namespace

// Rendered without antialiasing, a drawing takes the colours the canvas has at the centre of
// nearly every pixel: only pixels whose centre lies on an edge may go either way (and text
// outlines, which the drawing strokes where QuickDraw grows the glyph's pixels).
TEST(PictVector, ShapesCoverThePixelsTheCanvasPaints) {
  for (const ConformancePicture& picture : DrawingPictures())
    for (const int scale : {1, 3}) {
      const PictResult result = Decode(picture.picture, scale);
      ASSERT_TRUE(result.drawing) << picture.name << ": " << result.refusal;
      const long differing =
          DifferingPixels(RenderAliased(result.drawing->drawing), result.image, 2);
      const double share = double(differing) / double(result.image.pixels.size());
      const double allowed = picture.name == "drawing-text" ? 0.04 : 0.01;
      EXPECT_LE(share, allowed) << picture.name << " at scale " << scale << ": " << differing
                                << " pixels differ";
    }
}

// For every mode, source and set of colours where a cover is given, painting it over any
// colour gives what the canvas paints there (pixels copied in a source mode, one-bit and colour
// patterns painted in a pattern mode); the modes that depend on what is there give none.
TEST(PictVector, CoversLayWhatTheCanvasPaints) {
  const uint32_t kUnder[] = {0x000000, 0xFFFFFF, 0x808080, 0x3366CC, 0xF0A010};
  const uint32_t kSources[] = {0x000000, 0xFFFFFF, 0x404040, 0x10C080};
  const PaintColours kColours[] = {{0x000000, 0xFFFFFF, 0x000000, 0x000000},
                                   {0xC02020, 0x20C020, 0x808080, 0x2020C0},
                                   {0x102030, 0xF0E0D0, 0x4080C0, 0xFFFFFF}};
  const Region pixel(Rect{0, 0, 1, 1});
  // The canvas's colour after drawing source over under in mode.
  const auto drawn = [&](ModeUse use, int mode, uint32_t source, uint32_t under,
                         const PaintColours& colours, bool colourise) {
    Canvas canvas(1, 1);
    canvas.Paint(pixel, Pattern::Solid(false), kPatCopy, {0, under, 0, 0}, {});
    if (use == ModeUse::Copy) {
      const uint32_t row = 0xFF000000 | source;
      canvas.CopyBits([&row](int) { return &row; }, {0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 1, 1}, mode,
                      pixel, colours);
    } else {
      Pattern pattern = Pattern::Solid(source == 0);
      if (!colourise) pattern.tile = Image(1, 1, 0xFF000000 | source);
      canvas.Paint(pixel, pattern, mode, colours, {});
    }
    return canvas.image().At(0, 0) & 0xFFFFFF;
  };
  int covered = 0;
  for (const ModeUse use : {ModeUse::Copy, ModeUse::Paint})
    for (const bool colourise : {true, false}) {
      if (use == ModeUse::Copy && !colourise) continue;  // copies always colourise
      for (int mode = 0; mode < 128; ++mode)
        for (const PaintColours& colours : kColours)
          for (const uint32_t source : kSources) {
            // One-bit patterns are black and white only.
            if (use == ModeUse::Paint && colourise && source != 0 && source != 0xFFFFFF) continue;
            const std::optional<uint32_t> cover = CoverOf(use, mode, source, colours, colourise);
            if (!cover) continue;
            ++covered;
            for (const uint32_t under : kUnder) {
              const uint32_t painted = drawn(use, mode, source, under, colours, colourise);
              const uint32_t laid = Composite(*cover, under);
              for (int shift = 0; shift <= 16; shift += 8)
                ASSERT_LE(std::abs(int(painted >> shift & 0xFF) - int(laid >> shift & 0xFF)), 1)
                    << (use == ModeUse::Copy ? "copy"
                        : colourise          ? "pattern"
                                             : "colour pattern")
                    << " mode " << mode << " source " << std::hex << source << " under " << under;
            }
          }
    }
  EXPECT_GT(covered, 1000);
  // Blend weighs by the OpColor: by a grey one all channels alike, as an alpha does.
  const PaintColours grey{0x000000, 0xFFFFFF, 0x606060, 0x000000};
  const PaintColours coloured{0x000000, 0xFFFFFF, 0x4080C0, 0x000000};
  const struct {
    int mode;
    uint32_t source;
    const PaintColours& colours;
    bool covered;
  } kExpected[] = {{kSrcXor, 0x000000, grey, false},     {kSrcXor, 0xFFFFFF, grey, true},
                   {kNotSrcXor, 0x000000, grey, true},   {kAddMax, 0x000000, grey, false},
                   {kSubPin, 0x000000, grey, false},     {kHilite, 0x000000, grey, false},
                   {kSrcOr, 0x404040, grey, true},       {kSrcOr, 0x10C080, grey, false},
                   {kTransparent, 0x10C080, grey, true}, {kBlend, 0x000000, grey, true},
                   {kBlend, 0x000000, coloured, false}};
  for (const auto& e : kExpected)
    EXPECT_EQ(CoverOf(ModeUse::Copy, e.mode, e.source, e.colours, true).has_value(), e.covered)
        << "mode " << e.mode << " source " << std::hex << e.source;
}

TEST(PictVector, EachOpcodeBecomesWhatADrawingSaysItWith) {
  struct Case {
    const char* what;
    std::function<void(PictWriter&)> draw;
    int scale;
    std::function<void(const PictResult&)> check;
  };
  const Case cases[] = {
      {"a pixmap is an image at its own resolution",
       [](PictWriter& w) {
         PixmapPlan plan;
         plan.depth = 32;
         plan.width = 3;
         plan.height = 2;
         plan.pixels = {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x123456};
         plan.destination = {2, 2, 8, 6};
         w.Pixmap(plan);
       },
       2,
       [](const PictResult& r) {
         const auto images = All<vector::ImageOp>(r);
         ASSERT_EQ(images.size(), 1u);
         EXPECT_EQ(images[0]->pixels.width, 3);
         EXPECT_EQ(images[0]->pixels.argb[5] & 0xFFFFFF, 0x123456u);
         EXPECT_FALSE(images[0]->mask);
         // Six canvas pixels a source pixel across at scale 2, four down.
         EXPECT_EQ(images[0]->placement.Apply({3, 2}), (vector::Point{16, 12}));
       }},
      {"a bitmap in srcOr is a mask in the foreground colour",
       [](PictWriter& w) {
         RgbColour(w, 0x1A, 0xC00000);
         PixmapPlan bits = Bits(8, 4);
         bits.mode = kSrcOr;
         w.Pixmap(bits);
       },
       1,
       [](const PictResult& r) {
         const auto images = All<vector::ImageOp>(r);
         ASSERT_EQ(images.size(), 1u);
         ASSERT_TRUE(images[0]->mask);
         EXPECT_EQ(*images[0]->mask, 0xFFC00000u);
         EXPECT_EQ(All<vector::FillOp>(r).size(), 1u) << "the page only";
       }},
      {"a bitmap in srcCopy is its background, and its foreground as a mask",
       [](PictWriter& w) {
         RgbColour(w, 0x1A, 0x0000C0);
         RgbColour(w, 0x1B, 0xFFFF80);
         w.Pixmap(Bits(8, 4));
       },
       1,
       [](const PictResult& r) {
         const auto fills = All<vector::FillOp>(r);
         const auto images = All<vector::ImageOp>(r);
         ASSERT_EQ(fills.size(), 2u);
         ASSERT_EQ(images.size(), 1u);
         ASSERT_TRUE(images[0]->mask);
         EXPECT_EQ(fills[1]->paint.colour | *images[0]->mask, 0xFFFFFFC0u);
       }},
      {"xor is the canvas's pixels of what it touched, with a note",
       [](PictWriter& w) {
         w.Op(0x0008).U16(kPatXor).Op(0x31).RectData({4, 2, 12, 7});
       },
       1,
       [](const PictResult& r) {
         const auto images = All<vector::ImageOp>(r);
         ASSERT_EQ(images.size(), 1u);
         EXPECT_EQ(images[0]->pixels.width, 8);
         EXPECT_EQ(images[0]->pixels.height, 5);
         EXPECT_EQ(images[0]->placement.Apply({0, 0}), (vector::Point{4, 2}));
         EXPECT_EQ(images[0]->pixels.argb[0] & 0xFFFFFF, 0u) << "white turned black";
         EXPECT_EQ(r.drawing->note, "parts drawn in patXor mode are pixels");
       }},
      {"a clip region clips what follows, and is undone at the end",
       [](PictWriter& w) {
         w.Op(0x0001).RegionData({{0, 0, 10, 5}, {5, 5, 15, 10}});
         w.Op(0x31).RectData({0, 0, 16, 12});
       },
       1,
       [](const PictResult& r) {
         const auto& ops = Operations(r);
         ASSERT_EQ(ops.size(), 4u);
         EXPECT_TRUE(std::holds_alternative<vector::ClipOp>(ops[1]));
         EXPECT_TRUE(std::holds_alternative<vector::FillOp>(ops[2]));
         EXPECT_TRUE(std::holds_alternative<vector::UnclipOp>(ops[3]));
       }},
      {"an 8x8 pattern is a tile at its device size",
       [](PictWriter& w) {
         w.Op(0x000A).Raw({0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22});
         w.Op(0x34).RectData({1, 1, 15, 11});
       },
       2,
       [](const PictResult& r) {
         const auto fills = All<vector::FillOp>(r);
         ASSERT_EQ(fills.size(), 2u);
         const vector::Paint& paint = fills[1]->paint;
         ASSERT_EQ(paint.tile.width, 8);
         EXPECT_EQ(paint.tile.At(0, 0), 0xFF000000u);
         EXPECT_EQ(paint.tile.At(1, 0), 0xFFFFFFFFu);
         EXPECT_EQ(paint.tilePlacement.Apply({8, 8}), (vector::Point{8, 8}))
             << "one cell a canvas pixel, from the picture's origin";
       }},
      {"text is text in the chosen font at the canvas's size",
       [](PictWriter& w) {
         w.Op(0x0003).U16(21).Op(0x000D).U16(12);
         w.Op(0x28).PointData(2, 12).U8(5).Raw({'H', 'e', 'l', 'l', 'o'});
       },
       2,
       [](const PictResult& r) {
         const auto texts = All<vector::TextOp>(r);
         ASSERT_EQ(texts.size(), 1u);
         EXPECT_EQ(texts[0]->run.utf8, "Hello");
         EXPECT_EQ(texts[0]->run.font.family, "Liberation Sans");
         EXPECT_EQ(texts[0]->run.font.size, 24);
         EXPECT_EQ(texts[0]->placement.Apply({0, 0}), (vector::Point{4, 24}));
       }},
  };
  for (const Case& c : cases) {
    PictWriter writer;
    writer.Frame(0, 0, 16, 12);
    c.draw(writer);
    const PictResult result = Decode(writer.End(), c.scale);
    ASSERT_TRUE(result.drawing) << c.what << ": " << result.refusal;
    SCOPED_TRACE(c.what);
    c.check(result);
  }
}

TEST(PictVector, QuickTimeJpegKeepsItsBytes) {
  for (const ConformancePicture& picture : OpcodeFamilyPictures()) {
    if (picture.name != "quicktime-jpeg") continue;
    const std::vector<uint8_t> file = picture.picture.Bytes();
    const PictResult result = DecodePict(file, {.vector = true});
    const auto images = All<vector::ImageOp>(result);
    ASSERT_EQ(images.size(), 1u);
    const std::vector<uint8_t>& jpeg = images[0]->jpeg;
    ASSERT_GT(jpeg.size(), 2u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_NE(std::search(file.begin(), file.end(), jpeg.begin(), jpeg.end()), file.end());
    return;
  }
  FAIL() << "no quicktime-jpeg picture";
}

// The page keeps the picture's physical size at any scale; a picture recorded at another
// resolution keeps its own pixels and their size.
TEST(PictVector, ThePageIsThePictureAtItsPhysicalSize) {
  struct Case {
    const char* what;
    PictWriter writer;
    int scale;
    vector::Page page;
  };
  Case cases[] = {
      {"72 dpi", PictWriter().Frame(10, 20, 110, 70), 1, {100, 50, 72, 72}},
      {"72 dpi at scale 3", PictWriter().Frame(10, 20, 110, 70), 3, {300, 150, 216, 216}},
      {"144 dpi at scale 2",
       PictWriter().ExtendedVersion2(144, 144, {0, 0, 40, 20}).Frame(0, 0, 20, 10),
       2,
       {80, 40, 288, 288}},
  };
  for (Case& c : cases) {
    const PictResult result = Decode(c.writer.End(), c.scale);
    ASSERT_TRUE(result.drawing) << c.what << ": " << result.refusal;
    const vector::Page& page = result.drawing->drawing.page;
    EXPECT_EQ(page.width, c.page.width) << c.what;
    EXPECT_EQ(page.height, c.page.height) << c.what;
    EXPECT_EQ(page.unitsPerInchX, c.page.unitsPerInchX) << c.what;
    EXPECT_EQ(page.unitsPerInchY, c.page.unitsPerInchY) << c.what;
  }
  // Without the option, or refused, there is no drawing.
  const std::vector<uint8_t> bytes = PictWriter().Frame(0, 0, 4, 4).End().Bytes();
  EXPECT_FALSE(DecodePict(bytes).drawing);
  EXPECT_FALSE(DecodePict(std::span(bytes).first(520), {.vector = true}).drawing);
}
