#include "decor/watermark.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "decor/placement.h"
#include "naming/tokens.h"
#include "picture/surface_handover.h"
#include "picture/to_24_bits.h"
#include "platform/drawing.h"
#include "settings/colour_text.h"

static FontRequest WatermarkFontRequest(const TextWatermarkSettings& text) {
  FontRequest request;
  request.family = text.font;
  request.pixelSize = static_cast<int>(std::lround(text.fontSize * 96.0 / 72.0));
  request.bold = text.fontStyle == FontStyle::Bold || text.fontStyle == FontStyle::BoldItalic;
  request.italic = text.fontStyle == FontStyle::Italic || text.fontStyle == FontStyle::BoldItalic;
  request.underline = text.fontEffect == FontEffect::Underline;
  request.strikeout = text.fontEffect == FontEffect::Strikethrough;
  return request;
}

Font LoadWatermarkFont(const TextWatermarkSettings& text) {
  return LoadFont(WatermarkFontRequest(text));
}

bool CanLoadWatermarkFont(const TextWatermarkSettings& text) {
  return CanLoadFont(WatermarkFontRequest(text));
}

// The pieces of the text between line-break markers, which count in any letter case; empty
// pieces are lines too.
static std::vector<std::string> SplitLines(const std::string& text) {
  constexpr std::string_view kMarker = "%eol%";
  const auto isMarkerAt = [&](size_t at) {
    return std::equal(
        kMarker.begin(), kMarker.end(), text.begin() + static_cast<ptrdiff_t>(at),
        [](char marker, char c) { return marker == (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  };
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at = 0; at + kMarker.size() <= text.size();) {
    if (!isMarkerAt(at)) {
      ++at;
      continue;
    }
    lines.push_back(text.substr(start, at - start));
    at += kMarker.size();
    start = at;
  }
  lines.push_back(text.substr(start));
  return lines;
}

// The x of a line inside the box; padding is already part of boxWidth.
static int AlignX(int lineWidth, int boxWidth, const TextWatermarkSettings& text) {
  switch (text.alignment) {
    case TextAlignment::Left:
      return text.padding;
    case TextAlignment::Center:
      return static_cast<int>(std::lround((boxWidth - lineWidth) / 2.0));
    case TextAlignment::Right:
      return boxWidth - lineWidth - text.padding;
  }
  return 0;
}

// The text box with the lines of expanded (the text with its tokens filled in) as a 32-bit
// layer; empty without a font or a surface.
static Bitmap BuildTextLayer(const TextWatermarkSettings& text, const std::string& expanded,
                             const Font& font) {
  if (!font) return {};
  const std::vector<std::string> lines = SplitLines(expanded);
  const int breaks = static_cast<int>(lines.size()) - 1;

  // The box is sized with the plain metrics in both modes.
  std::vector<TextExtents> extents;
  for (const std::string& line : lines)
    extents.push_back(MeasureText(font, line, TextMode::Plain));
  int innerWidth = extents[0].width, textHeight = extents[0].height, step = 0;
  if (breaks > 0) {
    int lineHeight = 10;
    innerWidth = 10;
    for (const TextExtents& line : extents) {
      innerWidth = std::max(innerWidth, line.width);
      lineHeight = std::max(lineHeight, line.height);
    }
    step = lineHeight + text.leading;
    textHeight = lineHeight + breaks * step;
  }
  const int boxWidth = innerWidth + 2 * text.padding;
  const int boxHeight = textHeight + 2 * text.padding;
  Surface textSurface(boxWidth, boxHeight);
  if (!textSurface) return {};

  // A single line fits its box exactly, so it ignores the alignment.
  const auto lineX = [&](int width) {
    return breaks > 0 ? AlignX(width, boxWidth, text) : text.padding;
  };
  if (!text.antialiasing) {
    const Rgba color = text.fontColor.WithAlpha(text.textOpacity);
    const Rgba background = text.backColor.WithAlpha(text.backOpacity);
    FillSurface(textSurface, background);
    for (size_t i = 0; i < lines.size(); ++i)
      DrawText(textSurface, font, lines[i], lineX(extents[i].width),
               text.padding + static_cast<int>(i) * step, color, background, TextMode::Plain);
    return SurfaceToBitmap(textSurface);
  }

  const Rgba color = text.fontColor.WithAlpha(255);
  const Rgba background = text.backColor.WithAlpha(255);
  Surface backSurface(boxWidth, boxHeight);
  Surface layer(boxWidth, boxHeight);
  if (!backSurface || !layer) return {};
  FillSurface(backSurface, background);
  for (size_t i = 0; i < lines.size(); ++i) {
    const TextExtents vector = MeasureText(font, lines[i], TextMode::Antialiased);
    DrawText(textSurface, font, lines[i],
             lineX(static_cast<int>(std::lround(vector.exactWidth))),
             text.padding + static_cast<int>(i) * step, color, background, TextMode::Antialiased);
  }
  // Box and text each get their own opacity, so the text does not take the box's.
  PaintSurface(layer, backSurface, 0, 0, text.backOpacity);
  PaintSurface(layer, textSurface, 0, 0, text.textOpacity);
  return SurfaceToBitmap(layer);
}

// A 32-bit copy of any standard or 16-bit-per-channel picture; empty for what cannot be one.
static Bitmap To32Bits(FIBITMAP* picture) {
  Bitmap converted(FreeImage_ConvertTo32Bits(picture));
  if (converted) return converted;
  const Bitmap standard(FreeImage_ConvertToStandardType(picture, TRUE));
  return standard ? Bitmap(FreeImage_ConvertTo32Bits(standard.get())) : Bitmap();
}

// The logo file as a 32-bit layer with the opacity (and grey) applied; empty when it cannot
// be read.
static Bitmap BuildImageLayer(const ImageWatermarkSettings& image) {
  const char* path = image.path.c_str();
  FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path, 0);
  if (format == FIF_UNKNOWN) format = FreeImage_GetFIFFromFilename(path);
  // FreeImage's PICT reader hangs or overflows on damaged files; a logo is never read with it.
  if (format == FIF_UNKNOWN || format == FIF_PICT || !FreeImage_FIFSupportsReading(format))
    return {};
  const Bitmap logo(FreeImage_Load(format, path, 0));
  if (!logo) return {};
  Bitmap layer = To32Bits(logo.get());
  if (!layer) return {};

  // Colours stay straight; only alpha takes the opacity (a logo without alpha counts as 255).
  const unsigned opacity = static_cast<unsigned>(std::clamp(image.opacity, 0, 255));
  const unsigned width = FreeImage_GetWidth(layer.get());
  const unsigned height = FreeImage_GetHeight(layer.get());
  for (unsigned y = 0; y < height; ++y) {
    BYTE* pixel = FreeImage_GetScanLine(layer.get(), static_cast<int>(y));
    for (unsigned x = 0; x < width; ++x, pixel += 4) {
      if (image.greyscale) {
        const uint32_t grey =
            GreyLevel(pixel[FI_RGBA_RED], pixel[FI_RGBA_GREEN], pixel[FI_RGBA_BLUE]);
        pixel[FI_RGBA_RED] = pixel[FI_RGBA_GREEN] = pixel[FI_RGBA_BLUE] = static_cast<BYTE>(grey);
      }
      pixel[FI_RGBA_ALPHA] = static_cast<BYTE>(pixel[FI_RGBA_ALPHA] * opacity / 255u);
    }
  }
  return layer;
}

Bitmap DrawWatermark(Bitmap picture, int width, int height, const WatermarkSettings& watermark,
                     const FrameSettings& frame, const FileContext& file,
                     std::string_view extension, const Font& font) {
  if (watermark.kind == WatermarkKind::None || !picture) return picture;
  picture = To24BitsUnless(std::move(picture), 24, 24);
  switch (watermark.kind) {
    case WatermarkKind::Text:
      return PlaceWatermark(
          BuildTextLayer(watermark.text, ExpandTextTokens(watermark.text.text, file, extension),
                         font),
          std::move(picture), width, height, watermark.text.placement, frame);
    case WatermarkKind::Image:
      return PlaceWatermark(BuildImageLayer(watermark.image), std::move(picture), width, height,
                            watermark.image.placement, frame);
    case WatermarkKind::None:
      break;
  }
  return picture;
}
