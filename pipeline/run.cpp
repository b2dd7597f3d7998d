#include "pipeline/run.h"

#include "decor/watermark.h"

RunResources LoadRunResources(const Run& run) {
  RunResources resources;
  if (run.settings.watermark.kind == WatermarkKind::Text)
    resources.watermarkFont = LoadWatermarkFont(run.settings.watermark.text);
  return resources;
}

bool CanLoadRunFont(const TextWatermarkSettings& text) { return CanLoadWatermarkFont(text); }
