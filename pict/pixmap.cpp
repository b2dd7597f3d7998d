#include "pict/pixmap.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "pict/limits.h"

namespace pict {

namespace {

bool Refuse(std::string& reason, const char* why) {
  reason = why;
  return false;
}

bool ReadHeader(ByteReader& data, bool direct, PixMapHeader& header, std::string& reason) {
  const uint16_t rowBytes = data.U16();
  header.isPixMap = direct || (rowBytes & 0x8000) != 0;
  header.rowBytes = rowBytes & 0x3FFF;
  header.bounds = data.ReadRect();
  if (header.isPixMap) {
    data.U16();  // pmVersion
    header.packType = data.U16();
    data.U32();  // packSize
    data.U32();  // hRes
    data.U32();  // vRes
    header.pixelType = data.U16();
    header.pixelSize = data.U16();
    header.cmpCount = data.U16();
    data.U16();  // cmpSize
    data.Skip(12);  // planeBytes, pmTable, pmReserved
  }
  if (data.failed()) return Refuse(reason, "pixel map header runs past the end of the data");
  const Rect& b = header.bounds;
  if (b.IsEmpty()) return Refuse(reason, "pixel map with empty bounds");
  if (int64_t{b.Width()} * b.Height() > kMaxSourcePixels)
    return Refuse(reason, "pixel map larger than the decoder allows");
  const int size = header.pixelSize;
  if (direct ? size != 16 && size != 32 : size != 1 && size != 2 && size != 4 && size != 8)
    return Refuse(reason, "pixel map with a pixel size QuickDraw does not define");
  if (direct && header.cmpCount != 3 && header.cmpCount != 4)
    return Refuse(reason, "direct pixel map with a component count QuickDraw does not define");
  // Pack type 2 drops the pad byte but keeps rowBytes of the full pixels.
  if (int64_t{header.rowBytes} * 8 < int64_t{b.Width()} * size)
    return Refuse(reason, "pixel map rows shorter than their pixels");
  return true;
}

bool ReadColourTable(ByteReader& data, ColourTable& table, std::string& reason) {
  data.U32();  // ctSeed
  const uint16_t flags = data.U16();
  const int count = data.S16() + 1;
  if (data.failed() || count < 0 || count > 256 * 16)
    return Refuse(reason, "damaged colour table");
  table.fill(0xFF000000);
  for (int i = 0; i < count; ++i) {
    const uint16_t value = data.U16();
    const Colour colour = data.ReadColour();
    // A device table lists its entries in index order and leaves the value fields unused.
    const int index = (flags & 0x8000) ? i : value;
    if (index < 256) table[static_cast<size_t>(index)] = 0xFF000000 | colour.Rgb();
  }
  if (data.failed()) return Refuse(reason, "colour table runs past the end of the data");
  return true;
}

enum class Layout { Indexed, Direct16, Planes32, Rgb24, Xrgb32 };

Layout LayoutOf(const PixMapHeader& h) {
  if (h.pixelSize <= 8) return Layout::Indexed;
  if (h.pixelSize == 16) return Layout::Direct16;
  if (h.packType == 2) return Layout::Rgb24;
  if (h.packType == 1 || h.rowBytes < 8) return Layout::Xrgb32;
  return Layout::Planes32;
}

// Bytes of one row as stored before packing.
size_t UnpackedRowSize(const PixMapHeader& h, Layout layout) {
  const size_t width = static_cast<size_t>(h.bounds.Width());
  switch (layout) {
    case Layout::Rgb24: return width * 3;
    case Layout::Planes32: return width * static_cast<size_t>(h.cmpCount);
    default: return static_cast<size_t>(h.rowBytes);
  }
}

bool IsPacked(const PixMapHeader& h, Layout layout) {
  if (!h.packed || h.rowBytes < 8) return false;
  if (layout == Layout::Rgb24 || layout == Layout::Xrgb32) return false;
  return h.packType != 1;
}

uint32_t Widen5(uint32_t v) { return (v << 3) | (v >> 2); }

void ExpandRow(const PixMapHeader& h, Layout layout, const ColourTable& table,
               const uint8_t* row, uint32_t* out) {
  const int width = h.bounds.Width();
  switch (layout) {
    case Layout::Indexed: {
      const int size = h.pixelSize;
      const int mask = (1 << size) - 1;
      for (int x = 0; x < width; ++x) {
        const int bit = x * size;
        const int index = (row[bit >> 3] >> (8 - size - (bit & 7))) & mask;
        out[x] = table[static_cast<size_t>(index)];
      }
      break;
    }
    case Layout::Direct16:
      for (int x = 0; x < width; ++x) {
        const uint32_t v = uint32_t{row[2 * x]} << 8 | row[2 * x + 1];
        out[x] = 0xFF000000 | Widen5((v >> 10) & 31) << 16 | Widen5((v >> 5) & 31) << 8 |
                 Widen5(v & 31);
      }
      break;
    case Layout::Planes32: {
      // QuickDraw ignores a fourth (alpha) plane, which comes first.
      const size_t w = static_cast<size_t>(width);
      const uint8_t* red = row + (h.cmpCount == 4 ? w : 0);
      for (size_t x = 0; x < w; ++x)
        out[x] = 0xFF000000 | uint32_t{red[x]} << 16 | uint32_t{red[w + x]} << 8 | red[2 * w + x];
      break;
    }
    case Layout::Rgb24:
      for (int x = 0; x < width; ++x)
        out[x] = 0xFF000000 | uint32_t{row[3 * x]} << 16 | uint32_t{row[3 * x + 1]} << 8 |
                 row[3 * x + 2];
      break;
    case Layout::Xrgb32:
      for (int x = 0; x < width; ++x)
        out[x] = 0xFF000000 | uint32_t{row[4 * x + 1]} << 16 | uint32_t{row[4 * x + 2]} << 8 |
                 row[4 * x + 3];
      break;
  }
}

// A one-bit BitMap shows its set bits black and the others white.
ColourTable BitMapTable() {
  ColourTable table;
  table.fill(0xFF000000);
  table[0] = 0xFFFFFFFF;
  return table;
}

}  // namespace

PixelRows::PixelRows(ByteReader& data, const PixMapHeader& header, const ColourTable& table)
    : data_(&data), header_(header), table_(table),
      stored_(UnpackedRowSize(header, LayoutOf(header))),
      row_(static_cast<size_t>(header.bounds.Width())) {}

// The bytes of a row that hold its pixels; the rest of rowBytes is padding.
size_t PixelBytes(const PixMapHeader& h, Layout layout) {
  if (layout != Layout::Indexed && layout != Layout::Direct16) return UnpackedRowSize(h, layout);
  return (static_cast<size_t>(h.bounds.Width()) * static_cast<size_t>(h.pixelSize) + 7) / 8;
}

bool PixelRows::Next() {
  const Layout layout = LayoutOf(header_);
  ByteReader& data = *data_;
  rowStart_ = data.data().data() + data.position();
  if (IsPacked(header_, layout)) {
    const size_t count = header_.rowBytes > 250 ? data.U16() : data.U8();
    const std::span<const uint8_t> packed = data.Bytes(count);
    if (data.failed()) return damage_ = "ends", false;
    std::fill(stored_.begin(), stored_.end(), 0);
    // Runs that make more bytes than the row holds, or too few for its pixels, are no row
    // QuickDraw packed: what they would draw is a guess.
    const std::optional<size_t> made =
        UnpackBits(packed, stored_, layout == Layout::Direct16 ? 2 : 1);
    if (!made || *made > stored_.size() || *made < PixelBytes(header_, layout))
      return damage_ = "has pack runs that do not make it", false;
  } else {
    const std::span<const uint8_t> plain = data.Bytes(stored_.size());
    if (data.failed()) return damage_ = "ends", false;
    std::copy(plain.begin(), plain.end(), stored_.begin());
  }
  ExpandRow(header_, layout, table_, stored_.data(), row_.data());
  ++current_;
  return true;
}

const uint32_t* PixelRows::Row(int index) {
  if (index < current_ || index >= header_.bounds.Height()) return nullptr;
  while (!failed_ && current_ < index) failed_ = !Next();
  return failed_ ? nullptr : row_.data();
}

bool PixelRows::ReadToEnd(std::string& reason) {
  if (header_.bounds.Height() > 0) Row(header_.bounds.Height() - 1);
  if (failed_)
    reason = std::string("pixel data ") + damage_ + " in row " + std::to_string(current_ + 2) +
             " of " + std::to_string(header_.bounds.Height());
  return !failed_;
}

std::optional<size_t> UnpackBits(std::span<const uint8_t> packed, std::span<uint8_t> out,
                                 int unit) {
  size_t in = 0, produced = 0;
  const size_t u = static_cast<size_t>(unit);
  while (in < packed.size()) {
    const int n = static_cast<int8_t>(packed[in++]);
    if (n >= 0) {
      const size_t count = (size_t(n) + 1) * u;
      if (count > packed.size() - in) return std::nullopt;
      const size_t room = produced < out.size() ? out.size() - produced : 0;
      if (room > 0) std::memcpy(out.data() + produced, packed.data() + in, std::min(count, room));
      in += count;
      produced += count;
    } else if (n != -128) {
      if (packed.size() - in < u) return std::nullopt;
      const uint8_t* value = packed.data() + in;
      in += u;
      const size_t count = size_t(1 - n) * u;
      const size_t room = produced < out.size() ? std::min(count, out.size() - produced) : 0;
      if (u == 1 && room > 0)
        std::memset(out.data() + produced, value[0], room);
      else
        for (size_t k = 0; k < room; ++k) out[produced + k] = value[k % u];
      produced += count;
    }
  }
  return produced;
}

std::optional<CopyBitsData> ReadCopyBits(ByteReader& data, uint16_t opcode, std::string& reason) {
  const bool direct = opcode == 0x9A || opcode == 0x9B;
  const bool withMask = (opcode & 1) != 0;
  if (direct) data.U32();  // baseAddr
  PixMapHeader header;
  header.packed = opcode != 0x90 && opcode != 0x91;
  if (!ReadHeader(data, direct, header, reason)) return std::nullopt;
  ColourTable table = BitMapTable();
  if (header.isPixMap && !direct && !ReadColourTable(data, table, reason)) return std::nullopt;

  CopyBitsData copy;
  copy.bounds = header.bounds;
  copy.isPixMap = header.isPixMap;
  copy.source = data.ReadRect();
  copy.destination = data.ReadRect();
  copy.mode = data.U16();
  if (data.failed()) {
    reason = "copy rectangles run past the end of the data";
    return std::nullopt;
  }
  if (withMask) {
    copy.mask = ReadRegion(data, reason);
    if (!copy.mask) return std::nullopt;
  }
  copy.rows = std::make_unique<PixelRows>(data, header, table);
  return copy;
}

std::optional<Pattern> ReadPixPat(ByteReader& data, std::string& reason) {
  const uint16_t type = data.U16();
  Pattern pattern;
  const std::span<const uint8_t> bits = data.Bytes(8);
  if (data.failed()) {
    reason = "pixel pattern runs past the end of the data";
    return std::nullopt;
  }
  std::copy(bits.begin(), bits.end(), pattern.rows.begin());
  if (type == 0) return pattern;
  if (type == 2) {
    // QuickDraw dithers an RGB pattern on screens that lack the colour; we have every colour.
    const Colour colour = data.ReadColour();
    if (data.failed()) {
      reason = "RGB pattern runs past the end of the data";
      return std::nullopt;
    }
    pattern.tile = Image(1, 1, 0xFF000000 | colour.Rgb());
    return pattern;
  }
  if (type != 1) {
    reason = "pixel pattern of a type QuickDraw does not define";
    return std::nullopt;
  }
  PixMapHeader header;
  if (!ReadHeader(data, false, header, reason)) return std::nullopt;
  if (int64_t{header.bounds.Width()} * header.bounds.Height() > kMaxPatternPixels) {
    reason = "pixel pattern larger than the decoder allows";
    return std::nullopt;
  }
  if (!header.isPixMap) {
    reason = "pixel pattern without a pixel map";
    return std::nullopt;
  }
  ColourTable table;
  if (!ReadColourTable(data, table, reason)) return std::nullopt;
  PixelRows rows(data, header, table);
  Image tile(header.bounds.Width(), header.bounds.Height(), 0xFFFFFFFF);
  for (int y = 0; y < tile.height; ++y) {
    const uint32_t* row = rows.Row(y);
    if (!row) {
      rows.ReadToEnd(reason);
      return std::nullopt;
    }
    std::copy(row, row + tile.width, &tile.At(0, y));
  }
  pattern.tile = std::move(tile);
  return pattern;
}

}  // namespace pict
