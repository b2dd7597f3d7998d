// The text opcodes, and the picture comments that change how a picture looks.
#include <algorithm>
#include <cmath>

#include "pict/decoder.h"
#include "pict/text.h"

namespace pict {

namespace {

// QuickDraw's text size 0 means the system font's size.
constexpr int kDefaultTextSize = 12;

TextStyle StyleOf(const TextState& text) {
  TextStyle style;
  style.fontNumber = text.font;
  if (const auto name = text.fontNames.find(text.font); name != text.fontNames.end())
    style.fontName = name->second;
  style.size = text.size > 0 ? text.size : kDefaultTextSize;
  style.face = text.face;
  style.spaceExtra = text.spaceExtra;
  style.charExtra = text.charExtra;
  if (text.ratioDenominator.x > 0 && text.ratioNumerator.x > 0)
    style.ratioH = double(text.ratioNumerator.x) / text.ratioDenominator.x;
  if (text.ratioDenominator.y > 0 && text.ratioNumerator.y > 0)
    style.ratioV = double(text.ratioNumerator.y) / text.ratioDenominator.y;
  return style;
}

// Modes in which the text's background (the rest of its cell) stays as it is.
bool LeavesBackground(int mode) {
  const int m = mode & 0x7F;
  return m == kSrcOr || m == kSrcXor || m == kSrcBic || m == kGrayishTextOr ||
         m == kTransparent || m == kPatOr || m == kPatXor || m == kPatBic;
}

}  // namespace

void DrawText(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  TextState& text = decoder.state().text;
  switch (opcode) {
    case 0x28: text.location = data.ReadPoint(); break;
    case 0x29: text.location.x += data.U8(); break;
    case 0x2A: text.location.y += data.U8(); break;
    default:
      text.location.x += data.U8();
      text.location.y += data.U8();
      break;
  }
  const std::span<const uint8_t> bytes = data.Bytes(data.U8());
  if (data.failed()) return;

  const Point origin = decoder.ToCanvas(text.location);
  TextTurn turn;
  turn.angle = text.angle;
  turn.centerX = origin.x + text.centerX;
  turn.centerY = origin.y + text.centerY;
  const TextStyle style = StyleOf(text);
  // Rendering costs the area the glyphs may cover (generously: two ems wide a character, two
  // high), but never more than the clip's.
  const double em = style.size * std::max(style.ratioH, style.ratioV);
  const Rect clip = decoder.ClipBounds();
  const double area = std::min(double(clip.Width()) * clip.Height(),
                               (double(bytes.size()) * 2 + 1) * em * 2 * em);
  if (!decoder.canvas().Charge(static_cast<int64_t>(std::max(area, 0.0)))) return;
  std::string reason;
  std::optional<TextInk> ink = RenderText(bytes, origin, style, clip, reason, turn);
  if (!ink) return decoder.Refuse("text: " + reason);
  decoder.state().penLocation = {text.location.x + static_cast<int>(std::lround(ink->advance)),
                                 text.location.y};
  // The glyphs are the source: ink where they are, background in the rest of their cell.
  if (!LeavesBackground(text.mode) && text.angle == 0) {
    Region cell(Rect{origin.x, origin.y - ink->ascent,
                     origin.x + static_cast<int>(std::lround(ink->advance)),
                     origin.y + ink->descent});
    cell.Subtract(ink->ink);
    decoder.Paint(std::move(cell), Pattern::Solid(false), text.mode);
  }
  decoder.Paint(std::move(ink->ink), Pattern::Solid(true), text.mode);
}

namespace {

// The picture comments drawing programs write around text they turn (Apple's PicComments).
enum CommentKind : uint16_t {
  kTextBegin = 150,
  kTextEnd = 151,
  kTextCenter = 154,
};

}  // namespace

void ReadComment(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  const uint16_t kind = data.U16();
  if (opcode == 0xA1) data.U16();  // the long comment's length, which the walk has applied
  // A comment shorter than its kind says is ignored, never a reason to refuse the picture.
  ByteReader payload = data.Slice(data.remaining());
  TextState& text = decoder.state().text;
  switch (kind) {
    case kTextBegin: {
      payload.Skip(2);  // justification and flip
      double angle = payload.S16();
      payload.Skip(2);  // line layout and comment flags
      // Later writers add the angle as a Fixed, which is exact.
      if (payload.remaining() >= 4) angle = payload.S32() / 65536.0;
      if (!payload.failed()) text.angle = angle;
      break;
    }
    case kTextEnd:
      text.angle = 0;
      text.centerX = text.centerY = 0;
      break;
    case kTextCenter: {
      const double y = payload.S32() / 65536.0;
      const double x = payload.S32() / 65536.0;
      if (!payload.failed()) {
        text.centerX = x;
        text.centerY = y;
      }
      break;
    }
    default: break;  // other comments change nothing QuickDraw draws
  }
}

}  // namespace pict
