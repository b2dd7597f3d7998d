// tests/support/rendered.h: drawings written as SVG and PDF, rendered back by librsvg
// (rsvg-convert) and poppler (pdftoppm, pdftotext), and how closely a rendering agrees with the
// decoder's own pixels.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pict/decode.h"
#include "pict/image.h"
#include "tests/support/pixels.h"
#include "vector/drawing.h"
#include "vector/render.h"

enum class Document { Svg, Pdf };

// The drawing on its own page as an SVG or PDF document in a file of folder (named after the
// format); empty, with the reason written to message, when it cannot be encoded or written.
std::optional<std::string> WriteDocument(const vector::Drawing& drawing, Document format,
                                         const std::string& folder, std::string& message);

// The programs that render a document back.
enum class Renderer {
  Librsvg,        // rsvg-convert, for SVG
  PopplerCairo,   // pdftocairo, for PDF: poppler through Cairo
  PopplerSplash,  // pdftoppm, for PDF: poppler's own rasteriser
};

// The document rendered back with one pixel for each unit of page, page.width x page.height
// pixels (the canvas's size when page is a decoded picture's); rsvg-convert may give a row or
// column more, when the page's size in points is rounded up. Not loaded when the program
// fails.
PictureFile RenderBack(const std::string& document, Renderer renderer, const vector::Page& page);

// The text pdftotext finds in a PDF file; empty when it fails.
std::string PdfText(const std::string& pdf);

// True when xmllint reads the file as well-formed XML.
bool IsWellFormedXml(const std::string& path);

// How many of a rendering's pixels must show the canvas's colours or mixes of them
// (MixAgreement): all but the odd pixel where a curve's outline and QuickDraw's choice of
// pixels part by more than antialiasing can account for.
constexpr double kMixAgreement = 0.997;

// The decoded picture's drawing as SVG and PDF in folder, rendered back by rsvg-convert and by
// pdftocairo (poppler's own rasteriser, pdftoppm, smooths every image and pattern cell it draws
// at under four times its size, whatever the PDF asks, so it does not show what a document
// holds): fails when either cannot be written or rendered, when either agrees with the canvas on
// less than the share least of its pixels or shows its colours and their mixes on less than
// kMixAgreement of them, or when the SVG is not well-formed XML. pdf gets the PDF's path.
::testing::AssertionResult RendersBackAsTheCanvas(const pict::PictResult& result, double least,
                                                  const std::string& folder, std::string& pdf);

// The drawing rendered by Cairo onto a white picture of width x height pixels (the page's size
// when 0), through options, without antialiasing: every pixel whose centre a shape encloses
// takes its colour, as the decoder's canvas paints.
pict::Image RenderAliased(const vector::Drawing& drawing, const vector::RenderOptions& options = {},
                          int width = 0, int height = 0);

// The number of pixels whose colours differ by more than tolerance in some channel; -1 when the
// sizes differ.
long DifferingPixels(const pict::Image& a, const pict::Image& b, int tolerance);

// The share (0 to 1) of reference's pixels where rendered's colour lies within 64 levels in
// every channel of that pixel of reference or of one of its eight neighbours (so that
// antialiased edges count); 0 when rendered is smaller than reference or more than a pixel
// larger either way.
double Agreement(const pict::Image& reference, const PictureFile& rendered);

// The share (0 to 1) of reference's pixels where rendered's colour lies within 64 levels in
// every channel of one of the colours of that pixel of reference and its eight neighbours, or
// of a mix of two of them: what antialiasing makes of an edge between them. Agreement counts a
// pixel half covered by a line one pixel wide as wrong, since its grey is more than 64 levels
// from both the line's black and the paper's white; this counts it right, while a colour the
// canvas does not show nearby still counts wrong. 0 when the sizes are as Agreement does not
// take them.
double MixAgreement(const pict::Image& reference, const PictureFile& rendered);

// The number of reference's pixels that rendered does not show exactly; -1 when the sizes are
// as Agreement does not take them.
long DifferingPixels(const pict::Image& reference, const PictureFile& rendered);
