#include "decor/placement.h"

#include <cassert>

// The start of the layer along one side of the area; column and row of the nine positions
// are 0 start, 1 centre, 2 end. Integer division truncates toward zero.
static int Anchor(int anchor, int area, int size, int offset) {
  if (anchor == 0) return offset;
  if (anchor == 1) return (area - size) / 2;
  return area - size - offset;
}

std::optional<LayerSpot> WatermarkSpot(int layerWidth, int layerHeight, int width, int height,
                                       const PlacementSettings& placement,
                                       const FrameSettings& frame) {
  int areaWidth = width, areaHeight = height, originX = 0, originY = 0;
  if (frame.kind != FrameKind::None && placement.boundary == Boundary::Frame) {
    areaWidth = width - frame.left - frame.right;
    areaHeight = height - frame.top - frame.bottom;
    originX = frame.left;
    originY = frame.top;
  }

  // The offsets shorten the room whatever the position, centred ones included.
  const int xOffset = placement.xOffset, yOffset = placement.yOffset;
  LayerSpot spot{.width = layerWidth, .height = layerHeight};
  if (spot.width + xOffset > areaWidth) spot.width = areaWidth - xOffset;
  if (spot.height + yOffset > areaHeight) spot.height = areaHeight - yOffset;
  // Nothing left of the layer: no picture either, so this file fails.
  if (spot.width <= 0 || spot.height <= 0) return std::nullopt;

  const int code = static_cast<int>(placement.position);
  if (code >= 0 && code <= 8) {
    spot.x = Anchor(code % 3, areaWidth, spot.width, xOffset);
    spot.y = Anchor(code / 3, areaHeight, spot.height, yOffset);
  }
  spot.x += originX;
  spot.y += originY;
  spot.inside =
      spot.x >= 0 && spot.y >= 0 && spot.x + spot.width <= width && spot.y + spot.height <= height;
  return spot;
}

Bitmap PlaceWatermark(Bitmap layer, Bitmap picture, int width, int height,
                      const PlacementSettings& placement, const FrameSettings& frame) {
  if (!layer || !picture) return picture;
  assert(FreeImage_GetBPP(layer.get()) == 32 && "watermark layers carry alpha");

  if (placement.rotation > 0 && placement.rotation < 360) {
    layer.reset(FreeImage_Rotate(layer.get(), placement.rotation, nullptr));
    if (!layer) return {};
  }
  const int w = static_cast<int>(FreeImage_GetWidth(layer.get()));
  const int h = static_cast<int>(FreeImage_GetHeight(layer.get()));
  const std::optional<LayerSpot> spot = WatermarkSpot(w, h, width, height, placement, frame);
  if (!spot) return {};
  if (spot->width != w || spot->height != h) {
    layer.reset(FreeImage_Copy(layer.get(), 0, 0, spot->width, spot->height));
    if (!layer) return {};
  }

  Bitmap canvas(FreeImage_AllocateT(FIT_BITMAP, width, height, 32));
  if (!canvas) return {};
  // Alpha 256 copies all four channels; 255 would blend and darken every channel by one.
  // A layer that does not lie wholly inside the picture is refused and simply left out.
  if (!FreeImage_Paste(canvas.get(), layer.get(), spot->x, spot->y, 256)) return picture;
  return Bitmap(FreeImage_Composite(canvas.get(), FALSE, nullptr, picture.get()));
}
