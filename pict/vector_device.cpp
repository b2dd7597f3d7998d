#include "pict/vector_device.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "pict/limits.h"
#include "pict/modes.h"

namespace pict {

namespace {

using Argb = vector::Colour;

// QuickDraw's names of the modes, for the note on what is pixels.
std::string ModeName(int mode) {
  static constexpr const char* kBoolean[] = {
      "srcCopy", "srcOr", "srcXor", "srcBic", "notSrcCopy", "notSrcOr", "notSrcXor", "notSrcBic",
      "patCopy", "patOr", "patXor", "patBic", "notPatCopy", "notPatOr", "notPatXor", "notPatBic"};
  static constexpr const char* kArithmetic[] = {"blend",       "addPin", "addOver", "subPin",
                                                "transparent", "addMax", "subOver", "adMin"};
  mode &= 0x7F & ~kDitherCopy;
  if (mode < 16) return kBoolean[mode];
  if (mode >= kBlend && mode <= kAdMin) return kArithmetic[mode - kBlend];
  if (mode == kHilite) return "hilite";
  return "mode " + std::to_string(mode);
}

bool IsClear(Argb c) { return (c >> 24) == 0; }

// The colours a pattern lays down in mode, tile by tile; empty when one of them depends on
// what is under it.
std::optional<vector::Paint> PaintOf(const Pattern& pattern, int mode, const PaintColours& colours,
                                     Point origin) {
  vector::Paint paint;
  if (pattern.IsColour()) {
    const Image& tile = pattern.tile;
    paint.tile = vector::Pixels(tile.width, tile.height, 0);
    for (size_t i = 0; i < tile.pixels.size(); ++i) {
      const std::optional<uint32_t> cover =
          CoverOf(ModeUse::Paint, mode, tile.pixels[i], colours, false);
      if (!cover) return std::nullopt;
      paint.tile.argb[i] = *cover;
    }
  } else {
    const std::optional<uint32_t> fore = CoverOf(ModeUse::Paint, mode, 0x000000, colours, true);
    const std::optional<uint32_t> back = CoverOf(ModeUse::Paint, mode, 0xFFFFFF, colours, true);
    if (pattern.IsSolid(true) || pattern.IsSolid(false)) {
      const std::optional<uint32_t>& cover = pattern.IsSolid(true) ? fore : back;
      if (!cover) return std::nullopt;
      return vector::Paint::Solid(*cover);
    }
    if (!fore || !back) return std::nullopt;
    if (*fore == *back) return vector::Paint::Solid(*fore);
    paint.tile = vector::Pixels(8, 8, 0);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        paint.tile.At(x, y) = (pattern.rows[size_t(y)] >> (7 - x)) & 1 ? *fore : *back;
  }
  paint.tilePlacement = vector::Matrix::Translation(origin.x, origin.y);
  const std::vector<Argb>& tile = paint.tile.argb;
  if (std::all_of(tile.begin(), tile.end(), [&](Argb c) { return c == tile.front(); }))
    return vector::Paint::Solid(tile.front());
  return paint;
}

// About how much memory an operation holds.
size_t BytesOf(const vector::FillOp& op) {
  return sizeof(vector::Operation) + op.path.Segments().size() * sizeof(vector::Path::Segment) +
         op.paint.tile.argb.size() * sizeof(vector::Colour);
}
size_t BytesOf(const vector::ClipOp& op) {
  return sizeof(vector::Operation) + op.path.Segments().size() * sizeof(vector::Path::Segment);
}
size_t BytesOf(const vector::UnclipOp&) { return sizeof(vector::Operation); }
size_t BytesOf(const vector::TextOp& op) {
  return sizeof(vector::Operation) + op.run.utf8.size() + op.run.font.family.size() +
         op.run.extras.size() * sizeof(double);
}
size_t BytesOf(const vector::ImageOp& op) {
  return sizeof(vector::Operation) + op.pixels.argb.size() * sizeof(vector::Colour) +
         op.jpeg.size();
}

// The corners of pixels placed by placement, as an outline.
vector::Path PlacedRectangle(const vector::Pixels& pixels, const vector::Matrix& placement) {
  const double w = pixels.width, h = pixels.height;
  const vector::Point corners[] = {placement.Apply({0, 0}), placement.Apply({w, 0}),
                                   placement.Apply({w, h}), placement.Apply({0, h})};
  return vector::Path().Polygon(corners);
}

}  // namespace

VectorDevice::VectorDevice(int width, int height, double unitsPerInchX, double unitsPerInchY,
                           const Region& clip)
    : page_{0, 0, width, height}, decoderClip_(clip) {
  drawing_.page = {double(width), double(height), unitsPerInchX, unitsPerInchY};
  Add(vector::FillOp{vector::Path().Rectangle(0, 0, width, height), vector::FillRule::Winding,
                     vector::Paint::Solid(0xFFFFFFFF)});
}

void VectorDevice::UseClip(const Region& clip, Canvas& canvas) {
  // The decoder's clip, unchanged, is in force already; any other is compared in full, and the
  // decoder's is compared again after it.
  const bool decoders = &clip == &decoderClip_;
  if (overflowed_ || (decoders && !clipChanged_)) return;
  clipChanged_ = !decoders;
  canvas.Charge(static_cast<int64_t>(clip.RectCount()));
  Region inside(page_);
  inside.Intersect(clip);
  const bool whole = inside == Region(page_);
  if (clipped_ && !whole && inside == clip_) return;
  if (!clipped_ && whole) return;
  if (clipped_) Add(vector::UnclipOp{});
  clipped_ = !whole;
  if (!clipped_) return;
  Outline outline = RegionOutline(inside);
  Add(vector::ClipOp{std::move(outline.path), outline.rule});
  clip_ = std::move(inside);
}

void VectorDevice::KeepPixels(const Region& touched, const Canvas& canvas, int mode) {
  Region area(canvas.Bounds());
  area.Intersect(touched);
  if (area.IsEmpty()) return;
  const Rect box = area.Bounds();
  vector::Pixels pixels(box.Width(), box.Height(), 0);
  const Image& image = canvas.image();
  area.ForEachSpan([&](int y, int left, int right) {
    const uint32_t* row = image.pixels.data() + size_t(y) * size_t(image.width);
    std::copy(row + left, row + right, &pixels.At(left - box.left, y - box.top));
  });
  // The pixels hold exactly what was touched: no clip is needed, and the one in force stays.
  Add(vector::ImageOp{std::move(pixels), vector::Matrix::Translation(box.left, box.top)});
  pixelModes_.insert(ModeName(mode));
}

void VectorDevice::Fill(const std::function<Outline()>& outline, const Pattern& pattern, int mode,
                        const PaintColours& colours, Point patternOrigin, const Region& clip,
                        const Region& touched, Canvas& canvas) {
  if (overflowed_ || touched.IsEmpty()) return;
  // A pixel pattern's tile is worked out again for each shape.
  if (!canvas.Charge(static_cast<int64_t>(pattern.tile.pixels.size()))) return;
  std::optional<vector::Paint> paint = PaintOf(pattern, mode, colours, patternOrigin);
  if (!paint) return KeepPixels(touched, canvas, mode);
  if (paint->tile.IsEmpty() && IsClear(paint->colour)) return;
  Outline shape = outline();
  if (shape.path.IsEmpty()) return;
  UseClip(clip, canvas);
  Add(vector::FillOp{std::move(shape.path), shape.rule, std::move(*paint)});
}

void VectorDevice::Copy(vector::Pixels pixels, const vector::Matrix& placement, int mode,
                        const PaintColours& colours, bool blendAlpha, std::vector<uint8_t> jpeg,
                        const Region& clip, const Region& touched, Canvas& canvas) {
  if (overflowed_ || touched.IsEmpty() || pixels.IsEmpty()) return;
  // Each pixel's cover, counting the colours: when they are one colour and clear, or two
  // colours, the image is a mask; when they are the pixels themselves, it stays as it is.
  bool unchanged = true, anyClear = false, partial = false;
  Argb opaque[2] = {0, 0};
  size_t opaqueCount[2] = {0, 0};
  int colourCount = 0;
  uint32_t lastSource = 0;
  std::optional<uint32_t> lastCover;
  std::vector<Argb> covers(pixels.argb.size());
  for (size_t i = 0; i < pixels.argb.size(); ++i) {
    const uint32_t source = pixels.argb[i];
    if (!lastCover || (source & 0xFFFFFF) != lastSource) {
      lastCover = CoverOf(ModeUse::Copy, mode, source & 0xFFFFFF, colours, true);
      lastSource = source & 0xFFFFFF;
      if (!lastCover) return KeepPixels(touched, canvas, mode);
    }
    Argb cover = *lastCover;
    if (blendAlpha) {
      const uint32_t alpha = ((cover >> 24) * (source >> 24) + 127) / 255;
      cover = alpha == 0 ? 0 : alpha << 24 | (cover & 0xFFFFFF);
    }
    covers[i] = cover;
    unchanged = unchanged && cover == (0xFF000000 | source);
    const uint32_t alpha = cover >> 24;
    if (alpha == 0) {
      anyClear = true;
    } else if (alpha != 0xFF) {
      partial = true;
    } else if (colourCount < 3) {
      int k = 0;
      while (k < colourCount && opaque[k] != cover) ++k;
      if (k == colourCount) {
        if (colourCount < 2) opaque[k] = cover;
        ++colourCount;
      }
      if (k < 2) ++opaqueCount[k];
    }
  }
  if (colourCount == 0 && !partial) return;
  UseClip(clip, canvas);
  const bool twoColours = colourCount == 2 && !partial && !anyClear;
  const bool mask = !partial && (colourCount == 1 || twoColours);
  if (unchanged && !mask) {
    Add(vector::ImageOp{std::move(pixels), placement, std::nullopt, vector::Sampling::Nearest,
                        std::move(jpeg)});
    return;
  }
  pixels.argb = std::move(covers);
  if (mask) {
    // The commoner colour under, the other as a mask over it.
    const int under = opaqueCount[0] >= opaqueCount[1] ? 0 : 1;
    if (twoColours) {
      Add(vector::FillOp{PlacedRectangle(pixels, placement), vector::FillRule::Winding,
                         vector::Paint::Solid(opaque[under])});
      for (Argb& c : pixels.argb) c = c == opaque[under] ? 0 : c;
    }
    const Argb mask = twoColours ? opaque[1 - under] : opaque[0];
    Add(vector::ImageOp{std::move(pixels), placement, mask});
    return;
  }
  Add(vector::ImageOp{std::move(pixels), placement});
}

void VectorDevice::Text(const TextInk& text, int face, int mode, const PaintColours& colours,
                        const Region& clip, const Region& touched, Canvas& canvas) {
  if (overflowed_ || touched.IsEmpty()) return;
  // Glyphs are black source pixels, as the canvas paints them.
  const std::optional<uint32_t> cover = CoverOf(ModeUse::Paint, mode, 0x000000, colours, true);
  if (!cover) return KeepPixels(touched, canvas, mode);
  if (IsClear(*cover)) return;
  UseClip(clip, canvas);
  if (!text.run.utf8.empty())
    Add(vector::TextOp{text.run, text.placement, *cover, (face & kFaceOutline) != 0,
                       (face & kFaceShadow) != 0});
  if (!text.underline.IsEmpty())
    Add(vector::FillOp{text.underline, vector::FillRule::Winding, vector::Paint::Solid(*cover)});
}

void VectorDevice::Add(vector::Operation operation) {
  if (overflowed_) return;
  bytes_ += std::visit([](const auto& op) { return BytesOf(op); }, operation);
  if (bytes_ > kMaxDrawingBytes) {
    overflowed_ = true;
    drawing_.operations = {};
    return;
  }
  drawing_.operations.push_back(std::move(operation));
}

PictDrawing VectorDevice::Take(const Canvas& canvas) {
  if (clipped_) Add(vector::UnclipOp{});
  clipped_ = false;
  if (overflowed_) {
    // Beyond its cap the drawing holds the canvas's pixels, and says so.
    const Image& image = canvas.image();
    vector::Pixels pixels;
    pixels.width = image.width;
    pixels.height = image.height;
    pixels.argb = image.pixels;
    drawing_.operations.clear();
    drawing_.operations.push_back(vector::ImageOp{std::move(pixels), {}});
    return {std::move(drawing_), "more shapes than a drawing may hold: the picture is pixels"};
  }
  PictDrawing result{std::move(drawing_), {}};
  if (!pixelModes_.empty()) {
    std::string names;
    size_t i = 0;
    for (const std::string& name : pixelModes_) {
      if (i > 0) names += i + 1 == pixelModes_.size() ? " and " : ", ";
      names += name;
      ++i;
    }
    result.note =
        "parts drawn in " + names + (pixelModes_.size() > 1 ? " modes" : " mode") + " are pixels";
  }
  return result;
}

}  // namespace pict
