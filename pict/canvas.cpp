#include "pict/canvas.h"

#include <algorithm>
#include <vector>

#include "pict/limits.h"
#include "pict/modes.h"

namespace pict {

namespace {

enum class Op { Copy, Or, Xor, Bic, Blend, AddPin, AddOver, SubPin, Transparent, AddMax, SubOver,
                AdMin, Hilite };

struct Rule {
  Op op = Op::Copy;
  bool notSource = false;  // the not-forms: the source's black and white swap first
};

// QuickDraw's modes by number; a number it does not define is treated as the nearest one.
Rule RuleFor(int mode) {
  mode &= 0x7F;
  if (mode & kDitherCopy) mode &= ~kDitherCopy;  // dithering only mattered on few-colour screens
  if (mode < 32) {
    static constexpr Op kBoolean[] = {Op::Copy, Op::Or, Op::Xor, Op::Bic};
    return {kBoolean[mode & 3], (mode & 4) != 0};
  }
  switch (mode) {
    case kBlend: return {Op::Blend};
    case kAddPin: return {Op::AddPin};
    case kAddOver: return {Op::AddOver};
    case kSubPin: return {Op::SubPin};
    case kTransparent: return {Op::Transparent};
    case kAddMax: return {Op::AddMax};
    case kSubOver: return {Op::SubOver};
    case kAdMin: return {Op::AdMin};
    case kGrayishTextOr: return {Op::Or};
    case kHilite: return {Op::Hilite};
    default: return {Op::Copy};
  }
}

constexpr uint32_t kRgb = 0xFFFFFF;

uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xFF; }

// Per channel: black source picks a, white source picks b, grey weighs between them.
uint32_t Between(uint32_t a, uint32_t b, uint32_t source) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t t = Channel(source, shift);
    out |= ((Channel(a, shift) * (255 - t) + Channel(b, shift) * t + 127) / 255) << shift;
  }
  return out;
}

template <class F>
uint32_t PerChannel(uint32_t s, uint32_t d, F f) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8)
    out |= (static_cast<uint32_t>(f(static_cast<int>(Channel(s, shift)),
                                    static_cast<int>(Channel(d, shift)),
                                    shift)) & 0xFF) << shift;
  return out;
}

// The result of drawing source colour s over destination d. Black and white in s stand for
// the foreground and background colours when colourise is set (bitmaps, one-bit patterns,
// and pixmaps, which QuickDraw colourises too); colour patterns keep their own colours.
uint32_t Apply(const Rule& rule, uint32_t s, uint32_t d, const PaintColours& c, bool colourise) {
  s &= kRgb;
  d &= kRgb;
  if (rule.notSource) s ^= kRgb;
  const uint32_t fg = colourise ? c.foreground : 0x000000;
  const uint32_t bg = colourise ? c.background : kRgb;
  switch (rule.op) {
    case Op::Copy: return Between(fg, bg, s);
    case Op::Or: return Between(fg, d, s);
    case Op::Bic: return Between(bg, d, s);
    case Op::Xor: return d ^ (s ^ kRgb);
    case Op::Hilite:
      if (s == kRgb) return d;
      // A hilite colour that is the background colour would change nothing: the hilite falls
      // back to inverting, so that what is hilited still shows.
      if ((c.hilite & kRgb) == (c.background & kRgb)) return d ^ kRgb;
      return d == (c.background & kRgb) ? (c.hilite & kRgb)
             : d == (c.hilite & kRgb)   ? (c.background & kRgb)
                                        : d;
    default: break;
  }
  const uint32_t v = Between(fg, bg, s);
  const uint32_t op = c.operand & kRgb;
  switch (rule.op) {
    case Op::Blend:
      return PerChannel(v, d, [op](int a, int b, int shift) {
        const int w = static_cast<int>(Channel(op, shift));
        return (a * w + b * (255 - w) + 127) / 255;
      });
    case Op::AddPin: return PerChannel(v, d, [](int a, int b, int) { return std::min(a + b, 255); });
    case Op::AddOver: return PerChannel(v, d, [](int a, int b, int) { return a + b; });
    case Op::SubPin: return PerChannel(v, d, [](int a, int b, int) { return std::max(b - a, 0); });
    case Op::SubOver: return PerChannel(v, d, [](int a, int b, int) { return b - a; });
    case Op::AddMax: return PerChannel(v, d, [](int a, int b, int) { return std::max(a, b); });
    case Op::AdMin: return PerChannel(v, d, [](int a, int b, int) { return std::min(a, b); });
    case Op::Transparent: return v == (c.background & kRgb) ? d : v;
    default: return v;
  }
}

