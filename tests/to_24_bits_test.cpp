// Bringing a picture to 24 bits for a step that takes only some depths, and only then.
#include "picture/to_24_bits.h"

#include <gtest/gtest.h>

#include "tests/support/bitmaps.h"
#include "tests/support/letter_f.h"

namespace {

TEST(To24BitsUnless, KeepsStandardPicturesInTheRangeAndConvertsTheRest) {
  struct Case {
    const char* what;
    Bitmap picture;
    unsigned lowest, highest;
    bool kept;
  };
  Case cases[] = {
      {"24 in 24..24", MakeLetterF(24), 24, 24, true},
      {"32 in 24..24", MakeLetterF(32), 24, 24, false},
      {"8 in 8..32", MakeLetterF(8), 8, 32, true},
      {"4 in 8..32", MakeLetterF(4), 8, 32, false},
      {"1 in 1..32", MakeLetterF(1), 1, 32, true},
      {"32 in 24..32", MakeLetterF(32), 24, 32, true},
      {"16 in 24..32", Bitmap(FreeImage_ConvertTo16Bits565(MakeLetterF(24).get())), 24, 32, false},
      {"48 in 1..32", Bitmap(FreeImage_ConvertToRGB16(MakeLetterF(24).get())), 1, 32, false},
  };
  for (Case& c : cases) {
    FIBITMAP* original = c.picture.get();
    const Bitmap result = To24BitsUnless(std::move(c.picture), c.lowest, c.highest);
    ASSERT_TRUE(result) << c.what;
    EXPECT_EQ(result.get() == original, c.kept) << c.what;
    if (c.kept) continue;
    EXPECT_EQ(FreeImage_GetBPP(result.get()), 24u) << c.what;
    // The same picture, in 24 bits: the letter's ink and paper where they were.
    EXPECT_EQ(ColourAt(result.get(), 0, 0), kRed) << c.what;
    EXPECT_EQ(ColourAt(result.get(), 5, 0), kBlue) << c.what;
  }
  EXPECT_FALSE(To24BitsUnless(Bitmap(), 1, 32));
}

}  // namespace
