// The conversion steps on a page of vectors give the picture the same steps give on pixels: the
// colour functions give FreeImage's colours, a turned page has FreeImage's size, and each step,
// the frame and the watermarks included, rendered back by poppler through Cairo, agree with the
// steps on the pixels of the same drawing.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "decor/frame.h"
#include "decor/watermark.h"
#include "picture/rotated_size.h"
#include "pipeline/colour.h"
#include "pipeline/geometry.h"
#include "pipeline/vector_picture.h"
#include "platform/files.h"
#include "settings/formats.h"
#include "tests/support/rendered.h"
#include "tests/support/run_program.h"

namespace {

// A 24-bit picture of width x height whose pixel (x, y), from the top-left, is colour(x, y).
Bitmap Picture(int width, int height, const std::function<uint32_t(int, int)>& colour) {
  Bitmap picture(FreeImage_Allocate(width, height, 24));
  for (int y = 0; y < height; ++y) {
    BYTE* line = FreeImage_GetScanLine(picture.get(), height - 1 - y);
    for (int x = 0; x < width; ++x, line += 3) {
      const uint32_t rgb = colour(x, y);
      line[FI_RGBA_RED] = BYTE(rgb >> 16), line[FI_RGBA_GREEN] = BYTE(rgb >> 8);
      line[FI_RGBA_BLUE] = BYTE(rgb);
    }
  }
  return picture;
}

// The pixels of a picture of any depth, 0xFFRRGGBB from the top-left.
pict::Image ImageOf(FIBITMAP* picture) {
  const Bitmap rgb(FreeImage_ConvertTo24Bits(picture));
  const int width = int(FreeImage_GetWidth(rgb.get())),
            height = int(FreeImage_GetHeight(rgb.get()));
  pict::Image image(width, height, 0);
  for (int y = 0; y < height; ++y) {
    const BYTE* line = FreeImage_GetScanLine(rgb.get(), height - 1 - y);
    for (int x = 0; x < width; ++x, line += 3)
      image.At(x, y) = 0xFF000000u | uint32_t{line[FI_RGBA_RED]} << 16 |
                       uint32_t{line[FI_RGBA_GREEN]} << 8 | line[FI_RGBA_BLUE];
  }
  return image;
}

TEST(VectorSteps, ColourFunctionsGiveFreeImagesColours) {
  struct Case {
    const char* name;
    ColorSettings color;
  };
  const Case kCases[] = {
      {"brightness", {.enabled = true, .brightness = 40}},
      {"darker", {.enabled = true, .brightness = -70}},
      {"contrast", {.enabled = true, .contrast = 55}},
      {"less contrast", {.enabled = true, .contrast = -30}},
      {"gamma", {.enabled = true, .gamma = 2.2f}},
      {"low gamma", {.enabled = true, .gamma = 0.3f}},
      {"invert", {.enabled = true, .invert = true}},
      {"all four",
       {.enabled = true, .brightness = -10, .contrast = 20, .gamma = 1.4f, .invert = true}},
      {"greyscale", {.greyscale = true}},
      {"threshold", {.threshold = true, .thresholdLevel = 100}},
      {"threshold's low byte", {.threshold = true, .thresholdLevel = 300}},
      {"gamma, greyscale, threshold",
       {.enabled = true,
        .gamma = 0.7f,
        .greyscale = true,
        .threshold = true,
        .thresholdLevel = 90}},
  };
  // Every level of each channel, in many mixtures.
  const auto colour = [](int x, int y) {
    return uint32_t(x) << 16 | uint32_t(y) << 8 | uint32_t((x * 7 + y * 13) & 0xFF);
  };
  for (const Case& c : kCases) {
    Bitmap picture = Picture(256, 256, colour);
    picture = AdjustPictureColors(std::move(picture), c.color);
    picture = GreyscalePicture(std::move(picture), c.color);
    picture = ThresholdPicture(std::move(picture), c.color);
    ASSERT_TRUE(picture) << c.name;
    const pict::Image expected = ImageOf(picture.get());
    const vector::ColourFunction steps[] = {AdjustColourFunction(c.color),
                                            GreyscaleColourFunction(c.color),
                                            ThresholdColourFunction(c.color)};
    long differing = 0;
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        uint32_t rgb = colour(x, y);
        for (const vector::ColourFunction& step : steps)
          if (step) rgb = step(rgb);
        if ((0xFF000000u | rgb) != expected.At(x, y)) ++differing;
      }
    EXPECT_EQ(differing, 0) << c.name;
  }
}

