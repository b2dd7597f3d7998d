// Drawings as values (vector/): paths, the renderer with its transformation and colour function,
// and the SVG and PDF documents written through Cairo, read back by xmllint and pdftotext.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "picture/picture.h"
#include "platform/files.h"
#include "tests/support/rendered.h"
#include "tests/support/run_program.h"
#include "vector/drawing.h"
#include "vector/render.h"

using vector::Colour;
using vector::Drawing;
using vector::Matrix;
using vector::Path;
using vector::Pixels;

namespace {

constexpr Colour kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                 kBlack = 0xFF000000;

Drawing Page(int width, int height) {
  Drawing drawing;
  drawing.page = {double(width), double(height), 72, 72};
  return drawing;
}

vector::FillOp Fill(Path path, Colour colour, vector::FillRule rule = vector::FillRule::Winding) {
  return {std::move(path), rule, vector::Paint::Solid(colour)};
}

Pixels Tile(int width, int height, std::vector<Colour> colours) {
  Pixels tile(width, height, 0);
  tile.argb = std::move(colours);
  return tile;
}

bool InRect(int x, int y, int left, int top, int right, int bottom) {
  return x >= left && x < right && y >= top && y < bottom;
}

// The pixel where a rendering first differs from what is expected, or "".
std::string FirstDifference(const pict::Image& image, const std::function<Colour(int, int)>& at) {
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if ((image.At(x, y) & 0xFFFFFF) != (at(x, y) & 0xFFFFFF)) {
        char text[80];
        std::snprintf(text, sizeof text, "pixel %d,%d is %06X, not %06X", x, y,
                      image.At(x, y) & 0xFFFFFF, at(x, y) & 0xFFFFFF);
        return text;
      }
  return "";
}

std::string DocumentText(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// A small picture as a JPEG file, with FreeImage's own encoder.
std::vector<uint8_t> JpegFile(int width, int height) {
  const Bitmap picture(FreeImage_Allocate(width, height, 24));
  for (int y = 0; y < height; ++y) {
    BYTE* row = FreeImage_GetScanLine(picture.get(), y);
    for (int x = 0; x < 3 * width; ++x) row[x] = BYTE(x * 29 + y * 53);
  }
  FIMEMORY* memory = FreeImage_OpenMemory();
  FreeImage_SaveToMemory(FIF_JPEG, picture.get(), memory, 0);
  BYTE* data = nullptr;
  DWORD size = 0;
  FreeImage_AcquireMemory(memory, &data, &size);
  std::vector<uint8_t> bytes(data, data + size);
  FreeImage_CloseMemory(memory);
  return bytes;
}

}  // namespace

TEST(Matrix, ComposesInTheOrderGiven) {
  const Matrix moveThenScale = Matrix::Translation(1, 2).Then(Matrix::Scaling(2, 3));
  EXPECT_EQ(moveThenScale.Apply({1, 1}), (vector::Point{4, 9}));
  const vector::Point turned = Matrix::Rotation(90).Apply({1, 0});
  EXPECT_NEAR(turned.x, 0, 1e-12);
  EXPECT_NEAR(turned.y, 1, 1e-12) << "clockwise on a page whose y axis points down";
}

TEST(Path, EllipseArcsStayOnTheEllipse) {
  struct Case {
    double rx, ry, from, to;
  };
  const Case cases[] = {{10, 5, 0, 2 * std::numbers::pi},
                        {3000, 1000, -0.3, 2.5},
                        {40, 40, 1, -2},
                        {0.5, 2, 0, std::numbers::pi / 3}};
  for (const Case& c : cases) {
    const vector::Point centre{7, -3};
    Path path;
    path.EllipseArc(centre, c.rx, c.ry, c.from, c.to);
    const auto segments = path.Segments();
    ASSERT_GE(segments.size(), 2u);
    vector::Point start = segments[0].points[0];
    EXPECT_NEAR(start.x, centre.x + c.rx * std::cos(c.from), 1e-9);
    // Points along each cubic, as Cairo will draw it, lie on the ellipse.
    double worst = 0;
    for (size_t i = 1; i < segments.size(); ++i) {
      ASSERT_EQ(segments[i].kind, Path::Kind::Curve);
      const vector::Point* p = segments[i].points;
      for (double t = 0; t <= 1; t += 0.125) {
        const double u = 1 - t;
        const double x = u * u * u * start.x + 3 * u * u * t * p[0].x + 3 * u * t * t * p[1].x +
                         t * t * t * p[2].x;
        const double y = u * u * u * start.y + 3 * u * u * t * p[0].y + 3 * u * t * t * p[1].y +
                         t * t * t * p[2].y;
        const double dx = (x - centre.x) / c.rx, dy = (y - centre.y) / c.ry;
        worst = std::max(worst, std::abs(std::hypot(dx, dy) - 1) * std::max(c.rx, c.ry));
      }
      start = p[2];
    }
    EXPECT_LT(worst, 0.01) << c.rx << " x " << c.ry;
    EXPECT_NEAR(start.y, centre.y + c.ry * std::sin(c.to), 1e-6);
  }
}

TEST(Path, CoordinatesBeyondAnyPageAreHeld) {
  Path path;
  path.MoveTo({1e30, -1e30}).LineTo({std::nan(""), 5});
  EXPECT_EQ(path.Segments()[0].points[0], (vector::Point{Path::kFar, -Path::kFar}));
  EXPECT_EQ(path.Segments()[1].points[0], (vector::Point{0, 5}));
}

TEST(Render, EachOperationCoversThePixelsItSays) {
  struct Case {
    const char* what;
    std::function<void(Drawing&)> draw;
    std::function<Colour(int x, int y)> expected;
    vector::RenderOptions options = {};
  };
  const Case cases[] = {
      {"a filled rectangle",
       [](Drawing& d) { d.operations.push_back(Fill(Path().Rectangle(2, 3, 7, 6), kRed)); },
       [](int x, int y) { return InRect(x, y, 2, 3, 7, 6) ? kRed : kWhite; }},
      {"an even-odd ring leaves its hole",
       [](Drawing& d) {
         d.operations.push_back(Fill(Path().Rectangle(1, 1, 11, 11).Rectangle(4, 4, 8, 8), kBlue,
                                     vector::FillRule::EvenOdd));
       },
       [](int x, int y) {
         return InRect(x, y, 1, 1, 11, 11) && !InRect(x, y, 4, 4, 8, 8) ? kBlue : kWhite;
       }},
      {"a tile repeats from where it is placed",
       [](Drawing& d) {
         vector::Paint paint;
         paint.tile = Tile(2, 2, {kRed, kGreen, kBlue, kBlack});
         paint.tilePlacement = Matrix::Translation(1, 0);
         d.operations.push_back({vector::FillOp{Path().Rectangle(0, 0, 12, 12), {}, paint}});
       },
       [](int x, int y) {
         const Colour tile[] = {kRed, kGreen, kBlue, kBlack};
         return tile[((x + 1) % 2) + 2 * (y % 2)];
       }},
      {"a clip holds until it is undone",
       [](Drawing& d) {
         d.operations.push_back(vector::ClipOp{Path().Rectangle(0, 0, 5, 12)});
         d.operations.push_back(Fill(Path().Rectangle(0, 0, 12, 6), kRed));
         d.operations.push_back(vector::UnclipOp{});
         d.operations.push_back(Fill(Path().Rectangle(0, 6, 12, 12), kGreen));
       },
       [](int x, int y) { return y >= 6  ? kGreen
                                 : x < 5 ? kRed
                                         : kWhite; }},
      {"an image is sampled nearest where it is placed",
       [](Drawing& d) {
         d.operations.push_back(
             vector::ImageOp{Tile(2, 2, {kRed, kGreen, kBlue, kBlack}),
                             Matrix::Scaling(3, 3).Then(Matrix::Translation(1, 2))});
       },
       [](int x, int y) {
         if (!InRect(x, y, 1, 2, 7, 8)) return kWhite;
         const Colour image[] = {kRed, kGreen, kBlue, kBlack};
         return image[(x - 1) / 3 + 2 * ((y - 2) / 3)];
       }},
      {"a mask lays its colour where its pixels have alpha",
       [](Drawing& d) {
         d.operations.push_back(
             vector::ImageOp{Tile(2, 1, {kBlack, 0}),
                             Matrix::Scaling(2, 2).Then(Matrix::Translation(2, 2)), kGreen});
       },
       [](int x, int y) { return InRect(x, y, 2, 2, 4, 4) ? kGreen : kWhite; }},
      {"the transformation moves everything",
       [](Drawing& d) { d.operations.push_back(Fill(Path().Rectangle(1, 0, 4, 2), kRed)); },
       [](int x, int y) { return InRect(x, y, 10, 1, 12, 4) ? kRed : kWhite; },
       {Matrix::Rotation(90).Then(Matrix::Translation(12, 0)), {}}},
      {"the colour function reaches fills, tiles and images",
       [](Drawing& d) {
         d.operations.push_back(Fill(Path().Rectangle(0, 0, 4, 12), kRed));
         vector::Paint paint;
         paint.tile = Tile(1, 2, {kGreen, kBlue});
         d.operations.push_back({vector::FillOp{Path().Rectangle(4, 0, 8, 12), {}, paint}});
         d.operations.push_back(vector::ImageOp{
             Tile(1, 1, {kBlack}), Matrix::Scaling(4, 12).Then(Matrix::Translation(8, 0))});
       },
       [](int x, int y) -> Colour {
         if (x < 4) return 0xFF00FFFF;
         if (x < 8) return y % 2 ? 0xFFFFFF00 : 0xFFFF00FF;
         return kWhite;
       },
       {{}, [](uint32_t rgb) { return rgb ^ 0xFFFFFFu; }}},
  };
  for (const Case& c : cases) {
    Drawing drawing = Page(12, 12);
    c.draw(drawing);
    const pict::Image image = RenderAliased(drawing, c.options);
    EXPECT_EQ(FirstDifference(image, c.expected), "") << c.what;
  }
}

TEST(Render, HalfTransparentColoursBlend) {
  Drawing drawing = Page(4, 4);
  drawing.operations.push_back(Fill(Path().Rectangle(0, 0, 4, 4), 0x80000000));
  const uint32_t grey = RenderAliased(drawing).At(1, 1) & 0xFF;
  EXPECT_NEAR(grey, 127, 1);
}

TEST(Encode, DocumentsHaveThePagesPhysicalSize) {
  // 300 x 150 units at 300 an inch: an inch by half an inch, 72 x 36 points.
  Drawing drawing = Page(300, 150);
  drawing.page.unitsPerInchX = drawing.page.unitsPerInchY = 300;
  drawing.operations.push_back(Fill(Path().Rectangle(0, 0, 300, 150), kRed));
  std::string message;
  const auto svg = vector::EncodeSvg(vector::PageOf(drawing), message);
  const auto pdf = vector::EncodePdf(vector::PageOf(drawing), message);
  ASSERT_TRUE(svg && pdf) << message;
  EXPECT_NE(DocumentText(*svg).find("width=\"72pt\" height=\"36pt\""), std::string::npos);
  EXPECT_NE(DocumentText(*pdf).find("/MediaBox [ 0 0 72 36 ]"), std::string::npos);

  drawing.page.width = 0;
  EXPECT_FALSE(vector::EncodePdf(vector::PageOf(drawing), message));
  EXPECT_NE(message.find("empty"), std::string::npos) << message;
}

TEST(Encode, EveryKindOfOperationMakesWellFormedSvgAndSearchablePdf) {
  Drawing drawing = Page(200, 80);
  drawing.operations.push_back(vector::ClipOp{Path().Rectangle(0, 0, 190, 80)});
  vector::Paint paint;
  paint.tile = Tile(2, 1, {kRed, 0});
  drawing.operations.push_back({vector::FillOp{Path().Rectangle(0, 0, 50, 20), {}, paint}});
  drawing.operations.push_back(
      vector::ImageOp{Tile(2, 1, {kBlack, 0}), Matrix::Scaling(4, 4), kBlue});
  drawing.operations.push_back(
      vector::ImageOp{Tile(1, 2, {kGreen, kRed}), Matrix::Translation(60, 0)});
  vector::TextOp text;
  text.run = {"Plain words", {"Liberation Sans", 14, false, false}, {}};
  text.placement = Matrix::Translation(10, 40);
  drawing.operations.push_back(text);
  text.run.utf8 = "Outlined words";
  text.placement = Matrix::Translation(10, 70);
  text.outline = text.shadow = true;
  drawing.operations.push_back(text);

  ScratchFolder scratch;
  std::string message;
  const auto svg = WriteDocument(drawing, Document::Svg, scratch.path(), message);
  const auto pdf = WriteDocument(drawing, Document::Pdf, scratch.path(), message);
  ASSERT_TRUE(svg && pdf) << message;
  EXPECT_TRUE(IsWellFormedXml(*svg));
  const std::string words = PdfText(*pdf);
  EXPECT_NE(words.find("Plain words"), std::string::npos) << words;
  EXPECT_NE(words.find("Outlined words"), std::string::npos) << words;
}

TEST(Encode, AJpegGoesIntoThePdfAsItCameUnlessItsColoursChange) {
  const std::vector<uint8_t> jpeg = JpegFile(16, 8);
  FIMEMORY* memory = FreeImage_OpenMemory(const_cast<BYTE*>(jpeg.data()), DWORD(jpeg.size()));
  const Bitmap decoded(FreeImage_LoadFromMemory(FIF_JPEG, memory, 0));
  FreeImage_CloseMemory(memory);
  ASSERT_TRUE(decoded);
  Pixels pixels(16, 8, kBlack);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) {
      RGBQUAD c;
      FreeImage_GetPixelColor(decoded.get(), unsigned(x), unsigned(7 - y), &c);
      pixels.At(x, y) = kBlack | uint32_t(c.rgbRed) << 16 | uint32_t(c.rgbGreen) << 8 | c.rgbBlue;
    }
  Drawing drawing = Page(16, 8);
  drawing.operations.push_back(vector::ImageOp{pixels, {}, std::nullopt, {}, jpeg});

