// pict/quicktime.h: the QuickTime opcodes of version-2 pictures. CompressedQuickTime (0x8200)
// carries an image in any QuickTime codec, which libavcodec (or, for JPEG, libjpeg)
// decodes here; UncompressedQuickTime (0x8201) wraps an ordinary bitmap opcode, which the walk
// draws itself. Both may come with the QuickDraw fallback a Mac without QuickTime would draw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "pict/geometry.h"
#include "pict/image.h"
#include "pict/reader.h"
#include "pict/region.h"

namespace pict {

// A decoded CompressedQuickTime picture and where it goes. The caller scales source (a part of
// image) into destination (picture coordinates), clips it, and applies mode and mask.
struct QuickTimePicture {
  Image image;                 // opaque unless the codec carries real alpha or a matte came with it
  Rect source;                 // inside image
  Rect destination;            // where source lands: the opcode's matrix applied to it
  Rect scaledDestination;      // where it lands at the decoder's scale: the matrix scaled too
  int mode = 0;                // QuickDraw transfer mode
  std::optional<Region> mask;  // picture coordinates
  // Rows of image from the top that its compressed data made whole: all of them, unless that
  // data ends early or is damaged, which damage then says ("the 'jpeg' data ends in row 121 of
  // 200"), damageAt pointing at the end of the data there is. The other rows are not the
  // picture's: they are not to be drawn.
  int rowsWhole = 0;
  std::string damage;
  const uint8_t* damageAt = nullptr;
  std::string codec;            // the image description's four characters: "jpeg"
  std::string decoder;          // what decoded it: "libjpeg", or libavcodec's decoder ("cinepak")
  bool profileApplied = false;  // the image's own ICC profile converted its colours
  std::string profileDescription;  // that profile's description
  // The JPEG file image was decoded from, when it was one, all its rows are whole and its
  // colours are as it stores them; a view of the data ReadQuickTime read. Empty otherwise: the
  // JPEG of a damaged image would show rows that are not the picture's.
  std::span<const uint8_t> jpeg = {};
};

// Decodes the data of a CompressedQuickTime opcode (after its 32-bit length). When the image's data
// carries a usable ICC profile, its colours come converted from that profile to sRGB (see
// ConvertToSrgb), otherwise as stored. Supports matrices that translate and scale; refuses
// rotation, skew, mirroring and perspective; scale (1 or more) scales the matrix for
// scaledDestination. The codec is found by its QuickTime tag, else by libavcodec's name for its
// four characters. Empty, with a reason naming the problem (or the codec type no library here
// decodes), when the data is damaged, beyond the caps of pict/limits.h or not decodable; then
// damaged, if given, says whether the reason is damaged data (false: what nothing here draws, a
// codec, a matrix, a pixel format). Compressed data that ends early or is damaged after some
// rows gives the picture with rowsWhole and damage set: JPEG (through libjpeg) keeps the rows
// its data made whole, every other codec none, as libavcodec does not tell which are.
std::optional<QuickTimePicture> ReadQuickTime(ByteReader data, std::string& reason, int scale = 1,
                                              bool* damaged = nullptr);

// An UncompressedQuickTime opcode: one bitmap opcode the walk draws as usual.
struct UncompressedQuickTime {
  uint16_t opcode = 0;  // 0x0090, 0x0091, 0x0098, 0x0099, 0x009A or 0x009B
  ByteReader operands;  // that opcode's data, over the caller's bytes
};

// Reads the data of an UncompressedQuickTime opcode (after its 32-bit length): version, matrix,
// matte size and rectangle, the matte, then a bitmap opcode with its operands. Empty, with a
// reason, when damaged, when the matrix is not the identity (no such picture is known, so where it
// would land is not), or when a matte comes with it: no such picture is known either, and drawing
// the bitmap without the matte would show what the matte hides, so the matte is not decoded and
// the picture goes to the next decoder. damaged, if given, says whether the reason is damaged
// data rather than a matrix or matte.
std::optional<UncompressedQuickTime> ReadUncompressedQuickTime(ByteReader data, std::string& reason,
                                                               bool* damaged = nullptr);

// Multiplies the alpha of the pixels of image inside source by matte's alpha, matte's (0, 0) at
// source's top-left corner. False, and image unchanged, when matte is not source's size.
bool ApplyMatte(Image& image, const Rect& source, const Image& matte);

// How many bytes of drawing, from the opcode right after a QuickTime opcode the walk decoded and
// drew, are the fallback for viewers without the codec; 0 when none is marked, empty when one is
// marked but runs past the end of rest (a damaged file: drawn, it would cover the image). rest
// starts at that opcode; destination is where the QuickTime picture landed. Two markers exist:
// - QuickTime's own: PnSize (0x0007) with v = 174, whose h counts the bytes of fallback after the
//   PnSize's data (the "QuickTime and a ... decompressor are needed" texts);
// - a placeholder icon, as Photoshop 3 writes it: a 1-bit BitsRect or PackBitsRect (0x0090,
//   0x0098) of a "QuickTime PICT" logo stretched over destination, which would cover the image.
std::optional<size_t> QuickTimeFallbackLength(std::span<const uint8_t> rest,
                                              const Rect& destination);

}  // namespace pict