TEST(VectorSteps, ATurnedPageHasTheSizeFreeImageGives) {
  const int kSizes[][2] = {{100, 60}, {61, 33}, {7, 200}, {1, 1}, {640, 480}};
  const int kAngles[] = {1,   10,  30,  44,  45,  46,  89,  90,  91,  135,
                         136, 180, 200, 225, 226, 270, 300, 315, 316, 359};
  for (const auto& size : kSizes)
    for (const int angle : kAngles) {
      const Bitmap picture(FreeImage_Allocate(size[0], size[1], 8));
      RGBQUAD black{};
      const Bitmap turned(FreeImage_Rotate(picture.get(), angle, &black));
      ASSERT_TRUE(turned);
      const std::pair<int, int> expected{int(FreeImage_GetWidth(turned.get())),
                                         int(FreeImage_GetHeight(turned.get()))};
      EXPECT_EQ(RotatedSize(size[0], size[1], angle), expected)
          << size[0] << " x " << size[1] << " by " << angle;
    }
}

// A drawing without symmetry: coloured blocks in the corners, a slanted triangle, a stripe.
vector::Drawing TestDrawing() {
  vector::Drawing drawing;
  drawing.page = {90, 60, 72, 72};
  const auto fill = [&](vector::Path path, vector::Colour colour) {
    drawing.operations.emplace_back(
        vector::FillOp{std::move(path), vector::FillRule::Winding, vector::Paint::Solid(colour)});
  };
  fill(vector::Path().Rectangle(0, 0, 90, 60), 0xFFFFFFFF);
  fill(vector::Path().Rectangle(0, 0, 30, 20), 0xFFD02020);
  fill(vector::Path().Rectangle(70, 45, 90, 60), 0xFF2040C0);
  const vector::Point triangle[] = {{40, 10}, {80, 25}, {50, 50}};
  fill(vector::Path().Polygon(triangle), 0xFF30A040);
  fill(vector::Path().Rectangle(5, 30, 35, 36), 0xFFE0C000);
  return drawing;
}

