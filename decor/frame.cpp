#include "decor/frame.h"

#include "picture/surface_handover.h"
#include "picture/to_24_bits.h"
#include "settings/colour_text.h"

// The frame alone, with the frame opacity applied; empty when a surface cannot be made.
static Bitmap BuildFrameLayer(int width, int height, const FrameSettings& frame) {
  Surface shapes(width, height);
  if (!shapes) return {};
  const int w = width, h = height;
  const int l = frame.left, r = frame.right, t = frame.top, b = frame.bottom;
  const Rgba left = frame.leftColor.WithAlpha(255), right = frame.rightColor.WithAlpha(255);
  const Rgba top = frame.topColor.WithAlpha(255), bottom = frame.bottomColor.WithAlpha(255);
  // The corner rectangles go first, under the mitred bands: each band's antialiased diagonal
  // leaves the corner pixels partly transparent, and the rectangle beneath closes that seam.
  FillRectangle(shapes, 0, 0, l, t, top);
  FillRectangle(shapes, w - r, 0, r, t, right);
  FillRectangle(shapes, w - r, h - b, r, b, bottom);
  FillRectangle(shapes, 0, h - b, l, b, left);
  FillPolygon(shapes, {{0, 0}, {w, 0}, {w - r, t}, {l, t}}, top);
  FillPolygon(shapes, {{w, 0}, {w, h}, {w - r, h - b}, {w - r, t}}, right);
  FillPolygon(shapes, {{w, h}, {0, h}, {l, h - b}, {w - r, h - b}}, bottom);
  FillPolygon(shapes, {{0, h}, {0, 0}, {l, t}, {l, h - b}}, left);
  // One opacity for the whole frame, so overlapping shapes do not show through each other.
  // Fully opaque, that painting would be an exact copy, so it is left out.
  if (frame.opacity >= 255) return SurfaceToBitmap(shapes);
  Surface layer(width, height);
  if (!layer) return {};
  PaintSurface(layer, shapes, 0, 0, frame.opacity);
  return SurfaceToBitmap(layer);
}

Bitmap DrawSolidFrame(Bitmap picture, int width, int height, const FrameSettings& frame) {
  if (frame.kind == FrameKind::None || !picture) return picture;
  picture = To24BitsUnless(std::move(picture), 24, 24);
  if (!picture || frame.kind != FrameKind::Solid) return picture;
  const Bitmap layer = BuildFrameLayer(width, height, frame);
  if (!layer) return picture;
  return Bitmap(FreeImage_Composite(layer.get(), FALSE, nullptr, picture.get()));
}
