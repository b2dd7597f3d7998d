// decor/placement.h: where a watermark layer lands on the picture, shared by the text and
// the image watermark, on pixels and as drawings.
#pragma once

#include <optional>

#include "picture/picture.h"
#include "settings/settings.h"

// Where a layer (already turned) lands on a W x H picture: the top-left corner of its spot and
// the part of the layer that fits there, from the layer's top-left corner.
struct LayerSpot {
  int x = 0, y = 0;
  int width = 0, height = 0;
  // The spot lies wholly inside the picture; a layer that does not (a negative offset) is
  // left out.
  bool inside = true;
};

// The layer's spot: cut to the area (the picture, or the inside of the frame for boundary FRAME
// with a frame) minus the offsets, anchored at one of the nine positions. Nothing when an
// offset at least as large as the area leaves nothing of the layer.
std::optional<LayerSpot> WatermarkSpot(int layerWidth, int layerHeight, int width, int height,
                                       const PlacementSettings& placement,
                                       const FrameSettings& frame);

// Turns the 32-bit layer by the placement's rotation (1..359 degrees only), puts it in its spot
// (WatermarkSpot) and composites it over the 24-bit W x H picture; both inputs are consumed.
// With no layer, or a layer whose spot is not inside the picture, the picture comes back as it
// is. Empty when nothing is left of the layer.
Bitmap PlaceWatermark(Bitmap layer, Bitmap picture, int width, int height,
                      const PlacementSettings& placement, const FrameSettings& frame);
