#include "vector/drawing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vector {

Matrix Matrix::Rotation(double degrees) {
  const double radians = degrees * std::numbers::pi / 180;
  const double c = std::cos(radians), s = std::sin(radians);
  return {c, s, -s, c, 0, 0};
}

Matrix Matrix::Then(const Matrix& next) const {
  return {next.xx * xx + next.xy * yx,           next.yx * xx + next.yy * yx,
          next.xx * xy + next.xy * yy,           next.yx * xy + next.yy * yy,
          next.xx * x0 + next.xy * y0 + next.x0, next.yx * x0 + next.yy * y0 + next.y0};
}

static Point Clamped(Point p) {
  // NaN compares false with everything: it becomes 0 rather than travelling on.
  const auto clamp = [](double v) { return v == v ? std::clamp(v, -Path::kFar, Path::kFar) : 0.0; };
  return {clamp(p.x), clamp(p.y)};
}

Path& Path::MoveTo(Point p) {
  segments_.push_back({Kind::Move, {Clamped(p)}});
  open_ = true;
  return *this;
}

Path& Path::LineTo(Point p) {
  if (!open_) return MoveTo(p);
  segments_.push_back({Kind::Line, {Clamped(p)}});
  return *this;
}

Path& Path::CurveTo(Point control1, Point control2, Point end) {
  if (!open_) MoveTo(control1);
  segments_.push_back({Kind::Curve, {Clamped(control1), Clamped(control2), Clamped(end)}});
  return *this;
}

Path& Path::Close() {
  if (open_) segments_.push_back({Kind::Close, {}});
  open_ = false;
  return *this;
}

Path& Path::Rectangle(double left, double top, double right, double bottom) {
  if (!(right > left) || !(bottom > top)) return *this;
  const Point corners[] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  return Polygon(corners);
}

Path& Path::Polygon(std::span<const Point> points) {
  if (points.size() < 2) return *this;
  MoveTo(points[0]);
  for (size_t i = 1; i < points.size(); ++i) LineTo(points[i]);
  return Close();
}

// A cubic whose handles are 4/3 tan(a/4) of the radius long strays from a quarter of a circle by
// 0.027 % of the radius at most, and by the sixth power less for a shorter piece: large arcs
// are cut finer, so that no piece strays by more than a hundredth of a unit.
Path& Path::EllipseArc(Point centre, double rx, double ry, double from, double to) {
  const auto at = [&](double angle) {
    return Point{centre.x + rx * std::cos(angle), centre.y + ry * std::sin(angle)};
  };
  if (open_)
    LineTo(at(from));
  else
    MoveTo(at(from));
  const double sweep = std::clamp(to - from, -2 * std::numbers::pi, 2 * std::numbers::pi);
  if (!std::isfinite(sweep) || sweep == 0) return *this;
  const double radius = std::max(std::abs(rx), std::abs(ry));
  const double perQuarter =
      std::clamp(std::ceil(std::pow(2.7e-4 * radius / 0.01, 1.0 / 6)), 1.0, 64.0);
  const double quarters = std::min(std::ceil(std::abs(sweep) / (std::numbers::pi / 2)), 64.0);
  const int pieces = static_cast<int>(quarters * perQuarter);
  const double step = sweep / pieces;
  const double handle = 4.0 / 3 * std::tan(step / 4);
  for (int i = 0; i < pieces; ++i) {
    const double a = from + i * step, b = a + step;
    const Point p = at(a), q = at(b);
    CurveTo({p.x - handle * rx * std::sin(a), p.y + handle * ry * std::cos(a)},
            {q.x + handle * rx * std::sin(b), q.y - handle * ry * std::cos(b)}, q);
  }
  return *this;
}

}  // namespace vector
