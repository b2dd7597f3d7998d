#include "pipeline/vector_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "decor/bitmap_pixels.h"
#include "decor/frame.h"
#include "decor/watermark.h"
#include "picture/rotated_size.h"
#include "pipeline/geometry.h"
#include "settings/colour_text.h"

using vector::Matrix;

// A colour step after the ones before it.
static vector::ColourFunction Then(vector::ColourFunction first, vector::ColourFunction next) {
  if (!first) return next;
  if (!next) return first;
  return
      [first = std::move(first), next = std::move(next)](uint32_t rgb) { return next(first(rgb)); };
}

VectorPicture PictureOfDrawing(vector::Drawing drawing) {
  VectorPicture picture;
  const vector::Page page = drawing.page;
  // What lies beyond the page is cut off, as the canvas cuts it: a turn would show it.
  vector::Path bounds;
  bounds.Rectangle(0, 0, page.width, page.height);
  drawing.operations.insert(drawing.operations.begin(), vector::ClipOp{std::move(bounds)});
  drawing.operations.emplace_back(vector::UnclipOp{});
  picture.drawing = std::move(drawing);
  picture.width = static_cast<int>(std::lround(page.width));
  picture.height = static_cast<int>(std::lround(page.height));
  picture.pointsX = page.unitsPerInchX > 0 ? 72.0 / page.unitsPerInchX : 1;
  picture.pointsY = page.unitsPerInchY > 0 ? 72.0 / page.unitsPerInchY : 1;
  return picture;
}

VectorPicture PictureOfPixels(FIBITMAP* picture, int scale) {
  vector::Pixels pixels = BitmapPixels(picture);
  if (pixels.IsEmpty()) return {};
  vector::Drawing drawing;
  drawing.page = {double(pixels.width), double(pixels.height), 72.0 * scale, 72.0 * scale};
  drawing.operations.emplace_back(vector::ImageOp{.pixels = std::move(pixels), .placement = {}});
  return PictureOfDrawing(std::move(drawing));
}

static vector::Colour Opaque(Rgba colour) {
  return vector::kOpaque | uint32_t{colour.red} << 16 | uint32_t{colour.green} << 8 | colour.blue;
}

VectorPicture RotatePicture(VectorPicture picture, const RotationSettings& rotation) {
  if (!picture || !rotation.enabled || rotation.angle < 1 || rotation.angle > 359) return picture;
  const double width = picture.width, height = picture.height;
  // FreeImage turns counter-clockwise on the screen; a Matrix turn is clockwise there.
  const Matrix turn = Matrix::Rotation(-rotation.angle);
  if (rotation.type == RotationType::Advanced) {
    // About the centre, the size kept, the corners mirrored picture.
    picture.transform = picture.transform.Then(Matrix::Translation(-width / 2, -height / 2))
                            .Then(turn)
                            .Then(Matrix::Translation(width / 2, height / 2));
    picture.mirrored = true;
    return picture;
  }
  const auto [newWidth, newHeight] = RotatedSize(picture.width, picture.height, rotation.angle);
  picture.transform = picture.transform.Then(Matrix::Translation(-width / 2, -height / 2))
                          .Then(turn)
                          .Then(Matrix::Translation(newWidth / 2.0, newHeight / 2.0));
  if (newWidth != picture.width || newHeight != picture.height || rotation.angle % 90 != 0)
    picture.backdrop = Opaque(rotation.backColor.WithAlpha(255));
  picture.width = newWidth;
  picture.height = newHeight;
  return picture;
}

VectorPicture ScalePicture(VectorPicture picture, int width, int height) {
  if (!picture || width <= 0 || height <= 0) return {};
  picture.transform = picture.transform.Then(
      Matrix::Scaling(double(width) / picture.width, double(height) / picture.height));
  picture.width = width;
  picture.height = height;
  return picture;
}

VectorPicture ResizePicture(VectorPicture picture, int width, int height,
                            const ResizeSettings& resize) {
  const std::optional<std::pair<int, int>> size = ResizedSize(width, height, resize);
  if (!picture || !size) return picture;
  return ScalePicture(std::move(picture), size->first, size->second);
}

void FlipPicture(VectorPicture& picture, const FlipSettings& flip) {
  if (flip.horizontal)
    picture.transform = picture.transform.Then({-1, 0, 0, 1, double(picture.width), 0});
  if (flip.vertical)
    picture.transform = picture.transform.Then({1, 0, 0, -1, 0, double(picture.height)});
}

vector::ColourFunction AdjustColourFunction(const ColorSettings& color) {
  if (!color.enabled) return {};
  std::array<BYTE, 256> table{};
  if (FreeImage_GetAdjustColorsLookupTable(table.data(), color.brightness, color.contrast,
                                           color.gamma, color.invert ? TRUE : FALSE) == 0)
    return {};
  return [table](uint32_t rgb) {
    return uint32_t{table[(rgb >> 16) & 0xFF]} << 16 | uint32_t{table[(rgb >> 8) & 0xFF]} << 8 |
           table[rgb & 0xFF];
  };
}

// FreeImage's grey of a 24-bit colour: Rec. 709's weights in single precision, rounded.
static uint32_t GreyOf(uint32_t rgb) {
  const float grey = 0.2126f * float((rgb >> 16) & 0xFF) + 0.7152f * float((rgb >> 8) & 0xFF) +
                     0.0722f * float(rgb & 0xFF);
  return static_cast<uint32_t>(grey + 0.5f);
}

vector::ColourFunction GreyscaleColourFunction(const ColorSettings& color) {
  if (!color.greyscale) return {};
  return [](uint32_t rgb) { return GreyOf(rgb) * 0x010101u; };
}