int Modulo(int value, int divisor) {
  const int m = value % divisor;
  return m < 0 ? m + divisor : m;
}

// A colour c at weight w (0 to 255) of each channel, when the three weights are the same.
std::optional<uint32_t> Weighed(uint32_t c, uint32_t weights) {
  const uint32_t w = Channel(weights, 0);
  if (Channel(weights, 8) != w || Channel(weights, 16) != w) return std::nullopt;
  return w == 0 ? 0 : w << 24 | (c & kRgb);
}

bool IsGrey(uint32_t c) {
  return Channel(c, 0) == Channel(c, 8) && Channel(c, 8) == Channel(c, 16);
}

// As Apply, for a result that does not depend on d beyond a weight: Between(x, d, s) lays x
// over d at 255 minus s's weight, when s is grey.
std::optional<uint32_t> Cover(const Rule& rule, uint32_t s, const PaintColours& c, bool colourise) {
  s &= kRgb;
  if (rule.notSource) s ^= kRgb;
  const uint32_t fg = colourise ? c.foreground : 0x000000;
  const uint32_t bg = colourise ? c.background : kRgb;
  switch (rule.op) {
    case Op::Copy:
      return 0xFF000000 | Between(fg, bg, s);
    case Op::Or:
    case Op::Bic:
      if (!IsGrey(s)) return std::nullopt;
      return Weighed(rule.op == Op::Or ? fg : bg, (s ^ kRgb) & kRgb);
    case Op::Xor:
    case Op::Hilite:
      if (s == kRgb) return 0;
      return std::nullopt;
    default:
      break;
  }
  const uint32_t v = Between(fg, bg, s);
  switch (rule.op) {
    case Op::Blend:
      return Weighed(v, c.operand & kRgb);
    case Op::Transparent:
      return v == (c.background & kRgb) ? 0 : 0xFF000000 | v;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<uint32_t> CoverOf(ModeUse use, int mode, uint32_t s, const PaintColours& colours,
                                bool colourise) {
  const Rule rule =
      use == ModeUse::Paint ? RuleFor(mode < 16 ? mode & 7 : mode) : RuleFor(mode & ~8);
  return Cover(rule, s, colours, colourise);
}

Canvas::Canvas(int width, int height) : image_(width, height, 0xFFFFFFFF) {}

bool Canvas::Charge(int64_t units) {
  work_ += units;
  if (work_ > kMaxWorkUnits) exhausted_ = true;
  return !exhausted_;
}

bool Canvas::ChargeSpan(int64_t pixels) { return !exhausted_ && Charge(pixels); }

void Canvas::Paint(const Region& area, const Pattern& pattern, int mode,
                   const PaintColours& colours, Point origin) {
  // Source modes paint a shape as the matching pattern modes do.
  const Rule rule = RuleFor(mode < 16 ? mode & 7 : mode);
  const Rect bounds = Bounds();
  const bool solidFore = pattern.IsSolid(true);
  const bool solidBack = pattern.IsSolid(false);
  const bool constant = rule.op == Op::Copy && (solidFore || solidBack);
  // Inverting (xor with a solid foreground) is the other common case with a shortcut.
  const bool invert = rule.op == Op::Xor && (rule.notSource ? solidBack : solidFore);
  const uint32_t constantColour =
      0xFF000000 | Apply(rule, solidFore ? 0x000000 : kRgb, 0, colours, true);

  area.ForEachSpan([&](int y, int left, int right) {
    if (y < bounds.top || y >= bounds.bottom) return;
    left = std::max(left, bounds.left);
    right = std::min(right, bounds.right);
    if (right <= left || !ChargeSpan(right - left)) return;
    uint32_t* row = &image_.At(0, y);
    if (constant) {
      std::fill(row + left, row + right, constantColour);
      return;
    }
    if (invert) {
      for (int x = left; x < right; ++x) row[x] ^= kRgb;
      return;
    }
    if (pattern.IsColour()) {
      const Image& tile = pattern.tile;
      const int ty = Modulo(y - origin.y, tile.height);
      for (int x = left; x < right; ++x)
        row[x] = 0xFF000000 |
                 Apply(rule, tile.At(Modulo(x - origin.x, tile.width), ty), row[x], colours, false);
      return;
    }
    const uint8_t bits = pattern.rows[static_cast<size_t>(Modulo(y - origin.y, 8))];
    for (int x = left; x < right; ++x) {
      const bool fore = (bits >> (7 - Modulo(x - origin.x, 8))) & 1;
      row[x] = 0xFF000000 | Apply(rule, fore ? 0x000000 : kRgb, row[x], colours, true);
    }
  });
}

// a parts of over and 255 - a parts of under, per channel.
static uint32_t Mix(uint32_t over, uint32_t under, uint32_t a) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8)
    out |= ((Channel(over, shift) * a + Channel(under, shift) * (255 - a) + 127) / 255) << shift;
  return out;
}

