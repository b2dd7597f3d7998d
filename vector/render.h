// vector/render.h: a drawing drawn onto a Cairo context, and written as one page of SVG or PDF
// in memory through Cairo's own SVG and PDF surfaces. On the way out every colour and every
// image's pixels may pass through a colour function, and the whole drawing through a
// transformation: that is how resizing, turning, flipping and the colour steps reach a
// drawing without changing it.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "vector/drawing.h"

namespace vector {

// Changes a colour on its way out: 0xRRGGBB in, 0xRRGGBB out (the top byte of both is 0; the
// alpha of what it colours is kept).
using ColourFunction = std::function<uint32_t(uint32_t rgb)>;

struct RenderOptions {
  Matrix transform;       // drawing units to the context's user space
  ColourFunction colour;  // empty: every colour as it is
};

// Draws the operations of drawing in order onto cr, through options.transform and
// options.colour; clips the drawing leaves pushed are popped at its end, and cr's state is
// as it was. Text is laid out as vector/text_layout.h lays it out, so it stands where a
// picture's pixels show it, and goes onto PDF and SVG surfaces as text. False with a reason
// when a line of text finds no usable font or Cairo fails (out of memory); what came before
// is drawn.
bool Render(const Drawing& drawing, cairo_t* cr, const RenderOptions& options,
            std::string& message);

// A drawing and how it lands on a page.
struct Layer {
  const Drawing* drawing = nullptr;  // the caller's, kept alive until the page is written
  RenderOptions render;              // its transform takes the drawing's units to points
};

// One page of output: its size, a colour laid over it first (as it is), and the drawings on it
// in order (a picture, then a frame or a watermark over it, each with its own transformation
// and colours).
struct OutputPage {
  double width = 0, height = 0;  // in points
  std::optional<Colour> background;
  std::vector<Layer> layers;
};

// A page of the drawing's own page at its physical size (its units per inch to 72 points an
// inch) with the drawing on it, with no colour function and no background.
OutputPage PageOf(const Drawing& drawing);

// The page as one page of an SVG document (SVG 1.1, sizes in points; Cairo writes text as glyph
// outlines) or a PDF document (text as text, images at their own resolution, JPEG bytes as they
// came). Empty with a reason when the page is empty or larger than Cairo allows, when Render
// fails for a layer, or when Cairo cannot write the document.
std::optional<std::vector<uint8_t>> EncodeSvg(const OutputPage& page, std::string& message);
std::optional<std::vector<uint8_t>> EncodePdf(const OutputPage& page, std::string& message);

}  // namespace vector
