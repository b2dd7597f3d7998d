// QuickDraw's shapes as pixel regions: lines, rectangles, ovals, round rectangles, arcs,
// polygons, region frames and polygon smoothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "pict/limits.h"
#include "pict/shapes.h"

using namespace pict;  // the decoder's own types

// The region inside box as rows of '#' (in) and '.' (out), top row first.
static std::string Picture(const Region& region, const Rect& box) {
  std::string rows;
  for (int y = box.top; y < box.bottom; ++y) {
    if (y > box.top) rows += '\n';
    for (int x = box.left; x < box.right; ++x) rows += region.Contains(x, y) ? '#' : '.';
  }
  return rows;
}

static Region Cut(Region region, const Rect& clip) { return region.Intersect(Region(clip)); }

static bool IsWithin(const Region& inner, const Region& outer) {
  return Region(inner).Subtract(outer).IsEmpty();
}

static Region MirroredLeftRight(const Region& region, const Rect& r) {
  RegionBuilder mirror;
  region.ForEachSpan([&](int y, int left, int right) {
    mirror.AddSpan(y, r.left + r.right - right, r.left + r.right - left);
  });
  return mirror.Build();
}

TEST(LineRegion, PenFollowsQuickDrawsSteps) {
  struct Case {
    Point from, to, pen;
    const char* picture;
  };
  const Case kCases[] = {
      {{0, 0}, {3, 1}, {1, 1}, "##..\n..##\n....\n...."},
      {{3, 1}, {0, 0}, {1, 1}, "##..\n..##\n....\n...."},
      {{0, 0}, {1, 3}, {1, 1}, "#...\n#...\n.#..\n.#.."},
      {{0, 0}, {3, 3}, {1, 1}, "#...\n.#..\n..#.\n...#"},
      {{0, 0}, {2, 2}, {2, 2}, "##..\n###.\n.###\n..##"},
      {{3, 0}, {0, 3}, {1, 1}, "...#\n..#.\n.#..\n#..."},
      {{0, 1}, {3, 1}, {1, 2}, "....\n####\n####\n...."},
      {{1, 1}, {1, 1}, {3, 2}, "....\n.###\n.###\n...."},
      {{0, 0}, {3, 3}, {0, 1}, "....\n....\n....\n...."},
      {{0, 0}, {3, 3}, {2, 0}, "....\n....\n....\n...."},
  };
  for (const Case& c : kCases)
    EXPECT_EQ(Picture(LineRegion(c.from, c.to, c.pen), {0, 0, 4, 4}), c.picture)
        << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y;
}

TEST(LineRegion, ThinLinesIncludeBothEndsAndStayInTheirBox) {
  const Point kEnds[][2] = {{{0, 0}, {17, 5}},
                            {{-4, 9}, {6, -20}},
                            {{5, 5}, {-30, 7}},
                            {{2, -3}, {3, 40}},
                            {{0, 0}, {-9, -9}}};
  for (const auto& [from, to] : kEnds) {
    const Region line = LineRegion(from, to, {1, 1});
    EXPECT_TRUE(line.Contains(from.x, from.y) && line.Contains(to.x, to.y)) << to.x << "," << to.y;
    EXPECT_EQ(line.Bounds(), (Rect{std::min(from.x, to.x), std::min(from.y, to.y),
                                   std::max(from.x, to.x) + 1, std::max(from.y, to.y) + 1}));
  }
}

TEST(FrameRect, BorderOfPenSizeInsideTheRectangle) {
  const Rect r{0, 0, 10, 8};
  EXPECT_EQ(Picture(FrameRect(r, {3, 2}), r),
            "##########\n##########\n###....###\n###....###\n###....###\n###....###\n"
            "##########\n##########");
  EXPECT_EQ(FrameRect(r, {5, 1}), Region(r));
  EXPECT_TRUE(FrameRect(r, {0, 0}).IsEmpty());
  EXPECT_TRUE(FrameRect(r, {-2, -2}).IsEmpty());
}

TEST(PaintOval, RowsAsQuickDrawsOvalSteppingFillsThem) {
  struct Case {
    Rect r;
    const char* picture;
  };
  const Case kCases[] = {
      {{0, 0, 8, 8},
       "..####..\n.######.\n########\n########\n########\n########\n.######.\n..####.."},
      {{0, 0, 5, 5}, ".###.\n#####\n#####\n#####\n.###."},
      {{0, 0, 4, 4}, ".##.\n####\n####\n.##."},
      // Wider than high: the stepping settles a pixel wider on the way down.
      {{0, 0, 16, 3}, "..############..\n################\n.##############."},
  };
  for (const Case& c : kCases) EXPECT_EQ(Picture(PaintOval(c.r), c.r), c.picture) << c.r.right;
}

