// Colour texts (RRGGBB) as the frame, the watermark and the rotation's background read them.
#include "settings/colour_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ColourText, ReadsSixCharactersAsThreePairsUpToTheFirstNonHexCharacter) {
  struct Case {
    const char* text;
    Rgba colour;
  };
  const Case kCases[] = {
      {"FF8001", {255, 128, 1, 7}},
      {"00ff0A", {0, 255, 10, 7}},
      {"1Z0000", {1, 0, 0, 7}},
      {"ZZ00FF", {0, 0, 255, 7}},
      {"1G2233", {1, 34, 51, 7}},
      // Any other length is black.
      {"F00", {0, 0, 0, 7}},
      {"FF00000", {0, 0, 0, 7}},
      {"#FF0000", {0, 0, 0, 7}},
      {"", {0, 0, 0, 7}},
      // Characters count, not bytes, and none beyond ASCII is a digit.
      {"FFFF\u00E90", {255, 255, 0, 7}},
      {"\u00E9\u00E9\u00E9", {0, 0, 0, 7}},
  };
  for (const Case& c : kCases) {
    const Rgba colour = ParseColor(c.text, 7);
    EXPECT_EQ(colour.red, c.colour.red) << c.text;
    EXPECT_EQ(colour.green, c.colour.green) << c.text;
    EXPECT_EQ(colour.blue, c.colour.blue) << c.text;
    EXPECT_EQ(colour.alpha, 7) << c.text;
  }
}

TEST(ColourText, AlphaIsClampedToAByte) {
  for (const auto& [alpha, expected] : {std::pair{-5, 0}, {0, 0}, {128, 128}, {300, 255}})
    EXPECT_EQ(ParseColor("FFFFFF", alpha).alpha, expected) << alpha;
}

}  // namespace
