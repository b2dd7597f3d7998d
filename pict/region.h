// pict/region.h: sets of pixels as QuickDraw's regions describe them (rows of spans), with the
// set operations that clipping, masks and shapes need. pixman does the region algebra.
#pragma once

#include <pixman.h>

#include <optional>
#include <string>
#include <vector>

#include "pict/geometry.h"
#include "pict/reader.h"

namespace pict {

class Region {
 public:
  Region();  // empty
  explicit Region(const Rect& rect);  // empty when rect is
  ~Region();
  Region(const Region& other);
  Region& operator=(const Region& other);
  Region(Region&& other) noexcept;
  Region& operator=(Region&& other) noexcept;

  bool IsEmpty() const;
  size_t RectCount() const { return static_cast<size_t>(pixman_region32_n_rects(Raw())); }
  Rect Bounds() const;  // all zero when empty
  bool Contains(int x, int y) const;
  bool operator==(const Region& other) const;

  Region& Offset(int dx, int dy);
  // Multiplies every coordinate by factor (1 or more): each pixel becomes a factor x factor
  // block, as QuickDraw's MapRgn maps a region into a rectangle that many times larger.
  Region& Scale(int factor);
  Region& Intersect(const Region& other);
  Region& Union(const Region& other);
  Region& Subtract(const Region& other);
  Region& Xor(const Region& other);
  // Shrinks the region by dh pixels at every left and right edge and dv at every top and
  // bottom edge (a pixel stays when the (2dh+1) x (2dv+1) box around it is all inside), as
  // QuickDraw's InsetRgn does; negative amounts grow it instead. Costs a few set operations
  // per bit of the amounts, not per pixel.
  Region& Inset(int dh, int dv);

  // The disjoint rectangles that make up the region, in bands from the top and from the left
  // within a band.
  std::vector<Rect> Rects() const;
  // Calls visit(y, left, right) for every span of every row, rows from the top; left <= x <
  // right. Cheaper than Rects() for painting.
  template <class Visit>
  void ForEachSpan(Visit visit) const {
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(Raw(), &count);
    int i = 0;
    while (i < count) {
      int band = i;
      while (band < count && boxes[band].y1 == boxes[i].y1) ++band;
      for (int y = boxes[i].y1; y < boxes[i].y2; ++y)
        for (int k = i; k < band; ++k) visit(y, boxes[k].x1, boxes[k].x2);
      i = band;
    }
  }

 private:
  friend class RegionBuilder;
  pixman_region32_t* Raw() const { return const_cast<pixman_region32_t*>(&region_); }
  pixman_region32_t region_;
};

// Builds a region from spans; fastest when added row by row from the top.
class RegionBuilder {
 public:
  // Adds the pixels left <= x < right of row y; nothing when right <= left.
  void AddSpan(int y, int left, int right);
  void AddRect(const Rect& rect);
  Region Build() const;

 private:
  std::vector<pixman_box32_t> boxes_;
};

// Reads a QuickDraw region: its size word, bounding box and, when the size says so, the
// inversion points of its rows. Empty with a reason when the data is damaged.
std::optional<Region> ReadRegion(ByteReader& reader, std::string& reason);

}  // namespace pict
