// The opcodes that carry pixels: BitsRect, BitsRgn, PackBitsRect, PackBitsRgn, DirectBitsRect,
// DirectBitsRgn, and QuickTime's compressed and uncompressed pictures.
#include <algorithm>
#include <vector>

#include "pict/decoder.h"
#include "pict/pixmap.h"
#include "pict/quicktime.h"

namespace pict {

namespace {

// The part of destination that shows the first rows of a source sourceHeight rows high, which
// is stretched over it nearest, as Canvas::CopyBits does: row y shows source row
// (y - destination.top) * sourceHeight / destination.Height(), rounded down.
Rect RowsShowing(const Rect& destination, int64_t sourceHeight, int64_t rows) {
  const int64_t bottom =
      destination.top + (rows * destination.Height() + sourceHeight - 1) / sourceHeight;
  return {destination.left, destination.top, destination.right,
          static_cast<int>(std::min<int64_t>(bottom, destination.bottom))};
}

}  // namespace

void DrawCopyBits(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  std::string reason;
  std::optional<CopyBitsData> copy = ReadCopyBits(data, opcode, reason);
  if (!copy) return decoder.Damaged(reason);
  Region clip = decoder.clip();
  if (copy->mask) clip.Intersect(decoder.ToCanvas(std::move(*copy->mask)));
  PixelRows& rows = *copy->rows;
  // A ColorSync profile in force converts a pixmap's colours, a row at a time (a row is asked
  // for again when it is stretched over several).
  const SrgbConversion* profile =
      copy->isPixMap && decoder.matching.enabled ? decoder.matching.profile.get() : nullptr;
  const size_t width = static_cast<size_t>(copy->bounds.Width());
  std::vector<uint32_t> converted;
  int convertedIndex = -1;
  Canvas& canvas = decoder.canvas();
  const auto source = [&](int index) -> const uint32_t* {
    const uint32_t* row = rows.Row(index);
    if (!row || !profile) return row;
    if (index != convertedIndex) {
      if (!canvas.Charge(static_cast<int64_t>(width))) return nullptr;
      converted.assign(row, row + width);
      profile->Convert(converted.data(), width);
      convertedIndex = index;
    }
    return converted.data();
  };
  const Rect destination = decoder.ToCanvas(copy->destination);
  const int mode = decoder.HiliteOr(copy->mode);
  if (!decoder.vector()) {
    canvas.CopyBits(source, copy->bounds, copy->source, destination, mode, clip, decoder.Colours());
  } else if (const Rect kept = copy->source.Intersect(copy->bounds);
             !kept.IsEmpty() && canvas.Charge(int64_t{kept.Width()} * kept.Height())) {
    // The drawing keeps the pixels the copy shows at their own resolution: the rows of the
    // source rectangle are read once, for both. The canvas then copies from them as it would
    // from the rows themselves (those outside the bounds show nothing either way). Rows come in
    // order, and none after a damaged one: both get the rows before it.
    vector::Pixels pixels(kept.Width(), kept.Height(), 0);
    int whole = 0;
    for (; whole < kept.Height(); ++whole) {
      const uint32_t* row = source(kept.top + whole - copy->bounds.top);
      if (!row) break;
      std::copy(row + (kept.left - copy->bounds.left), row + (kept.right - copy->bounds.left),
                &pixels.At(0, whole));
    }
    canvas.CopyBits(
        [&](int index) -> const uint32_t* {
          return index < whole ? &pixels.At(0, index) : nullptr;
        },
        kept, copy->source, destination, mode, clip, decoder.Colours());
    pixels.height = whole;
    pixels.argb.resize(size_t(kept.Width()) * size_t(whole));
    const double sx = double(destination.Width()) / copy->source.Width();
    const double sy = double(destination.Height()) / copy->source.Height();
    const vector::Matrix placement{sx,
                                   0,
                                   0,
                                   sy,
                                   destination.left + (kept.left - copy->source.left) * sx,
                                   destination.top + (kept.top - copy->source.top) * sy};
    Region touched(
        RowsShowing(destination, copy->source.Height(), kept.top - copy->source.top + whole));
    touched.Intersect(clip);
    // Without a mask the clip is the decoder's own, which the device knows unchanged.
    decoder.vector()->Copy(std::move(pixels), placement, mode, decoder.Colours(), false, {},
                           copy->mask ? clip : decoder.clip(), touched, canvas);
  }
  if (profile) decoder.notes.AddProfile("ColorSync comment", profile->Description());
  // Rows outside the clip are read all the same: the next opcode follows them. The rows before
  // a damaged one are drawn; the picture ends where it begins.
  if (!rows.ReadToEnd(reason)) decoder.Damaged(reason, rows.DamageAt());
}

void DrawQuickTime(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  data.Skip(4);  // the length, which the walk has applied
  std::string reason;
  bool damaged = false;
  if (opcode == 0x8201) {
    std::optional<UncompressedQuickTime> picture =
        ReadUncompressedQuickTime(data, reason, &damaged);
    if (!picture)
      return damaged ? decoder.Damaged(reason)
                     : decoder.Refuse("uncompressed QuickTime: " + reason);
    return DrawCopyBits(decoder, picture->operands, picture->opcode);
  }
  std::optional<QuickTimePicture> picture = ReadQuickTime(data, reason, decoder.scale(), &damaged);
  if (!picture) return damaged ? decoder.Damaged(reason) : decoder.Refuse("QuickTime: " + reason);
  decoder.notes.AddCodec(picture->codec, picture->decoder);
  if (picture->profileApplied)
    decoder.notes.AddProfile("QuickTime image", picture->profileDescription);
  const Image& image = picture->image;
  // Decoding cost about as much as the pixels it gave.
  if (!decoder.canvas().Charge(int64_t{image.width} * image.height)) return;
  Region clip = decoder.clip();
  if (picture->mask) clip.Intersect(decoder.ToCanvas(std::move(*picture->mask)));
  const bool hasAlpha = std::any_of(image.pixels.begin(), image.pixels.end(),
                                    [](uint32_t p) { return (p >> 24) != 0xFF; });
  // Only the rows its data made whole: the others are not the picture's.
  const int rows = picture->rowsWhole;
  const Rect destination = decoder.ScaledToCanvas(picture->scaledDestination);
  const int mode = decoder.HiliteOr(picture->mode);
  decoder.canvas().CopyBits(
      [&image, rows](int index) -> const uint32_t* {
        return index < rows ? &image.pixels[size_t(index) * size_t(image.width)] : nullptr;
      },
      {0, 0, image.width, image.height}, picture->source, destination, mode, clip,
      decoder.Colours(), hasAlpha);
  if (decoder.vector()) {
    const Rect& source = picture->source;
    // The image goes into the drawing as it came, the source rectangle of it only when that is
    // not all of it (which leaves the JPEG behind), and of that the rows the canvas showed.
    const Rect shown = source.Intersect({0, 0, image.width, rows});
    vector::Pixels pixels;
    std::vector<uint8_t> jpeg;
    if (shown == Rect{0, 0, image.width, image.height}) {
      pixels.width = image.width;
      pixels.height = image.height;
      pixels.argb = std::move(picture->image.pixels);
      jpeg.assign(picture->jpeg.begin(), picture->jpeg.end());
    } else if (!shown.IsEmpty()) {
      pixels = vector::Pixels(shown.Width(), shown.Height(), 0);
      for (int y = 0; y < shown.Height(); ++y) {
        const uint32_t* row =
            image.pixels.data() + size_t(shown.top + y) * size_t(image.width) + shown.left;
        std::copy(row, row + shown.Width(), &pixels.At(0, y));
      }
    }
    const double sx = double(destination.Width()) / source.Width();
    const double sy = double(destination.Height()) / source.Height();
    Region touched(RowsShowing(destination, source.Height(), std::max(0, rows - source.top)));
    touched.Intersect(clip);
    decoder.vector()->Copy(std::move(pixels),
                           {sx, 0, 0, sy, double(destination.left), double(destination.top)}, mode,
                           decoder.Colours(), hasAlpha, std::move(jpeg),
                           picture->mask ? clip : decoder.clip(), touched, decoder.canvas());
  }
  if (!picture->damage.empty()) return decoder.Damaged(picture->damage, picture->damageAt);
  decoder.quickTimeDrawn = picture->destination;
}

}  // namespace pict
