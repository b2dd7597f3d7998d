#include "pict/decode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "pict/decoder.h"
#include "pict/limits.h"
#include "pict/opcodes.h"
#include "pict/quicktime.h"
#include "pict/text.h"

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

// The opcode in hand as a damage note names it.
std::string OpcodeName(uint16_t opcode, const OpcodeEntry* entry, bool inFallback) {
  if (inFallback) return "QuickTime's fallback drawing";
  if (!entry) return "opcode";
  return "opcode " + OpcodeHex(opcode) + " (" + entry->name + ")";
}

// Opcodes the walk reads past that have nothing to draw: NOP, the version, the header and the
// end. Every other opcode without a handler is one whose drawing the picture loses.
bool IsStructural(uint16_t opcode) {
  return opcode == 0x0000 || opcode == 0x0011 || opcode == 0x0C00 || opcode == 0x00FF;
}

// Opcodes whose data the handler can draw a part of when the file ends inside it: the rows of
// a QuickTime image that arrived. The others are drawn whole or not at all.
bool DrawsWhatArrived(uint16_t opcode) { return opcode == 0x8200 || opcode == 0x8201; }

// The text opcodes' font, as the picture names it and as it is drawn.
void NoteFont(Decoder& decoder) {
  const TextState& text = decoder.state().text;
  TextStyle style;
  style.fontNumber = text.font;
  if (const auto name = text.fontNames.find(text.font); name != text.fontNames.end())
    style.fontName = name->second;
  style.face = text.face;
  const FontChoice choice = ChooseFont(style);
  std::string used(choice.family);
  if (choice.bold) used += " bold";
  if (choice.italic) used += " italic";
  decoder.notes.AddFont(FontNamed(style), std::move(used));
}

bool IsBlank(const Image& image) {
  return std::all_of(image.pixels.begin(), image.pixels.end(),
                     [](uint32_t pixel) { return pixel == 0xFFFFFFFF; });
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
  decoder.notes.horizontalDpi = PixelsPerInch(*header, header->hRes) * scale;
  decoder.notes.verticalDpi = PixelsPerInch(*header, header->vRes) * scale;
  // The page keeps the picture's physical size: the frame at 72 dpi, or the source rectangle at
  // its own resolution.
  if (options.vector) decoder.StartDrawing(decoder.notes.horizontalDpi, decoder.notes.verticalDpi);
  const bool words = header->version == 2;
  // Where the opcode in hand begins in the file, and what it is, for a damage note: its entry
  // once its number is read, and whether the damage is in QuickTime's fallback drawing after it.
  const uint8_t* opcodeStart = nullptr;
  uint16_t opcode = 0;
  const OpcodeEntry* opcodeEntry = nullptr;
  bool inFallback = false;
  for (int64_t count = 0;; ++count) {
    if (words) reader.AlignToWord();
    if (reader.remaining() == 0) break;  // no end opcode: the picture ends with its data
    if (count >= kMaxOpcodes) {
      result.refusal = "more opcodes than the decoder allows";
      return result;
    }
    opcodeStart = reader.data().data() + reader.position();
    opcodeEntry = nullptr;
    opcode = words ? reader.U16() : reader.U8();
    if (reader.failed()) {
      decoder.Damaged("the picture ends inside an opcode");
      break;
    }
    if (opcode == 0x00FF) break;
    const OpcodeEntry& entry = FindOpcode(opcode);
    opcodeEntry = &entry;
    const std::optional<size_t> length = DataLength(entry, opcode, reader);
    if (!length || *length > reader.remaining()) {
      if (length && DrawsWhatArrived(opcode)) {
        // What arrived of it is drawn as far as it is whole.
        ByteReader arrived = reader.Slice(reader.remaining());
        entry.handler(decoder, arrived, opcode);
        decoder.Damaged("runs past the end of the file", file.data() + file.size());
      } else {
        decoder.Damaged("runs past the end of the file");
      }
      break;
    }
    if (entry.rule == LengthRule::Parsed) {
      ByteReader rest(reader.data().subspan(reader.position()));
      entry.handler(decoder, rest, opcode);
      if (rest.failed()) decoder.Damaged("runs past the end of the file");
      reader.Skip(rest.position());
    } else {
      ByteReader data = reader.Slice(*length);
      if (entry.handler) entry.handler(decoder, data, opcode);
      if (data.failed()) decoder.Damaged("has damaged data");
    }
    if (decoder.IsRefused()) {
      result.refusal = decoder.refusal();
      return result;
    }
    if (decoder.canvas().IsExhausted()) {
      result.refusal = "more drawing than the decoder allows";
      return result;
    }
    if (decoder.IsDamaged()) break;
    if (!entry.handler && !IsStructural(opcode)) decoder.notes.AddSkipped(opcode, entry.name);
    if (opcode >= 0x0028 && opcode <= 0x002B) NoteFont(decoder);
    if (decoder.quickTimeDrawn) {
      if (words) reader.AlignToWord();
      opcodeStart = reader.data().data() + reader.position();
      const std::optional<size_t> fallback = QuickTimeFallbackLength(
          reader.data().subspan(reader.position()), *decoder.quickTimeDrawn);
      decoder.quickTimeDrawn.reset();
      if (!fallback) {
        inFallback = true;
        decoder.Damaged("runs past the end of the file");
        break;
      }
      reader.Skip(std::min(*fallback, reader.remaining()));
    }
  }
  result.notes = std::move(decoder.notes);
  if (decoder.IsDamaged()) {
    const uint8_t* at = decoder.damageAt() ? decoder.damageAt() : opcodeStart;
    result.notes.damage = Damage{
        static_cast<size_t>(at - file.data()), static_cast<size_t>(opcodeStart - file.data()),
        OpcodeName(opcode, opcodeEntry, inFallback) + ": " + decoder.damage()};
    // A picture damaged before anything showed is no picture: it is refused, saying so.
    if (IsBlank(decoder.canvas().image())) {
      result.refusal = DamageLine(*result.notes.damage, false);
      return result;
    }
  }
  if (decoder.vector()) result.drawing = decoder.vector()->Take(decoder.canvas());
  result.image = decoder.canvas().TakeImage();
  return result;
}

}  // namespace

PictResult DecodePict(std::span<const uint8_t> file, const DecodeOptions& options) {
  if (options.scale < 1 || options.scale > kMaxScale) {
    PictResult refused;
    refused.refusal =
        "scale " + std::to_string(options.scale) + " outside 1 to " + std::to_string(kMaxScale);
    return refused;
  }
  PictResult result = Decode(file, options);
  // The caps count the scaled canvas: a picture refused at one scale may be drawn at another.
  if (!result.refusal.empty() && options.scale != 1)
    result.refusal += " (at scale " + std::to_string(options.scale) + ")";
  return result;
}

}  // namespace pict
