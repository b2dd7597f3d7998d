#include "tests/support/pict_writer.h"

#include <algorithm>
#include <cassert>
#include <fstream>
#include <map>

using pict::Rect;

PictWriter& PictWriter::Version1() {
  assert(body_.empty() && "choose the version before any opcode");
  version_ = 1;
  return *this;
}

PictWriter& PictWriter::ExtendedVersion2(int hRes, int vRes, Rect source) {
  extended_ = true;
  hRes_ = hRes;
  vRes_ = vRes;
  source_ = source;
  return *this;
}

PictWriter& PictWriter::NoPreamble() {
  preamble_ = false;
  return *this;
}

PictWriter& PictWriter::Frame(int left, int top, int right, int bottom) {
  frame_ = {left, top, right, bottom};
  return *this;
}

PictWriter& PictWriter::Op(uint16_t opcode) {
  if (version_ == 1) return U8(static_cast<uint8_t>(opcode));
  // The header before the body has an even length, so the body's offsets decide alignment.
  if (body_.size() % 2 != 0) body_.push_back(0);
  return U16(opcode);
}

PictWriter& PictWriter::U8(uint8_t value) {
  body_.push_back(value);
  return *this;
}

PictWriter& PictWriter::U16(uint16_t value) {
  body_.push_back(static_cast<uint8_t>(value >> 8));
  body_.push_back(static_cast<uint8_t>(value));
  return *this;
}

PictWriter& PictWriter::U32(uint32_t value) {
  U16(static_cast<uint16_t>(value >> 16));
  return U16(static_cast<uint16_t>(value));
}

PictWriter& PictWriter::Raw(const std::vector<uint8_t>& bytes) {
  body_.insert(body_.end(), bytes.begin(), bytes.end());
  return *this;
}

PictWriter& PictWriter::RectData(Rect rect) {
  U16(static_cast<uint16_t>(rect.top));
  U16(static_cast<uint16_t>(rect.left));
  U16(static_cast<uint16_t>(rect.bottom));
  return U16(static_cast<uint16_t>(rect.right));
}

PictWriter& PictWriter::PointData(int x, int y) {
  U16(static_cast<uint16_t>(y));
  return U16(static_cast<uint16_t>(x));
}

// The sorted x positions where coverage changes along row y.
static std::vector<int> EdgesOfRow(const std::vector<Rect>& rects, int y) {
  std::map<int, int> depth;
  for (const Rect& r : rects)
    if (r.top <= y && y < r.bottom && !r.IsEmpty()) {
      ++depth[r.left];
      --depth[r.right];
    }
  std::vector<int> edges;
  int level = 0;
  for (const auto& [x, change] : depth) {
    const bool inside = level > 0;
    level += change;
    if (inside != (level > 0)) edges.push_back(x);
  }
  return edges;
}

