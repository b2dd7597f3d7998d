// pipeline/vector_picture.h: a picture on its way to a page of vectors (svg, pdf). The decoder's
// drawing stays as it came; each step of the chain adds to how it lands on the page (a
// transformation, a colour function, the colour the page grows with, drawings laid over it),
// with the same names and sizes as the steps on pixels, so that one chain
// (pipeline/convert_file.cpp) takes either kind of picture.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "naming/file_context.h"
#include "pict/picture_drawing.h"
#include "picture/picture.h"
#include "pipeline/save_request.h"
#include "platform/drawing.h"
#include "settings/settings.h"
#include "vector/drawing.h"
#include "vector/render.h"

struct VectorPicture {
  vector::Drawing drawing;  // the picture, cut to its own page
  // Its size in pixels, as the same steps give it to a picture of pixels: the drawing's page
  // at first, then turned, resized.
  int width = 0, height = 0;
  // The page's points for one pixel across and down: 72 over the drawing's units per inch, so
  // a 300-dpi picture keeps its physical size and a resize scales the page.
  double pointsX = 1, pointsY = 1;
  vector::Matrix transform;                // the drawing's units to pixels, after the steps
  vector::ColourFunction colour;           // the colour steps so far; empty: none
  std::optional<vector::Colour> backdrop;  // what a turn grows the page with, under the drawing
  // Turned with mirrored corners: the drawing is repeated mirrored about its page's edges as far
  // as the page reaches, as FreeImage_RotateEx mirrors pixels into the corners.
  bool mirrored = false;
  std::vector<vector::Drawing> over;  // the frame and the watermark, in pixels, as they are

  explicit operator bool() const { return width > 0 && height > 0; }
};

// The decoder's drawing as a picture: at its page's size and resolution, cut to its page.
VectorPicture PictureOfDrawing(vector::Drawing drawing);
// A picture of pixels (another reader's) as a drawing holding that one image, at scale x 72
// pixels per inch (the resolution the pixels were enlarged to); empty when the picture cannot
// be brought to 32 bits.
VectorPicture PictureOfPixels(FIBITMAP* picture, int scale);

// The steps of the chain on a page, as pipeline/geometry.h and pipeline/colour.h take them on
// pixels: the same sizes, the same colours (the colour steps' formulas are FreeImage's).
VectorPicture RotatePicture(VectorPicture picture, const RotationSettings& rotation);
VectorPicture ResizePicture(VectorPicture picture, int width, int height,
                            const ResizeSettings& resize);
VectorPicture ScalePicture(VectorPicture picture, int width, int height);
void FlipPicture(VectorPicture& picture, const FlipSettings& flip);
VectorPicture AdjustPictureColors(VectorPicture picture, const ColorSettings& color);
VectorPicture GreyscalePicture(VectorPicture picture, const ColorSettings& color);
VectorPicture ThresholdPicture(VectorPicture picture, const ColorSettings& color);
// The frame and the watermark as drawings over the picture (decor/), where and as they land on
// pixels; the watermark gives no picture when nothing of it is left, as on pixels.
VectorPicture DrawSolidFrame(VectorPicture picture, int width, int height,
                             const FrameSettings& frame);
VectorPicture DrawWatermark(VectorPicture picture, int width, int height,
                            const WatermarkSettings& watermark, const FrameSettings& frame,
                            const FileContext& file, std::string_view extension, const Font& font);
// A page has no bit depth: the picture comes back as it is.
VectorPicture ApplyTargetDepth(VectorPicture picture, const OutputFormat& format, int targetBpp);

// The colour functions of the colour steps: what FreeImage_AdjustColors (brightness, contrast,
// gamma, invert together), FreeImage_ConvertToGreyscale and FreeImage_Threshold make of one
// colour 0xRRGGBB of a 24-bit picture. Empty when the step is off.
vector::ColourFunction AdjustColourFunction(const ColorSettings& color);
vector::ColourFunction GreyscaleColourFunction(const ColorSettings& color);
vector::ColourFunction ThresholdColourFunction(const ColorSettings& color);

// The page as an SVG or PDF file (by the request's format), written by Cairo.
std::optional<std::string> EncodePicture(const VectorPicture& picture, const SaveRequest& request,
                                         std::string& message);
