// pict/decoder.h: what the opcode handlers share while a picture plays back. Private to pict/.
#pragma once

#include <cstdint>
#include <string>

#include "pict/canvas.h"
#include "pict/reader.h"
#include "pict/state.h"

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

  PaintColours Colours() const {
    return {state_.foreground.Rgb(), state_.background.Rgb(), state_.operand.Rgb(),
            state_.hilite.Rgb()};
  }

  // Bytes after the current opcode that belong to nothing this decoder draws (the drawing a
  // QuickTime picture carries for viewers without QuickTime); the walk steps over them.
  size_t skipAfter = 0;

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

// What part 1 of the decoder does not draw yet: the picture is refused.
void RefuseDrawing(Decoder&, ByteReader&, uint16_t);