PictWriter& PictWriter::RegionData(const std::vector<Rect>& rects) {
  Rect bounds{};
  std::vector<int> rows;
  for (const Rect& r : rects) {
    if (r.IsEmpty()) continue;
    bounds = bounds.IsEmpty() ? r
                              : Rect{std::min(bounds.left, r.left), std::min(bounds.top, r.top),
                                     std::max(bounds.right, r.right),
                                     std::max(bounds.bottom, r.bottom)};
    rows.push_back(r.top);
    rows.push_back(r.bottom);
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

  std::vector<uint8_t> data;
  auto word = [&data](int value) {
    data.push_back(static_cast<uint8_t>(value >> 8));
    data.push_back(static_cast<uint8_t>(value));
  };
  const bool isRectangle = rects.size() == 1;
  if (!isRectangle) {
    std::vector<int> previous;
    for (int y : rows) {
      const std::vector<int> current = EdgesOfRow(rects, y);
      std::vector<int> inversions;
      std::set_symmetric_difference(previous.begin(), previous.end(), current.begin(),
                                    current.end(), std::back_inserter(inversions));
      if (inversions.empty()) continue;
      word(y);
      for (int x : inversions) word(x);
      word(0x7FFF);
      previous = current;
    }
    word(0x7FFF);
  }
  U16(static_cast<uint16_t>(10 + data.size()));
  RectData(bounds);
  return Raw(data);
}

PictWriter& PictWriter::ClipRect(Rect rect) {
  Op(0x0001);
  U16(10);
  return RectData(rect);
}

PictWriter& PictWriter::LongComment(uint16_t kind, const std::vector<uint8_t>& data) {
  Op(0x00A1);
  U16(kind);
  U16(static_cast<uint16_t>(data.size()));
  return Raw(data);
}

PictWriter& PictWriter::End() { return Op(0x00FF); }

std::vector<uint8_t> PackBits(const std::vector<uint8_t>& row, int unit) {
  std::vector<uint8_t> out;
  const size_t count = row.size() / unit;
  auto same = [&](size_t a, size_t b) {
    return std::equal(row.begin() + a * unit, row.begin() + (a + 1) * unit, row.begin() + b * unit);
  };
  size_t i = 0;
  while (i < count) {
    size_t run = 1;
    while (i + run < count && run < 128 && same(i, i + run)) ++run;
    if (run >= 2) {
      out.push_back(static_cast<uint8_t>(257 - run));
      out.insert(out.end(), row.begin() + i * unit, row.begin() + (i + 1) * unit);
      i += run;
      continue;
    }
    size_t literal = 1;
    while (i + literal < count && literal < 128 &&
           !(i + literal + 1 < count && same(i + literal, i + literal + 1)))
      ++literal;
    out.push_back(static_cast<uint8_t>(literal - 1));
    out.insert(out.end(), row.begin() + i * unit, row.begin() + (i + literal) * unit);
    i += literal;
  }
  return out;
}

// The bytes of one row as the pixmap stores them before packing.
static std::vector<uint8_t> RowBytesOf(const PixmapPlan& plan, int y, int rowBytes, int packType) {
  std::vector<uint8_t> row;
  const uint32_t* pixels = plan.pixels.data() + size_t(y) * size_t(plan.width);
  if (plan.depth <= 8) {
    row.assign(size_t(rowBytes), 0);
    for (int x = 0; x < plan.width; ++x) {
      const int bit = x * plan.depth;
      const int shift = 8 - plan.depth - bit % 8;
      row[size_t(bit / 8)] |= static_cast<uint8_t>((pixels[x] & ((1u << plan.depth) - 1)) << shift);
    }
  } else if (plan.depth == 16) {
    row.assign(size_t(rowBytes), 0);
    for (int x = 0; x < plan.width; ++x) {
      row[size_t(2 * x)] = static_cast<uint8_t>(pixels[x] >> 8);
      row[size_t(2 * x + 1)] = static_cast<uint8_t>(pixels[x]);
    }
  } else if (packType == 4) {
    // One plane a component: alpha (when there are four), red, green, blue.
    const int firstShift = plan.components == 4 ? 24 : 16;
    for (int shift = firstShift; shift >= 0; shift -= 8)
      for (int x = 0; x < plan.width; ++x) row.push_back(static_cast<uint8_t>(pixels[x] >> shift));
  } else if (packType == 2) {
    for (int x = 0; x < plan.width; ++x)
      for (int shift = 16; shift >= 0; shift -= 8)
        row.push_back(static_cast<uint8_t>(pixels[x] >> shift));
  } else {
    row.assign(size_t(rowBytes), 0);
    for (int x = 0; x < plan.width && 4 * x + 3 < rowBytes; ++x)
      for (int k = 0; k < 4; ++k) row[size_t(4 * x + k)] = static_cast<uint8_t>(pixels[x] >> (24 - 8 * k));
  }
  return row;
}

// The layout a plan asks for: the row size, the pack type, and whether it is direct.
struct PixmapLayout {
  bool direct;
  Rect bounds;
  int rowBytes;
  int packType;
};

static PixmapLayout LayoutOf(const PixmapPlan& plan) {
  assert(plan.pixels.size() == size_t(plan.width) * size_t(plan.height));
  PixmapLayout layout;
  layout.direct = plan.depth > 8;
  layout.bounds = plan.bounds.IsEmpty() ? Rect{0, 0, plan.width, plan.height} : plan.bounds;
  layout.rowBytes = plan.rowBytes != 0 ? plan.rowBytes : ((plan.width * plan.depth + 15) / 16) * 2;
  layout.packType = plan.packType;
  if (layout.packType == 0 && layout.direct)
    layout.packType = !plan.packed ? 1 : plan.depth == 16 ? 3 : 4;
  return layout;
}

void PictWriter::PixMapFields(const PixmapPlan& plan) {
  const PixmapLayout layout = LayoutOf(plan);
  U16(static_cast<uint16_t>(layout.rowBytes | (plan.bitmap ? 0 : 0x8000)));
  RectData(layout.bounds);
  if (plan.bitmap) return;
  U16(0);
  U16(static_cast<uint16_t>(layout.packType));
  U32(0);
  U32(0x00480000);
  U32(0x00480000);
  U16(layout.direct ? 16 : 0);
  U16(static_cast<uint16_t>(plan.depth));
  U16(static_cast<uint16_t>(layout.direct ? plan.components : 1));
  U16(static_cast<uint16_t>(plan.depth == 16 ? 5 : layout.direct ? 8 : plan.depth));
  U32(0);
  U32(0);
  U32(0);
  if (layout.direct) return;
  U32(0);
  U16(0);
  U16(static_cast<uint16_t>(plan.palette.size() - 1));
  for (size_t i = 0; i < plan.palette.size(); ++i) {
    U16(static_cast<uint16_t>(i));
    for (int shift = 16; shift >= 0; shift -= 8)
      U16(static_cast<uint16_t>(((plan.palette[i] >> shift) & 0xFF) * 0x101));
  }
}

void PictWriter::PixelData(const PixmapPlan& plan) {
  const PixmapLayout layout = LayoutOf(plan);
  const bool unpacked = layout.rowBytes < 8 || !plan.packed || layout.packType == 1 ||
                        layout.packType == 2;
  // Rows too short to pack keep whole pixels, whatever the pack type says.
  const int rowLayout = layout.rowBytes < 8 && layout.direct ? 1 : layout.packType;
  for (int y = 0; y < plan.height; ++y) {
    const std::vector<uint8_t> row = RowBytesOf(plan, y, layout.rowBytes, rowLayout);
    if (unpacked) {
      Raw(row);
      continue;
    }
    const std::vector<uint8_t> packed = PackBits(row, layout.packType == 3 ? 2 : 1);
    const int countBytes = plan.countBytes != 0 ? plan.countBytes : layout.rowBytes > 250 ? 2 : 1;
    if (countBytes == 2)
      U16(static_cast<uint16_t>(packed.size()));
    else
      U8(static_cast<uint8_t>(packed.size()));
    Raw(packed);
  }
}

PictWriter& PictWriter::Pixmap(const PixmapPlan& plan) {
  const PixmapLayout layout = LayoutOf(plan);
  const bool withMask = !plan.mask.empty();
  if (layout.direct)
    Op(withMask ? 0x9B : 0x9A);
  else if (plan.packed)
    Op(withMask ? 0x99 : 0x98);
  else
    Op(withMask ? 0x91 : 0x90);
  if (layout.direct) U32(0x000000FF);
  PixMapFields(plan);
  RectData(plan.source.IsEmpty() ? layout.bounds : plan.source);
  RectData(plan.destination.IsEmpty() ? layout.bounds : plan.destination);
  U16(static_cast<uint16_t>(plan.mode));
  if (withMask) RegionData(plan.mask);
  PixelData(plan);
  return *this;
}

PictWriter& PictWriter::PixPat(uint16_t opcode, const PixmapPlan& tile) {
  Op(opcode).U16(1);
  for (int row = 0; row < 8; ++row) U8(row % 2 ? 0x55 : 0xAA);  // the one-bit stand-in
  PixMapFields(tile);
  PixelData(tile);
  return *this;
}

std::vector<uint8_t> PictWriter::Bytes() const {
  std::vector<uint8_t> out(preamble_ ? 512 : 0, 0);
  auto word = [&out](int value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
  };
  auto rect = [&word](Rect r) {
    word(r.top);
    word(r.left);
    word(r.bottom);
    word(r.right);
  };
  const size_t start = out.size();
  word(0);  // picture size: filled in below
  rect(frame_);
  if (version_ == 1) {
    out.push_back(0x11);
    out.push_back(0x01);
  } else {
    word(0x0011);
    word(0x02FF);
    word(0x0C00);
    if (extended_) {
      word(0xFFFE);
      word(0);
      word(hRes_);
      word(0);
      word(vRes_);
      word(0);
      rect(source_);
      word(0);
      word(0);
    } else {
      word(0xFFFF);
      word(0xFFFF);
      for (int v : {frame_.left, frame_.top, frame_.right, frame_.bottom}) {
        word(v);
        word(0);
      }
      word(0);
      word(0);
    }
  }
  out.insert(out.end(), body_.begin(), body_.end());
  const size_t size = out.size() - start;
  out[start] = static_cast<uint8_t>(size >> 8);
  out[start + 1] = static_cast<uint8_t>(size);
  return out;
}

bool PictWriter::Save(const std::string& path) const {
  const std::vector<uint8_t> bytes = Bytes();
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

QuickTimeMatrix QuickTimeScale(double sx, double sy, double tx, double ty) {
  return {int32_t(sx * 65536), 0, 0, 0, int32_t(sy * 65536), 0, int32_t(tx * 65536),
          int32_t(ty * 65536), 0x40000000};
}

std::vector<uint8_t> QuickTimeDescription(const char* codec, int width, int height, int depth,
                                          const std::vector<uint8_t>& data,
                                          const std::vector<uint32_t>& table) {
  PictWriter w;
  w.U32(uint32_t(86 + (table.empty() ? 0 : 8 + 8 * table.size())));
  w.Raw(std::vector<uint8_t>(codec, codec + 4)).U32(0).U16(0).U16(1).U16(0).U16(0);
  w.U32(0).U32(0).U32(0x200);
  w.U16(uint16_t(width)).U16(uint16_t(height)).U32(72 << 16).U32(72 << 16);
  w.U32(uint32_t(data.size())).U16(1).Raw(std::vector<uint8_t>(32, 0)).U16(uint16_t(depth));
  w.U16(table.empty() ? 0xFFFF : 0);
  if (!table.empty()) w.U32(0).U16(0).U16(uint16_t(table.size() - 1));
  for (size_t i = 0; i < table.size(); ++i)
    w.U16(uint16_t(i))
        .U16(uint16_t((table[i] >> 16 & 0xFF) * 0x101))
        .U16(uint16_t((table[i] >> 8 & 0xFF) * 0x101))
        .U16(uint16_t((table[i] & 0xFF) * 0x101));
  return w.Raw(data).Body();
}

std::vector<uint8_t> QuickTimeOpcodeData(const std::vector<uint8_t>& described, Rect source,
                                         const QuickTimeMatrix& matrix,
                                         const std::vector<uint8_t>& mask,
                                         const std::vector<uint8_t>& matte, Rect matteRect) {
  PictWriter w;
  w.U16(0);
  for (int32_t value : matrix) w.U32(uint32_t(value));
  w.U32(uint32_t(matte.size())).RectData(matteRect).U16(64).RectData(source).U32(0);
  return w.U32(uint32_t(mask.size())).Raw(matte).Raw(mask).Raw(described).Body();
}
