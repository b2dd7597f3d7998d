// tests/support/rendered.h: drawings written as SVG and PDF, rendered back by librsvg
// (rsvg-convert) and poppler (pdftoppm, pdftotext), and how closely a rendering agrees with the
// decoder's own pixels.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pict/image.h"
#include "tests/support/pixels.h"
#include "vector/drawing.h"

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

// The document rendered back with one pixel for each unit of page (so the canvas's size when
// page is a decoded picture's). Not loaded when the program fails.
PictureFile RenderBack(const std::string& document, Renderer renderer, const vector::Page& page);

// The text pdftotext finds in a PDF file; empty when it fails.
std::string PdfText(const std::string& pdf);

// True when xmllint reads the file as well-formed XML.
bool IsWellFormedXml(const std::string& path);

// The share (0 to 1) of rendered's pixels whose colour lies within 64 levels in every channel of
// the same pixel of reference or of one of its eight neighbours (so that antialiased edges
// count); 0 when the sizes differ.
double Agreement(const pict::Image& reference, const PictureFile& rendered);

// The number of rendered's pixels that differ from reference's at all; -1 when the sizes differ.
long DifferingPixels(const pict::Image& reference, const PictureFile& rendered);
