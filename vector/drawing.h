// vector/drawing.h: a drawing as a value: a page and the operations that draw on it, in order
// (fill a path with a paint, clip to a path and back, set a line of text, place an image). A
// PICT's shapes, a frame or a watermark describe themselves in it; vector/render.h draws it
// onto Cairo and encodes it as SVG or PDF. Nothing here draws or needs a library.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace vector {

// A colour 0xAARRGGBB with straight (not premultiplied) alpha: 0xFF is opaque.
using Colour = uint32_t;
constexpr Colour kOpaque = 0xFF000000;

struct Point {
  double x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

// An affine transformation as Cairo holds it: (x, y) goes to
// (xx x + xy y + x0, yx x + yy y + y0).
struct Matrix {
  double xx = 1, yx = 0, xy = 0, yy = 1, x0 = 0, y0 = 0;
  bool operator==(const Matrix&) const = default;

  static Matrix Translation(double dx, double dy) { return {1, 0, 0, 1, dx, dy}; }
  static Matrix Scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  // Turns by degrees clockwise on a page whose y axis points down.
  static Matrix Rotation(double degrees);
  // This transformation followed by next.
  Matrix Then(const Matrix& next) const;
  Point Apply(Point p) const { return {xx * p.x + xy * p.y + x0, yx * p.x + yy * p.y + y0}; }
};

// Lines and cubic Bezier curves in subpaths. Coordinates are clamped to +-kFar, far beyond any
// page, so that no renderer meets a number it cannot hold.
class Path {
 public:
  static constexpr double kFar = 1 << 22;
  enum class Kind : uint8_t { Move, Line, Curve, Close };
  struct Segment {
    Kind kind = Kind::Move;
    Point points[3];  // Move and Line use the first; Curve two control points and its end
  };

  Path& MoveTo(Point p);
  Path& LineTo(Point p);
  Path& CurveTo(Point control1, Point control2, Point end);
  Path& Close();
  // A closed rectangle, clockwise on the page; nothing when a side is 0 or less.
  Path& Rectangle(double left, double top, double right, double bottom);
  // A closed polygon through the points; nothing for fewer than two.
  Path& Polygon(std::span<const Point> points);
  // The arc of the ellipse about centre with radii rx, ry from angle `from` to angle `to`
  // (radians, Cairo's: 0 along x, growing towards y; `to` below `from` runs backwards; a full
  // turn at most), as curves within a hundredth of a unit of it. Goes on from the current point
  // with a line to the arc's start, or starts a subpath there.
  Path& EllipseArc(Point centre, double rx, double ry, double from, double to);

  bool IsEmpty() const { return segments_.empty(); }
  std::span<const Segment> Segments() const { return segments_; }

 private:
  bool open_ = false;  // a subpath is open: LineTo and curves go on from its current point
  std::vector<Segment> segments_;
};

// Which points a path encloses: nonzero winding, or an odd number of crossings.
enum class FillRule { Winding, EvenOdd };

// Pixels as they are carried in a drawing: 0xAARRGGBB, straight alpha, rows from the top.
struct Pixels {
  int width = 0, height = 0;
  std::vector<Colour> argb;

  Pixels() = default;
  Pixels(int w, int h, Colour fill) : width(w), height(h), argb(size_t(w) * size_t(h), fill) {}
  bool IsEmpty() const { return width <= 0 || height <= 0; }
  Colour& At(int x, int y) { return argb[size_t(y) * size_t(width) + size_t(x)]; }
  Colour At(int x, int y) const { return argb[size_t(y) * size_t(width) + size_t(x)]; }
};

// What a path is filled with: one colour, or a tile of pixels repeated over the whole page
// (QuickDraw's 8x8 patterns in their two colours, pixel patterns), each tile pixel sampled as
// it is (no smoothing).
struct Paint {
  Colour colour = kOpaque;
  Pixels tile;           // a repeating tile when not empty; colour is then unused
  Matrix tilePlacement;  // tile pixels to drawing units: where its corner lies, how large
  static Paint Solid(Colour colour) { return {colour, {}, {}}; }
};

struct FillOp {
  Path path;
  FillRule rule = FillRule::Winding;
  Paint paint;
};

// Everything drawn after it, up to the matching UnclipOp, only where the path encloses (and
// within the clips pushed before it).
struct ClipOp {
  Path path;
  FillRule rule = FillRule::Winding;
};
struct UnclipOp {};

// A font: an installed family (fontconfig substitutes one it lacks), its size in drawing units
// (the em, as Pango's absolute size), bold and italic.
struct Font {
  std::string family;
  double size = 12;
  bool bold = false, italic = false;
};

// One line of text as vector/text_layout.h sets it: every character literal, no kerning and no
// ligatures, each glyph advancing by a whole unit, and extras[i], when there is one, added to
// the advance of the character whose UTF-8 bytes start at byte i.
struct TextRun {
  std::string utf8;
  Font font;
  std::vector<double> extras;
};

// A line of text in its colour, laid out by vector/text.h from the left end of its baseline at
// (0, 0) in text space; placement takes text space to drawing units (position, turn, stretch).
// Outlined text shows only a ring one unit wide around each glyph, shadowed text that ring
// and the glyph grown by one unit once more, one unit right and down (QuickDraw's outline and
// shadow faces); the glyphs' insides stay as they were, while the text itself is still laid on
// them, all but invisible, so that it can be searched.
struct TextOp {
  TextRun run;
  Matrix placement;
  Colour colour = kOpaque;
  bool outline = false, shadow = false;
};

// How an image's pixels are sampled when it is drawn larger or smaller than they are.
enum class Sampling { Nearest, Smooth };

// An image at its own resolution: placement takes its pixel coordinates (0, 0 at the top-left
// corner of the top-left pixel) to drawing units. A mask colour draws the image as a mask:
// that colour wherever a pixel's alpha is not 0, nothing elsewhere. The bytes of the JPEG file
// the pixels were decoded from, when given, go into a PDF unchanged in their place, unless
// the colours are changed on the way.
struct ImageOp {
  Pixels pixels;
  Matrix placement;
  std::optional<Colour> mask = std::nullopt;
  Sampling sampling = Sampling::Nearest;
  std::vector<uint8_t> jpeg = {};
};

using Operation = std::variant<FillOp, ClipOp, UnclipOp, TextOp, ImageOp>;

// The page: width x height drawing units, at so many units per inch across and down (72 puts
// one unit on a point; a 300-dpi picture keeps its physical size at 300).
struct Page {
  double width = 0, height = 0;
  double unitsPerInchX = 72, unitsPerInchY = 72;
};

struct Drawing {
  Page page;
  std::vector<Operation> operations;
};

}  // namespace vector
