// The real corpus as drawings. Each drawing (a file that is more than a single pixmap or
// QuickTime image), as SVG and PDF rendered back by librsvg and by poppler at 1x and 4x,
// agrees with the decoder's pixels at the same scale on at least 97 % of its pixels (within 64
// levels of the pixel or a neighbour); its SVG is well-formed and pdftotext finds every string
// it draws. A file that holds a single pixmap gives a PDF whose image is the decoder's pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "pict/decode.h"
#include "platform/files.h"
#include "platform/process.h"
#include "tests/support/corpus.h"
#include "tests/support/corpus_drawings.h"
#include "tests/support/rendered.h"
#include "tests/support/run_program.h"

namespace {

pict::PictResult DecodeFile(const std::string& file, int scale) {
  const auto bytes = ReadFileBytes(Corpus("pict-real/" + file));
  if (!bytes) {
    pict::PictResult unread;
    unread.refusal = "cannot read " + file;
    return unread;
  }
  const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
  return pict::DecodePict({data, bytes->size()}, {.scale = scale, .vector = true});
}

std::string WithoutSpaces(const std::string& text) {
  std::string kept;
  for (const char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) kept += c;
  return kept;
}

struct Rendition {
  const Drawing* drawing;
  int scale;
};

void PrintTo(const Rendition& rendition, std::ostream* out) {
  *out << rendition.drawing->file << " at " << rendition.scale << "x";
}

std::vector<Rendition> Renditions() {
  std::vector<Rendition> renditions;
  for (const Drawing& drawing : kDrawings)
    for (const int scale : {1, 4}) renditions.push_back({&drawing, scale});
  return renditions;
}

class VectorCorpus : public ::testing::TestWithParam<Rendition> {};

}  // namespace

TEST_P(VectorCorpus, DrawingRendersBackAsTheCanvasShowsIt) {
  REQUIRE_CORPUS();
  const Rendition& rendition = GetParam();
  const pict::PictResult result = DecodeFile(rendition.drawing->file, rendition.scale);
  ASSERT_TRUE(result.drawing) << result.refusal;
  const double least = rendition.scale == 1 ? rendition.drawing->floorAt1x : 0.97;
  ScratchFolder scratch;
  std::string pdf;
  ASSERT_TRUE(RendersBackAsTheCanvas(result, least, scratch.path(), pdf));
  if (rendition.scale != 1) return;
  // Every string the picture draws, as pdftotext reads it (which may break a line or space
  // letters apart).
  const std::string words = WithoutSpaces(PdfText(pdf));
  for (const vector::Operation& operation : result.drawing->drawing.operations) {
    const auto* text = std::get_if<vector::TextOp>(&operation);
    if (!text) continue;
    EXPECT_NE(words.find(WithoutSpaces(text->run.utf8)), std::string::npos)
        << '"' << text->run.utf8 << "\" is not in the PDF's text";
  }
}

INSTANTIATE_TEST_SUITE_P(Files, VectorCorpus, ::testing::ValuesIn(Renditions()),
                         [](const ::testing::TestParamInfo<Rendition>& info) {
                           std::string name = info.param.drawing->file;
                           name = name.substr(name.find('/') + 1) + "_at_" +
                                  std::to_string(info.param.scale) + "x";
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// The PDF holds the pixmap itself, as pdfimages takes it out: the decoder's pixels, or for a
// bitmap of two colours a mask painted exactly where the decoder shows its colour.
TEST(VectorCorpus, APixmapIsThePdfsImagePixelForPixel) {
  REQUIRE_CORPUS();
  for (const char* file : kPixmaps) {
    SCOPED_TRACE(file);
    const pict::PictResult result = DecodeFile(file, 1);
    ASSERT_TRUE(result.drawing) << result.refusal;
    const vector::ImageOp* image = nullptr;
    for (const vector::Operation& operation : result.drawing->drawing.operations)
      if (const auto* op = std::get_if<vector::ImageOp>(&operation)) {
        ASSERT_FALSE(image) << "more than one image";
        image = op;
      }
    ASSERT_TRUE(image);
    const vector::Matrix& at = image->placement;
    ASSERT_TRUE(at.xx == 1 && at.yy == 1 && at.xy == 0 && at.yx == 0) << "an image not 1:1";
    ScratchFolder scratch;
    std::string message;
    const auto pdf = WriteDocument(result.drawing->drawing, Document::Pdf, scratch.path(), message);
    ASSERT_TRUE(pdf) << message;
    ASSERT_TRUE(RunProgram({"pdfimages", "-png", *pdf, scratch / "image"}, 60000).Succeeded());
    const PictureFile extracted(scratch / "image-000.png");
    ASSERT_TRUE(extracted.IsLoaded());
    ASSERT_EQ(extracted.width(), image->pixels.width);
    ASSERT_EQ(extracted.height(), image->pixels.height);
    // A stencil comes out black where it paints.
    const Rgb paints{0, 0, 0};
    long differing = 0;
    for (int y = 0; y < result.image.height; ++y)
      for (int x = 0; x < result.image.width; ++x) {
        const int ix = x - int(at.x0), iy = y - int(at.y0);
        if (!extracted.Contains(ix, iy)) continue;
        const uint32_t shown = result.image.At(x, y) & 0xFFFFFF;
        const Rgb held = extracted.At(ix, iy);
        const bool same =
            image->mask ? (held == paints) == (shown == (*image->mask & 0xFFFFFF))
                        : held == Rgb{int(shown >> 16), int(shown >> 8 & 0xFF), int(shown & 0xFF)};
        differing += !same;
      }
    EXPECT_EQ(differing, 0);
  }
}