  const auto contains = [&jpeg](const std::vector<uint8_t>& pdf) {
    return std::search(pdf.begin(), pdf.end(), jpeg.begin(), jpeg.end()) != pdf.end();
  };
  std::string message;
  vector::OutputPage page = vector::PageOf(drawing);
  const auto kept = vector::EncodePdf(page, message);
  ASSERT_TRUE(kept) << message;
  EXPECT_TRUE(contains(*kept));
  page.layers[0].render.colour = [](uint32_t rgb) { return rgb ^ 0xFFFFFFu; };
  const auto changed = vector::EncodePdf(page, message);
  ASSERT_TRUE(changed) << message;
  EXPECT_FALSE(contains(*changed));
}

// A page of several drawings, as the conversion steps will make one: the picture turned a
// quarter and in its colours inverted, a frame over it in the page's own points, on a background.
TEST(Encode, APageLaysItsDrawingsInOrderEachWithItsOwnTransformationAndColours) {
  Drawing picture = Page(20, 10);
  picture.operations.push_back(Fill(Path().Rectangle(0, 0, 20, 10), kWhite));
  picture.operations.push_back(Fill(Path().Rectangle(0, 0, 5, 10), kBlack));
  Drawing frame = Page(14, 24);
  frame.operations.push_back(Fill(Path().Rectangle(0, 0, 14, 24).Rectangle(2, 2, 12, 22), kRed,
                                  vector::FillRule::EvenOdd));
  vector::OutputPage page;
  page.width = 14;
  page.height = 24;
  page.background = kGreen;
  page.layers.push_back({&picture,
                         {Matrix::Rotation(90).Then(Matrix::Translation(12, 2)),
                          [](uint32_t rgb) { return rgb ^ 0xFFFFFFu; }}});
  page.layers.push_back({&frame, {}});
  ScratchFolder scratch;
  std::string message;
  const auto pdf = vector::EncodePdf(page, message);
  ASSERT_TRUE(pdf) << message;
  ASSERT_TRUE(WriteFileBytes(scratch / "page.pdf", std::string(pdf->begin(), pdf->end())));
  const PictureFile back =
      RenderBack(scratch / "page.pdf", Renderer::PopplerCairo, {14, 24, 72, 72});
  ASSERT_TRUE(back.IsLoaded());
  EXPECT_EQ(back.At(0, 0), (Rgb{255, 0, 0})) << "the frame";
  EXPECT_EQ(back.At(8, 4), (Rgb{255, 255, 255})) << "the picture's black end, turned and inverted";
  EXPECT_EQ(back.At(4, 18), (Rgb{0, 0, 0})) << "the rest of it";

  page.layers.clear();
  const auto bare = vector::EncodePdf(page, message);
  ASSERT_TRUE(bare) << message;
  ASSERT_TRUE(WriteFileBytes(scratch / "bare.pdf", std::string(bare->begin(), bare->end())));
  EXPECT_EQ(RenderBack(scratch / "bare.pdf", Renderer::PopplerCairo, {14, 24, 72, 72}).At(4, 4),
            (Rgb{0, 255, 0}))
      << "the background";
}
