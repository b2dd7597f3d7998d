// The opcodes that draw lines and shapes. Every shape becomes the region of pixels QuickDraw
// covers; the verb decides what is painted there.
#include <cstdlib>
#include <vector>

#include "pict/decoder.h"
#include "pict/limits.h"
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
}

int Decoder::HiliteOr(int mode) {
  if (!state_.hiliteNext || (mode & 0x7F) >= 16 || (mode & 7) != kSrcXor) return mode;
  state_.hiliteNext = false;
  return kHilite;
}

void Decoder::Paint(Region area, const Pattern& pattern, int mode) {
  mode = HiliteOr(mode);
  area.Intersect(clip_);
  canvas_.Charge(static_cast<int64_t>(area.RectCount()));
  // Patterns tile from the picture's coordinate origin, as they did in the port the picture was
  // recorded in (an Origin opcode moves them with the coordinates), not from the frame's corner.
  canvas_.Paint(area, pattern, mode, Colours(), ToCanvas(Point{0, 0}));
}

void Decoder::Draw(Verb verb, Region area) {
  switch (verb) {
    case Verb::Frame:
    case Verb::Paint: return Paint(std::move(area), state_.penPattern, state_.penMode);
    case Verb::Erase: return Paint(std::move(area), state_.backPattern, kPatCopy);
    case Verb::Invert: return Paint(std::move(area), Pattern::Solid(true), kPatXor);
    case Verb::Fill: return Paint(std::move(area), state_.fillPattern, kPatCopy);
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
  decoder.Draw(Verb::Paint, LineRegion(decoder.ToCanvas(from), decoder.ToCanvas(to),
                                       decoder.ScaleSize(state.penSize), decoder.ClipBounds()));
}

// Frames a shape with the pen or paints, erases, inverts or fills it, as the opcode's verb
// says; frame(pen, clip) and paint(clip) give the regions.
template <class Frame, class Paint>
void DrawShape(Decoder& decoder, uint16_t opcode, Frame frame, Paint paint) {
  const Verb verb = VerbOf(opcode);
  const Rect clip = decoder.ClipBounds();
  decoder.Draw(verb, verb == Verb::Frame ? frame(decoder.ScaleSize(decoder.state().penSize), clip)
                                         : paint(clip));
}

void DrawRect(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  const Rect r = ReadShapeRect(decoder, data, opcode);
  DrawShape(
      decoder, opcode, [&](Point pen, const Rect& clip) { return FrameRect(r, pen, clip); },
      [&](const Rect& clip) { return PaintRect(r, clip); });
}

void DrawRoundRect(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  const Rect r = ReadShapeRect(decoder, data, opcode);
  const Point oval = decoder.ScaleSize(decoder.state().ovalSize);
  DrawShape(
      decoder, opcode,
      [&](Point pen, const Rect& clip) { return FrameRoundRect(r, oval.x, oval.y, pen, clip); },
      [&](const Rect& clip) { return PaintRoundRect(r, oval.x, oval.y, clip); });
}

void DrawOval(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  const Rect r = ReadShapeRect(decoder, data, opcode);
  DrawShape(
      decoder, opcode, [&](Point pen, const Rect& clip) { return FrameOval(r, pen, clip); },
      [&](const Rect& clip) { return PaintOval(r, clip); });
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
      [&](Point pen, const Rect& clip) { return FrameArc(r, start, angle, pen, clip); },
      [&](const Rect& clip) { return PaintArc(r, start, angle, clip); });
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
      [&](Point pen, const Rect& clip) { return FramePolygon(points, pen, clip); },
      [&](const Rect& clip) { return PaintPolygon(points, clip); });
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
