// The solid frame: side colours, mitred corners, opacity, degenerate widths; and the exact
// hand-over of drawing surfaces to FreeImage bitmaps.
#include "decor/frame.h"

#include <gtest/gtest.h>

#include "picture/surface_handover.h"
#include "tests/support/bitmaps.h"

namespace {

using Pixel = Rgb;

FrameSettings Frame(int left, int right, int top, int bottom) {
  FrameSettings frame;
  frame.kind = FrameKind::Solid;
  frame.left = left, frame.right = right, frame.top = top, frame.bottom = bottom;
  return frame;
}

constexpr Pixel kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 200, 0};

}  // namespace

TEST(SolidFrame, CornerIsSplitAlongTheDiagonalWithoutSeam) {
  FrameSettings frame = Frame(10, 0, 10, 0);
  frame.topColor = "FF0000";
  frame.leftColor = "0000FF";
  const Bitmap framed = DrawSolidFrame(SolidPicture(100, 80, kGreen), 100, 80, frame);
  ASSERT_TRUE(framed);
  for (int x = 10; x < 100; ++x)
    for (int y = 0; y < 10; ++y) ASSERT_EQ(At(framed.get(), x, y), kRed) << x << "," << y;
  for (int y = 10; y < 80; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(At(framed.get(), x, y), kBlue) << x << "," << y;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      const Pixel p = At(framed.get(), x, y);
      // The corner is covered completely: no green of the picture shows on the diagonal.
      EXPECT_EQ(p.green, 0) << x << "," << y;
      if (x > y) {
        EXPECT_EQ(p, kRed) << x << "," << y;
      } else if (y > x) {
        EXPECT_EQ(p, kBlue) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(At(framed.get(), 10, 10), kGreen);
  EXPECT_EQ(At(framed.get(), 99, 79), kGreen);
}

TEST(SolidFrame, EachSideHasItsOwnColour) {
  FrameSettings frame = Frame(4, 5, 6, 7);
  frame.leftColor = "010203", frame.rightColor = "102030";
  frame.topColor = "405060", frame.bottomColor = "708090";
  const Bitmap framed = DrawSolidFrame(SolidPicture(61, 43, kGreen), 61, 43, frame);
  ASSERT_TRUE(framed);
  EXPECT_EQ(At(framed.get(), 2, 21), (Pixel{1, 2, 3}));
  EXPECT_EQ(At(framed.get(), 58, 21), (Pixel{16, 32, 48}));
  EXPECT_EQ(At(framed.get(), 30, 3), (Pixel{64, 80, 96}));
  EXPECT_EQ(At(framed.get(), 30, 39), (Pixel{112, 128, 144}));
  // The inside edge: last frame pixel and first picture pixel on each side.
  EXPECT_EQ(At(framed.get(), 4, 21), kGreen);
  EXPECT_EQ(At(framed.get(), 55, 21), kGreen);
  EXPECT_EQ(At(framed.get(), 30, 6), kGreen);
  EXPECT_EQ(At(framed.get(), 30, 35), kGreen);
  EXPECT_EQ(At(framed.get(), 30, 36), (Pixel{112, 128, 144}));
}

TEST(SolidFrame, OpacityZeroLeavesThePictureAndHalfBlendsHalfway) {
  FrameSettings frame = Frame(8, 8, 8, 8);
  frame.topColor = "FF0000";
  frame.opacity = 0;
  const Bitmap unchanged = DrawSolidFrame(SolidPicture(40, 30, {0, 0, 0}), 40, 30, frame);
  ASSERT_TRUE(unchanged);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(At(unchanged.get(), x, y), (Pixel{0, 0, 0}));

  frame.opacity = 128;
  const Bitmap half = DrawSolidFrame(SolidPicture(40, 30, {0, 0, 0}), 40, 30, frame);
  ASSERT_TRUE(half);
  const Pixel top = At(half.get(), 20, 2);
  EXPECT_NEAR(top.red, 128, 2);
  EXPECT_EQ(top.green, 0);
  EXPECT_EQ(At(half.get(), 20, 15), (Pixel{0, 0, 0}));
}

TEST(SolidFrame, ZeroWidthsOnlyConvertTo24Bits) {
  Bitmap picture = SolidPicture(20, 10, {9, 99, 199}, 32);
  const Bitmap framed = DrawSolidFrame(std::move(picture), 20, 10, Frame(0, 0, 0, 0));
  ASSERT_TRUE(framed);
  EXPECT_EQ(FreeImage_GetBPP(framed.get()), 24u);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(At(framed.get(), x, y), (Pixel{9, 99, 199}));
}

TEST(SolidFrame, FrameWiderThanThePictureKeepsItsSize) {
  FrameSettings frame = Frame(500, 300, 400, 200);
  frame.topColor = "FF0000";
  const Bitmap framed = DrawSolidFrame(SolidPicture(50, 40, kGreen), 50, 40, frame);
  ASSERT_TRUE(framed);
  EXPECT_EQ(FreeImage_GetWidth(framed.get()), 50u);
  EXPECT_EQ(FreeImage_GetHeight(framed.get()), 40u);
  EXPECT_EQ(FreeImage_GetBPP(framed.get()), 24u);
}

TEST(FrameSurfaceHandover, RoundTripIsExactAndRowsKeepTheirOrder) {
  Surface surface(7, 5);
  SurfacePixels view = surface.Pixels();
  ASSERT_NE(view.pixels, nullptr);
  // Every premultiplied value is valid as long as no colour exceeds its alpha.
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const uint32_t alpha = x == 0 ? 0 : (x == 1 ? 255 : 30 * x + 11 * y);
      const uint32_t colour = alpha * (y + 1) / 6;
      reinterpret_cast<uint32_t*>(view.pixels + y * view.stride)[x] =
          alpha << 24 | colour << 16 | (alpha - colour) << 8 | colour / 2;
    }
  // A known pixel: premultiplied red 64 at alpha 128 is straight red 128, top row first.
  reinterpret_cast<uint32_t*>(view.pixels)[3] = 128u << 24 | 64u << 16;
  surface.MarkDirty();

  const Bitmap bitmap = SurfaceToBitmap(surface);
  ASSERT_TRUE(bitmap);
  RGBQUAD quad{};
  FreeImage_GetPixelColor(bitmap.get(), 3, 4, &quad);
  EXPECT_EQ(quad.rgbRed, 128);
  EXPECT_EQ(quad.rgbReserved, 128);

  Surface back = BitmapToSurface(bitmap.get());
  const SurfacePixels again = back.Pixels();
  ASSERT_NE(again.pixels, nullptr);
  view = surface.Pixels();
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      ASSERT_EQ(reinterpret_cast<uint32_t*>(again.pixels + y * again.stride)[x],
                reinterpret_cast<uint32_t*>(view.pixels + y * view.stride)[x])
          << x << "," << y;
}
