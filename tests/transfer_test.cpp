// A bitmap as bytes and back (the hand-over from an isolated child): exact for every kind of
// picture, and nothing for bytes that are not exactly one transfer.
#include "picture/transfer.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/letter_f.h"

namespace {

std::string BytesOf(FIBITMAP* bitmap) {
  std::string bytes;
  const bool written = WriteBitmapBytes(bitmap, [&bytes](const void* data, size_t size) {
    bytes.append(static_cast<const char*>(data), data ? size : 0);
    return true;
  });
  return written ? bytes : std::string();
}

std::string Pixels(FIBITMAP* bitmap) {
  return std::string(reinterpret_cast<const char*>(FreeImage_GetBits(bitmap)),
                     FreeImage_GetPitch(bitmap) * FreeImage_GetHeight(bitmap));
}

TEST(BitmapTransfer, EveryKindOfPictureComesBackTheSame) {
  Bitmap transparent = MakeLetterF(8);
  BYTE table[2] = {0, 255};
  FreeImage_SetTransparencyTable(transparent.get(), table, 2);
  RGBQUAD background{1, 2, 3, 0};
  FreeImage_SetBackgroundColor(transparent.get(), &background);
  FreeImage_SetDotsPerMeterX(transparent.get(), 2835);
  struct Case {
    const char* what;
    Bitmap picture;
  };
  Case cases[] = {{"1 bit", MakeLetterF(1)},
                  {"4 bits", MakeLetterF(4)},
                  {"8 bits with transparency, background and resolution", std::move(transparent)},
                  {"16 bits", Bitmap(FreeImage_ConvertTo16Bits565(MakeLetterF(24).get()))},
                  {"24 bits", MakeLetterF(24)},
                  {"32 bits", LetterF(6, 5, 32, 96)},
                  {"48 bits", Bitmap(FreeImage_ConvertToRGB16(MakeLetterF(24).get()))}};
  for (const Case& c : cases) {
    FIBITMAP* original = c.picture.get();
    ASSERT_TRUE(original) << c.what;
    const Bitmap copy = ReadBitmapBytes(BytesOf(original));
    ASSERT_TRUE(copy) << c.what;
    EXPECT_EQ(FreeImage_GetImageType(copy.get()), FreeImage_GetImageType(original)) << c.what;
    EXPECT_EQ(FreeImage_GetBPP(copy.get()), FreeImage_GetBPP(original)) << c.what;
    EXPECT_EQ(FreeImage_GetGreenMask(copy.get()), FreeImage_GetGreenMask(original)) << c.what;
    EXPECT_EQ(FreeImage_GetColorsUsed(copy.get()), FreeImage_GetColorsUsed(original)) << c.what;
    EXPECT_EQ(FreeImage_GetTransparencyCount(copy.get()), FreeImage_GetTransparencyCount(original))
        << c.what;
    EXPECT_EQ(FreeImage_GetDotsPerMeterX(copy.get()), FreeImage_GetDotsPerMeterX(original))
        << c.what;
    EXPECT_EQ(Pixels(copy.get()), Pixels(original)) << c.what;
    // Written again, the copy gives the very same bytes.
    EXPECT_EQ(BytesOf(copy.get()), BytesOf(original)) << c.what;
  }
}

TEST(BitmapTransfer, BytesThatAreNotExactlyOneTransferGiveNothing) {
  const std::string bytes = BytesOf(MakeLetterF(24).get());
  ASSERT_FALSE(bytes.empty());
  const std::pair<const char*, std::string> kCases[] = {
      {"nothing", ""},
      {"one byte short", bytes.substr(0, bytes.size() - 1)},
      {"one byte more", bytes + "x"},
      {"a header of zeros", std::string(bytes.size(), '\0')},
  };
  for (const auto& [what, broken] : kCases) EXPECT_FALSE(ReadBitmapBytes(broken)) << what;
}

}  // namespace
