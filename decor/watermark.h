// decor/watermark.h: the text and image watermarks and their shared placement.
#pragma once

#include "pipeline/picture.h"
#include "settings/settings.h"

// Loads the text watermark's font once per run; false when no usable font exists.
bool LoadWatermarkFont(const TextWatermarkSettings& text);

// Releases the font loaded by LoadWatermarkFont (nothing when none is loaded).
void ReleaseWatermarkFont();

// With a watermark switched on, returns the 24-bit W x H picture with the watermark
// composited; otherwise the input unchanged. Empty when the placement leaves no layer.
Bitmap DrawWatermark(Bitmap picture, int width, int height, const WatermarkSettings& watermark,
                     const FrameSettings& frame);
