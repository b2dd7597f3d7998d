#include "pict/shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "pict/limits.h"

namespace pict {

// The pixel rules below follow QuickDraw's own rasterisers (Apple's QuickDraw sources as
// published by the Computer History Museum: DrawLine, DrawArc with InitOval/BumpOval,
// PutLine, FrRect, FrRgn/InsetRgn), restated here as closed forms per row so that any row can
// be computed without walking the rows above it.

namespace {

// 16.16 fixed-point numbers, held in 64 bits so that no intermediate overflows.
constexpr int64_t kOne = 65536;
constexpr int64_t kHalf = kOne / 2;
constexpr int64_t kFixedMax = 0x7FFFFFFF;

// A run of pixels left <= x < right on one row; wide enough for the edges of absurd ovals.
struct Span {
  int64_t left = 0, right = 0;
  bool operator==(const Span&) const = default;
};

__extension__ typedef unsigned __int128 Wide;

}  // namespace

// n / d rounded to the nearest integer, halves away from zero; d > 0.
static int64_t RoundedDivide(int64_t n, int64_t d) {
  return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
}

static int64_t Saturate(int64_t fixed) { return std::clamp(fixed, -kFixedMax, kFixedMax); }

// n / d as 16.16, saturated as the Toolbox's FixRatio saturates.
static int64_t FixRatio(int64_t n, int64_t d) {
  if (d == 0) return n < 0 ? -kFixedMax : kFixedMax;
  if (d < 0) n = -n, d = -d;
  return Saturate(RoundedDivide(n * kOne, d));
}

static int64_t FixMul(int64_t a, int64_t b) { return Saturate(RoundedDivide(a * b, kOne)); }

// The pixel column a 16.16 position lies in (the integer part, rounded down).
static int64_t PixelOf(int64_t fixed) { return fixed >> 16; }

namespace {

// Hands a shape to pixman row by row from the top: each run of rows with the same spans
// becomes one rectangle per span. Everything is cut to the limit rectangle.
class RowCollector {
 public:
  explicit RowCollector(const Rect& limit) : limit_(limit) {}

  // Rows must come in increasing order until EndShape(); spans may overlap or be empty.
  void AddRow(int y, std::span<const Span> spans) {
    if (y < limit_.top || y >= limit_.bottom) return;
    row_.clear();
    for (const Span& span : spans) {
      const int64_t left = std::max<int64_t>(span.left, limit_.left);
      const int64_t right = std::min<int64_t>(span.right, limit_.right);
      if (left < right) row_.push_back({left, right});
    }
    std::sort(row_.begin(), row_.end(),
              [](const Span& a, const Span& b) { return a.left < b.left; });
    size_t kept = 0;
    for (const Span& span : row_) {
      if (kept > 0 && span.left <= row_[kept - 1].right)
        row_[kept - 1].right = std::max(row_[kept - 1].right, span.right);
      else
        row_[kept++] = span;
    }
    row_.resize(kept);
    if (y == runBottom_ && row_ == run_) {
      ++runBottom_;
      return;
    }
    EndShape();
    run_ = row_;
    runTop_ = y;
    runBottom_ = y + 1;
  }

  void AddRect(const Rect& rect) {
    EndShape();
    builder_.AddRect(rect.Intersect(limit_));
  }

  // Ends the current shape; the next one may start above it (overlaps are merged by Build).
  void EndShape() {
    for (const Span& span : run_)
      builder_.AddRect(
          {static_cast<int>(span.left), runTop_, static_cast<int>(span.right), runBottom_});
    run_.clear();
    runTop_ = runBottom_ = 0;
  }

  Region Build() {
    EndShape();
    return builder_.Build();
  }

