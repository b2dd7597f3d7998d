// pict/canvas.h: the picture being drawn: one opaque RGB image, white at the start, and the
// budget of work one file may spend on it. Every pixel QuickDraw changes goes through the two
// painting calls here, which apply the transfer modes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "pict/geometry.h"
#include "pict/image.h"
#include "pict/pattern.h"
#include "pict/region.h"

namespace pict {

// The colours a painting step works with, as 0xRRGGBB.
struct PaintColours {
  uint32_t foreground = 0x000000;
  uint32_t background = 0xFFFFFF;
  uint32_t operand = 0x000000;  // QuickDraw's OpColor: blend weights and pin values
  uint32_t hilite = 0x000000;
};

// Whether painting (a pattern mode, as Canvas::Paint takes it) or copying (a source mode, as
// Canvas::CopyBits takes it).
enum class ModeUse { Paint, Copy };

// What drawing the source colour s (0xRRGGBB) in mode does to whatever lies under it, when
// that does not depend on what lies there beyond being covered: a colour laid over it,
// 0xAARRGGBB with alpha 0xFF (replaces it), 0 (leaves it) or between (blends with it by that
// weight), the way Paint and CopyBits would draw it (give or take one level in a blend).
// colourise: black and white in s stand for the foreground and background colours, as for
// bitmaps, pixmaps and one-bit patterns. Empty when the result depends on the colour under it
// otherwise: xor, hilite, the arithmetic modes but transparent and a blend by a grey OpColor,
// and the or and bic modes with a source that is neither black, white nor grey.
std::optional<uint32_t> CoverOf(ModeUse use, int mode, uint32_t s, const PaintColours& colours,
                                bool colourise);

class Canvas {
 public:
  Canvas(int width, int height);

  Rect Bounds() const { return {0, 0, image_.width, image_.height}; }
  const Image& image() const { return image_; }
  Image TakeImage() { return std::move(image_); }
  // True once the file has asked for more work than kMaxWorkUnits allows; painting then stops.
  bool IsExhausted() const { return exhausted_; }
  // Counts work that is not painting (region arithmetic, decoding); false once exhausted.
  bool Charge(int64_t units);

  // Paints the pixels of area that lie on the canvas with pattern in mode (a pattern or
  // source mode). patternOrigin is the canvas pixel where the pattern's top-left cell lies.
  // A one-bit pattern draws in the foreground and background colours, a colour pattern in
  // its own.
  void Paint(const Region& area, const Pattern& pattern, int mode, const PaintColours& colours,
             Point patternOrigin);

  // Gives row index of a source picture (0 = its top row) as opaque colours, or null when
  // there is none; asked for in increasing order, the same row possibly more than once.
  using RowSource = std::function<const uint32_t*(int index)>;

  // Draws the part source of a picture (whose top-left pixel has the coordinates
  // pictureBounds.left, .top) scaled into destination, only where clip (canvas pixels) allows,
  // in a source mode. Black and white source pixels take the foreground and background
  // colours, as QuickDraw colours copies. With blendAlpha the source's alpha weighs the
  // result against what is there (QuickTime images with an alpha channel or a matte);
  // otherwise it is ignored, as QuickDraw ignores it.
  void CopyBits(const RowSource& rows, Rect pictureBounds, Rect source, Rect destination,
                int mode, const Region& clip, const PaintColours& colours,
                bool blendAlpha = false);

 private:
  bool ChargeSpan(int64_t pixels);
  Image image_;
  int64_t work_ = 0;
  bool exhausted_ = false;
};

}  // namespace pict
