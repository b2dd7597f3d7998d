#include "decor/placement.h"

#include <cassert>

// The start of the layer along one side of the area; column and row of the nine positions
// are 0 start, 1 centre, 2 end. Integer division truncates toward zero.
static int Anchor(int anchor, int area, int size, int offset) {
  if (anchor == 0) return offset;
  if (anchor == 1) return (area - size) / 2;
  return area - size - offset;
}

Bitmap PlaceWatermark(Bitmap layer, Bitmap picture, int width, int height,
                      const PlacementSettings& placement, const FrameSettings& frame) {
  if (!layer || !picture) return picture;
  assert(FreeImage_GetBPP(layer.get()) == 32 && "watermark layers carry alpha");

  if (placement.rotation > 0 && placement.rotation < 360) {
    layer.reset(FreeImage_Rotate(layer.get(), placement.rotation, nullptr));
    if (!layer) return {};
  }

  int areaWidth = width, areaHeight = height, originX = 0, originY = 0;
  if (frame.kind != FrameKind::None && placement.boundary == Boundary::Frame) {
    areaWidth = width - frame.left - frame.right;
    areaHeight = height - frame.top - frame.bottom;
    originX = frame.left;
    originY = frame.top;
  }

  // The offsets shorten the room whatever the position, centred ones included.
  const int xOffset = placement.xOffset, yOffset = placement.yOffset;
  int w = static_cast<int>(FreeImage_GetWidth(layer.get()));
  int h = static_cast<int>(FreeImage_GetHeight(layer.get()));
  bool cut = false;
  if (w + xOffset > areaWidth) {
    w = areaWidth - xOffset;
    cut = true;
  }
  if (h + yOffset > areaHeight) {
    h = areaHeight - yOffset;
    cut = true;
  }
  if (cut) {
    // Nothing left of the layer: no picture either, so this file fails.
    if (w <= 0 || h <= 0) return {};
    layer.reset(FreeImage_Copy(layer.get(), 0, 0, w, h));
    if (!layer) return {};
  }

  const int code = static_cast<int>(placement.position);
  int x = 0, y = 0;
  if (code >= 0 && code <= 8) {
    x = Anchor(code % 3, areaWidth, w, xOffset);
    y = Anchor(code / 3, areaHeight, h, yOffset);
  }
  x += originX;
  y += originY;

  Bitmap canvas(FreeImage_AllocateT(FIT_BITMAP, width, height, 32));
  if (!canvas) return {};
  // Alpha 256 copies all four channels; 255 would blend and darken every channel by one.
  // A layer that does not lie wholly inside the picture is refused and simply left out.
  if (!FreeImage_Paste(canvas.get(), layer.get(), x, y, 256)) return picture;
  return Bitmap(FreeImage_Composite(canvas.get(), FALSE, nullptr, picture.get()));
}
