// tests/support/corpus_drawings.h: the real corpus's drawings (files that are more than a
// single pixmap or QuickTime image) and its files of a single pixmap, for the tests that render
// drawings back.
#pragma once

struct Drawing {
  const char* file;  // below pict-real/
  // At 1x, maps of thousands of one-pixel lines and small letters stay below the mark by
  // antialiasing alone: a thin slanted line's ink falls partly on two pixels, and such a pixel is
  // within 64 levels of neither its ink nor its paper neighbour. Each floor is a little below
  // what the renderers give (svg / pdf). At 4x every drawing is above 97 %.
  double floorAt1x = 0.97;
};

extern const Drawing kDrawings[19];

// Files of a single pixmap each, bitmaps among them.
extern const char* const kPixmaps[23];
