// The text and image watermarks: the box's size and place, rotation, cutting, failure paths,
// and the logo's opacity, grey and transparency.
#include "decor/watermark.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <tuple>

#include "tests/support/bitmaps.h"
#include "tests/support/run_program.h"

namespace {

using Pixel = Rgb;

constexpr Pixel kPictureColor{30, 60, 90};

// The untouched picture most tests draw on.
Bitmap SolidPicture(int width, int height) { return ::SolidPicture(width, height, kPictureColor); }

// The smallest rectangle holding every pixel that differs from the untouched colour.
struct Box {
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
  bool IsEmpty() const { return right < left; }
  bool operator==(const Box&) const = default;
  bool Contains(const Box& inner) const {
    return inner.IsEmpty() || (inner.left >= left && inner.right <= right && inner.top >= top &&
                               inner.bottom <= bottom);
  }
};
std::ostream& operator<<(std::ostream& out, const Box& b) {
  return out << "[" << b.left << "," << b.top << " .. " << b.right << "," << b.bottom << "]";
}

Box ChangedBox(FIBITMAP* picture, Pixel untouched = kPictureColor) {
  Box box{1 << 30, 1 << 30, -1, -1};
  const int width = static_cast<int>(FreeImage_GetWidth(picture));
  const int height = static_cast<int>(FreeImage_GetHeight(picture));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (At(picture, x, y) != untouched) {
        box.left = std::min(box.left, x), box.right = std::max(box.right, x);
        box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
      }
  return box.right < 0 ? Box{} : box;
}

// A text watermark with an opaque red box and white text, so the whole box shows.
WatermarkSettings TextMark(const std::string& text, Position position = Position::TopLeft) {
  WatermarkSettings watermark;
  watermark.kind = WatermarkKind::Text;
  watermark.text.text = text;
  watermark.text.backColor = "FF0000";
  watermark.text.backOpacity = 255;
  watermark.text.placement.position = position;
  return watermark;
}

// The default watermark font, loaded once for the whole file.
const Font& DefaultFont() {
  static const Font font = LoadWatermarkFont({});
  return font;
}

FrameSettings SolidFrame(int width) {
  FrameSettings frame;
  frame.kind = FrameKind::Solid;
  frame.left = frame.right = frame.top = frame.bottom = width;
  return frame;
}

Box Draw(const WatermarkSettings& watermark, int width = 240, int height = 140,
         const FrameSettings& frame = {}) {
  const Bitmap marked =
      DrawWatermark(SolidPicture(width, height), width, height, watermark, frame, {}, "png", DefaultFont());
  if (!marked) return {-1, -1, -2, -2};
  return ChangedBox(marked.get());
}

class TextWatermark : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(DefaultFont()); }
};

}  // namespace

TEST_F(TextWatermark, BoxLandsAtEachOfTheNinePositions) {
  WatermarkSettings watermark = TextMark("Quillmere");
  watermark.text.placement.xOffset = 7;
  watermark.text.placement.yOffset = 5;
  const Box reference = Draw(watermark);
  ASSERT_FALSE(reference.IsEmpty());
  // Margins to the anchored edges are the offsets; centred boxes have equal margins (+-1).
  const auto margins = [](int before, int after, int anchor, int offset) {
    if (anchor == 0) return before == offset;
    if (anchor == 2) return after == offset;
    return std::abs(before - after) <= 1;
  };
  for (int code = 0; code < 9; ++code) {
    watermark.text.placement.position = static_cast<Position>(code);
    const Box box = Draw(watermark);
    EXPECT_EQ(box.Width(), reference.Width()) << code;
    EXPECT_EQ(box.Height(), reference.Height()) << code;
    EXPECT_TRUE(margins(box.left, 239 - box.right, code % 3, 7)) << code << " " << box;
    EXPECT_TRUE(margins(box.top, 139 - box.bottom, code / 3, 5)) << code << " " << box;
  }
}

TEST_F(TextWatermark, FrameBoundaryPlacesInsideTheFrame) {
  WatermarkSettings watermark = TextMark("Inside");
  watermark.text.placement.boundary = Boundary::Frame;
  const auto corner = [](const Box& box) { return std::pair(box.left, box.top); };
  EXPECT_EQ(corner(Draw(watermark, 240, 140, SolidFrame(20))), std::pair(30, 30));
  EXPECT_EQ(corner(Draw(watermark, 240, 140, FrameSettings{})), std::pair(10, 10));
  watermark.text.placement.boundary = Boundary::Image;
  EXPECT_EQ(corner(Draw(watermark, 240, 140, SolidFrame(20))), std::pair(10, 10));
}