 private:
  Rect limit_;
  std::vector<Span> run_, row_;
  int runTop_ = 0, runBottom_ = 0;
  RegionBuilder builder_;
};

}  // namespace

Point UsablePen(Point pen) {
  constexpr int kMaxPen = 1 << 20;
  return {std::clamp(pen.x, 0, kMaxPen), std::clamp(pen.y, 0, kMaxPen)};
}

// Lines. QuickDraw draws a line from its top end down, one slab per row: the pen's left edge
// starts half a pixel right of the top point, shifted by half the slope (the line's position
// at the middle of the row); for a pen more than one row high the slab reaches back to where
// the line was pen.y - 1 rows earlier, and a shallow line's slab (slope of 1 or more) ends one
// pixel short so that neighbouring rows do not overlap. Every slab is cut to the line's
// bounding box (the two points plus the pen), which keeps both end pixels exact. Horizontal
// and vertical lines (and a zero-length one) are that bounding box.
static void AddLine(RowCollector& rows, Point from, Point to, Point pen, const Rect& clip) {
  if (pen.x <= 0 || pen.y <= 0) return;
  pen = UsablePen(pen);
  if (from.y > to.y) std::swap(from, to);
  const Rect box{std::min(from.x, to.x), from.y, std::max(from.x, to.x) + pen.x, to.y + pen.y};
  if (from.x == to.x || from.y == to.y) {
    rows.AddRect(box);
    return;
  }
  const int64_t slope = FixRatio(to.x - from.x, to.y - from.y);
  const int64_t sweep = int64_t{pen.y} * slope;
  int64_t left = from.x * kOne + kHalf + (slope >> 1);
  int64_t right = left + pen.x * kOne;
  if (slope >= 0) {
    left -= sweep;
    if (slope < kOne)
      left += slope;
    else
      right -= kOne;
  } else {
    right -= sweep;
    if (slope >= -kOne)
      right += slope;
    else
      left += kOne;
  }
  const int top = std::max(box.top, clip.top), bottom = std::min(box.bottom, clip.bottom);
  for (int y = top; y < bottom; ++y) {
    const int64_t moved = int64_t{y - box.top} * slope;
    const Span span{std::max<int64_t>(PixelOf(left + moved), box.left),
                    std::min<int64_t>(PixelOf(right + moved), box.right)};
    rows.AddRow(y, {&span, 1});
  }
  rows.EndShape();
}

Region LineRegion(Point from, Point to, Point pen, const Rect& clip) {
  RowCollector rows(clip);
  AddLine(rows, from, to, pen, clip);
  return rows.Build();
}

Region PaintRect(const Rect& r, const Rect& clip) { return Region(r.Intersect(clip)); }

// As QuickDraw's FrRect: four strips inside the rectangle, or all of it when they would meet.
Region FrameRect(const Rect& r, Point pen, const Rect& clip) {
  pen = UsablePen(pen);
  Region frame = PaintRect(r, clip);
  const Rect inner = r.Inset(pen.x, pen.y);
  if (!inner.IsEmpty()) frame.Subtract(Region(inner));
  return frame;
}

// Ovals. QuickDraw's oval scan converter (InitOval/BumpOval) keeps each row's ends in 16.16,
// starting from the flat middle of the top edge: for an oval w wide and h high in rect, after
// k half-pixel widenings the row is
//     left  = rect.left  + w/2 - k/2                 (exact halves)
//     right = rect.right - w/2 + 1/2 + k/2
// filled from floor(left) up to floor(right). Its accumulator after k widenings is
// k^2 * (h/w)^2, the ratio rounded to 16.16 and squared to 32.32, and it widens while the
// accumulator's integer part is below r = h^2 - y^2, where y = 2 * row + 1 - h runs -h+1, -h+3
// ... down the oval, and narrows while it is above. Solved per row: with lo the least k whose
// integer part reaches r, rows down to the middle (y <= 1) get lo when it meets r exactly and
// lo - 1 otherwise, and rows below get the greatest k whose integer part stays <= r. (For an
// oval wider than high several k share an integer part, so the lower half can be a pixel
// wider than the upper: QuickDraw's ovals are not always symmetric top to bottom.)
namespace {

struct OvalRows {
  Rect rect;
  int width = 0, height = 0;  // of the oval, pinned to 0 and to the rectangle
  uint64_t aspect2 = 0;       // (height / width)^2 in 32.32
  bool square = true;         // no rounding at all: the rows are the rectangle's
};

}  // namespace

// A corner oval 0 pixels high would never stop QuickDraw's stepping, and one 1 pixel high in a
// taller round rectangle would leave its straight sides at the unstepped, narrowest width (the
// middle rows repeat the state before the first step); both round nothing and are taken as
// square corners. Every other size, 0 or 1 pixel wide included, steps as QuickDraw steps.
static OvalRows MakeOval(const Rect& rect, int ovalWidth, int ovalHeight) {
  OvalRows oval;
  oval.rect = rect;
  oval.width = std::clamp(ovalWidth, 0, std::max(rect.Width(), 0));
  oval.height = std::clamp(ovalHeight, 0, std::max(rect.Height(), 0));
  oval.square = oval.height == 0 || (oval.height == 1 && rect.Height() > 1);
  if (!oval.square) {
    // An oval over 131072 times wider than high would round its ratio to 0, which never
    // stops the stepping; no picture's coordinates reach that, so the ratio stays >= 1/65536.
    const uint64_t ratio = std::max<int64_t>(FixRatio(oval.height, oval.width), 1);
    oval.aspect2 = ratio * ratio;
  }
  return oval;
}

// The integer part of the accumulator after k widenings.
static uint64_t Accumulated(uint64_t k, uint64_t aspect2) {
  return static_cast<uint64_t>((Wide{k} * k * aspect2) >> 32);
}

// The least k whose accumulator reaches r: k^2 * aspect2 >= r * 2^32.
static uint64_t LeastReaching(int64_t r, uint64_t aspect2) {
  if (r <= 0) return 0;
  const double guess =
      std::ceil(std::sqrt(static_cast<double>(r) * 4294967296.0 / static_cast<double>(aspect2)));
  uint64_t k = static_cast<uint64_t>(std::max(guess, 0.0));
  const uint64_t target = static_cast<uint64_t>(r);
  while (k > 0 && Accumulated(k - 1, aspect2) >= target) --k;
  while (Accumulated(k, aspect2) < target) ++k;
  return k;
}

// The pixel ends of oval row j (0 at the top); row -1 is the state before the first step.
// Not yet cut to the rectangle.
static Span OvalSpan(const OvalRows& oval, int j) {
  const Rect& r = oval.rect;
  if (oval.square) return {r.left, r.right};
  uint64_t k = 0;
  if (j >= 0) {
    const int64_t y = 2 * int64_t{j} + 1 - oval.height;
    const int64_t reach = int64_t{oval.height} * oval.height - y * y;
    const uint64_t least = LeastReaching(reach, oval.aspect2);
    if (y <= 1)
      k = Accumulated(least, oval.aspect2) == static_cast<uint64_t>(reach) ? least : least - 1;
    else
      k = LeastReaching(reach + 1, oval.aspect2) - 1;
  }
  const int64_t halfWidth = oval.width * kOne / 2;
  const int64_t widening = static_cast<int64_t>(k) * kHalf;
  return {PixelOf(r.left * kOne + halfWidth - widening),
          PixelOf(r.right * kOne - halfWidth + kHalf + widening)};
}

// Round rectangles step their corner oval only in the top ovalHeight/2 rows and the bottom
// rest; the rows between repeat the last top row. This counts the steps taken by row y for an
// oval spanning [top, bottom) whose pauses are the rows [pauseTop, pauseBottom).
static int StepsBy(int y, int top, int bottom, int pauseTop, int pauseBottom) {
  const int upper = std::max(0, std::min({y + 1, pauseTop, bottom}) - top);
  const int lower = std::max(0, std::min(y + 1, bottom) - std::max(pauseBottom, top));
  return upper + lower;
}

// Arcs and wedges: two radii, each a straight line through the middle of the rectangle whose
// slope per row is -tan(angle) scaled by width/height, so that 45 degrees meets the top-right
// corner. A radius at angle a bounds the rows of the upper half when a points up (flag < 0)
// and the lower half when it points down (flag > 0); horizontal ones (90, 270) bound nothing.
namespace {

struct Wedge {
  bool whole = true;  // a full turn: no radii
  int startAngle = 0, arcAngle = 0;
  int64_t startSlope = 0, stopSlope = 0;  // 16.16 pixels per row
  int startFlag = 0, stopFlag = 0;
  int64_t middleX = 0;  // 16.16
  int middleY = 0;
  bool drawUpper = true, drawLower = true;
};

// The radii bounding one row: the row's part of the wedge lies right of `left` and left of
// `right`, where present.
struct RowBounds {
  bool hasLeft = false, hasRight = false;
  int64_t left = 0, right = 0;
};

}  // namespace

// QuickDraw's slope for an angle: -tan(angle) in 16.16, the angle taken modulo 180. Its own
// table holds the same values rounded to 1/65536 (within 11/65536 at 86-89 degrees).
static int64_t SlopeFromAngle(int angle) {
  const int a = (angle % 180 + 180) % 180;
  if (a == 90) return -kFixedMax;
  const int reference = a < 90 ? a : 180 - a;
  const int64_t tangent = std::llround(std::tan(reference * std::numbers::pi / 180) * kOne);
  return a < 90 ? -tangent : tangent;
}

// Negative: the radius bounds the upper half; positive: the lower; 0: horizontal.
static int HalfFlag(int angle) { return angle < 180 ? angle - 90 : 270 - angle; }

static Wedge MakeWedge(const Rect& r, int startAngle, int arcAngle) {
  Wedge wedge;
  int64_t start = startAngle, arc = arcAngle;
  if (arc < 0) start += arc, arc = -arc;
  if (arc >= 360) return wedge;
  wedge.whole = false;
  wedge.arcAngle = static_cast<int>(arc);
  wedge.startAngle = static_cast<int>((start % 360 + 360) % 360);
  const int stop = (wedge.startAngle + wedge.arcAngle) % 360;
  const int64_t aspect = FixRatio(r.Width(), r.Height());
  wedge.startSlope = FixMul(SlopeFromAngle(wedge.startAngle), aspect);
  wedge.stopSlope = FixMul(SlopeFromAngle(stop), aspect);
  wedge.startFlag = HalfFlag(wedge.startAngle);
  wedge.stopFlag = HalfFlag(stop);
  wedge.middleX = ((int64_t{r.left} + r.right) >> 1) * kOne;
  wedge.middleY = static_cast<int>((int64_t{r.top} + r.bottom) >> 1);
  // A wedge of under 180 degrees with neither radius pointing into a half misses that half;
  // a half-turn misses the lower half from 270 and the upper half from 90.
  const bool narrow = wedge.arcAngle < 180, half = wedge.arcAngle == 180;
  wedge.drawUpper = !((narrow && wedge.startFlag >= 0 && wedge.stopFlag >= 0) ||
                      (half && wedge.startAngle == 90));
  wedge.drawLower = !((narrow && wedge.startFlag <= 0 && wedge.stopFlag <= 0) ||
                      (half && wedge.startAngle == 270));
  return wedge;
}

// Clockwise in the upper half runs rightwards, so the start radius bounds from the left and
// the stop radius from the right; in the lower half the roles swap.
static RowBounds BoundsOfRow(const Wedge& wedge, int y) {
  const int64_t rows = y - wedge.middleY;
  const int64_t startX = PixelOf(wedge.middleX + rows * wedge.startSlope);
  const int64_t stopX = PixelOf(wedge.middleX + rows * wedge.stopSlope);
  if (y < wedge.middleY) return {wedge.startFlag < 0, wedge.stopFlag < 0, startX, stopX};
  return {wedge.stopFlag > 0, wedge.startFlag > 0, stopX, startX};
}

// The spans of one row of a wedge, as QuickDraw's DrawArc picks them: the oval row cut by the
// radii; where the radii cross over (a wedge of more than 180 degrees) the two outer pieces.
// For a frame the ring between the outer and inner oval is cut the same way.
static int WedgeRow(const Wedge& wedge, int y, Span outer, const Span* inner, Span* out) {
  const RowBounds b = BoundsOfRow(wedge, y);
  const int64_t outerLeft = b.hasLeft ? std::max(outer.left, b.left) : outer.left;
  const int64_t outerRight = b.hasRight ? std::min(outer.right, b.right) : outer.right;
  const bool crossed = b.hasLeft && b.hasRight && wedge.arcAngle > 180;
  int count = 0;
  if (!inner) {
    if (outerLeft < outerRight) {
      out[count++] = {outerLeft, outerRight};
    } else if (crossed) {
      out[count++] = {outer.left, outerRight};
      out[count++] = {outerLeft, outer.right};
    }
    return count;
  }
  const int64_t innerLeft = b.hasRight ? std::min(inner->left, b.right) : inner->left;
  const int64_t innerRight = b.hasLeft ? std::max(inner->right, b.left) : inner->right;
  if (outerLeft < outerRight) {
    out[count++] = {outerLeft, innerLeft};
    out[count++] = {innerRight, outerRight};
  } else if (crossed) {
    if (innerLeft == outerRight)
      out[count++] = {outerLeft, inner->left};
    else if (outerLeft == innerRight)
      out[count++] = {inner->right, outerRight};
    out[count++] = {outer.left, innerLeft};
    out[count++] = {innerRight, outer.right};
  }
  return count;
}

// QuickDraw's one scan converter for ovals, round rectangles and arcs: each row of the corner
// oval set into r, less the row of the inner oval (r inset by the pen, corners smaller by
// twice the pen) for a frame, cut by the wedge for an arc.
static Region ScanOvalShape(const Rect& r, int ovalWidth, int ovalHeight, const Point* pen,
                            const Wedge& wedge, const Rect& clip) {
  if (r.IsEmpty()) return Region();
  // Oval sizes beyond 0 and any rectangle are pinned anyway; capping them here keeps the
  // inner oval's arithmetic in range.
  ovalWidth = std::clamp(ovalWidth, 0, 1 << 21);
  ovalHeight = std::clamp(ovalHeight, 0, 1 << 21);
  const OvalRows outer = MakeOval(r, ovalWidth, ovalHeight);
  const int pauseTop = r.top + outer.height / 2;
  const int pauseBottom = pauseTop + r.Height() - outer.height;
  OvalRows inner;
  bool hollow = false;
  if (pen) {
    const Point p = UsablePen(*pen);
    const Rect innerRect = r.Inset(p.x, p.y);
    hollow = !innerRect.IsEmpty();
    if (hollow) inner = MakeOval(innerRect, ovalWidth - 2 * p.x, ovalHeight - 2 * p.y);
  }
  const Rect limit = r.Intersect(clip);
  RowCollector rows(limit);
  for (int y = limit.top; y < limit.bottom; ++y) {
    const Span outerSpan = OvalSpan(outer, StepsBy(y, r.top, r.bottom, pauseTop, pauseBottom) - 1);
    const Rect& in = inner.rect;
    const bool ringRow = hollow && y >= in.top && y < in.bottom;
    Span innerSpan;
    if (ringRow)
      innerSpan = OvalSpan(inner, StepsBy(y, in.top, in.bottom, pauseTop, pauseBottom) - 1);
    Span spans[4];
    int count = 0;
    if (!wedge.whole) {
      if (y < wedge.middleY ? !wedge.drawUpper : !wedge.drawLower) continue;
      count = WedgeRow(wedge, y, outerSpan, ringRow ? &innerSpan : nullptr, spans);
    } else if (ringRow) {
      spans[count++] = {outerSpan.left, innerSpan.left};
      spans[count++] = {innerSpan.right, outerSpan.right};
    } else {
      spans[count++] = outerSpan;
    }
    rows.AddRow(y, {spans, static_cast<size_t>(count)});
  }
  return rows.Build();
}

Region PaintOval(const Rect& r, const Rect& clip) {
  return ScanOvalShape(r, r.Width(), r.Height(), nullptr, Wedge(), clip);
}

Region FrameOval(const Rect& r, Point pen, const Rect& clip) {
  return ScanOvalShape(r, r.Width(), r.Height(), &pen, Wedge(), clip);
}

Region PaintRoundRect(const Rect& r, int ovalWidth, int ovalHeight, const Rect& clip) {
  return ScanOvalShape(r, ovalWidth, ovalHeight, nullptr, Wedge(), clip);
}

Region FrameRoundRect(const Rect& r, int ovalWidth, int ovalHeight, Point pen, const Rect& clip) {
  return ScanOvalShape(r, ovalWidth, ovalHeight, &pen, Wedge(), clip);
}

Region PaintArc(const Rect& r, int startAngle, int arcAngle, const Rect& clip) {
  if (arcAngle == 0) return Region();
  return ScanOvalShape(r, r.Width(), r.Height(), nullptr, MakeWedge(r, startAngle, arcAngle), clip);
}

Region FrameArc(const Rect& r, int startAngle, int arcAngle, Point pen, const Rect& clip) {
  if (arcAngle == 0) return Region();
  return ScanOvalShape(r, r.Width(), r.Height(), &pen, MakeWedge(r, startAngle, arcAngle), clip);
}

// Polygons. QuickDraw paints a polygon as the region its closed outline encloses, each edge
// turned into pixel steps (PutLine): going down from the edge's top point, the outline's
// vertical step in row y lies at column floor(h), where h starts half a pixel right of the
// top point plus half the slope, plus a whole slope for edges steeper than 45 degrees leaning
// right and a whole pixel for shallow ones leaning left, and moves by the slope each row.
// Vertical edges step at their own column; horizontal ones add no step. A pixel is inside
// when an odd number of steps on its row lie at or left of it.
namespace {

struct Edge {
  int top = 0, bottom = 0;  // rows [top, bottom)
  int64_t start = 0;        // 16.16 position in row `top`
  int64_t slope = 0;        // 16.16 per row
};

}  // namespace

static bool IsWithinPointCap(std::span<const Point> points) {
  return points.size() <= kMaxPolygonPoints;
}

static std::vector<Edge> PolygonEdges(std::span<const Point> points) {
  std::vector<Edge> edges;
  for (size_t i = 0; i < points.size(); ++i) {
    Point a = points[i], b = points[(i + 1) % points.size()];
    if (a.y == b.y) continue;
    if (a.y > b.y) std::swap(a, b);
    Edge edge{a.y, b.y, a.x * kOne, 0};
    if (a.x != b.x) {
      edge.slope = FixRatio(b.x - a.x, b.y - a.y);
      edge.start += kHalf + (edge.slope >> 1);
      if (edge.slope >= 0 && edge.slope < kOne) edge.start += edge.slope;
      if (edge.slope < -kOne) edge.start += kOne;
    }
    edges.push_back(edge);
  }
  std::sort(edges.begin(), edges.end(), [](const Edge& e, const Edge& f) { return e.top < f.top; });
  return edges;
}

Region PaintPolygon(std::span<const Point> points, const Rect& clip) {
  if (!IsWithinPointCap(points) || points.size() < 3) return Region();
  const std::vector<Edge> edges = PolygonEdges(points);
  if (edges.empty()) return Region();
  int top = edges.front().top, bottom = top;
  for (const Edge& edge : edges) bottom = std::max(bottom, edge.bottom);
  top = std::max(top, clip.top);
  bottom = std::min(bottom, clip.bottom);
  RowCollector rows(clip);
  std::vector<const Edge*> active;
  std::vector<int64_t> steps;
  std::vector<Span> spans;
  size_t next = 0;
  for (int y = top; y < bottom; ++y) {
    for (; next < edges.size() && edges[next].top <= y; ++next) active.push_back(&edges[next]);
    std::erase_if(active, [y](const Edge* edge) { return edge->bottom <= y; });
    steps.clear();
    for (const Edge* edge : active)
      steps.push_back(PixelOf(edge->start + int64_t{y - edge->top} * edge->slope));
    std::sort(steps.begin(), steps.end());
    spans.clear();
    for (size_t i = 0; i + 1 < steps.size(); i += 2) spans.push_back({steps[i], steps[i + 1]});
    rows.AddRow(y, spans);
  }
  return rows.Build();
}

Region FramePolygon(std::span<const Point> points, Point pen, const Rect& clip) {
  if (!IsWithinPointCap(points)) return Region();
  RowCollector rows(clip);
  for (size_t i = 0; i + 1 < points.size(); ++i) AddLine(rows, points[i], points[i + 1], pen, clip);
  return rows.Build();
}

// As QuickDraw's FrRgn: the region less itself inset by the pen. Only the part of the region
// within a pen of the clip can matter, so the rest is dropped first.
Region FrameRegion(const Region& region, Point pen, const Rect& clip) {
  pen = UsablePen(pen);
  const auto widen = [](int edge, int by) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{edge} + by, -(1 << 30), 1 << 30));
  };
  const Rect reach{widen(clip.left, -pen.x), widen(clip.top, -pen.y), widen(clip.right, pen.x),
                   widen(clip.bottom, pen.y)};
  Region frame(region);
  frame.Intersect(Region(reach));
  Region inside(frame);
  inside.Inset(pen.x, pen.y);
  frame.Subtract(inside);
  return frame.Intersect(Region(clip));
}

