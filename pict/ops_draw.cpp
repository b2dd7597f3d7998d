// The opcodes that draw lines and shapes. Every shape becomes the region of pixels QuickDraw
// covers; the verb decides what is painted there.
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

void Decoder::Paint(Region area, const Pattern& pattern, int mode) {
  area.Intersect(clip_);
  canvas_.Charge(static_cast<int64_t>(area.RectCount()));
  canvas_.Paint(area, pattern, mode, Colours(), {0, 0});
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
                                       state.penSize, decoder.ClipBounds()));
}

void DrawRect(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  const Rect rect = ReadShapeRect(decoder, data, opcode);
  const Verb verb = VerbOf(opcode);
  const Rect clip = decoder.ClipBounds();
  decoder.Draw(verb, verb == Verb::Frame ? FrameRect(rect, decoder.state().penSize, clip)
                                         : PaintRect(rect, clip));
}

void DrawRoundRect(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  const Rect rect = ReadShapeRect(decoder, data, opcode);
  const Verb verb = VerbOf(opcode);
  const GraphicsState& state = decoder.state();
  const Point oval = state.ovalSize;
  const Rect clip = decoder.ClipBounds();
  decoder.Draw(verb, verb == Verb::Frame
                         ? FrameRoundRect(rect, oval.x, oval.y, state.penSize, clip)
                         : PaintRoundRect(rect, oval.x, oval.y, clip));
}

void DrawOval(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  const Rect rect = ReadShapeRect(decoder, data, opcode);
  const Verb verb = VerbOf(opcode);
  const Rect clip = decoder.ClipBounds();
  decoder.Draw(verb, verb == Verb::Frame ? FrameOval(rect, decoder.state().penSize, clip)
                                         : PaintOval(rect, clip));
}

void DrawArc(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  const Rect rect = ReadShapeRect(decoder, data, opcode);
  GraphicsState& state = decoder.state();
  state.lastArcStart = data.S16();
  state.lastArcAngle = data.S16();
  if (data.failed()) return;
  const Verb verb = VerbOf(opcode);
  const Rect clip = decoder.ClipBounds();
  decoder.Draw(verb, verb == Verb::Frame ? FrameArc(rect, state.lastArcStart, state.lastArcAngle,
                                                    state.penSize, clip)
                                         : PaintArc(rect, state.lastArcStart, state.lastArcAngle,
                                                    clip));
}

void DrawPolygon(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  GraphicsState& state = decoder.state();
  if (!IsSame(opcode)) {
    const size_t size = data.U16();
    data.ReadRect();  // the bounding box, which the points make anyway
    if (data.failed() || size < 10) return decoder.Refuse("damaged polygon");
    const size_t count = (size - 10) / 4;
    if (count > kMaxPolygonPoints) return decoder.Refuse("polygon with more points than allowed");
    state.lastPolygon.clear();
    for (size_t i = 0; i < count; ++i) state.lastPolygon.push_back(data.ReadPoint());
    if (data.failed()) return decoder.Refuse("polygon runs past its data");
  }
  std::vector<Point> points;
  points.reserve(state.lastPolygon.size());
  for (const Point& p : state.lastPolygon) points.push_back(decoder.ToCanvas(p));
  const Verb verb = VerbOf(opcode);
  const Rect clip = decoder.ClipBounds();
  // Filling steps every edge through every row it crosses.
  if (!decoder.canvas().Charge(int64_t{clip.Height()} * int64_t(points.size()))) return;
  decoder.Draw(verb, verb == Verb::Frame ? FramePolygon(points, state.penSize, clip)
                                         : PaintPolygon(points, clip));
}

void DrawRegion(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  GraphicsState& state = decoder.state();
  if (!IsSame(opcode)) {
    std::string reason;
    std::optional<Region> region = ReadRegion(data, reason);
    if (!region) return decoder.Refuse("region: " + reason);
    state.lastRegion = std::move(*region);
  }
  Region area = decoder.ToCanvas(state.lastRegion);
  const Verb verb = VerbOf(opcode);
  if (verb == Verb::Frame) area = FrameRegion(area, state.penSize, decoder.ClipBounds());
  decoder.Draw(verb, std::move(area));
}

}  // namespace pict
