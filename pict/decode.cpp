#include "pict/decode.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "pict/decoder.h"
#include "pict/limits.h"
#include "pict/opcodes.h"
#include "pict/quicktime.h"

namespace pict {

namespace {

constexpr size_t kPreambleSize = 512;

struct Header {
  int version = 0;
  Rect frame;
  bool extended = false;
  double hRes = 72, vRes = 72;
  Rect source;  // the extended header's source rectangle at the native resolution
};

bool HasVersionAt(std::span<const uint8_t> file, size_t start, int& version) {
  if (file.size() < start + 12) return false;
  const uint8_t* v = file.data() + start + 10;
  if (v[0] == 0x11 && v[1] == 0x01) {
    version = 1;
    return true;
  }
  if (file.size() >= start + 14 && v[0] == 0x00 && v[1] == 0x11 && v[2] == 0x02 && v[3] == 0xFF) {
    version = 2;
    return true;
  }
  return false;
}

// A PICT file starts with 512 bytes for the application's own use; a picture kept in a
// resource or the clipboard starts with its size word. Which one this is shows in where the
// version opcode stands, not in the file's name.
std::optional<Header> ReadHeader(std::span<const uint8_t> file, ByteReader& reader,
                                 std::string& reason) {
  Header header;
  size_t start = kPreambleSize;
  if (!HasVersionAt(file, start, header.version)) {
    start = 0;
    if (!HasVersionAt(file, start, header.version)) {
      reason = "not a PICT picture: no version opcode";
      return std::nullopt;
    }
  }
  reader = ByteReader(file.subspan(start));
  reader.U16();  // picSize: only the low 16 bits of the size, so of no use for large pictures
  header.frame = reader.ReadRect();
  reader.Skip(header.version == 1 ? 2 : 4);
  if (header.version == 2) {
    ByteReader peek = reader;
    if (peek.U16() == 0x0C00) {
      reader.Skip(2);
      ByteReader fields = reader.Slice(24);
      if (fields.S16() == -2) {
        header.extended = true;
        fields.Skip(2);
        header.hRes = fields.S32() / 65536.0;
        header.vRes = fields.S32() / 65536.0;
        header.source = fields.ReadRect();
      }
    }
  }
  if (reader.failed()) {
    reason = "picture header runs past the end of the data";
    return std::nullopt;
  }
  return header;
}

// The canvas shows the picture frame; a picture recorded at another resolution than 72 dpi
// is shown at its native resolution, so a 300-dpi scan keeps every pixel.
bool IsNative(const Header& header) {
  const bool native = std::lround(header.hRes) != 72 || std::lround(header.vRes) != 72;
  return header.extended && native && !header.source.IsEmpty();
}

Rect CanvasRect(const Header& header) { return IsNative(header) ? header.source : header.frame; }

// Canvas pixels per inch at scale 1; a resolution no picture can have counts as 72 dpi.
double PixelsPerInch(const Header& header, double resolution) {
  return IsNative(header) && resolution >= 1 && resolution <= 65535 ? resolution : 72;
}

std::string Hex(uint16_t opcode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", opcode);
  return text;
}

// The walk; the refusal it gives does not yet say at which scale.
PictResult Decode(std::span<const uint8_t> file, const DecodeOptions& options) {
  const int scale = options.scale;
  PictResult result;
  ByteReader reader;
  const std::optional<Header> header = ReadHeader(file, reader, result.refusal);
  if (!header) return result;
  const Rect area = CanvasRect(*header);
  if (area.IsEmpty()) {
    result.refusal = "empty picture frame";
    return result;
  }
  const int64_t width = int64_t{area.Width()} * scale, height = int64_t{area.Height()} * scale;
  if (width > kMaxCanvasSide || height > kMaxCanvasSide || width * height > kMaxCanvasPixels) {
    result.refusal = "picture of " + std::to_string(width) + " x " + std::to_string(height) +
                     " pixels: larger than the decoder allows";
    return result;
  }

  Decoder decoder(header->version, static_cast<int>(width), static_cast<int>(height),
                  {-area.left, -area.top}, scale);
  // The page keeps the picture's physical size: the frame at 72 dpi, or the source rectangle at
  // its own resolution.
  if (options.vector)
    decoder.StartDrawing(PixelsPerInch(*header, header->hRes) * scale,
                         PixelsPerInch(*header, header->vRes) * scale);
  const bool words = header->version == 2;
  for (int64_t count = 0;; ++count) {
    if (words) reader.AlignToWord();
    if (reader.remaining() == 0) break;  // no end opcode: the picture ends with its data
    if (count >= kMaxOpcodes) {
      result.refusal = "more opcodes than the decoder allows";
      return result;
    }
    const uint16_t opcode = words ? reader.U16() : reader.U8();
    if (reader.failed()) {
      result.refusal = "picture ends inside an opcode";
      return result;
    }
    if (opcode == 0x00FF) break;
    const OpcodeEntry& entry = FindOpcode(opcode);
    const std::optional<size_t> length = DataLength(entry, opcode, reader);
    if (!length || *length > reader.remaining()) {
      result.refusal = "opcode " + Hex(opcode) + " (" + entry.name + ") runs past the end";
      return result;
    }
    if (entry.rule == LengthRule::Parsed) {
      ByteReader rest(reader.data().subspan(reader.position()));
      entry.handler(decoder, rest, opcode);
      if (rest.failed() && !decoder.IsRefused())
        decoder.Refuse("opcode " + Hex(opcode) + " (" + entry.name + ") runs past the end");
      reader.Skip(rest.position());
    } else {
      ByteReader data = reader.Slice(*length);
      if (entry.handler) entry.handler(decoder, data, opcode);
      if (data.failed() && !decoder.IsRefused())
        decoder.Refuse("opcode " + Hex(opcode) + " (" + entry.name + ") has damaged data");
    }
    if (decoder.IsRefused()) {
      result.refusal = decoder.refusal();
      return result;
    }
    if (decoder.canvas().IsExhausted()) {
      result.refusal = "more drawing than the decoder allows";
      return result;
    }
    if (decoder.quickTimeDrawn) {
      if (words) reader.AlignToWord();
      const size_t fallback = QuickTimeFallbackLength(
          reader.data().subspan(reader.position()), *decoder.quickTimeDrawn);
      reader.Skip(std::min(fallback, reader.remaining()));
      decoder.quickTimeDrawn.reset();
    }
  }
  if (decoder.vector()) result.drawing = decoder.vector()->Take(decoder.canvas());
  result.image = decoder.canvas().TakeImage();
  return result;
}

}  // namespace

PictResult DecodePict(std::span<const uint8_t> file, const DecodeOptions& options) {
  if (options.scale < 1 || options.scale > kMaxScale)
    return {
        {},
        "scale " + std::to_string(options.scale) + " outside 1 to " + std::to_string(kMaxScale)};
  PictResult result = Decode(file, options);
  // The caps count the scaled canvas: a picture refused at one scale may be drawn at another.
  if (!result.refusal.empty() && options.scale != 1)
    result.refusal += " (at scale " + std::to_string(options.scale) + ")";
  return result;
}

}  // namespace pict