TEST_F(TextWatermark, LinesBreakAtEolInAnyCaseWithLeading) {
  const Box one = Draw(TextMark("Line one"));
  ASSERT_GE(one.Height(), 10);
  WatermarkSettings watermark = TextMark("Line one%EOL%Line two%eOl%Line three");
  watermark.text.leading = 5;
  const Box three = Draw(watermark);
  EXPECT_EQ(three.Height(), one.Height() + 2 * (one.Height() + 5));
  // A marker at the very end still adds a line of full height.
  const Box trailing = Draw(TextMark("Line one%eol%"));
  EXPECT_EQ(trailing.Height(), 2 * one.Height());
  EXPECT_EQ(trailing.Width(), one.Width());
}

TEST_F(TextWatermark, Rotation90SwapsTheSidesAnd360DoesNothing) {
  WatermarkSettings watermark = TextMark("Turned");
  const Box flat = Draw(watermark);
  watermark.text.placement.rotation = 90;
  const Box turned = Draw(watermark);
  EXPECT_EQ(turned.Width(), flat.Height());
  EXPECT_EQ(turned.Height(), flat.Width());
  for (const int angle : {360, -90}) {
    watermark.text.placement.rotation = angle;
    EXPECT_EQ(Draw(watermark).Width(), flat.Width()) << angle;
  }
}

TEST_F(TextWatermark, BoxWiderThanTheAreaIsCutOnItsRight) {
  const WatermarkSettings watermark = TextMark("A watermark far wider than the picture it marks");
  const Box box = Draw(watermark, 100, 60);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.right, 99);
  WatermarkSettings right = watermark;
  right.text.placement.position = Position::BottomRight;
  const Box cut = Draw(right, 100, 60);
  EXPECT_EQ(cut.left, 0);
  EXPECT_EQ(cut.Width(), 90);
}

TEST_F(TextWatermark, OffsetAsLargeAsTheAreaGivesNoPicture) {
  WatermarkSettings watermark = TextMark("Gone");
  watermark.text.placement.xOffset = 240;
  EXPECT_FALSE(DrawWatermark(SolidPicture(240, 140), 240, 140, watermark, {}, {}, "png", DefaultFont()));
}

TEST_F(TextWatermark, PlainTextHasOnlyBoxAndTextColoursAntialiasedTextBlends) {
  const Box box = Draw(TextMark("Aa Gg @"));
  const auto colours = [&](bool antialiasing) {
    WatermarkSettings watermark = TextMark("Aa Gg @");
    watermark.text.antialiasing = antialiasing;
    const Bitmap marked = DrawWatermark(SolidPicture(240, 140), 240, 140, watermark, {}, {}, "png", DefaultFont());
    EXPECT_EQ(ChangedBox(marked.get()).Width(), box.Width());
    int others = 0, white = 0;
    for (int y = box.top; y <= box.bottom; ++y)
      for (int x = box.left; x <= box.right; ++x) {
        const Pixel p = At(marked.get(), x, y);
        if (p == Pixel{255, 255, 255})
          ++white;
        else if (p != Pixel{255, 0, 0})
          ++others;
      }
    EXPECT_GT(white, 0) << antialiasing;
    return others;
  };
  EXPECT_EQ(colours(false), 0);
  EXPECT_GT(colours(true), 0);
}

TEST_F(TextWatermark, TextWithoutBoxStaysInsideTheBox) {
  for (const bool antialiasing : {false, true}) {
    WatermarkSettings watermark = TextMark("Underlined gjpqy%eol%Two");
    watermark.text.alignment = TextAlignment::Right;
    watermark.text.antialiasing = antialiasing;
    const Box box = Draw(watermark);
    watermark.text.backOpacity = 0;
    const Box ink = Draw(watermark);
    EXPECT_FALSE(ink.IsEmpty()) << antialiasing;
    EXPECT_TRUE(box.Contains(ink)) << box << " " << ink << " " << antialiasing;
  }
}

TEST_F(TextWatermark, FontLoadedOnOneThreadDrawsOnAnother) {
  Box box;
  std::thread worker([&] { box = Draw(TextMark("Worker")); });
  worker.join();
  EXPECT_FALSE(box.IsEmpty());
}