TEST(PaintOval, StaysInItsRectangleAndMirrorsLeftToRight) {
  const Rect kRects[] = {{0, 0, 9, 9},     {3, -2, 40, 9}, {0, 0, 7, 30},
                         {-5, -5, 60, 41}, {0, 0, 2, 5},   {0, 0, 33, 3}};
  for (const Rect& r : kRects) {
    const Region oval = PaintOval(r);
    EXPECT_EQ(oval.Bounds(), r) << r.Width() << "x" << r.Height();
    EXPECT_EQ(MirroredLeftRight(oval, r), oval) << r.Width() << "x" << r.Height();
    const Region frame = FrameOval(r, {2, 1});
    EXPECT_TRUE(IsWithin(frame, oval)) << r.Width() << "x" << r.Height();
    EXPECT_EQ(FrameOval(r, {r.Width(), 1}), oval) << r.Width() << "x" << r.Height();
  }
}

TEST(FrameOval, RingIsThePenWideAtTheSides) {
  const Region frame = FrameOval({0, 0, 20, 10}, {3, 1});
  EXPECT_EQ(Picture(frame, {0, 4, 20, 6}), "###..............###\n###..............###");
  EXPECT_EQ(Picture(frame, {0, 0, 20, 1}), Picture(PaintOval({0, 0, 20, 10}), {0, 0, 20, 1}));
}

TEST(PaintRoundRect, CornersAreQuartersOfTheOval) {
  const Region round = PaintRoundRect({0, 0, 30, 20}, 8, 6);
  const Region oval = PaintOval({0, 0, 8, 6});
  EXPECT_EQ(Picture(round, {0, 0, 4, 3}), Picture(oval, {0, 0, 4, 3}));
  EXPECT_EQ(Picture(round, {26, 17, 30, 20}), Picture(oval, {4, 3, 8, 6}));
  EXPECT_EQ(Picture(round, {0, 3, 30, 17}), Picture(Region(Rect{0, 0, 30, 20}), {0, 3, 30, 17}));
  struct Case {
    int ovalWidth, ovalHeight;
    Region expected;
  };
  const Rect r{2, 1, 25, 18};
  const Case kCases[] = {{r.Width(), r.Height(), PaintOval(r)},
                         {99, 99, PaintOval(r)},
                         {0, 0, Region(r)},
                         {12, 1, Region(r)},
                         {-4, 7, Region(r)}};
  for (const Case& c : kCases)
    EXPECT_EQ(PaintRoundRect(r, c.ovalWidth, c.ovalHeight), c.expected) << c.ovalWidth;
  EXPECT_TRUE(IsWithin(FrameRoundRect(r, 10, 8, {2, 2}), PaintRoundRect(r, 10, 8)));
  EXPECT_FALSE(FrameRoundRect(r, 10, 8, {2, 2}).Contains(12, 9));
}

TEST(PaintArc, AnglesAreClockwiseFromTwelveRelativeToTheRectangle) {
  const Rect square{0, 0, 20, 20};
  const Region octant = PaintArc(square, 0, 45);
  ASSERT_FALSE(octant.IsEmpty());
  octant.ForEachSpan([](int y, int left, int right) {
    EXPECT_TRUE(y < 10 && left >= 10 && right + y <= 20) << y << ": " << left << "-" << right;
  });
  Region quarter = PaintArc(square, 45, 45);
  EXPECT_EQ(quarter.Union(octant), PaintArc(square, 0, 90));
  // In a 40 x 20 rectangle the 45-degree radius runs to the corner: two columns per row.
  const Region wide = PaintArc({0, 0, 40, 20}, 0, 45);
  EXPECT_TRUE(wide.Contains(29, 5));
  EXPECT_FALSE(wide.Contains(30, 5));
  struct Case {
    int start, arc, sameStart, sameArc;
  };
  const Case kSame[] = {{90, -90, 0, 90},
                        {450, 30, 90, 30},
                        {-90, 60, 270, 60},
                        {10, 360, 0, 360},
                        {200, -400, 0, 360}};
  const Rect r{-3, 2, 31, 25};
  for (const Case& c : kSame)
    EXPECT_EQ(PaintArc(r, c.start, c.arc), PaintArc(r, c.sameStart, c.sameArc)) << c.start;
  EXPECT_EQ(PaintArc(r, 0, 360), PaintOval(r));
  EXPECT_TRUE(PaintArc(r, 30, 0).IsEmpty());
}

