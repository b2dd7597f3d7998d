#include "decor/watermark.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "decor/bitmap_pixels.h"
#include "decor/placement.h"
#include "naming/tokens.h"
#include "picture/rotated_size.h"
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

// The text box of the lines of expanded (the text with its tokens filled in): its size and
// where each line's logical rectangle starts in it, as mode measures the lines.
struct TextBox {
  struct Line {
    std::string text;
    int x = 0, y = 0;
    double baseline = 0;  // below y
  };
  int width = 0, height = 0;
  std::vector<Line> lines;
};

static TextBox LayOutTextBox(const TextWatermarkSettings& text, const std::string& expanded,
                             const Font& font, TextMode mode) {
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
  TextBox box;
  box.width = innerWidth + 2 * text.padding;
  box.height = textHeight + 2 * text.padding;
  for (size_t i = 0; i < lines.size(); ++i) {
    const TextExtents measured =
        mode == TextMode::Plain ? extents[i] : MeasureText(font, lines[i], mode);
    const int lineWidth = mode == TextMode::Plain
                              ? measured.width
                              : static_cast<int>(std::lround(measured.exactWidth));
    // A single line fits its box exactly, so it ignores the alignment.
    const int x = breaks > 0 ? AlignX(lineWidth, box.width, text) : text.padding;
    box.lines.push_back(
        {lines[i], x, text.padding + static_cast<int>(i) * step, measured.baseline});
  }
  return box;
}