namespace {

// A logo file written with FreeImage; pixels given top row first, alpha 255 unless stated.
std::string SaveLogo(const ScratchFolder& folder, const std::string& name, int width,
                     const std::vector<RGBQUAD>& pixels, int bpp = 24) {
  const int height = static_cast<int>(pixels.size()) / width;
  const Bitmap logo(FreeImage_Allocate(width, height, bpp));
  for (int i = 0; i < static_cast<int>(pixels.size()); ++i) {
    RGBQUAD quad = pixels[i];
    FreeImage_SetPixelColor(logo.get(), i % width, height - 1 - i / width, &quad);
  }
  const std::string path = folder / name;
  EXPECT_TRUE(FreeImage_Save(FIF_PNG, logo.get(), path.c_str(), 0));
  return path;
}

WatermarkSettings ImageMark(const std::string& path, int opacity = 255) {
  WatermarkSettings watermark;
  watermark.kind = WatermarkKind::Image;
  watermark.image.path = path;
  watermark.image.opacity = opacity;
  watermark.image.placement.position = Position::TopLeft;
  watermark.image.placement.xOffset = 0;
  watermark.image.placement.yOffset = 0;
  return watermark;
}

constexpr RGBQUAD kRedQuad{0, 0, 255, 255}, kGreenQuad{0, 255, 0, 255}, kBlueQuad{255, 0, 0, 255},
    kWhiteQuad{255, 255, 255, 255}, kClearQuad{255, 255, 255, 0};

}  // namespace

TEST(ImageWatermark, OpacityHalfBlendsTheLogoHalfway) {
  ScratchFolder folder;
  const std::string logo = SaveLogo(folder, "white.png", 3, std::vector<RGBQUAD>(6, kWhiteQuad));
  WatermarkSettings watermark = ImageMark(logo, 128);
  watermark.image.placement.position = Position::BottomRight;
  watermark.image.placement.xOffset = watermark.image.placement.yOffset = 10;
  const Bitmap marked =
      DrawWatermark(SolidPicture(40, 30, {0, 0, 0}), 40, 30, watermark, {}, {}, "png", DefaultFont());
  ASSERT_TRUE(marked);
  EXPECT_EQ(ChangedBox(marked.get(), {0, 0, 0}), (Box{27, 18, 29, 19}));
  EXPECT_NEAR(At(marked.get(), 28, 19).red, 128, 2);
}

TEST(ImageWatermark, GreyscaleWeighsRedGreenAndBlue) {
  ScratchFolder folder;
  const std::string logo =
      SaveLogo(folder, "rgbw.png", 4, {kRedQuad, kGreenQuad, kBlueQuad, kWhiteQuad});
  WatermarkSettings watermark = ImageMark(logo);
  watermark.image.greyscale = true;
  const Bitmap marked =
      DrawWatermark(SolidPicture(10, 5, {0, 0, 0}), 10, 5, watermark, {}, {}, "png", DefaultFont());
  ASSERT_TRUE(marked);
  const int kGrey[] = {76, 149, 28, 255};
  for (int x = 0; x < 4; ++x)
    EXPECT_EQ(At(marked.get(), x, 0), (Pixel{kGrey[x], kGrey[x], kGrey[x]}));
  EXPECT_EQ(At(marked.get(), 4, 0), (Pixel{0, 0, 0}));
}

TEST(ImageWatermark, TransparentPartsLeaveThePictureUntouched) {
  ScratchFolder folder;
  const std::string logo =
      SaveLogo(folder, "clear.png", 2, {kClearQuad, kRedQuad, kClearQuad, kClearQuad}, 32);
  const Bitmap marked = DrawWatermark(SolidPicture(8, 6), 8, 6, ImageMark(logo), {}, {}, "png", DefaultFont());
  ASSERT_TRUE(marked);
  EXPECT_EQ(At(marked.get(), 1, 0), (Pixel{255, 0, 0}));
  EXPECT_EQ(ChangedBox(marked.get()), (Box{1, 0, 1, 0}));
}

TEST(WatermarkFailure, PictureComesBack24BitsUnmarked) {
  ScratchFolder folder;
  const std::string notPicture = folder / "logo.png";
  ASSERT_TRUE(CopyFile(__FILE__, notPicture));
  WatermarkSettings outside = TextMark("Outside");
  outside.text.placement.xOffset = -5;
  const std::tuple<const char*, WatermarkSettings, bool> kCases[] = {
      {"negative offset", outside, true},
      {"no font", TextMark("No font"), false},
      {"not a picture", ImageMark(notPicture), false},
      {"missing", ImageMark(folder / "missing.png"), false}};
  const Font none;
  for (const auto& [name, watermark, withFont] : kCases) {
    const Bitmap marked = DrawWatermark(SolidPicture(60, 40, kPictureColor, 32), 60, 40, watermark,
                                        {}, {}, "png", withFont ? DefaultFont() : none);
    ASSERT_TRUE(marked) << name;
    EXPECT_EQ(FreeImage_GetBPP(marked.get()), 24u) << name;
    EXPECT_TRUE(ChangedBox(marked.get()).IsEmpty()) << name;
  }
}