TEST(PaintArc, QuartersTileTheOval) {
  const Rect kRects[] = {{0, 0, 20, 20}, {0, 0, 41, 17}, {-7, 3, 8, 40}};
  for (const Rect& r : kRects) {
    Region whole;
    for (int start = 0; start < 360; start += 90) {
      const Region quarter = PaintArc(r, start, 90);
      EXPECT_TRUE(Region(quarter).Intersect(whole).IsEmpty()) << start;
      whole.Union(quarter);
    }
    EXPECT_EQ(whole, PaintOval(r)) << r.Width() << "x" << r.Height();
  }
}

TEST(FrameArc, OnlyTheCurvedEdgeOfTheWedge) {
  const Rect r{0, 0, 30, 30};
  const Region arc = FrameArc(r, 0, 90, {2, 2});
  EXPECT_TRUE(IsWithin(arc, FrameOval(r, {2, 2})));
  EXPECT_TRUE(IsWithin(arc, PaintArc(r, 0, 90)));
  EXPECT_TRUE(arc.Contains(16, 0) && arc.Contains(29, 14));
  EXPECT_FALSE(arc.Contains(15, 8) || arc.Contains(20, 14));  // the radii are not drawn
  EXPECT_EQ(FrameArc(r, 77, 360, {3, 1}), FrameOval(r, {3, 1}));
}

