// vector/text_layout.h: a line of text laid out with Pango the way QuickDraw sets it, for the
// two that draw it: pict/text.cpp as pixels, vector/render.cpp as text on a page. Both lay a
// run out here, so the glyphs stand in the same places in a picture's pixels and in its
// drawing. Unlike the other headers of vector/ it hands out Pango's own types.
#pragma once

#include <pango/pangocairo.h>

#include <optional>
#include <string>

#include "vector/drawing.h"

namespace vector {

// A font's metrics in drawing units, the underline's kept at least one unit clear of the
// baseline and at least one unit thick.
struct FontMetrics {
  double ascent = 0, descent = 0;
  double underlineTop = 1, underlineThickness = 1;  // below the baseline
};

// A laid-out line of text. Its line belongs to the calling thread's fonts and stays valid
// until that thread lays out another run.
struct LaidOutText {
  PangoLayoutLine* line = nullptr;  // null for a run with no text
  FontMetrics metrics;
  // The glyphs' ink before the extras move them, relative to the left end of the baseline.
  double inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0;
  double width = 0;  // how far the line advances, extras included
  // How far the extras move the glyphs at most to the left (<= 0) and to the right (>= 0).
  double leastShift = 0, mostShift = 0;
};

// Lays run out in the fonts of this thread (each thread keeps a font map, a context and the
// fonts it loaded of its own), with QuickDraw's whole-unit advances: no antialiasing, outlines
// fitted to the unit grid, metrics rounded. Empty with a reason when the machine has no usable
// font at all.
std::optional<LaidOutText> LayOutText(const TextRun& run, std::string& reason);

}  // namespace vector
