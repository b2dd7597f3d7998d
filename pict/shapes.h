// pict/shapes.h: QuickDraw's shapes as the exact sets of pixels QuickDraw itself fills, no
// anti-aliasing. Each shape has a Paint region (also what erase, invert and fill cover) and a
// Frame region (what framing with a pen of pnSize covers); lines have the region the pen sweeps.
// Every function takes a clip rectangle and computes only the rows and columns inside it, so a
// shape far larger than the canvas costs no more than the canvas: work grows with the clipped
// height of the shape (times the point count for polygons), never with its area. Coordinates
// are a picture's (16-bit values moved by an origin); anything inside kUnclipped is safe.
#pragma once

#include <span>
#include <vector>

#include "pict/geometry.h"
#include "pict/region.h"

namespace pict {

// A clip that leaves every shape whole: far beyond any coordinate a picture can hold.
constexpr Rect kUnclipped{-(1 << 28), -(1 << 28), 1 << 28, 1 << 28};

// Pen sides below 0 count as 0; far beyond any picture they all act the same, so they are
// capped to keep coordinate sums in range. The drawing's outlines take the pen the same way.
Point UsablePen(Point pen);

// The pixels the pen (pen.x wide, pen.y high, hanging below and to the right of the point it
// is at) covers as its top-left corner moves from `from` to `to`, both ends included. A
// zero-length line is the pen once; a pen with a side of 0 or less draws nothing.
Region LineRegion(Point from, Point to, Point pen, const Rect& clip = kUnclipped);

// The rectangle's pixels; empty when it is.
Region PaintRect(const Rect& r, const Rect& clip = kUnclipped);
// The rectangle minus the rectangle inset by the pen: a border pen.x wide left and right and
// pen.y high top and bottom, the whole rectangle when the pen fills it. Negative pen sides
// count as 0.
Region FrameRect(const Rect& r, Point pen, const Rect& clip = kUnclipped);

// The oval inscribed in r, row by row as QuickDraw's oval scan converter fills it.
Region PaintOval(const Rect& r, const Rect& clip = kUnclipped);
// The oval minus the oval inscribed in r inset by the pen; inside r.
Region FrameOval(const Rect& r, Point pen, const Rect& clip = kUnclipped);

// The rectangle with corners cut by quarters of an ovalWidth x ovalHeight oval (sizes pinned
// to 0 and to the rectangle's own); a corner oval under 2 pixels high gives square corners.
Region PaintRoundRect(const Rect& r, int ovalWidth, int ovalHeight, const Rect& clip = kUnclipped);
// The round rectangle minus the one inset by the pen, whose corner ovals shrink by twice the
// pen.
Region FrameRoundRect(const Rect& r, int ovalWidth, int ovalHeight, Point pen,
                      const Rect& clip = kUnclipped);

// The wedge of r's oval from startAngle through arcAngle degrees: 0 is 12 o'clock, positive
// clockwise, negative anticlockwise, measured against the rectangle (45 points at its top-right
// corner). arcAngle 0 is empty; 360 or more is the whole oval.
Region PaintArc(const Rect& r, int startAngle, int arcAngle, const Rect& clip = kUnclipped);
// The part of FrameOval's ring inside the same wedge: the curved edge only, not the radii.
Region FrameArc(const Rect& r, int startAngle, int arcAngle, Point pen,
                const Rect& clip = kUnclipped);

// The interior of the polygon through the points, closed back to the first, by QuickDraw's
// rule: each edge becomes a staircase of pixel steps and a pixel is inside when an odd number
// of those steps lie at or left of it on its row. The interior stays within the outline, so a
// square polygon (0,0)-(10,10) paints exactly the 10 x 10 pixels from (0,0). Empty for more
// than kMaxPolygonPoints points.
Region PaintPolygon(std::span<const Point> points, const Rect& clip = kUnclipped);
// The lines from each point to the next (not back to the first: a closed polygon repeats its
// first point), each as LineRegion draws it, so the frame hangs right of and below the
// interior. Empty for more than kMaxPolygonPoints points. The union of the lines: QuickDraw
// draws them one by one, so in an inverting mode the pixels where they overlap flip back;
// a caller that wants that draws LineRegion edge by edge.
Region FramePolygon(std::span<const Point> points, Point pen, const Rect& clip = kUnclipped);

// The region minus the region inset by the pen (see Region::Inset); negative pen sides count
// as 0.
Region FrameRegion(const Region& region, Point pen, const Rect& clip = kUnclipped);

// The smooth curve a PolySmooth picture comment (kind 164, between PolyBegin 160 and PolyEnd
// 161) asks for, as points QuickDraw-style code can frame or paint. The points are the control
// points of a quadratic B-spline: the curve runs through the midpoint of each pair of neighbours,
// using each point between as the control point of one quadratic Bezier piece. An open curve starts
// at the first point and ends at the last; a closed one runs round (a repeated first point at the
// end is ignored) and ends where it started. At most kMaxPolygonPoints points come back; none for
// more going in.
std::vector<Point> SmoothPolygon(std::span<const Point> points, bool closed);

}  // namespace pict
