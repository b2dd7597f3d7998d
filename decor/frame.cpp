#include "decor/frame.h"

#include <algorithm>
#include <vector>

#include "picture/surface_handover.h"
#include "picture/to_24_bits.h"
#include "settings/colour_text.h"

// The frame's shapes in a W x H picture, each a polygon in its side's colour: the corner
// rectangles first, then the mitred bands over them.
struct FrameShape {
  std::vector<Point> polygon;
  Rgba colour;
};
static std::vector<FrameShape> FrameShapes(int width, int height, const FrameSettings& frame,
                                           bool corners) {
  const int w = width, h = height;
  const int l = frame.left, r = frame.right, t = frame.top, b = frame.bottom;
  const Rgba left = frame.leftColor.WithAlpha(255), right = frame.rightColor.WithAlpha(255);
  const Rgba top = frame.topColor.WithAlpha(255), bottom = frame.bottomColor.WithAlpha(255);
  std::vector<FrameShape> shapes;
  const auto rectangle = [&](int x, int y, int rw, int rh, Rgba colour) {
    shapes.push_back({{{x, y}, {x + rw, y}, {x + rw, y + rh}, {x, y + rh}}, colour});
  };
  // The corner rectangles go under the mitred bands: each band's antialiased diagonal leaves
  // the corner pixels partly transparent, and the rectangle beneath closes that seam.
  if (corners) {
    rectangle(0, 0, l, t, top);
    rectangle(w - r, 0, r, t, right);
    rectangle(w - r, h - b, r, b, bottom);
    rectangle(0, h - b, l, b, left);
  }
  shapes.push_back({{{0, 0}, {w, 0}, {w - r, t}, {l, t}}, top});
  shapes.push_back({{{w, 0}, {w, h}, {w - r, h - b}, {w - r, t}}, right});
  shapes.push_back({{{w, h}, {0, h}, {l, h - b}, {w - r, h - b}}, bottom});
  shapes.push_back({{{0, h}, {0, 0}, {l, t}, {l, h - b}}, left});
  return shapes;
}

// The frame alone, with the frame opacity applied; empty when a surface cannot be made.
static Bitmap BuildFrameLayer(int width, int height, const FrameSettings& frame) {
  Surface shapes(width, height);
  if (!shapes) return {};
  for (const FrameShape& shape : FrameShapes(width, height, frame, true))
    FillPolygon(shapes, shape.polygon, shape.colour);
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

vector::Drawing SolidFrameDrawing(int width, int height, const FrameSettings& frame) {
  vector::Drawing drawing;
  drawing.page = {double(width), double(height), 72, 72};
  if (frame.kind != FrameKind::Solid) return drawing;
  // The bands meet edge to edge in a drawing, with no seam to close; the corner rectangles
  // would only lay the colour twice where the frame is not opaque.
  const uint32_t alpha = static_cast<uint32_t>(std::clamp(frame.opacity, 0, 255)) << 24;
  for (const FrameShape& shape : FrameShapes(width, height, frame, false)) {
    std::vector<vector::Point> points;
    for (const Point& p : shape.polygon) points.push_back({double(p.x), double(p.y)});
    vector::Path path;
    path.Polygon(points);
    const Rgba c = shape.colour;
    drawing.operations.emplace_back(vector::FillOp{
        std::move(path), vector::FillRule::Winding,
        vector::Paint::Solid(alpha | uint32_t{c.red} << 16 | uint32_t{c.green} << 8 | c.blue)});
  }
  return drawing;
}