TEST(VectorSteps, EachStepOnAPageGivesThePictureTheStepGivesItsPixels) {
  ScratchFolder scratch;
  const std::string logo = scratch / "logo.png";
  ASSERT_TRUE(WritePng(logo, 16, 10, true, [](int x, int y) {
    return Rgba{uint8_t(x * 15), uint8_t(y * 25), 200, uint8_t(x < 8 ? 255 : 128)};
  }));
  struct Case {
    const char* name;
    std::function<void(ConversionSettings&)> set;
  };
  const Case kCases[] = {
      {"nothing", [](ConversionSettings&) {}},
      {"quarter turn",
       [](ConversionSettings& s) {
         s.rotation = {true, RotationType::Simple, 90};
       }},
      {"three quarters",
       [](ConversionSettings& s) {
         s.rotation = {true, RotationType::Simple, 270};
       }},
      {"odd angle in a colour",
       [](ConversionSettings& s) {
         s.rotation = {true, RotationType::Simple, 33, "FF00FF"};
       }},
      {"odd angle mirrored",
       [](ConversionSettings& s) {
         s.rotation = {true, RotationType::Advanced, 20};
       }},
      {"larger",
       [](ConversionSettings& s) {
         s.resize = {.enabled = true,
                     .width = 200,
                     .widthUnit = SizeUnit::Percent,
                     .height = 150,
                     .heightUnit = SizeUnit::Percent};
       }},
      {"flips",
       [](ConversionSettings& s) {
         s.flip = {true, true};
       }},
      {"colours",
       [](ConversionSettings& s) {
         s.color = {.enabled = true, .brightness = 20, .contrast = 30, .invert = true};
       }},
      {"turned, then colours",
       [](ConversionSettings& s) {
         s.rotation = {true, RotationType::Simple, 60, "00FF00"};
         s.color = {.greyscale = true, .threshold = true, .thresholdLevel = 128};
       }},
      {"frame",
       [](ConversionSettings& s) {
         s.frame.kind = FrameKind::Solid;
         s.frame.left = 8, s.frame.top = 4, s.frame.right = 12, s.frame.bottom = 6;
         s.frame.leftColor = "FF0000", s.frame.topColor = "00FF00";
         s.frame.rightColor = "0000FF", s.frame.bottomColor = "808080";
       }},
      {"image watermark, turned, in the frame",
       [&](ConversionSettings& s) {
         s.frame.kind = FrameKind::Solid;
         s.frame.left = s.frame.top = s.frame.right = s.frame.bottom = 5;
         s.watermark.kind = WatermarkKind::Image;
         s.watermark.image.path = logo;
         s.watermark.image.placement.position = Position::BottomRight;
         s.watermark.image.placement.boundary = Boundary::Frame;
         s.watermark.image.placement.rotation = 30;
       }},
      {"text watermark, turned",
       [](ConversionSettings& s) {
         s.watermark.kind = WatermarkKind::Text;
         s.watermark.text.text = "Quill 42";
         s.watermark.text.fontSize = 12;
         s.watermark.text.fontColor = "FFFFFF";
         s.watermark.text.backColor = "000080";
         s.watermark.text.backOpacity = 200;
         s.watermark.text.antialiasing = true;
         s.watermark.text.placement.position = Position::TopLeft;
         s.watermark.text.placement.rotation = 15;
       }},
  };
  const vector::Drawing drawing = TestDrawing();
  const FileContext file;
  for (const Case& c : kCases) {
    ConversionSettings s;
    c.set(s);
    const Font font = LoadWatermarkFont(s.watermark.text);
    // The chain's steps in its order, on either kind of picture.
    const auto steps = [&](auto picture) {
      picture = RotatePicture(std::move(picture), s.rotation);
      int width = 0, height = 0;
      if constexpr (std::is_same_v<decltype(picture), Bitmap>)
        width = int(FreeImage_GetWidth(picture.get())),
        height = int(FreeImage_GetHeight(picture.get()));
      else
        width = picture.width, height = picture.height;
      picture = ResizePicture(std::move(picture), width, height, s.resize);
      if constexpr (std::is_same_v<decltype(picture), Bitmap>) {
        width = int(FreeImage_GetWidth(picture.get())),
        height = int(FreeImage_GetHeight(picture.get()));
        FlipPicture(picture.get(), s.flip);
      } else {
        width = picture.width, height = picture.height;
        FlipPicture(picture, s.flip);
      }
      picture = AdjustPictureColors(std::move(picture), s.color);
      picture = GreyscalePicture(std::move(picture), s.color);
      picture = ThresholdPicture(std::move(picture), s.color);
      picture = DrawSolidFrame(std::move(picture), width, height, s.frame);
      return DrawWatermark(std::move(picture), width, height, s.watermark, s.frame, file, "pdf",
                           font);
    };
    const pict::Image pixels = RenderAliased(drawing);
    const Bitmap expected =
        steps(Picture(pixels.width, pixels.height, [&](int x, int y) { return pixels.At(x, y); }));
    const VectorPicture page = steps(PictureOfDrawing(drawing));
    ASSERT_TRUE(expected && page) << c.name;
    SaveRequest request;
    request.format = FindOutputFormat("pdf");
    std::string message;
    const std::optional<std::string> pdf = EncodePicture(page, request, message);
    ASSERT_TRUE(pdf) << c.name << ": " << message;
    const std::string path = scratch / "page.pdf";
    ASSERT_TRUE(WriteFileBytes(path, *pdf));
    const PictureFile rendered =
        RenderBack(path, Renderer::PopplerCairo, {double(page.width), double(page.height), 72, 72});
    ASSERT_TRUE(rendered.IsLoaded()) << c.name;
    const pict::Image reference = ImageOf(expected.get());
    EXPECT_EQ(rendered.width(), reference.width) << c.name;
    EXPECT_EQ(rendered.height(), reference.height) << c.name;
    EXPECT_GE(Agreement(reference, rendered), 0.97) << c.name;
  }
}

}  // namespace
