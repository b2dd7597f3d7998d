// The opcodes that carry pixels: BitsRect, BitsRgn, PackBitsRect, PackBitsRgn, DirectBitsRect,
// DirectBitsRgn, and QuickTime's compressed and uncompressed pictures.
#include <algorithm>
#include <vector>

#include "pict/decoder.h"
#include "pict/pixmap.h"
#include "pict/quicktime.h"

namespace pict {

void DrawCopyBits(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  std::string reason;
  std::optional<CopyBitsData> copy = ReadCopyBits(data, opcode, reason);
  if (!copy) return decoder.Refuse("pixels: " + reason);
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
    // from the rows themselves (those outside the bounds show nothing either way).
    vector::Pixels pixels(kept.Width(), kept.Height(), 0);
    std::vector<bool> present(size_t(kept.Height()), false);
    for (int y = 0; y < kept.Height(); ++y) {
      const uint32_t* row = source(kept.top + y - copy->bounds.top);
      if (!row) continue;
      std::copy(row + (kept.left - copy->bounds.left), row + (kept.right - copy->bounds.left),
                &pixels.At(0, y));
      present[size_t(y)] = true;
    }
    canvas.CopyBits(
        [&](int index) -> const uint32_t* {
          return index < kept.Height() && present[size_t(index)] ? &pixels.At(0, index) : nullptr;
        },
        kept, copy->source, destination, mode, clip, decoder.Colours());
    const double sx = double(destination.Width()) / copy->source.Width();
    const double sy = double(destination.Height()) / copy->source.Height();
    const vector::Matrix placement{sx,
                                   0,
                                   0,
                                   sy,
                                   destination.left + (kept.left - copy->source.left) * sx,
                                   destination.top + (kept.top - copy->source.top) * sy};
    Region touched(destination);
    touched.Intersect(clip);
    // Without a mask the clip is the decoder's own, which the device knows unchanged.
    decoder.vector()->Copy(std::move(pixels), placement, mode, decoder.Colours(), false, {},
                           copy->mask ? clip : decoder.clip(), touched, canvas);
  }
  // Rows outside the clip are read all the same: the next opcode follows them.
  if (!rows.ReadToEnd(reason)) decoder.Refuse("pixels: " + reason);
}

void DrawQuickTime(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  data.Skip(4);  // the length, which the walk has applied
  std::string reason;
  if (opcode == 0x8201) {
    std::optional<UncompressedQuickTime> picture = ReadUncompressedQuickTime(data, reason);
    if (!picture) return decoder.Refuse("uncompressed QuickTime: " + reason);
    return DrawCopyBits(decoder, picture->operands, picture->opcode);
  }
  std::optional<QuickTimePicture> picture = ReadQuickTime(data, reason, decoder.scale());
  if (!picture) return decoder.Refuse("QuickTime: " + reason);
  const Image& image = picture->image;
  // Decoding cost about as much as the pixels it gave.
  if (!decoder.canvas().Charge(int64_t{image.width} * image.height)) return;
  Region clip = decoder.clip();
  if (picture->mask) clip.Intersect(decoder.ToCanvas(std::move(*picture->mask)));
  const bool hasAlpha = std::any_of(image.pixels.begin(), image.pixels.end(),
                                    [](uint32_t p) { return (p >> 24) != 0xFF; });
  const Rect destination = decoder.ScaledToCanvas(picture->scaledDestination);
  const int mode = decoder.HiliteOr(picture->mode);
  decoder.canvas().CopyBits(
      [&image](int index) -> const uint32_t* {
        return index < image.height ? &image.pixels[size_t(index) * size_t(image.width)]
                                    : nullptr;
      },
      {0, 0, image.width, image.height}, picture->source, destination, mode, clip,
      decoder.Colours(), hasAlpha);
  decoder.quickTimeDrawn = picture->destination;
  if (decoder.vector()) {
    // The image goes into the drawing as it came, the source rectangle of it only when that is
    // not all of it (which leaves the JPEG behind).
    const Rect& source = picture->source;
    vector::Pixels pixels;
    std::vector<uint8_t> jpeg;
    if (source == Rect{0, 0, image.width, image.height}) {
      pixels.width = image.width;
      pixels.height = image.height;
      pixels.argb = std::move(picture->image.pixels);
      jpeg.assign(picture->jpeg.begin(), picture->jpeg.end());
    } else {
      pixels = vector::Pixels(source.Width(), source.Height(), 0);
      for (int y = 0; y < source.Height(); ++y) {
        const uint32_t* row =
            image.pixels.data() + size_t(source.top + y) * size_t(image.width) + source.left;
        std::copy(row, row + source.Width(), &pixels.At(0, y));
      }
    }
    const double sx = double(destination.Width()) / source.Width();
    const double sy = double(destination.Height()) / source.Height();
    Region touched(destination);
    touched.Intersect(clip);
    decoder.vector()->Copy(
        std::move(pixels), {sx, 0, 0, sy, double(destination.left), double(destination.top)}, mode,
        decoder.Colours(), hasAlpha, std::move(jpeg), picture->mask ? clip : decoder.clip(),
        touched, decoder.canvas());
  }
}

}  // namespace pict
