// pict/decoder.h: what the opcode handlers share while a picture plays back. Private to pict/.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pict/canvas.h"
#include "pict/colour_profile.h"
#include "pict/notes.h"
#include "pict/outlines.h"
#include "pict/reader.h"
#include "pict/state.h"
#include "pict/text.h"
#include "pict/vector_device.h"

namespace pict {

class Decoder {
 public:
  // A canvas of width x height pixels (the frame times scale); offset moves the picture's
  // coordinates to the frame's corner before they are scaled.
  Decoder(int version, int width, int height, Point offset, int scale)
      : version_(version),
        scale_(scale),
        canvas_(width, height),
        offset_(offset),
        clip_(Rect{-(65536 * scale), -(65536 * scale), 65536 * scale, 65536 * scale}) {}

  int version() const { return version_; }
  // How many canvas pixels one unit of the picture's coordinates spans.
  int scale() const { return scale_; }
  GraphicsState& state() { return state_; }
  Canvas& canvas() { return canvas_; }

  // Stops the walk: the picture is refused with this reason (the first stop counts). For what
  // cannot be drawn at all: the whole file's caps, what QuickDraw or this decoder cannot place.
  void Refuse(std::string reason) {
    if (!IsStopped()) refusal_ = std::move(reason);
  }
  // Stops the walk at damaged data (the first stop counts): data that ends early, a length or
  // a value that cannot be. The picture keeps what was drawn before. where points into the
  // file's bytes at the first one not drawn; null: the opcode in hand, of which nothing is.
  void Damaged(std::string what, const uint8_t* where = nullptr) {
    if (IsStopped()) return;
    damage_ = std::move(what);
    damageAt_ = where;
  }
  bool IsStopped() const { return IsRefused() || IsDamaged(); }
  bool IsRefused() const { return !refusal_.empty(); }
  bool IsDamaged() const { return !damage_.empty(); }
  const std::string& refusal() const { return refusal_; }
  const std::string& damage() const { return damage_; }
  const uint8_t* damageAt() const { return damageAt_; }

  // What the picture's notes say so far (pict/notes.h).
  Notes notes;

  // Picture coordinates to canvas pixels: moved to the frame's corner, then scaled.
  Point ToCanvas(Point p) const { return {(p.x + offset_.x) * scale_, (p.y + offset_.y) * scale_}; }
  Rect ToCanvas(Rect r) const {
    const Rect moved = r.Offset(offset_.x, offset_.y);
    return {moved.left * scale_, moved.top * scale_, moved.right * scale_, moved.bottom * scale_};
  }
  Region ToCanvas(Region r) const {
    return std::move(r.Offset(offset_.x, offset_.y).Scale(scale_));
  }
  // A rectangle already scaled (a QuickTime image placed by its scaled matrix) to canvas pixels.
  Rect ScaledToCanvas(Rect r) const { return r.Offset(offset_.x * scale_, offset_.y * scale_); }
  // A size in the picture's coordinates (pen, corner ovals) in canvas pixels.
  Point ScaleSize(Point size) const { return {size.x * scale_, size.y * scale_}; }
  // The Origin opcode moves the picture's coordinates; the clip keeps its numbers, as QuickDraw's
  // SetOrigin leaves the clip region alone. An origin moved beyond kMaxOriginOffset refuses the
  // picture: no real picture moves that far, and canvas coordinates must stay in range.
  void MoveOrigin(int dh, int dv);
  // The clip region, in canvas pixels.
  const Region& clip() const { return clip_; }
  void SetClip(const Region& local) {
    clip_ = ToCanvas(local);
    if (vector_) vector_->ClipChanged();
  }

  // Makes the picture a drawing too, on a page of the canvas's size at so many canvas pixels
  // per inch; called before the first opcode.
  void StartDrawing(double unitsPerInchX, double unitsPerInchY) {
    vector_ = std::make_unique<VectorDevice>(canvas_.Bounds().Width(), canvas_.Bounds().Height(),
                                             unitsPerInchX, unitsPerInchY, clip_);
  }
  // The drawing, when one is being made.
  VectorDevice* vector() { return vector_.get(); }

  // A shape's outline for the drawing, asked for only when one is made.
  using OutlineOf = std::function<Outline()>;
  // What a shape verb does with the region it covers (canvas pixels): frame and paint with the
  // pen's pattern and mode, erase with the background pattern, invert, fill with the fill
  // pattern. The clip applies; the work counts against the file's budget. outline is the
  // shape for the drawing; without one, the region's own edges are.
  enum class Verb { Frame, Paint, Erase, Invert, Fill };
  void Draw(Verb verb, Region area, const OutlineOf& outline = {});
  // Paints area (canvas pixels) through the clip with pattern in mode.
  void Paint(Region area, const Pattern& pattern, int mode, const OutlineOf& outline = {});
  // Paints text's ink through the clip in mode; the drawing gets it as text in face.
  void PaintText(TextInk text, int face, int mode);
  // The clip's bounds on the canvas: shapes need not be worked out beyond them.
  Rect ClipBounds() const { return clip_.Bounds().Intersect(canvas_.Bounds()); }

  PaintColours Colours() const {
    return {state_.foreground.Rgb(), state_.background.Rgb(), state_.operand.Rgb(),
            state_.hilite.Rgb()};
  }

  // The mode a drawing operation paints in: after HiliteMode, the next operation that inverts
  // (an invert verb or an xor mode) hilites instead, and uses up the flag.
  int HiliteOr(int mode);

  // ColorSync's picture comments: a profile collected from its begin, continue and end
  // comments, then in force for the pixmaps drawn after it while matching is on.
  struct ColourMatching {
    std::vector<uint8_t> collected;  // the profile's bytes so far
    bool collecting = false;
    bool enabled = true;  // matching switched on, as it is when a picture starts
    std::unique_ptr<SrgbConversion> profile;  // the profile in force; null: the pixels' own
  } matching;

  // Set when a QuickTime picture was drawn there: the walk then steps over the drawing the
  // picture carries for viewers without QuickTime, when it is marked as such.
  std::optional<Rect> quickTimeDrawn;

 private:
  int version_;
  int scale_;
  GraphicsState state_;
  Canvas canvas_;
  Point offset_;
  Region clip_;
  std::string refusal_;
  std::string damage_;
  const uint8_t* damageAt_ = nullptr;
  std::unique_ptr<VectorDevice> vector_;

  // Paints area, cut to the clip, on the canvas; gives the mode it painted in.
  int PaintCanvas(Region& area, const Pattern& pattern, int mode);
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
void SetHilite(Decoder&, ByteReader&, uint16_t);
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
