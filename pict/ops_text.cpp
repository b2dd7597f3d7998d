// The text opcodes, and the picture comments that change how a picture looks.
#include <algorithm>
#include <cmath>

#include "pict/decoder.h"
#include "pict/limits.h"
#include "pict/outlines.h"
#include "pict/text.h"

namespace pict {

namespace {

// QuickDraw's text size 0 means the system font's size.
constexpr int kDefaultTextSize = 12;

// Sizes and extras in canvas pixels: the letters are drawn at scale times their size, not
// blown up.
TextStyle StyleOf(const TextState& text, int scale) {
  TextStyle style;
  style.fontNumber = text.font;
  if (const auto name = text.fontNames.find(text.font); name != text.fontNames.end())
    style.fontName = name->second;
  style.size = (text.size > 0 ? text.size : kDefaultTextSize) * scale;
  style.face = text.face;
  style.spaceExtra = text.spaceExtra * scale;
  style.charExtra = text.charExtra * scale;
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
  const int scale = decoder.scale();
  turn.centerX = origin.x + text.centerX * scale;
  turn.centerY = origin.y + text.centerY * scale;
  const TextStyle style = StyleOf(text, scale);
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
  // The pen moves in the picture's coordinates.
  decoder.state().penLocation = {
      text.location.x + static_cast<int>(std::lround(ink->advance / scale)), text.location.y};
  // The glyphs are the source: ink where they are, background in the rest of their cell.
  if (!LeavesBackground(text.mode) && text.angle == 0) {
    const Rect cellRect{origin.x, origin.y - ink->ascent,
                        origin.x + static_cast<int>(std::lround(ink->advance)),
                        origin.y + ink->descent};
    Region cell(cellRect);
    cell.Subtract(ink->ink);
    // The drawing sets opaque glyphs over the whole cell, which keeps the cell one rectangle;
    // glyphs that let the cell show through need it drawn around them.
    const std::optional<uint32_t> glyphs =
        CoverOf(ModeUse::Paint, text.mode, 0x000000, decoder.Colours(), true);
    if (glyphs && (*glyphs >> 24) == 0xFF)
      decoder.Paint(std::move(cell), Pattern::Solid(false), text.mode,
                    [&] { return RectOutline(cellRect); });
    else
      decoder.Paint(std::move(cell), Pattern::Solid(false), text.mode);
  }
  decoder.PaintText(std::move(*ink), text.face, text.mode);
}

namespace {

// The picture comments drawing programs write around text they turn (Apple's PicComments),
// and ColorSync's, which embed a profile and switch matching on and off.
enum CommentKind : uint16_t {
  kTextBegin = 150,
  kTextEnd = 151,
  kTextCenter = 154,
  kColourSyncEndProfile = 221,  // back to the system profile: the pixels' own colours
  kColourSyncEnableMatching = 222,
  kColourSyncDisableMatching = 223,
  kColourSyncComment = 224,  // a 4-byte selector, then its data
};

// The selectors of a ColorSync comment. An ICC profile longer than one comment (at most 32763
// bytes of it fit) begins in one, goes on in as many as it needs, and always ends in its own,
// which carries no data. Kind 220 begins a ColorSync 1.0 profile, which is no ICC profile and
// is not used; selector 3, a reference to a profile elsewhere, cannot be followed.
enum ColourSyncSelector : uint32_t {
  kBeginProfile = 0,
  kContinueProfile = 1,
  kEndProfile = 2,
};

// While matching is off, ColorSync ignores its comments until the next enable comment.
void ReadColourSync(Decoder& decoder, uint16_t kind, ByteReader& payload) {
  Decoder::ColourMatching& matching = decoder.matching;
  if (kind == kColourSyncEnableMatching) matching.enabled = true;
  if (!matching.enabled) return;
  switch (kind) {
    case kColourSyncDisableMatching:
      matching.enabled = false;
      return;
    case kColourSyncEndProfile:
      matching.profile.reset();
      matching.collecting = false;
      matching.collected.clear();
      return;
    case kColourSyncComment:
      break;
    default:
      return;
  }
  const uint32_t selector = payload.U32();
  if (payload.failed()) return;
  const std::span<const uint8_t> data = payload.Bytes(payload.remaining());
  if (selector == kBeginProfile) {
    matching.collected.clear();
    matching.collecting = true;
  }
  if (matching.collecting && (selector == kBeginProfile || selector == kContinueProfile)) {
    // A profile beyond the cap is not used; the pixels keep the colours they have.
    if (matching.collected.size() + data.size() > kMaxIccProfileBytes) {
      matching.collecting = false;
      matching.collected = {};
      return;
    }
    matching.collected.insert(matching.collected.end(), data.begin(), data.end());
  }
  if (matching.collecting && selector == kEndProfile) {
    // Reading a profile costs about a unit a byte. One Little CMS cannot use leaves the pixels'
    // own colours in force, as a Mac without the profile would show them.
    if (decoder.canvas().Charge(static_cast<int64_t>(matching.collected.size())))
      matching.profile = SrgbConversion::FromProfile(matching.collected);
    matching.collecting = false;
    matching.collected = {};
  }
}

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
    case kColourSyncEndProfile:
    case kColourSyncEnableMatching:
    case kColourSyncDisableMatching:
    case kColourSyncComment:
      ReadColourSync(decoder, kind, payload);
      break;
    default: break;  // other comments change nothing QuickDraw draws
  }
}

}  // namespace pict
