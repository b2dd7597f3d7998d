#include "pict/region.h"

#include <algorithm>

#include "pict/limits.h"

namespace pict {

Region::Region() { pixman_region32_init(&region_); }

Region::Region(const Rect& rect) {
  if (rect.IsEmpty())
    pixman_region32_init(&region_);
  else
    pixman_region32_init_rect(&region_, rect.left, rect.top,
                              static_cast<unsigned>(rect.Width()),
                              static_cast<unsigned>(rect.Height()));
}

Region::~Region() { pixman_region32_fini(&region_); }

Region::Region(const Region& other) {
  pixman_region32_init(&region_);
  pixman_region32_copy(&region_, other.Raw());
}

Region& Region::operator=(const Region& other) {
  if (this != &other) pixman_region32_copy(&region_, other.Raw());
  return *this;
}

Region::Region(Region&& other) noexcept : Region() { std::swap(region_, other.region_); }

Region& Region::operator=(Region&& other) noexcept {
  std::swap(region_, other.region_);
  return *this;
}

bool Region::IsEmpty() const { return !pixman_region32_not_empty(Raw()); }

Rect Region::Bounds() const {
  if (IsEmpty()) return {};
  const pixman_box32_t* box = pixman_region32_extents(Raw());
  return {box->x1, box->y1, box->x2, box->y2};
}

bool Region::Contains(int x, int y) const {
  return pixman_region32_contains_point(Raw(), x, y, nullptr);
}

// pixman keeps the position an empty result came from in its extents, so two empty regions
// can differ to pixman; as sets of pixels they are equal.
bool Region::operator==(const Region& other) const {
  if (IsEmpty() || other.IsEmpty()) return IsEmpty() && other.IsEmpty();
  return pixman_region32_equal(Raw(), other.Raw());
}

Region& Region::Offset(int dx, int dy) {
  pixman_region32_translate(&region_, dx, dy);
  return *this;
}

Region& Region::Scale(int factor) {
  if (factor == 1 || IsEmpty()) return *this;
  int count = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&region_, &count);
  std::vector<pixman_box32_t> scaled(boxes, boxes + count);
  for (pixman_box32_t& box : scaled) {
    box.x1 *= factor;
    box.y1 *= factor;
    box.x2 *= factor;
    box.y2 *= factor;
  }
  pixman_region32_fini(&region_);
  pixman_region32_init_rects(&region_, scaled.data(), count);
  return *this;
}

Region& Region::Intersect(const Region& other) {
  pixman_region32_intersect(&region_, &region_, other.Raw());
  return *this;
}

Region& Region::Union(const Region& other) {
  pixman_region32_union(&region_, &region_, other.Raw());
  return *this;
}

Region& Region::Subtract(const Region& other) {
  pixman_region32_subtract(&region_, &region_, other.Raw());
  return *this;
}

Region& Region::Xor(const Region& other) {
  Region both(*this);
  both.Intersect(other);
  Union(other);
  return Subtract(both);
}

// The pixels whose run of `length` pixels starting at them (rightwards, or downwards) lies
// wholly in the region (erode) or meets it (grow). Runs of doubling length are built from two
// shorter ones, run(a + b) at x = run(a) at x combined with run(b) at x + a, so the cost is a
// few set operations per bit of the length.
static Region SlideRun(const Region& region, int64_t length, bool horizontal, bool erode) {
  const auto combine = [&](Region& into, const Region& other, int64_t shift) {
    Region shifted(other);
    const int by = static_cast<int>(-shift);
    shifted.Offset(horizontal ? by : 0, horizontal ? 0 : by);
    if (erode)
      into.Intersect(shifted);
    else
      into.Union(shifted);
  };
  Region result;
  Region power(region);  // the runs of length `step`
  int64_t covered = 0;
  for (int64_t step = 1;; step *= 2) {
    if (length & step) {
      if (covered == 0)
        result = power;
      else
        combine(result, power, covered);
      covered += step;
    }
    if (covered == length) return result;
    combine(power, power, step);
  }
}

// Insets along one axis: erodes for a positive amount, grows for a negative one. Amounts are
// capped far beyond any region a picture can hold, where the answer no longer changes.
static Region InsetAlong(const Region& region, int amount, bool horizontal) {
  if (amount == 0 || region.IsEmpty()) return region;
  constexpr int64_t kMaxAmount = int64_t{1} << 24;
  const int64_t by = std::min(amount < 0 ? -int64_t{amount} : int64_t{amount}, kMaxAmount);
  Region result = SlideRun(region, 2 * by + 1, horizontal, amount > 0);
  const int shift = static_cast<int>(by);
  result.Offset(horizontal ? shift : 0, horizontal ? 0 : shift);
  return result;
}

Region& Region::Inset(int dh, int dv) {
  *this = InsetAlong(*this, dh, true);
  *this = InsetAlong(*this, dv, false);
  return *this;
}

std::vector<Rect> Region::Rects() const {
  int count = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(Raw(), &count);
  std::vector<Rect> rects;
  rects.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    rects.push_back({boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
  return rects;
}

void RegionBuilder::AddSpan(int y, int left, int right) {
  if (right <= left) return;
  boxes_.push_back({left, y, right, y + 1});
}

void RegionBuilder::AddRect(const Rect& rect) {
  if (rect.IsEmpty()) return;
  boxes_.push_back({rect.left, rect.top, rect.right, rect.bottom});
}

Region RegionBuilder::Build() const {
  Region region;
  if (!boxes_.empty()) {
    pixman_region32_fini(&region.region_);
    pixman_region32_init_rects(&region.region_, boxes_.data(), static_cast<int>(boxes_.size()));
  }
  return region;
}

// Toggles x in a sorted list of inversion points: a point listed twice cancels out.
static void Invert(std::vector<int>& points, int x) {
  const auto at = std::lower_bound(points.begin(), points.end(), x);
  if (at != points.end() && *at == x)
    points.erase(at);
  else
    points.insert(at, x);
}

std::optional<Region> ReadRegion(ByteReader& reader, std::string& reason) {
  const uint16_t size = reader.U16();
  const Rect bounds = reader.ReadRect();
  if (reader.failed() || size < 10) {
    reason = "damaged region";
    return std::nullopt;
  }
  ByteReader rows = reader.Slice(size - 10u);
  if (reader.failed()) {
    reason = "region runs past the end of the data";
    return std::nullopt;
  }
  if (size == 10) return Region(bounds);

  // Each row record lists the points where the region's rows change from the row above:
  // the rows from its y down to the next record's y hold the spans of all points so far.
  RegionBuilder builder;
  std::vector<int> points;
  int previousY = 0;
  bool first = true;
  while (true) {
    const int y = rows.S16();
    if (rows.failed()) {
      reason = "region data ends without its end mark";
      return std::nullopt;
    }
    if (y == 0x7FFF) break;
    if (!first && y < previousY) {
      reason = "region rows out of order";
      return std::nullopt;
    }
    if (!first)
      for (size_t i = 0; i + 1 < points.size(); i += 2)
        builder.AddRect({points[i], previousY, points[i + 1], y});
    while (true) {
      const int x = rows.S16();
      if (rows.failed()) {
        reason = "region row ends without its end mark";
        return std::nullopt;
      }
      if (x == 0x7FFF) break;
      if (points.size() >= kMaxRegionPointsPerRow) {
        reason = "region row with too many points";
        return std::nullopt;
      }
      Invert(points, x);
    }
    previousY = y;
    first = false;
  }
  return builder.Build();
}

}  // namespace pict
