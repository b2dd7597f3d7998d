// The opcodes that draw lines and shapes. Every shape becomes the region of pixels QuickDraw
// covers; the verb decides what is painted there.
#include <cstdlib>
#include <vector>

#include "pict/decoder.h"
#include "pict/limits.h"
#include "pict/outlines.h"
#include "pict/shapes.h"

namespace pict {

using Verb = Decoder::Verb;

namespace {

// Within each group of five opcodes: frame, paint, erase, invert, fill.
Verb VerbOf(uint16_t opcode) { return static_cast<Verb>(opcode & 7); }

// The "same" opcodes (the second eight of each group) draw the last shape again.
bool IsSame(uint16_t opcode) { return (opcode & 8) != 0; }

Rect ReadShapeRect(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  GraphicsState& state = decoder.state();
  if (!IsSame(opcode)) state.lastRect = data.ReadRect();
  return decoder.ToCanvas(state.lastRect);
}

}  // namespace

void Decoder::MoveOrigin(int dh, int dv) {
  const int64_t x = int64_t{offset_.x} - dh, y = int64_t{offset_.y} - dv;
  if (std::abs(x) > kMaxOriginOffset || std::abs(y) > kMaxOriginOffset)
    return Refuse("origin moved out of range");
  offset_ = {static_cast<int>(x), static_cast<int>(y)};
  clip_.Offset(-dh * scale_, -dv * scale_);
  if (vector_) vector_->ClipChanged();
}

int Decoder::HiliteOr(int mode) {
  if (!state_.hiliteNext || (mode & 0x7F) >= 16 || (mode & 7) != kSrcXor) return mode;
  state_.hiliteNext = false;
  return kHilite;
}

int Decoder::PaintCanvas(Region& area, const Pattern& pattern, int mode) {
  mode = HiliteOr(mode);
  area.Intersect(clip_);
  canvas_.Charge(static_cast<int64_t>(area.RectCount()));
  // Patterns tile from the picture's coordinate origin, as they did in the port the picture was
  // recorded in (an Origin opcode moves them with the coordinates), not from the frame's corner.
  canvas_.Paint(area, pattern, mode, Colours(), ToCanvas(Point{0, 0}));
  return mode;
}

void Decoder::Paint(Region area, const Pattern& pattern, int mode, const OutlineOf& outline) {
  mode = PaintCanvas(area, pattern, mode);
  if (!vector_) return;
  const auto outlineOrArea = [&] { return outline ? outline() : RegionOutline(area); };
  vector_->Fill(outlineOrArea, pattern, mode, Colours(), ToCanvas(Point{0, 0}), clip_, area,
                canvas_);
}

void Decoder::PaintText(TextInk text, int face, int mode) {
  mode = PaintCanvas(text.ink, Pattern::Solid(true), mode);
  if (vector_) vector_->Text(text, face, mode, Colours(), clip_, text.ink, canvas_);
}

void Decoder::Draw(Verb verb, Region area, const OutlineOf& outline) {
  switch (verb) {
    case Verb::Frame:
    case Verb::Paint:
      return Paint(std::move(area), state_.penPattern, state_.penMode, outline);
    case Verb::Erase:
      return Paint(std::move(area), state_.backPattern, kPatCopy, outline);
    case Verb::Invert:
      return Paint(std::move(area), Pattern::Solid(true), kPatXor, outline);
    case Verb::Fill:
      return Paint(std::move(area), state_.fillPattern, kPatCopy, outline);
  }
}

void DrawLine(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  GraphicsState& state = decoder.state();
  Point from = state.penLocation;
  if (opcode == 0x20 || opcode == 0x22) from = data.ReadPoint();
  Point to;
  if (opcode == 0x20 || opcode == 0x21) {
    to = data.ReadPoint();
  } else {
    const int dh = data.S8();
    const int dv = data.S8();
    to = {from.x + dh, from.y + dv};
  }
  if (data.failed()) return;
  state.penLocation = to;
  const Point start = decoder.ToCanvas(from), end = decoder.ToCanvas(to);
  const Point pen = decoder.ScaleSize(state.penSize);
  decoder.Draw(Verb::Paint, LineRegion(start, end, pen, decoder.ClipBounds()),
               [&] { return LineOutline(start, end, pen); });
}

// Frames a shape with the pen or paints, erases, inverts or fills it, as the opcode's verb
// says. region(pen, clip) gives its pixels and outline(pen) its outline for the drawing, pen
// null for the shape itself and the pen's size for its frame.
template <class RegionOf, class OutlineOf>
void DrawShape(Decoder& decoder, uint16_t opcode, RegionOf region, OutlineOf outline) {
  const Verb verb = VerbOf(opcode);
  const Point pen = decoder.ScaleSize(decoder.state().penSize);
  const Point* framePen = verb == Verb::Frame ? &pen : nullptr;
  decoder.Draw(verb, region(framePen, decoder.ClipBounds()), [&] { return outline(framePen); });
}

void DrawRect(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  const Rect r = ReadShapeRect(decoder, data, opcode);
  DrawShape(
      decoder, opcode,
      [&](const Point* pen, const Rect& clip) {
        return pen ? FrameRect(r, *pen, clip) : PaintRect(r, clip);
      },
      [&](const Point* pen) { return pen ? FrameRectOutline(r, *pen) : RectOutline(r); });
}

void DrawRoundRect(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  const Rect r = ReadShapeRect(decoder, data, opcode);
  const Point oval = decoder.ScaleSize(decoder.state().ovalSize);
  DrawShape(
      decoder, opcode,
      [&](const Point* pen, const Rect& clip) {
        return pen ? FrameRoundRect(r, oval.x, oval.y, *pen, clip)
                   : PaintRoundRect(r, oval.x, oval.y, clip);
      },
      [&](const Point* pen) {
        return pen ? FrameRoundRectOutline(r, oval.x, oval.y, *pen)
                   : RoundRectOutline(r, oval.x, oval.y);
      });
}

void DrawOval(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  const Rect r = ReadShapeRect(decoder, data, opcode);
  DrawShape(
      decoder, opcode,
      [&](const Point* pen, const Rect& clip) {
        return pen ? FrameOval(r, *pen, clip) : PaintOval(r, clip);
      },
      [&](const Point* pen) { return pen ? FrameOvalOutline(r, *pen) : OvalOutline(r); });
}

void DrawArc(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  const Rect r = ReadShapeRect(decoder, data, opcode);
  GraphicsState& state = decoder.state();
  state.lastArcStart = data.S16();
  state.lastArcAngle = data.S16();
  if (data.failed()) return;
  const int start = state.lastArcStart, angle = state.lastArcAngle;
  DrawShape(
      decoder, opcode,
      [&](const Point* pen, const Rect& clip) {
        return pen ? FrameArc(r, start, angle, *pen, clip) : PaintArc(r, start, angle, clip);
      },
      [&](const Point* pen) {
        return pen ? FrameArcOutline(r, start, angle, *pen) : ArcOutline(r, start, angle);
      });
}

void DrawPolygon(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  GraphicsState& state = decoder.state();
  if (!IsSame(opcode)) {
    const size_t size = data.U16();
    data.ReadRect();  // the bounding box, which the points make anyway
    if (data.failed() || size < 10) return decoder.Damaged("damaged polygon");
    const size_t count = (size - 10) / 4;
    if (count > kMaxPolygonPoints) return decoder.Damaged("polygon with more points than allowed");
    state.lastPolygon.clear();
    for (size_t i = 0; i < count; ++i) state.lastPolygon.push_back(data.ReadPoint());
    if (data.failed()) return decoder.Damaged("polygon runs past its data");
  }
  std::vector<Point> points;
  points.reserve(state.lastPolygon.size());
  for (const Point& p : state.lastPolygon) points.push_back(decoder.ToCanvas(p));
  // Filling steps every edge through every row it crosses.
  const int64_t rows = decoder.ClipBounds().Height();
  if (!decoder.canvas().Charge(rows * int64_t(points.size()))) return;
  DrawShape(
      decoder, opcode,
      [&](const Point* pen, const Rect& clip) {
        return pen ? FramePolygon(points, *pen, clip) : PaintPolygon(points, clip);
      },
      [&](const Point* pen) {
        return pen ? FramePolygonOutline(points, *pen) : PolygonOutline(points);
      });
}

void DrawRegion(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  GraphicsState& state = decoder.state();
  if (!IsSame(opcode)) {
    std::string reason;
    std::optional<Region> region = ReadRegion(data, reason);
    if (!region) return decoder.Damaged("region: " + reason);
    state.lastRegion = std::move(*region);
  }
  Region area = decoder.ToCanvas(state.lastRegion);
  const Verb verb = VerbOf(opcode);
  if (verb == Verb::Frame)
    area = FrameRegion(area, decoder.ScaleSize(state.penSize), decoder.ClipBounds());
  decoder.Draw(verb, std::move(area));
}

}  // namespace pict
