// pict/pixmap.h: the pixel data of the Bits, PackBits and DirectBits opcodes and of colour
// pixel patterns, unpacked into opaque colours.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "pict/geometry.h"
#include "pict/image.h"
#include "pict/pattern.h"
#include "pict/reader.h"
#include "pict/region.h"

#include <array>
#include <memory>
#include <vector>

namespace pict {

// How the rows of a BitMap or PixMap are stored.
struct PixMapHeader {
  bool packed = true;  // BitsRect and BitsRgn store their rows as they are
  int rowBytes = 0;
  Rect bounds;
  bool isPixMap = false;
  int packType = 0;
  int pixelType = 0;
  int pixelSize = 1;
  int cmpCount = 1;
};

using ColourTable = std::array<uint32_t, 256>;

// The rows of a BitMap or PixMap, unpacked one at a time as they are asked for, so a picture
// never needs a second copy of its pixels. Reads from the reader it was made with.
class PixelRows {
 public:
  PixelRows(ByteReader& data, const PixMapHeader& header, const ColourTable& table);
  // Row index (0 = the row at bounds.top) as opaque colours, bounds.Width() of them. Rows come
  // in order: asking for an earlier row than the last gives null, and so does damaged data: a
  // row that ends early or whose pack runs do not make its bytes. The rows before a damaged
  // one keep coming; none after it does.
  const uint32_t* Row(int index);
  // Reads the rows nobody asked for; false with a reason ("pixel data ends in row 301 of 480")
  // when a row is damaged.
  bool ReadToEnd(std::string& reason);
  // Where the first damaged row begins in the data's bytes; null while none is.
  const uint8_t* DamageAt() const { return failed_ ? rowStart_ : nullptr; }

 private:
  bool Next();
  ByteReader* data_;
  PixMapHeader header_;
  ColourTable table_;
  std::vector<uint8_t> stored_;
  std::vector<uint32_t> row_;
  int current_ = -1;
  bool failed_ = false;
  const char* damage_ = "";            // what is wrong with the damaged row
  const uint8_t* rowStart_ = nullptr;  // where the row last read begins
};

// One CopyBits as a picture records it; its pixel rows follow in the data.
struct CopyBitsData {
  Rect bounds;  // the coordinates of the pixels' corners
  Rect source, destination;  // source in the coordinates of bounds, destination in the picture's
  int mode = 0;
  bool isPixMap = false;       // a PixMap's colours, not a BitMap's black and white
  std::optional<Region> mask;  // the Rgn forms' mask, in the picture's coordinates
  std::unique_ptr<PixelRows> rows;
};

// Reads the data of opcodes 0x90, 0x91, 0x98, 0x99 (a BitMap or an indexed PixMap) and 0x9A,
// 0x9B (a direct PixMap) up to their pixel rows, which the result reads from data. Empty with a
// reason when the data is damaged, beyond the caps, or of a kind QuickDraw does not define.
std::optional<CopyBitsData> ReadCopyBits(ByteReader& data, uint16_t opcode, std::string& reason);

// Reads a pixel pattern (BkPixPat, PnPixPat, FillPixPat data). A colour pattern comes back
// with its tile; an RGB pattern as a one-colour tile; an old-style pattern as its bits.
std::optional<Pattern> ReadPixPat(ByteReader& data, std::string& reason);

// Unpacks PackBits data into out (unit 2: runs of 16-bit pixels). Returns the bytes its runs
// make, which may be more than out holds (those are dropped) or fewer (the rest of out stays as
// it was); empty when its last run is cut short by the end of packed.
std::optional<size_t> UnpackBits(std::span<const uint8_t> packed, std::span<uint8_t> out, int unit);

}  // namespace pict
