// pict/outlines.h: QuickDraw's shapes as outlines for a drawing, each enclosing the pixels
// pict/shapes.h fills for the same shape: the same rectangles, the ovals and arcs as true
// curves through the pixels QuickDraw picks, polygons through their points, the pen hanging
// below and to the right of the path (a frame is the shape less the shape inset by the pen, a
// line is the pen's rectangle swept along it), regions traced round their edges. Coordinates
// are canvas pixels. Private to pict/.
#pragma once

#include <span>

#include "pict/geometry.h"
#include "pict/region.h"
#include "vector/drawing.h"

namespace pict {

struct Outline {
  vector::Path path;
  vector::FillRule rule = vector::FillRule::Winding;
};

Outline RectOutline(const Rect& r);
Outline FrameRectOutline(const Rect& r, Point pen);
Outline OvalOutline(const Rect& r);
Outline FrameOvalOutline(const Rect& r, Point pen);
Outline RoundRectOutline(const Rect& r, int ovalWidth, int ovalHeight);
Outline FrameRoundRectOutline(const Rect& r, int ovalWidth, int ovalHeight, Point pen);
// Angles as PaintArc and FrameArc take them.
Outline ArcOutline(const Rect& r, int startAngle, int arcAngle);
Outline FrameArcOutline(const Rect& r, int startAngle, int arcAngle, Point pen);
Outline PolygonOutline(std::span<const Point> points);
Outline FramePolygonOutline(std::span<const Point> points, Point pen);
Outline LineOutline(Point from, Point to, Point pen);
// The region's edges joined into closed outlines, so that a region of thousands of rectangles
// is a few outlines, not thousands of squares.
Outline RegionOutline(const Region& region);

}  // namespace pict
