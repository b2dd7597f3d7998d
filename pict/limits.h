// pict/limits.h: the caps on what one file may make the decoder do. A file beyond them is
// refused with a reason, so a hostile or damaged file costs bounded memory and time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pict {

// The canvas: Cairo draws on surfaces of up to 32767 pixels a side; 64 megapixels are 256 MiB.
constexpr int kMaxCanvasSide = 32767;
constexpr int64_t kMaxCanvasPixels = int64_t{64} << 20;
// The largest scale a picture is drawn at; the caps below count the scaled canvas.
constexpr int kMaxScale = 8;
// How far Origin opcodes may move the picture's coordinates: with 16-bit coordinates and the
// largest scale, canvas coordinates stay far inside the range shapes are safe in.
constexpr int kMaxOriginOffset = 1 << 24;
// A source pixmap or bitmap may be no larger than the largest canvas.
constexpr int64_t kMaxSourcePixels = kMaxCanvasPixels;
// A pixel pattern is a tile, kept whole while it is in use.
constexpr int64_t kMaxPatternPixels = int64_t{1} << 20;
// Pixels written plus region rectangles handled, summed over the whole file: about a second
// of work. Redrawing the largest canvas many times over is refused rather than waited for.
constexpr int64_t kMaxWorkUnits = int64_t{1} << 30;
// Opcodes read from one file, NOPs included.
constexpr int64_t kMaxOpcodes = int64_t{4} << 20;
// Inversion points in one row of a region; a region's size word allows at most about 32K.
constexpr size_t kMaxRegionPointsPerRow = 16384;
// Points of one polygon; its size word allows at most about 16K.
constexpr size_t kMaxPolygonPoints = 16384;
// Text: a LongText's count byte allows 255 characters. Sizes and extras are in canvas pixels;
// the caps keep Pango's integer glyph positions (1/1024 pixel) far from overflowing.
constexpr size_t kMaxTextBytes = 255;
constexpr double kMaxTextPixelSize = 2048;
constexpr double kMaxTextExtra = 2048;
// A drawing made beside the canvas (DecodeOptions::vector) holds no more than the largest
// canvas; a picture of more shapes than that becomes the canvas's pixels in the drawing.
constexpr size_t kMaxDrawingBytes = size_t{256} << 20;
// An ICC profile embedded in a QuickTime image or in a picture's ColorSync comments: displays'
// profiles take a few KiB, the table-based ones of scanners and printers seldom more than 1 MiB. A
// larger one is not used.
constexpr size_t kMaxIccProfileBytes = size_t{4} << 20;

}  // namespace pict
