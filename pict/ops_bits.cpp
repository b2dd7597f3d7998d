// The opcodes that carry pixels: BitsRect, BitsRgn, PackBitsRect, PackBitsRgn, DirectBitsRect
// and DirectBitsRgn.
#include "pict/decoder.h"
#include "pict/pixmap.h"

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
