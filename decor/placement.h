// decor/placement.h: where a watermark layer lands on the picture, shared by the text and
// the image watermark.
#pragma once

#include "picture/picture.h"
#include "settings/settings.h"

// Turns the 32-bit layer by the placement's rotation (1..359 degrees only), cuts it to the
// area (the picture, or the inside of the frame for boundary FRAME with a frame) minus the
// offsets, anchors it at one of the nine positions and composites it over the 24-bit W x H
// picture; both inputs are consumed. With no layer, or a layer that does not lie wholly
// inside the picture (a negative offset), the picture comes back as it is. Empty when an
// offset at least as large as the area leaves nothing of the layer.
Bitmap PlaceWatermark(Bitmap layer, Bitmap picture, int width, int height,
                      const PlacementSettings& placement, const FrameSettings& frame);
