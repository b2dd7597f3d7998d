// The opcodes that carry pixels: BitsRect, BitsRgn, PackBitsRect, PackBitsRgn, DirectBitsRect,
// DirectBitsRgn, and QuickTime's compressed and uncompressed pictures.
#include <algorithm>

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
  decoder.canvas().CopyBits([&rows](int index) { return rows.Row(index); }, copy->bounds,
                            copy->source, decoder.ToCanvas(copy->destination), copy->mode, clip,
                            decoder.Colours());
  // Rows outside the clip are read all the same: the next opcode follows them.
  if (!rows.ReadToEnd(reason)) decoder.Refuse("pixels: " + reason);
}

void DrawQuickTime(Decoder& decoder, ByteReader& data, uint16_t opcode) {
  data.Skip(4);  // the length, which the walk has applied
  std::string reason;
  if (opcode == 0x8201) {
    std::optional<UncompressedQuickTime> picture = ReadUncompressedQuickTime(data, reason);
    if (!picture) return decoder.Refuse("uncompressed QuickTime: " + reason);
    if (picture->matte) return decoder.Refuse("uncompressed QuickTime with a matte");
    return DrawCopyBits(decoder, picture->operands, picture->opcode);
  }
  std::optional<QuickTimePicture> picture = ReadQuickTime(data, reason);
  if (!picture) return decoder.Refuse("QuickTime: " + reason);
  const Image& image = picture->image;
  // Decoding cost about as much as the pixels it gave.
  if (!decoder.canvas().Charge(int64_t{image.width} * image.height)) return;
  Region clip = decoder.clip();
  if (picture->mask) clip.Intersect(decoder.ToCanvas(std::move(*picture->mask)));
  const bool hasAlpha = std::any_of(image.pixels.begin(), image.pixels.end(),
                                    [](uint32_t p) { return (p >> 24) != 0xFF; });
  decoder.canvas().CopyBits(
      [&image](int index) -> const uint32_t* {
        return index < image.height ? &image.pixels[size_t(index) * size_t(image.width)]
                                    : nullptr;
      },
      {0, 0, image.width, image.height}, picture->source,
      decoder.ToCanvas(picture->destination), picture->mode, clip, decoder.Colours(), hasAlpha);
  decoder.quickTimeDrawn = picture->destination;
}

}  // namespace pict
