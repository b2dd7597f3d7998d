// decor/watermark.h: the text and image watermarks and their shared placement.
#pragma once

#include <optional>
#include <string_view>

#include "naming/file_context.h"
#include "picture/picture.h"
#include "platform/drawing.h"
#include "settings/settings.h"
#include "vector/drawing.h"

// The text watermark's font, loaded once per run: --WM-FONT (fontconfig substitutes a face
// that is not installed) at round(size x 96 / 72) pixels, with its style and effect. Empty only
// when no usable font exists at all.
Font LoadWatermarkFont(const TextWatermarkSettings& text);

// Whether LoadWatermarkFont would give a font, without loading one (see CanLoadFont).
bool CanLoadWatermarkFont(const TextWatermarkSettings& text);

// With a watermark switched on, returns the 24-bit W x H picture with the watermark
// composited (the input is consumed); otherwise the input unchanged. The text's tokens stand
// for file and the run's output extension, and it is drawn with font; the logo file is read
// again on every call. Without a font, a readable logo or a drawing surface, and when the layer
// does not lie wholly inside the picture (a negative offset), the picture comes back 24-bit
// without watermark. Empty when an offset at least as large as the area leaves nothing of the
// layer.
Bitmap DrawWatermark(Bitmap picture, int width, int height, const WatermarkSettings& watermark,
                     const FrameSettings& frame, const FileContext& file,
                     std::string_view extension, const Font& font);

// The same watermark as a drawing in the pixels of a W x H picture, in the spot it takes on
// pixels: the text's box as a rectangle and its lines as text in the font's family, size, and
// style (always smooth; underline and strike-out are left to the pixels), the logo as an
// image. An empty drawing when the watermark is off or is left out as on pixels (no font or
// logo, a spot not inside the picture); nothing when nothing is left of it.
std::optional<vector::Drawing> WatermarkDrawing(int width, int height,
                                                const WatermarkSettings& watermark,
                                                const FrameSettings& frame, const FileContext& file,
                                                std::string_view extension, const Font& font);