TEST(PaintPolygon, InteriorByQuickDrawsStaircaseRule) {
  struct Case {
    std::vector<Point> points;
    const char* picture;
  };
  const Case kCases[] = {
      {{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, "####.\n####.\n####.\n####.\n....."},
      {{{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}}, "####.\n####.\n####.\n####.\n....."},
      {{{0, 0}, {4, 4}, {0, 4}}, "#....\n##...\n###..\n####.\n....."},
      {{{0, 0}, {4, 0}, {0, 4}, {4, 4}}, ".###.\n..#..\n..#..\n.###.\n....."},
      {{{1, 1}, {3, 3}}, ".....\n.....\n.....\n.....\n....."},
  };
  for (const Case& c : kCases)
    EXPECT_EQ(Picture(PaintPolygon(c.points), {0, 0, 5, 5}), c.picture) << c.points.size();
  const Point star[] = {{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
  const Region painted = PaintPolygon(star);
  EXPECT_TRUE(painted.Contains(10, 3) && painted.Contains(2, 8));
  EXPECT_FALSE(painted.Contains(10, 11));  // even-odd: the middle is outside
  EXPECT_TRUE(PaintPolygon(std::vector<Point>(kMaxPolygonPoints + 1, Point{1, 1})).IsEmpty());
}

TEST(FramePolygon, LinesFromPointToPointHangingOutside) {
  const std::vector<Point> closed{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
  const Region frame = FramePolygon(closed, {1, 1});
  EXPECT_EQ(frame.Bounds(), (Rect{0, 0, 11, 11}));
  EXPECT_TRUE(IsWithin(Region(Rect{0, 0, 11, 11}).Subtract(frame), PaintPolygon(closed)));
  EXPECT_FALSE(FramePolygon(std::span(closed).first(4), {1, 1}).Contains(0, 5));
  EXPECT_TRUE(FramePolygon(std::span(closed).first(1), {1, 1}).IsEmpty());
}

TEST(FrameRegion, RegionLessItsInsetByThePen) {
  const Rect r{2, 3, 20, 15};
  for (const Point pen : {Point{1, 1}, Point{3, 2}, Point{0, 2}, Point{9, 9}})
    EXPECT_EQ(FrameRegion(Region(r), pen), FrameRect(r, pen)) << pen.x << "," << pen.y;
  Region ell(Rect{0, 0, 3, 6});
  ell.Union(Region(Rect{0, 3, 6, 6}));
  EXPECT_EQ(Picture(FrameRegion(ell, {1, 1}), {0, 0, 6, 6}),
            "###...\n#.#...\n#.#...\n#.####\n#....#\n######");
  EXPECT_EQ(Region(ell).Inset(-1, -2), Region(Rect{-1, -2, 4, 8}).Union(Region(Rect{-1, 1, 7, 8})));
  EXPECT_TRUE(Region(ell).Inset(2, 2).IsEmpty());
}

TEST(SmoothPolygon, QuadraticBSplineThroughMidpoints) {
  const std::vector<Point> open{{0, 0}, {40, 40}, {80, 0}};
  const std::vector<Point> curve = SmoothPolygon(open, false);
  ASSERT_GE(curve.size(), 3u);
  EXPECT_EQ(curve.front(), open.front());
  EXPECT_EQ(curve.back(), open.back());
  // The piece rises half way to its control point: (p0 + 2 p1 + p2) / 4.
  EXPECT_EQ(
      std::max_element(curve.begin(), curve.end(), [](Point a, Point b) { return a.y < b.y; })->y,
      20);
  const std::vector<Point> square{{0, 0}, {40, 0}, {40, 40}, {0, 40}};
  const std::vector<Point> loop = SmoothPolygon(square, true);
  EXPECT_EQ(loop.front(), loop.back());
  for (const Point mid : {Point{20, 0}, Point{40, 20}, Point{20, 40}, Point{0, 20}})
    EXPECT_TRUE(std::find(loop.begin(), loop.end(), mid) != loop.end()) << mid.x << "," << mid.y;
  for (const Point p : loop) EXPECT_TRUE(p.x >= 0 && p.x <= 40 && p.y >= 0 && p.y <= 40);
  EXPECT_TRUE(std::find(loop.begin(), loop.end(), Point{40, 0}) == loop.end());
  // A closed curve from a MacDraft picture, and points of MacDraft's own flattening of it.
  const std::vector<Point> drawn{{328, 306}, {328, 302}, {409, 266}, {494, 306}, {526, 414},
                                 {386, 450}, {346, 396}, {332, 342}, {328, 302}, {328, 306}};
  const std::vector<Point> smooth = SmoothPolygon(drawn, true);
  for (const Point on : {Point{328, 304}, Point{510, 360}, Point{456, 432}, Point{339, 369}})
    EXPECT_TRUE(std::find(smooth.begin(), smooth.end(), on) != smooth.end()) << on.x;
  std::vector<Point> repeated = square;
  repeated.push_back(square.front());
  EXPECT_EQ(SmoothPolygon(repeated, true), loop);
  EXPECT_EQ(SmoothPolygon(std::span(open).first(2), false), (std::vector<Point>{{0, 0}, {40, 40}}));
  std::vector<Point> zigzag;
  for (size_t i = 0; i < kMaxPolygonPoints; ++i) zigzag.push_back({int(i % 2) * 3000, int(i)});
  EXPECT_LE(SmoothPolygon(zigzag, true).size(), kMaxPolygonPoints);
}

constexpr Rect kBox{-3, -2, 30, 19};
constexpr Point kPolygon[] = {{0, 0}, {37, 5}, {12, 30}, {-6, 9}, {30, 24}};

// A shape computed with a clip is the whole shape cut by the clip.
static void ExpectClipOnlyCuts(const std::function<Region(const Rect&)>& shape, int line) {
  const Rect kClips[] = {{5, 4, 23, 11}, {-50, 12, 50, 13}, {17, -9, 18, 40}, {0, 0, 0, 0}};
  for (const Rect& clip : kClips)
    EXPECT_EQ(shape(clip), Cut(shape(kUnclipped), clip)) << "line " << line << " " << clip.top;
}

TEST(ShapeClip, ComputesOnlyWhatTheClipNeeds) {
  using R = const Rect&;
  ExpectClipOnlyCuts([](R c) { return LineRegion({-3, 30}, {40, -9}, {3, 2}, c); }, __LINE__);
  ExpectClipOnlyCuts([](R c) { return FrameRect(kBox, {3, 2}, c); }, __LINE__);
  ExpectClipOnlyCuts([](R c) { return PaintOval(kBox, c); }, __LINE__);
  ExpectClipOnlyCuts([](R c) { return FrameRoundRect(kBox, 13, 9, {2, 2}, c); }, __LINE__);
  ExpectClipOnlyCuts([](R c) { return PaintArc(kBox, 30, 250, c); }, __LINE__);
  ExpectClipOnlyCuts([](R c) { return FrameArc(kBox, 300, 100, {2, 3}, c); }, __LINE__);
  ExpectClipOnlyCuts([](R c) { return PaintPolygon(kPolygon, c); }, __LINE__);
  ExpectClipOnlyCuts([](R c) { return FramePolygon(kPolygon, {2, 2}, c); }, __LINE__);
  ExpectClipOnlyCuts([](R c) { return FrameRegion(FrameOval(kBox, {4, 4}), {2, 3}, c); }, __LINE__);
  // Far larger than any canvas: cut to the canvas rows it covers.
  const Rect canvas{0, 0, 640, 480};
  EXPECT_EQ(PaintOval({-32767, -32767, 32767, 32767}, canvas), Region(canvas));
  EXPECT_TRUE(FrameOval({-32767, -32767, 32767, 32767}, {9, 9}, canvas).IsEmpty());
}