void Canvas::CopyBits(const RowSource& rows, Rect pictureBounds, Rect source, Rect destination,
                      int mode, const Region& clip, const PaintColours& colours,
                      bool blendAlpha) {
  if (source.IsEmpty() || destination.IsEmpty() || pictureBounds.IsEmpty()) return;
  const int pictureWidth = pictureBounds.Width();
  const Rule rule = RuleFor(mode & ~8);
  const bool plainCopy = rule.op == Op::Copy && !rule.notSource &&
                         (colours.foreground & kRgb) == 0 && (colours.background & kRgb) == kRgb;
  Region area(destination.Intersect(Bounds()));
  area.Intersect(clip);

  // Nearest pixel: destination column x shows source column columnOf[x - destination.left].
  const int64_t sw = source.Width(), sh = source.Height();
  const int64_t dw = destination.Width(), dh = destination.Height();
  const Rect areaBounds = area.Bounds();
  std::vector<int> columnOf;
  columnOf.reserve(static_cast<size_t>(std::max(0, areaBounds.Width())));
  for (int x = areaBounds.left; x < areaBounds.right; ++x)
    columnOf.push_back(static_cast<int>(source.left + (x - destination.left) * sw / dw) -
                       pictureBounds.left);
  const bool sameWidth = sw == dw;

  area.ForEachSpan([&](int y, int left, int right) {
    if (!ChargeSpan(right - left)) return;
    const int sy =
        static_cast<int>(source.top + (y - destination.top) * sh / dh) - pictureBounds.top;
    const uint32_t* from = sy < 0 ? nullptr : rows(sy);
    if (!from) return;
    uint32_t* to = &image_.At(0, y);
    // Pixels outside the source picture are left as they are.
    int first = left, last = right;
    while (first < last && (columnOf[size_t(first - areaBounds.left)] < 0 ||
                            columnOf[size_t(first - areaBounds.left)] >= pictureWidth))
      ++first;
    while (last > first && (columnOf[size_t(last - 1 - areaBounds.left)] < 0 ||
                            columnOf[size_t(last - 1 - areaBounds.left)] >= pictureWidth))
      --last;
    if (first == last) return;
    if (plainCopy && sameWidth && !blendAlpha) {
      const uint32_t* start = from + columnOf[size_t(first - areaBounds.left)];
      for (int x = first; x < last; ++x) to[x] = 0xFF000000 | start[x - first];
      return;
    }
    for (int x = first; x < last; ++x) {
      const uint32_t s = from[columnOf[size_t(x - areaBounds.left)]];
      uint32_t result = plainCopy ? s : Apply(rule, s, to[x], colours, true);
      const uint32_t alpha = s >> 24;
      if (blendAlpha && alpha != 0xFF) result = Mix(result, to[x], alpha);
      to[x] = 0xFF000000 | result;
    }
  });
}

}  // namespace pict
