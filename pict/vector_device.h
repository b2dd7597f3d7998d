// pict/vector_device.h: the picture as a drawing, beside the canvas. The opcode handlers hand it
// the same operations they paint on the canvas, as shapes, text and images; what a drawing
// cannot say (the modes whose result depends on what is already there) it takes from the
// canvas, which has just drawn it, as pixels. Private to pict/.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "pict/canvas.h"
#include "pict/outlines.h"
#include "pict/pattern.h"
#include "pict/picture_drawing.h"
#include "pict/region.h"
#include "pict/text.h"
#include "vector/drawing.h"

namespace pict {

class VectorDevice {
 public:
  // A page of width x height canvas pixels at so many per inch, white at first as the canvas is.
  // clip is the decoder's clip region, which the device may compare by identity: the decoder
  // calls ClipChanged whenever it changes.
  VectorDevice(int width, int height, double unitsPerInchX, double unitsPerInchY,
               const Region& clip);
  void ClipChanged() { clipChanged_ = true; }

  // Each call follows the canvas's drawing of the same operation: touched is the part of the
  // canvas it painted (clip applied), which becomes pixels of the drawing when the mode is
  // one a drawing cannot say. clip is the clip region in force (canvas pixels): the decoder's,
  // or the decoder's cut by a mask. The work counts against the canvas's budget.

  // A shape: its outline (asked for only when it is drawn) filled with pattern in mode, a
  // pattern mode as Canvas::Paint takes it; patternOrigin as there.
  void Fill(const std::function<Outline()>& outline, const Pattern& pattern, int mode,
            const PaintColours& colours, Point patternOrigin, const Region& clip,
            const Region& touched, Canvas& canvas);
  // Pixels at their own resolution, placed by placement (their pixels to canvas pixels) and
  // sampled nearest, in a source mode as Canvas::CopyBits takes it; with blendAlpha their
  // alpha weighs them. jpeg: the bytes they were decoded from, kept when they show as they
  // are.
  void Copy(vector::Pixels pixels, const vector::Matrix& placement, int mode,
            const PaintColours& colours, bool blendAlpha, std::vector<uint8_t> jpeg,
            const Region& clip, const Region& touched, Canvas& canvas);
  // Text as RenderText laid it out, in the face's outline and shadow, in a source mode.
  void Text(const TextInk& text, int face, int mode, const PaintColours& colours,
            const Region& clip, const Region& touched, Canvas& canvas);

  // The drawing so far, and what of it is pixels for want of a mode a drawing can say. A drawing
  // that grew beyond kMaxDrawingBytes is the canvas's pixels instead, with a note that says so.
  PictDrawing Take(const Canvas& canvas);

 private:
  // Clips what follows to clip (nothing when it holds the whole page).
  void UseClip(const Region& clip, Canvas& canvas);
  // The pixels of the canvas in touched, as they are now; mode is why.
  void KeepPixels(const Region& touched, const Canvas& canvas, int mode);
  // Appends an operation, counting the memory it holds.
  void Add(vector::Operation operation);

  vector::Drawing drawing_;
  Rect page_;
  const Region& decoderClip_;
  bool clipChanged_ = true;  // the decoder's clip may differ from the one in force
  Region clip_;              // the clip pushed on the drawing, when clipped_
  bool clipped_ = false;
  std::set<std::string> pixelModes_;
  size_t bytes_ = 0;
  bool overflowed_ = false;  // beyond kMaxDrawingBytes: no more operations are kept
};

}  // namespace pict
