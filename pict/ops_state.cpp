// The opcodes that change QuickDraw's graphics state and draw nothing themselves.
#include <algorithm>

#include "pict/decoder.h"
#include "pict/pixmap.h"

namespace pict {

namespace {

// The eight colours of the original QuickDraw, by the numbers pictures store, as Color
// QuickDraw shows them.
struct OldColour {
  int32_t number;
  Colour colour;
};
constexpr OldColour kOldColours[] = {
    {33, {0x0000, 0x0000, 0x0000}},  // blackColor
    {30, {0xFFFF, 0xFFFF, 0xFFFF}},  // whiteColor
    {205, {0xDD6B, 0x08C2, 0x06A2}},  // redColor
    {341, {0x0000, 0x8000, 0x11B0}},  // greenColor
    {409, {0x0000, 0x0000, 0xD400}},  // blueColor
    {273, {0x0241, 0xAB54, 0xEAFF}},  // cyanColor
    {137, {0xF2D7, 0x0856, 0x84EC}},  // magentaColor
    {69, {0xFC00, 0xF37D, 0x052F}},   // yellowColor
};

Colour OldColourFor(int32_t number, Colour otherwise) {
  for (const OldColour& c : kOldColours)
    if (c.number == number) return c.colour;
  return otherwise;
}

Point ReadSize(ByteReader& data) {
  const Point p = data.ReadPoint();
  return {p.x, p.y};
}

}  // namespace

void SetClip(Decoder& decoder, ByteReader& data, uint16_t) {
  std::string reason;
  const std::optional<Region> clip = ReadRegion(data, reason);
  if (!clip) return decoder.Damaged("clip region: " + reason);
  decoder.SetClip(*clip);
}

void SetPattern(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  Pattern pattern;
  const std::span<const uint8_t> bits = data.Bytes(8);
  if (bits.empty()) return;
  std::copy(bits.begin(), bits.end(), pattern.rows.begin());
  GraphicsState& state = decoder.state();
  (opcode == 0x02 ? state.backPattern : opcode == 0x09 ? state.penPattern : state.fillPattern) =
      std::move(pattern);
}

void SetPixelPattern(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  std::string reason;
  std::optional<Pattern> pattern = ReadPixPat(data, reason);
  if (!pattern) return decoder.Damaged("pixel pattern: " + reason);
  GraphicsState& state = decoder.state();
  (opcode == 0x12 ? state.backPattern : opcode == 0x13 ? state.penPattern : state.fillPattern) =
      std::move(*pattern);
}

void SetPen(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  GraphicsState& state = decoder.state();
  if (opcode == 0x07)
    state.penSize = ReadSize(data);
  else
    state.penMode = data.U16();
}

void SetOvalSize(Decoder& decoder, ByteReader& data, uint16_t) {
  decoder.state().ovalSize = ReadSize(data);
}

void MoveOrigin(Decoder& decoder, ByteReader& data, uint16_t) {
  const int dh = data.S16();
  const int dv = data.S16();
  decoder.MoveOrigin(dh, dv);
}

void SetHilite(Decoder& decoder, ByteReader&, uint16_t opcode) {
  GraphicsState& state = decoder.state();
  if (opcode == 0x1C)
    state.hiliteNext = true;
  else
    state.hilite = kDefaultHilite;
}

void SetColour(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  GraphicsState& state = decoder.state();
  switch (opcode) {
    case 0x0E: state.foreground = OldColourFor(data.S32(), state.foreground); break;
    case 0x0F: state.background = OldColourFor(data.S32(), state.background); break;
    case 0x1A: state.foreground = data.ReadColour(); break;
    case 0x1B: state.background = data.ReadColour(); break;
    case 0x1D: state.hilite = data.ReadColour(); break;
    default: state.operand = data.ReadColour(); break;
  }
}

void SetText(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  TextState& text = decoder.state().text;
  switch (opcode) {
    case 0x03: text.font = data.S16(); break;
    case 0x04: text.face = data.U8(); break;
    case 0x05: text.mode = data.U16(); break;
    case 0x06: text.spaceExtra = data.S32() / 65536.0; break;
    case 0x0D: text.size = data.S16(); break;
    case 0x10:
      text.ratioNumerator = ReadSize(data);
      text.ratioDenominator = ReadSize(data);
      break;
    // The port keeps chExtra as a 4.12 fixed-point number, and the picture records it so.
    default: text.charExtra = data.S16() / 4096.0; break;
  }
}

void SetFontName(Decoder& decoder, ByteReader& data, uint16_t) {
  data.U16();  // data length, already applied by the walk
  const int font = data.S16();
  const std::span<const uint8_t> name = data.Bytes(data.U8());
  if (data.failed()) return;
  decoder.state().text.fontNames[font] = std::string(name.begin(), name.end());
}

}  // namespace pict