// The text box with the lines of expanded as a 32-bit layer; empty without a font or a surface.
static Bitmap BuildTextLayer(const TextWatermarkSettings& text, const std::string& expanded,
                             const Font& font) {
  if (!font) return {};
  const TextMode mode = text.antialiasing ? TextMode::Antialiased : TextMode::Plain;
  const TextBox box = LayOutTextBox(text, expanded, font, mode);
  Surface textSurface(box.width, box.height);
  if (!textSurface) return {};

  if (!text.antialiasing) {
    const Rgba color = text.fontColor.WithAlpha(text.textOpacity);
    const Rgba background = text.backColor.WithAlpha(text.backOpacity);
    FillSurface(textSurface, background);
    for (const TextBox::Line& line : box.lines)
      DrawText(textSurface, font, line.text, line.x, line.y, color, background, TextMode::Plain);
    return SurfaceToBitmap(textSurface);
  }

  const Rgba color = text.fontColor.WithAlpha(255);
  const Rgba background = text.backColor.WithAlpha(255);
  Surface backSurface(box.width, box.height);
  Surface layer(box.width, box.height);
  if (!backSurface || !layer) return {};
  FillSurface(backSurface, background);
  for (const TextBox::Line& line : box.lines)
    DrawText(textSurface, font, line.text, line.x, line.y, color, background,
             TextMode::Antialiased);
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

static vector::Colour WithOpacity(Rgba colour, int opacity) {
  return static_cast<uint32_t>(std::clamp(opacity, 0, 255)) << 24 | uint32_t{colour.red} << 16 |
         uint32_t{colour.green} << 8 | colour.blue;
}

// A layer of width x height as a drawing: what each operation puts on the layer, taken by
// place to the picture's pixels.
struct LayerDrawing {
  int width = 0, height = 0;
  std::vector<vector::Operation> operations;  // in the layer's pixels
};

static LayerDrawing TextLayerDrawing(const TextWatermarkSettings& text, const std::string& expanded,
                                     const Font& font) {
  if (!font) return {};
  const TextBox box = LayOutTextBox(text, expanded, font, TextMode::Antialiased);
  LayerDrawing layer{box.width, box.height, {}};
  vector::Path whole;
  whole.Rectangle(0, 0, box.width, box.height);
  layer.operations.emplace_back(vector::FillOp{
      std::move(whole), vector::FillRule::Winding,
      vector::Paint::Solid(WithOpacity(text.backColor.WithAlpha(255), text.backOpacity))});
  const FontRequest request = WatermarkFontRequest(text);
  const vector::Font face{request.family, request.pixelSize, request.bold, request.italic};
  for (const TextBox::Line& line : box.lines)
    layer.operations.emplace_back(
        vector::TextOp{.run = {line.text, face, {}},
                       .placement = vector::Matrix::Translation(line.x, line.y + line.baseline),
                       .colour = WithOpacity(text.fontColor.WithAlpha(255), text.textOpacity),
                       .outline = false,
                       .shadow = false});
  return layer;
}

static LayerDrawing ImageLayerDrawing(const ImageWatermarkSettings& image) {
  const Bitmap logo = BuildImageLayer(image);
  if (!logo) return {};
  vector::Pixels pixels = BitmapPixels(logo.get());
  LayerDrawing layer{pixels.width, pixels.height, {}};
  layer.operations.emplace_back(vector::ImageOp{.pixels = std::move(pixels), .placement = {}});
  return layer;
}

// Moves the operation from the layer's pixels to the picture's through place.
static vector::Operation Placed(vector::Operation operation, const vector::Matrix& place) {
  if (auto* fill = std::get_if<vector::FillOp>(&operation)) {
    vector::Path moved;
    for (const vector::Path::Segment& segment : fill->path.Segments()) {
      const vector::Point* p = segment.points;
      switch (segment.kind) {
        case vector::Path::Kind::Move:
          moved.MoveTo(place.Apply(p[0]));
          break;
        case vector::Path::Kind::Line:
          moved.LineTo(place.Apply(p[0]));
          break;
        case vector::Path::Kind::Curve:
          moved.CurveTo(place.Apply(p[0]), place.Apply(p[1]), place.Apply(p[2]));
          break;
        case vector::Path::Kind::Close:
          moved.Close();
          break;
      }
    }
    fill->path = std::move(moved);
  } else if (auto* text = std::get_if<vector::TextOp>(&operation)) {
    text->placement = text->placement.Then(place);
  } else if (auto* image = std::get_if<vector::ImageOp>(&operation)) {
    image->placement = image->placement.Then(place);
    // Turned, the pixels are resampled on the way, as FreeImage_Rotate resamples them.
    if (place.xy != 0 || place.yx != 0) image->sampling = vector::Sampling::Smooth;
  }
  return operation;
}

std::optional<vector::Drawing> WatermarkDrawing(int width, int height,
                                                const WatermarkSettings& watermark,
                                                const FrameSettings& frame, const FileContext& file,
                                                std::string_view extension, const Font& font) {
  vector::Drawing drawing;
  drawing.page = {double(width), double(height), 72, 72};
  LayerDrawing layer;
  const PlacementSettings* placement = nullptr;
  if (watermark.kind == WatermarkKind::Text) {
    layer = TextLayerDrawing(watermark.text, ExpandTextTokens(watermark.text.text, file, extension),
                             font);
    placement = &watermark.text.placement;
  } else if (watermark.kind == WatermarkKind::Image) {
    layer = ImageLayerDrawing(watermark.image);
    placement = &watermark.image.placement;
  }
  if (!placement || layer.operations.empty()) return drawing;

  // The layer turned about its centre into the box FreeImage_Rotate grows for it.
  int turnedWidth = layer.width, turnedHeight = layer.height;
  vector::Matrix turn;
  if (placement->rotation > 0 && placement->rotation < 360) {
    std::tie(turnedWidth, turnedHeight) =
        RotatedSize(layer.width, layer.height, placement->rotation);
    turn = vector::Matrix::Translation(-layer.width / 2.0, -layer.height / 2.0)
               .Then(vector::Matrix::Rotation(-placement->rotation))
               .Then(vector::Matrix::Translation(turnedWidth / 2.0, turnedHeight / 2.0));
  }
  const std::optional<LayerSpot> spot =
      WatermarkSpot(turnedWidth, turnedHeight, width, height, *placement, frame);
  if (!spot) return std::nullopt;
  if (!spot->inside) return drawing;
  const vector::Matrix place = turn.Then(vector::Matrix::Translation(spot->x, spot->y));
  // What of the turned layer fits in its spot.
  vector::Path cut;
  cut.Rectangle(spot->x, spot->y, spot->x + spot->width, spot->y + spot->height);
  drawing.operations.emplace_back(vector::ClipOp{std::move(cut)});
  for (vector::Operation& operation : layer.operations)
    drawing.operations.push_back(Placed(std::move(operation), place));
  drawing.operations.emplace_back(vector::UnclipOp{});
  return drawing;
}
