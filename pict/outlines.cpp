#include "pict/outlines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <unordered_map>
#include <vector>

#include "pict/shapes.h"

namespace pict {

using vector::FillRule;
using Vec = vector::Point;

namespace {

constexpr double kDegrees = std::numbers::pi / 180;

void AddRect(vector::Path& path, const Rect& r) {
  if (!r.IsEmpty()) path.Rectangle(r.left, r.top, r.right, r.bottom);
}

Vec Centre(const Rect& r) {
  return {(double(r.left) + r.right) / 2, (double(r.top) + r.bottom) / 2};
}

void AddOval(vector::Path& path, const Rect& r) {
  if (r.IsEmpty()) return;
  path.EllipseArc(Centre(r), r.Width() / 2.0, r.Height() / 2.0, 0, 2 * std::numbers::pi).Close();
}

// The corner oval's size pinned as shapes.cpp pins it; 0 x 0 for square corners.
Point CornerOval(const Rect& r, int ovalWidth, int ovalHeight) {
  const int width = std::clamp(ovalWidth, 0, std::max(r.Width(), 0));
  const int height = std::clamp(ovalHeight, 0, std::max(r.Height(), 0));
  if (height == 0 || (height == 1 && r.Height() > 1)) return {0, 0};
  return {width, height};
}

void AddRoundRect(vector::Path& path, const Rect& r, int ovalWidth, int ovalHeight) {
  if (r.IsEmpty()) return;
  const Point oval = CornerOval(r, ovalWidth, ovalHeight);
  if (oval.x == 0) return AddRect(path, r);
  const double rx = oval.x / 2.0, ry = oval.y / 2.0, quarter = std::numbers::pi / 2;
  const double left = r.left, top = r.top, right = r.right, bottom = r.bottom;
  path.EllipseArc({right - rx, top + ry}, rx, ry, -quarter, 0)
      .EllipseArc({right - rx, bottom - ry}, rx, ry, 0, quarter)
      .EllipseArc({left + rx, bottom - ry}, rx, ry, quarter, 2 * quarter)
      .EllipseArc({left + rx, top + ry}, rx, ry, 2 * quarter, 3 * quarter)
      .Close();
}

// QuickDraw's arc angles (0 at 12 o'clock, clockwise, measured against the rectangle, so that
// 45 points at its top-right corner) are the ellipse's own parameter, a quarter turn on from
// Cairo's. Empty when the arc is; whole for a turn or more.
struct Sweep {
  bool empty = false, whole = false;
  double from = 0, to = 0;  // radians, Cairo's
};

Sweep SweepOf(int startAngle, int arcAngle) {
  Sweep sweep;
  if (arcAngle == 0) {
    sweep.empty = true;
    return sweep;
  }
  int64_t start = startAngle, arc = arcAngle;
  if (arc < 0) start += arc, arc = -arc;
  sweep.whole = arc >= 360;
  const int64_t first = (start % 360 + 360) % 360;
  sweep.from = (double(first) - 90) * kDegrees;
  sweep.to = sweep.from + double(std::min<int64_t>(arc, 360)) * kDegrees;
  return sweep;
}

// The parameter of the point where the ray from the centre through angle t of the ellipse
// (rx, ry) meets the ellipse (innerX, innerY) of the same centre: the same quadrant, so
// within a quarter turn of t.
double OnInner(double t, double rx, double ry, double innerX, double innerY) {
  const double u = std::atan2(ry * innerX * std::sin(t), rx * innerY * std::cos(t));
  return t + std::remainder(u - t, 2 * std::numbers::pi);
}

// A convex polygon cut by the half-plane a x + b y <= c (Sutherland and Hodgman's step).
std::vector<Vec> CutBy(const std::vector<Vec>& polygon, double a, double b, double c) {
  std::vector<Vec> cut;
  for (size_t i = 0; i < polygon.size(); ++i) {
    const Vec& p = polygon[i];
    const Vec& q = polygon[(i + 1) % polygon.size()];
    const double fp = a * p.x + b * p.y - c, fq = a * q.x + b * q.y - c;
    if (fp <= 0) cut.push_back(p);
    if ((fp < 0 && fq > 0) || (fp > 0 && fq < 0)) {
      const double t = fp / (fp - fq);
      cut.push_back({p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)});
    }
  }
  return cut;
}

// QuickDraw sweeps the pen down the line row by row (see shapes.cpp): each row's slab runs
// from where the line crosses the row's middle, reaching back over the rows the pen is high
// (one row less for a steep line; a shallow line's slab ends a pixel short), cut to the box of
// both ends and the pen. In the continuous plane that is the band between two lines parallel
// to it, cut to that box: a parallelogram for a thin pen, which holds the centres of exactly
// the pixels the slabs hold.
void AddLine(vector::Path& path, Point from, Point to, Point pen) {
  if (pen.x <= 0 || pen.y <= 0) return;
  pen = UsablePen(pen);
  if (from.y > to.y) std::swap(from, to);
  const double left = std::min(from.x, to.x), right = double(std::max(from.x, to.x)) + pen.x;
  const double top = from.y, bottom = double(to.y) + pen.y;
  std::vector<Vec> box{{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  if (from.x != to.x && from.y != to.y) {
    // The band: x_line(y) + low < x <= x_line(y) + high, x_line(y) = from.x + s (y - from.y).
    const double s = double(to.x - from.x) / (to.y - from.y);
    const double w = pen.x, h = pen.y;
    double low, high;
    if (s >= 0) {
      low = s < 1 ? -(h - 1) * s : -h * s;
      high = s < 1 ? w : w - 1;
    } else {
      low = s >= -1 ? 0 : 1;
      high = s >= -1 ? w - (h - 1) * s : w - h * s;
    }
    // x - s y <= from.x - s from.y + high, and -(x - s y) <= -(from.x - s from.y + low).
    const double offset = from.x - s * from.y;
    box = CutBy(box, 1, -s, offset + high);
    box = CutBy(box, -1, s, -(offset + low));
  }
  path.Polygon(box);
}

// The shape add(path, rect, pen) puts in r; a frame is that shape less the shape in r inset by
// the pen, which add gets to make its corners smaller.
template <class Add>
Outline Shape(const Rect& r, Add add) {
  Outline outline;
  add(outline.path, r, Point{0, 0});
  return outline;
}

template <class Add>
Outline Framed(const Rect& r, Point pen, Add add) {
  pen = UsablePen(pen);
  Outline outline{{}, FillRule::EvenOdd};
  add(outline.path, r, Point{0, 0});
  add(outline.path, r.Inset(pen.x, pen.y), pen);
  return outline;
}

void AddRectTo(vector::Path& path, const Rect& r, Point) { AddRect(path, r); }
void AddOvalTo(vector::Path& path, const Rect& r, Point) { AddOval(path, r); }

// The inner corners of a frame are smaller by twice the pen, as QuickDraw's are.
auto RoundRectAdder(int ovalWidth, int ovalHeight) {
  return [ovalWidth, ovalHeight](vector::Path& path, const Rect& r, Point pen) {
    const auto smaller = [](int size, int by) {
      return static_cast<int>(
          std::clamp<int64_t>(int64_t{size} - 2 * int64_t{by}, INT32_MIN, INT32_MAX));
    };
    AddRoundRect(path, r, smaller(ovalWidth, pen.x), smaller(ovalHeight, pen.y));
  };
}

}  // namespace

Outline RectOutline(const Rect& r) { return Shape(r, AddRectTo); }

Outline FrameRectOutline(const Rect& r, Point pen) { return Framed(r, pen, AddRectTo); }

Outline OvalOutline(const Rect& r) { return Shape(r, AddOvalTo); }

Outline FrameOvalOutline(const Rect& r, Point pen) { return Framed(r, pen, AddOvalTo); }

Outline RoundRectOutline(const Rect& r, int ovalWidth, int ovalHeight) {
  return Shape(r, RoundRectAdder(ovalWidth, ovalHeight));
}

Outline FrameRoundRectOutline(const Rect& r, int ovalWidth, int ovalHeight, Point pen) {
  return Framed(r, pen, RoundRectAdder(ovalWidth, ovalHeight));
}

Outline ArcOutline(const Rect& r, int startAngle, int arcAngle) {
  const Sweep sweep = SweepOf(startAngle, arcAngle);
  if (sweep.whole) return OvalOutline(r);
  Outline outline;
  if (sweep.empty || r.IsEmpty()) return outline;
  const Vec centre = Centre(r);
  outline.path.MoveTo(centre)
      .EllipseArc(centre, r.Width() / 2.0, r.Height() / 2.0, sweep.from, sweep.to)
      .Close();
  return outline;
}

Outline FrameArcOutline(const Rect& r, int startAngle, int arcAngle, Point pen) {
  const Sweep sweep = SweepOf(startAngle, arcAngle);
  if (sweep.whole) return FrameOvalOutline(r, pen);
  pen = UsablePen(pen);
  const Rect inner = r.Inset(pen.x, pen.y);
  if (inner.IsEmpty()) return ArcOutline(r, startAngle, arcAngle);
  Outline outline;
  if (sweep.empty || r.IsEmpty()) return outline;
  // The ring between the two ovals, cut by the radii of the outer one.
  const Vec centre = Centre(r);
  const double rx = r.Width() / 2.0, ry = r.Height() / 2.0;
  const double innerX = inner.Width() / 2.0, innerY = inner.Height() / 2.0;
  outline.path.EllipseArc(centre, rx, ry, sweep.from, sweep.to)
      .EllipseArc(centre, innerX, innerY, OnInner(sweep.to, rx, ry, innerX, innerY),
                  OnInner(sweep.from, rx, ry, innerX, innerY))
      .Close();
  return outline;
}

Outline PolygonOutline(std::span<const Point> points) {
  Outline outline{{}, FillRule::EvenOdd};
  if (points.size() < 3) return outline;
  std::vector<Vec> corners;
  corners.reserve(points.size());
  for (const Point& p : points) corners.push_back({double(p.x), double(p.y)});
  outline.path.Polygon(corners);
  return outline;
}

// Every line goes round the same way, so the winding rule gives their union.
Outline FramePolygonOutline(std::span<const Point> points, Point pen) {
  Outline outline;
  for (size_t i = 0; i + 1 < points.size(); ++i)
    AddLine(outline.path, points[i], points[i + 1], pen);
  return outline;
}

Outline LineOutline(Point from, Point to, Point pen) {
  Outline outline;
  AddLine(outline.path, from, to, pen);
  return outline;
}

// The region's boundary as edges that keep its inside on their right (top edges run right,
// right edges down, bottom edges left, left edges up), from the rows of rectangles pixman keeps
// it in; then the edges joined end to start into closed outlines, with the corners between
// edges in line left out. With its inside always on the right, every point inside is
// wound round once and every point outside not at all, so the winding rule holds it, as a
// clip in SVG must (Cairo's SVG writer loses an even-odd clip's rule).
Outline RegionOutline(const Region& region) {
  Outline outline{{}, FillRule::Winding};
  const std::vector<Rect> rects = region.Rects();
  struct Edge {
    Point from, to;
  };
  std::vector<Edge> edges;
  // Where a band's spans differ from those of the band right above it, there is a horizontal
  // edge: along the spans only below, a top edge; along those only above, a bottom edge.
  using Spans = std::vector<std::pair<int, int>>;
  const auto addHorizontal = [&edges](int y, const Spans& above, const Spans& below) {
    std::vector<int> xs;
    for (const Spans* spans : {&above, &below})
      for (const auto& [left, right] : *spans) xs.insert(xs.end(), {left, right});
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    const auto covers = [](const Spans& spans, int x) {
      return std::any_of(spans.begin(), spans.end(),
                         [x](const auto& span) { return span.first <= x && x < span.second; });
    };
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
      const bool up = covers(above, xs[i]), down = covers(below, xs[i]);
      if (down && !up) edges.push_back({{xs[i], y}, {xs[i + 1], y}});
      if (up && !down) edges.push_back({{xs[i + 1], y}, {xs[i], y}});
    }
  };
  Spans previous;
  int previousBottom = INT32_MIN;
  for (size_t i = 0; i < rects.size();) {
    const int top = rects[i].top, bottom = rects[i].bottom;
    Spans spans;
    for (; i < rects.size() && rects[i].top == top; ++i) {
      spans.emplace_back(rects[i].left, rects[i].right);
      edges.push_back({{rects[i].left, bottom}, {rects[i].left, top}});
      edges.push_back({{rects[i].right, top}, {rects[i].right, bottom}});
    }
    if (previousBottom != top) {
      addHorizontal(previousBottom, previous, {});
      previous.clear();
    }
    addHorizontal(top, previous, spans);
    previous = std::move(spans);
    previousBottom = bottom;
  }
  addHorizontal(previousBottom, previous, {});

  const auto key = [](Point p) { return uint64_t(uint32_t(p.x)) << 32 | uint32_t(p.y); };
  std::unordered_map<uint64_t, std::vector<size_t>> starting;
  for (size_t i = 0; i < edges.size(); ++i) starting[key(edges[i].from)].push_back(i);
  std::vector<bool> used(edges.size(), false);
  std::vector<Vec> loop;
  for (size_t first = 0; first < edges.size(); ++first) {
    if (used[first]) continue;
    std::vector<Point> corners;
    size_t edge = first;
    while (true) {
      used[edge] = true;
      corners.push_back(edges[edge].from);
      if (edges[edge].to == edges[first].from) break;
      std::vector<size_t>& next = starting[key(edges[edge].to)];
      while (!next.empty() && used[next.back()]) next.pop_back();
      if (next.empty()) break;  // cannot happen: every corner has as many edges in as out
      edge = next.back();
    }
    loop.clear();
    const size_t n = corners.size();
    for (size_t i = 0; i < n; ++i) {
      const Point& before = corners[(i + n - 1) % n];
      const Point& at = corners[i];
      const Point& after = corners[(i + 1) % n];
      const bool inLine =
          (before.x == at.x && at.x == after.x) || (before.y == at.y && at.y == after.y);
      if (!inLine) loop.push_back({double(at.x), double(at.y)});
    }
    outline.path.Polygon(loop);
  }
  return outline;
}

}  // namespace pict
