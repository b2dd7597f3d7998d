#include "pipeline/geometry.h"

#include <climits>
#include <cmath>
#include <utility>

#include "picture/to_24_bits.h"
#include "settings/colour_text.h"

constexpr std::pair<ResizeAlgorithm, FREE_IMAGE_FILTER> kResizeFilters[] = {
    {ResizeAlgorithm::Box, FILTER_BOX},
    {ResizeAlgorithm::Bilinear, FILTER_BILINEAR},
    {ResizeAlgorithm::BSpline, FILTER_BSPLINE},
    {ResizeAlgorithm::Bicubic, FILTER_BICUBIC},
    {ResizeAlgorithm::CatmullRom, FILTER_CATMULLROM},
    {ResizeAlgorithm::Lanczos, FILTER_LANCZOS3},
};

// Round half away from zero, applied to the single-precision quotient of the aspect rule.
static int RoundAway(float x) {
  const double value = x;
  return static_cast<int>(value > 0 ? std::floor(value + 0.5) : std::ceil(value - 0.5));
}

Bitmap RotatePicture(Bitmap picture, const RotationSettings& rotation) {
  if (!picture) return picture;
  if (!rotation.enabled || rotation.angle < 1 || rotation.angle > 359) return picture;

  // FreeImage_Rotate refuses 4- and 16-bit pictures and RotateEx most depths besides 24 and
  // 32, so every other depth is brought to 24 bits and both rotation types behave alike.
  picture = To24BitsUnless(std::move(picture), 24, 32);
  if (!picture) return picture;
  const double width = FreeImage_GetWidth(picture.get());
  const double height = FreeImage_GetHeight(picture.get());

  if (rotation.type == RotationType::Advanced) {
    // Turning about the centre keeps the size; the corners get mirrored picture content.
    return Bitmap(FreeImage_RotateEx(picture.get(), rotation.angle, 0.0, 0.0, width / 2.0,
                                     height / 2.0, FALSE));
  }
  const Rgba color = rotation.backColor.WithAlpha(0);
  RGBQUAD background{};
  background.rgbRed = color.red;
  background.rgbGreen = color.green;
  background.rgbBlue = color.blue;
  return Bitmap(FreeImage_Rotate(picture.get(), rotation.angle, &background));
}

std::optional<std::pair<int, int>> ResizedSize(int width, int height,
                                               const ResizeSettings& resize) {
  if (!resize.enabled) return std::nullopt;
  const int targetWidth = ScaledDimension(resize.width, resize.widthUnit, width);
  const int targetHeight = ScaledDimension(resize.height, resize.heightUnit, height);
  if (targetWidth <= 0 || targetHeight <= 0) return std::nullopt;
  if (targetWidth == width && targetHeight == height) return std::nullopt;
  // LARGEIMAGES only shrinks: a picture smaller than the target both ways is left alone.
  if (resize.type == ResizeType::LargeImages && width < targetWidth && height < targetHeight)
    return std::nullopt;

  int newWidth = targetWidth;
  int newHeight = targetHeight;
  if (resize.keepAspectRatio) {
    // The longer side takes its target and the other follows; the ratio and the quotient
    // are single precision so that borderline sizes round the same way every time.
    if (width >= height) {
      const float ratio = static_cast<float>(width) / static_cast<float>(height);
      newHeight = RoundAway(static_cast<float>(targetWidth) / ratio);
    } else {
      const float ratio = static_cast<float>(height) / static_cast<float>(width);
      newWidth = RoundAway(static_cast<float>(targetHeight) / ratio);
    }
  }
  return std::pair{newWidth, newHeight};
}

Bitmap ResizePicture(Bitmap picture, int width, int height, const ResizeSettings& resize) {
  if (!picture) return picture;
  const std::optional<std::pair<int, int>> size = ResizedSize(width, height, resize);
  if (!size) return picture;
  return Bitmap(
      FreeImage_Rescale(picture.get(), size->first, size->second, ResizeFilter(resize.algorithm)));
}

void FlipPicture(FIBITMAP* picture, const FlipSettings& flip) {
  if (picture == nullptr) return;
  if (flip.horizontal) FreeImage_FlipHorizontal(picture);
  if (flip.vertical) FreeImage_FlipVertical(picture);
}

int ScaledDimension(int value, SizeUnit unit, int current) {
  switch (unit) {
    case SizeUnit::Pixels:
      return value;
    case SizeUnit::Percent: {
      // Default round-to-nearest (halves go to even); clamped so that an absurd percentage
      // gives a size that FreeImage refuses rather than a wrapped one.
      const double scaled = std::nearbyint(value / 100.0 * current);
      if (scaled >= INT_MAX) return INT_MAX;
      if (scaled <= INT_MIN) return INT_MIN;
      return static_cast<int>(scaled);
    }
  }
  return 0;
}

FREE_IMAGE_FILTER ResizeFilter(ResizeAlgorithm algorithm) {
  for (const auto& [code, filter] : kResizeFilters) {
    if (code == algorithm) return filter;
  }
  return FILTER_BICUBIC;
}
