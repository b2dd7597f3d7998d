// tests/support/pict_writer.h: PICT files assembled opcode by opcode, for tests that need
// pictures without the corpus and for the decoder's own tests:
//   PictWriter().Frame(0, 0, 40, 30).Pixmap(plan).End().Save(path);
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pict/geometry.h"

// A bitmap or pixmap as an opcode of the Bits/PackBits/DirectBits family carries it.
struct PixmapPlan {
  int depth = 8;  // 1, 2, 4, 8 (indexed), 16 or 32 (direct)
  int width = 0, height = 0;
  // Row by row from the top: colour indices, 16-bit 5-5-5 values, or 0xAARRGGBB.
  std::vector<uint32_t> pixels;
  std::vector<uint32_t> palette;  // 0xRRGGBB, for the indexed depths
  bool bitmap = false;            // a 1-bit BitMap (no pixmap fields), as version 1 has them
  bool packed = true;             // false: BitsRect (indexed) or packType 1 (direct)
  int packType = 0;               // 0: the usual one for the depth when packed
  int components = 3;             // 32 bits: 3, or 4 with alpha
  int rowBytes = 0;               // 0: the smallest even row size
  pict::Rect bounds{}, source{}, destination{};  // empty: 0, 0, width, height
  int mode = 0;                   // transfer mode; 0 = srcCopy
  std::vector<pict::Rect> mask;         // non-empty: the Rgn form of the opcode, with this mask
  int countBytes = 0;  // 1 or 2 forces the size of each packed row's byte count; 0: by rowBytes
};

class PictWriter {
 public:
  PictWriter& Version1();  // byte opcodes; the default is version 2
  PictWriter& ExtendedVersion2(int hRes, int vRes, pict::Rect source);
  PictWriter& NoPreamble();  // leaves out the 512 leading bytes
  PictWriter& Frame(int left, int top, int right, int bottom);

  // An opcode: a byte in version 1, a word on an even offset in version 2.
  PictWriter& Op(uint16_t opcode);
  PictWriter& U8(uint8_t value);
  PictWriter& U16(uint16_t value);
  PictWriter& U32(uint32_t value);
  PictWriter& Raw(const std::vector<uint8_t>& bytes);
  PictWriter& RectData(pict::Rect rect);  // top, left, bottom, right
  PictWriter& PointData(int x, int y);  // v, h
  // A region of disjoint rectangles, in QuickDraw's inversion-point form.
  PictWriter& RegionData(const std::vector<pict::Rect>& rects);

  PictWriter& ClipRect(pict::Rect rect);
  PictWriter& Pixmap(const PixmapPlan& plan);
  // A colour pixel pattern (0x12 background, 0x13 pen, 0x14 fill) tiled from an indexed plan.
  PictWriter& PixPat(uint16_t opcode, const PixmapPlan& tile);
  PictWriter& LongComment(uint16_t kind, const std::vector<uint8_t>& data);
  PictWriter& End();

  std::vector<uint8_t> Bytes() const;
  // What was written after the header: the opcodes, or any data built with U8...RegionData.
  const std::vector<uint8_t>& Body() const { return body_; }
  bool Save(const std::string& path) const;

 private:
  int version_ = 2;
  bool preamble_ = true;
  bool extended_ = false;
  int hRes_ = 72, vRes_ = 72;
  pict::Rect frame_{0, 0, 1, 1}, source_{};
  std::vector<uint8_t> body_;

  void PixMapFields(const PixmapPlan& plan);  // rowBytes to the colour table
  void PixelData(const PixmapPlan& plan);
};

// QuickTime's 3x3 matrix: Fixed 16.16, but w, which is 1.0 in Fract 2.30.
using QuickTimeMatrix = std::array<int32_t, 9>;
// A matrix that scales, then translates.
QuickTimeMatrix QuickTimeScale(double sx, double sy, double tx = 0, double ty = 0);

// An image description of a codec type and size, with its own colour table (clut id 0) when
// one is given, followed by data.
std::vector<uint8_t> QuickTimeDescription(const char* codec, int width, int height, int depth,
                                          const std::vector<uint8_t>& data,
                                          const std::vector<uint32_t>& table = {});

// The data of a CompressedQuickTime opcode after its length.
std::vector<uint8_t> QuickTimeOpcodeData(const std::vector<uint8_t>& described, pict::Rect source,
                                         const QuickTimeMatrix& matrix = QuickTimeScale(1, 1),
                                         const std::vector<uint8_t>& mask = {},
                                         const std::vector<uint8_t>& matte = {},
                                         pict::Rect matteRect = {});

// PackBits as QuickDraw packs rows; unit 2 packs 16-bit pixels.
std::vector<uint8_t> PackBits(const std::vector<uint8_t>& row, int unit = 1);