// Smoothing: each piece of the quadratic B-spline is the Bezier curve from one on-curve point
// through a control point to the next on-curve point, cut into enough straight steps that the
// chords stay within a quarter pixel of the curve: a piece bending by d = |p0 - 2 p1 + p2|
// needs ceil(sqrt(d)) steps. The steps are shared out so the result stays under the point cap.
// Drawing programs also store their own flattening after a PolyIgnore comment: MacDraft's
// passes through the same midpoints but bulges less between them (up to 4 pixels on a
// 200-pixel curve, as a cubic whose handles reach half way to the control point would).
namespace {

struct Vec {
  double x = 0, y = 0;
};

}  // namespace

static Vec ToVec(Point p) { return {double(p.x), double(p.y)}; }
static Vec Midpoint(Vec a, Vec b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

static void AddCurvePoint(std::vector<Point>& curve, Vec v) {
  const Point p{static_cast<int>(std::lround(v.x)), static_cast<int>(std::lround(v.y))};
  if (curve.empty() || !(curve.back() == p)) curve.push_back(p);
}

static void AddPiece(std::vector<Point>& curve, Vec from, Vec control, Vec to, size_t maxSteps) {
  const double bend = std::hypot(from.x - 2 * control.x + to.x, from.y - 2 * control.y + to.y);
  const size_t steps =
      std::clamp<size_t>(static_cast<size_t>(std::ceil(std::sqrt(bend))), 1, maxSteps);
  for (size_t i = 1; i <= steps; ++i) {
    const double t = double(i) / double(steps), u = 1 - t;
    AddCurvePoint(curve, {u * u * from.x + 2 * u * t * control.x + t * t * to.x,
                          u * u * from.y + 2 * u * t * control.y + t * t * to.y});
  }
}

std::vector<Point> SmoothPolygon(std::span<const Point> points, bool closed) {
  std::vector<Point> curve;
  if (!IsWithinPointCap(points)) return curve;
  if (closed && points.size() > 1 && points.front() == points.back())
    points = points.first(points.size() - 1);
  const size_t n = points.size();
  if (n < 3) {
    for (const Point& p : points) AddCurvePoint(curve, ToVec(p));
    if (closed && n == 2) AddCurvePoint(curve, ToVec(points.front()));
    return curve;
  }
  const size_t pieces = closed ? n : n - 2;
  const size_t maxSteps = std::max<size_t>(1, (kMaxPolygonPoints - 1) / pieces);
  if (closed) {
    const Vec start = Midpoint(ToVec(points[n - 1]), ToVec(points[0]));
    AddCurvePoint(curve, start);
    for (size_t i = 0; i < n; ++i) {
      const Vec control = ToVec(points[i]);
      AddPiece(curve, Midpoint(ToVec(points[(i + n - 1) % n]), control), control,
               Midpoint(control, ToVec(points[(i + 1) % n])), maxSteps);
    }
    // A closed curve of one step a piece has one point more than it had control points; at
    // the cap, every other point goes.
    if (curve.size() > kMaxPolygonPoints) {
      size_t kept = 1;
      for (size_t i = 2; i + 1 < curve.size(); i += 2) curve[kept++] = curve[i];
      curve[kept++] = curve.back();
      curve.resize(kept);
    }
    return curve;
  }
  AddCurvePoint(curve, ToVec(points[0]));
  for (size_t i = 1; i + 1 < n; ++i) {
    const Vec control = ToVec(points[i]);
    const Vec from = i == 1 ? ToVec(points[0]) : Midpoint(ToVec(points[i - 1]), control);
    const Vec to = i + 2 == n ? ToVec(points[n - 1]) : Midpoint(control, ToVec(points[i + 1]));
    AddPiece(curve, from, control, to, maxSteps);
  }
  return curve;
}

}  // namespace pict
