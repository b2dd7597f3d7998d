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
  canvas.CopyBits(source, copy->bounds, copy->source, decoder.ToCanvas(copy->destination),
                  decoder.HiliteOr(copy->mode), clip, decoder.Colours());
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
  decoder.canvas().CopyBits(
      [&image, rows](int index) -> const uint32_t* {
        return index < rows ? &image.pixels[size_t(index) * size_t(image.width)] : nullptr;
      },
      {0, 0, image.width, image.height}, picture->source,
      decoder.ScaledToCanvas(picture->scaledDestination), decoder.HiliteOr(picture->mode), clip,
      decoder.Colours(), hasAlpha);
  if (!picture->damage.empty()) return decoder.Damaged(picture->damage, picture->damageAt);
  decoder.quickTimeDrawn = picture->destination;
}

}  // namespace pict
