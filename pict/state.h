// pict/state.h: QuickDraw's graphics state while a picture plays back: pen, patterns, colours,
// clip and text settings, in the picture's own (local) coordinates.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "pict/geometry.h"
#include "pict/modes.h"
#include "pict/pattern.h"
#include "pict/region.h"

namespace pict {

struct TextState {
  Point location;  // where the last text began: the text opcodes move from there
  int font = 0;    // 0: the system font
  int face = 0;  // QuickDraw style bits
  int mode = kSrcOr;
  int size = 0;  // 0: the system font's size
  double spaceExtra = 0;
  double charExtra = 0;
  Point ratioNumerator{1, 1}, ratioDenominator{1, 1};
  std::unordered_map<int, std::string> fontNames;  // from the fontName opcode
  // Text turned by drawing programs' picture comments: the angle in degrees clockwise and the
  // centre it turns about, relative to the text's origin.
  double angle = 0;
  double centerX = 0, centerY = 0;
};

// A file does not carry the default hilite colour; the Mac's own came from parameter RAM, and
// before Mac OS 8 the Color control panel shipped with "Black & White", that is black, which
// makes a hilite on white look as inversion does on a one-bit screen.
constexpr Colour kDefaultHilite = kBlack;

struct GraphicsState {
  Point penLocation;
  Point penSize{1, 1};
  int penMode = kPatCopy;
  Pattern penPattern = Pattern::Solid(true);
  Pattern fillPattern = Pattern::Solid(true);
  Pattern backPattern = Pattern::Solid(false);
  Colour foreground = kBlack;
  Colour background = kWhite;
  Colour operand = kBlack;
  // The hilite colour: HiliteColor sets it, DefHilite restores kDefaultHilite. HiliteMode sets
  // hiliteNext, which turns the next inverting operation into a hilite.
  Colour hilite = kDefaultHilite;
  bool hiliteNext = false;
  Point ovalSize;
  TextState text;

  // The shapes the "same" opcodes draw again.
  Rect lastRect;
  int lastArcStart = 0, lastArcAngle = 0;
  std::vector<Point> lastPolygon;
  Region lastRegion;
};

}  // namespace pict
