// pict/decoder.h: what the opcode handlers share while a picture plays back. Private to pict/.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "pict/canvas.h"
#include "pict/reader.h"
#include "pict/state.h"

namespace pict {

class Decoder {
 public:
  Decoder(int version, int width, int height, Point offset)
      : version_(version), canvas_(width, height), offset_(offset),
        clip_(Rect{-65536, -65536, 65536, 65536}) {}

  int version() const { return version_; }
  GraphicsState& state() { return state_; }
  Canvas& canvas() { return canvas_; }

  // Stops the walk: the picture is refused with this reason (the first one counts).
  void Refuse(std::string reason) {
    if (refusal_.empty()) refusal_ = std::move(reason);
  }
  bool IsRefused() const { return !refusal_.empty(); }
  const std::string& refusal() const { return refusal_; }

  // Picture coordinates to canvas pixels.
  Point ToCanvas(Point p) const { return {p.x + offset_.x, p.y + offset_.y}; }
  Rect ToCanvas(Rect r) const { return r.Offset(offset_.x, offset_.y); }
  Region ToCanvas(Region r) const { return std::move(r.Offset(offset_.x, offset_.y)); }
  // The Origin opcode moves the picture's coordinates; the clip keeps its numbers, as QuickDraw's
  // SetOrigin leaves the clip region alone.
  void MoveOrigin(int dh, int dv) {
    offset_.x -= dh;
    offset_.y -= dv;
    clip_.Offset(-dh, -dv);
  }
  // The clip region, in canvas pixels.
  const Region& clip() const { return clip_; }
  void SetClip(const Region& local) { clip_ = ToCanvas(local); }

  // What a shape verb does with the region it covers (canvas pixels): frame and paint with the
  // pen's pattern and mode, erase with the background pattern, invert, fill with the fill
  // pattern. The clip applies; the work counts against the file's budget.
  enum class Verb { Frame, Paint, Erase, Invert, Fill };
  void Draw(Verb verb, Region area);
  // Paints area (canvas pixels) through the clip with pattern in mode.
  void Paint(Region area, const Pattern& pattern, int mode);
  // The clip's bounds on the canvas: shapes need not be worked out beyond them.
  Rect ClipBounds() const { return clip_.Bounds().Intersect(canvas_.Bounds()); }

  PaintColours Colours() const {
    return {state_.foreground.Rgb(), state_.background.Rgb(), state_.operand.Rgb(),
            state_.hilite.Rgb()};
  }

  // Set when a QuickTime picture was drawn there: the walk then steps over the drawing the
  // picture carries for viewers without QuickTime, when it is marked as such.
  std::optional<Rect> quickTimeDrawn;

 private:
  int version_;
  GraphicsState state_;
  Canvas canvas_;
  Point offset_;
  Region clip_;
  std::string refusal_;
};

// A handler gets a reader over exactly its opcode's data (for the opcodes whose length only
// their data tells, over the rest of the picture; it then reads exactly what it uses).
using OpcodeHandler = void (*)(Decoder& decoder, ByteReader& data, uint16_t opcode);

// Graphics state (ops_state.cpp).
void SetClip(Decoder&, ByteReader&, uint16_t);
void SetPattern(Decoder&, ByteReader&, uint16_t);
void SetPixelPattern(Decoder&, ByteReader&, uint16_t);
void SetPen(Decoder&, ByteReader&, uint16_t);
void SetColour(Decoder&, ByteReader&, uint16_t);
void SetText(Decoder&, ByteReader&, uint16_t);
void SetFontName(Decoder&, ByteReader&, uint16_t);
void SetOvalSize(Decoder&, ByteReader&, uint16_t);
void MoveOrigin(Decoder&, ByteReader&, uint16_t);

// Pixels (ops_bits.cpp).
void DrawCopyBits(Decoder&, ByteReader&, uint16_t);
void DrawQuickTime(Decoder&, ByteReader&, uint16_t);

// Lines and shapes (ops_draw.cpp).
void DrawLine(Decoder&, ByteReader&, uint16_t);
void DrawRect(Decoder&, ByteReader&, uint16_t);
void DrawRoundRect(Decoder&, ByteReader&, uint16_t);
void DrawOval(Decoder&, ByteReader&, uint16_t);
void DrawArc(Decoder&, ByteReader&, uint16_t);
void DrawPolygon(Decoder&, ByteReader&, uint16_t);
void DrawRegion(Decoder&, ByteReader&, uint16_t);

// Text and picture comments (ops_text.cpp).
void DrawText(Decoder&, ByteReader&, uint16_t);
void ReadComment(Decoder&, ByteReader&, uint16_t);

}  // namespace pict