vector::ColourFunction ThresholdColourFunction(const ColorSettings& color) {
  if (!color.threshold) return {};
  // Only the low byte counts, as on pixels.
  const uint32_t level = static_cast<uint32_t>(color.thresholdLevel) & 0xFF;
  return [level](uint32_t rgb) { return GreyOf(rgb) >= level ? 0xFFFFFFu : 0u; };
}

VectorPicture AdjustPictureColors(VectorPicture picture, const ColorSettings& color) {
  picture.colour = Then(std::move(picture.colour), AdjustColourFunction(color));
  return picture;
}

VectorPicture GreyscalePicture(VectorPicture picture, const ColorSettings& color) {
  picture.colour = Then(std::move(picture.colour), GreyscaleColourFunction(color));
  return picture;
}

VectorPicture ThresholdPicture(VectorPicture picture, const ColorSettings& color) {
  picture.colour = Then(std::move(picture.colour), ThresholdColourFunction(color));
  return picture;
}

VectorPicture DrawSolidFrame(VectorPicture picture, int width, int height,
                             const FrameSettings& frame) {
  if (picture && frame.kind == FrameKind::Solid)
    picture.over.push_back(SolidFrameDrawing(width, height, frame));
  return picture;
}

VectorPicture DrawWatermark(VectorPicture picture, int width, int height,
                            const WatermarkSettings& watermark, const FrameSettings& frame,
                            const FileContext& file, std::string_view extension, const Font& font) {
  if (!picture) return picture;
  std::optional<vector::Drawing> drawing =
      WatermarkDrawing(width, height, watermark, frame, file, extension, font);
  if (!drawing) return {};
  if (!drawing->operations.empty()) picture.over.push_back(std::move(*drawing));
  return picture;
}

VectorPicture ApplyTargetDepth(VectorPicture picture, const OutputFormat&, int) { return picture; }

// The copies of the drawing FreeImage_RotateEx's mirroring shows on the page: the drawing's
// page and its mirror images about its edges, as far as the page reaches back into the
// drawing (a long, thin picture turned reaches many), at most kMaxCopies each way.
constexpr int kMaxCopies = 8;

static std::vector<Matrix> MirroredCopies(const VectorPicture& picture) {
  const Matrix& t = picture.transform;
  const double determinant = t.xx * t.yy - t.xy * t.yx;
  if (determinant == 0) return {Matrix{}};
  // The page's corners back in the drawing's units.
  const Matrix back{t.yy / determinant,
                    -t.yx / determinant,
                    -t.xy / determinant,
                    t.xx / determinant,
                    (t.xy * t.y0 - t.yy * t.x0) / determinant,
                    (t.yx * t.x0 - t.xx * t.y0) / determinant};
  double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
  for (const vector::Point corner : {vector::Point{0, 0},
                                     {double(picture.width), 0},
                                     {0, double(picture.height)},
                                     {double(picture.width), double(picture.height)}}) {
    const vector::Point p = back.Apply(corner);
    left = std::min(left, p.x), right = std::max(right, p.x);
    top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  }
  const double w = picture.drawing.page.width, h = picture.drawing.page.height;
  if (w <= 0 || h <= 0) return {Matrix{}};
  const auto range = [](double from, double to, double size) {
    const int first = std::max(-kMaxCopies, static_cast<int>(std::floor(from / size)));
    const int last = std::min(kMaxCopies, static_cast<int>(std::floor(to / size)));
    return std::pair{first, last};
  };
  const auto [firstX, lastX] = range(left, right, w);
  const auto [firstY, lastY] = range(top, bottom, h);
  // Copy i along a side is the drawing moved i pages, mirrored when i is odd.
  const auto along = [](int i, double size) {
    return i % 2 == 0 ? std::pair{1.0, i * size} : std::pair{-1.0, (i + 1) * size};
  };
  std::vector<Matrix> copies;
  for (int j = firstY; j <= lastY; ++j)
    for (int i = firstX; i <= lastX; ++i) {
      const auto [sx, dx] = along(i, w);
      const auto [sy, dy] = along(j, h);
      copies.push_back({sx, 0, 0, sy, dx, dy});
    }
  return copies;
}

std::optional<std::string> EncodePicture(const VectorPicture& picture, const SaveRequest& request,
                                         std::string& message) {
  vector::OutputPage page;
  page.width = picture.width * picture.pointsX;
  page.height = picture.height * picture.pointsY;
  const Matrix toPoints = Matrix::Scaling(picture.pointsX, picture.pointsY);
  // The backdrop takes the colour steps as the grown corners' pixels take them.
  vector::Drawing backdrop;
  if (picture.backdrop) {
    vector::Path whole;
    whole.Rectangle(0, 0, picture.width, picture.height);
    backdrop.operations.emplace_back(vector::FillOp{std::move(whole), vector::FillRule::Winding,
                                                    vector::Paint::Solid(*picture.backdrop)});
    page.layers.push_back({&backdrop, {toPoints, picture.colour}});
  }
  const std::vector<Matrix> copies =
      picture.mirrored ? MirroredCopies(picture) : std::vector{Matrix{}};
  for (const Matrix& copy : copies)
    page.layers.push_back(
        {&picture.drawing, {copy.Then(picture.transform).Then(toPoints), picture.colour}});
  for (const vector::Drawing& over : picture.over) page.layers.push_back({&over, {toPoints, {}}});

  std::optional<std::vector<uint8_t>> bytes = request.format->writer == Writer::Pdf
                                                  ? vector::EncodePdf(page, message)
                                                  : vector::EncodeSvg(page, message);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}
