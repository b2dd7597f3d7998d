// tests/support/conformance_pictures.h: PICT pictures assembled with the PICT writer, one for each
// opcode family the decoder knows, for the tests that hold the decoder's outputs against each
// other and for the fuzz target's seeds (fuzz/make_seeds.cpp).
#pragma once

#include <string>
#include <vector>

#include "tests/support/pict_writer.h"

struct ConformancePicture {
  std::string name;
  PictWriter picture;  // ended
};

// A small valid picture of each opcode family: headers of both versions and the extended one,
// BitMaps, PixMaps of every depth packed and not, with masks, stretched and in blend mode,
// regions, polygons, the shapes and lines, patterns and pixel patterns, colours, modes and
// origin, text with its comments, reserved opcodes, and QuickTime raw, JPEG, PNG and
// uncompressed. Each is a few dozen pixels, so that every field is near the data's edges.
std::vector<ConformancePicture> OpcodeFamilyPictures();

// Drawings the size of a small illustration, each of one family: the shapes with every verb
// and several pens, lines of every slope, patterns, text in fonts, faces, ratios and turns,
// bitmaps in the modes that colour them, clip regions, and the modes whose result depends on
// what is already there.
std::vector<ConformancePicture> DrawingPictures();
