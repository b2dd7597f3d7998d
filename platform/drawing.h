// platform/drawing.h: drawing surfaces (Cairo ARGB32 image surfaces), antialiased vector
// fills, and text in a loaded font (Pango, fonts found through fontconfig).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/colour.h"
#include "platform/font_request.h"

struct Point {
  int x = 0, y = 0;
};

// Cairo's premultiplication of one 8-bit channel by alpha, rounded as pixman rounds it.
inline uint32_t PremultiplyChannel(uint32_t value, uint32_t alpha) {
  return (value * alpha + 127) / 255;
}

// A straight channel from a premultiplied one (alpha above 0), rounded as Cairo's PNG writer
// rounds it: the exact inverse of PremultiplyChannel on the values that one gives.
inline uint32_t UnpremultiplyChannel(uint32_t value, uint32_t alpha) {
  const uint32_t straight = (value * 255 + alpha / 2) / alpha;
  return straight < 255 ? straight : 255;
}

// The one grey level a colour weighs to wherever the program makes its own grey (a greyscale
// watermark, a QuickTime matte's weights): ITU-R BT.601 luma in integer weights that sum to
// 256, so every grey keeps its level. (--GREYSCALE is FreeImage's own conversion.)
inline uint32_t GreyLevel(uint32_t red, uint32_t green, uint32_t blue) {
  return (77 * red + 150 * green + 29 * blue) / 256;
}

// The pixels of a surface: premultiplied alpha, rows top-down, each pixel one native-endian
// 32-bit word 0xAARRGGBB, rows `stride` bytes apart.
struct SurfacePixels {
  int width = 0, height = 0, stride = 0;
  uint8_t* pixels = nullptr;
};

struct SurfaceState;
struct SurfaceStateDeleter {
  void operator()(SurfaceState* state) const;
};

class Surface {  // owns one image surface; empty when none could be made
 public:
  Surface() = default;
  // A fully transparent width x height surface; empty when either side is not 1..32767 or
  // Cairo cannot allocate it.
  Surface(int width, int height);

  explicit operator bool() const { return state_ != nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Direct access to the pixels after all drawing so far (empty for an empty surface). Call
  // MarkDirty after writing through it, before drawing again.
  SurfacePixels Pixels();
  void MarkDirty();

 private:
  friend struct SurfaceAccess;
  std::unique_ptr<SurfaceState, SurfaceStateDeleter> state_;
  int width_ = 0, height_ = 0;
};

// Antialiased fills blended over the surface. Coordinates are not clamped: shapes may reach
// outside the surface or cross themselves. False only for an empty surface.
bool FillRectangle(Surface& surface, int x, int y, int width, int height, Rgba color);
bool FillPolygon(Surface& surface, const std::vector<Point>& vertices, Rgba color);

// Writes `color` into every pixel as it is, without blending.
bool FillSurface(Surface& surface, Rgba color);

// Blends `source` over `target` with its top-left corner at (x, y), every source alpha
// multiplied by opacity / 255 (opacity is clamped to 0..255).
bool PaintSurface(Surface& target, Surface& source, int x, int y, int opacity);

struct FontState;
struct FontStateDeleter {
  void operator()(FontState* state) const;
};

class Font {  // owns a loaded font with its own font map, usable from any one thread at a time
 public:
  Font() = default;
  explicit operator bool() const { return state_ != nullptr; }

 private:
  friend Font LoadFont(const FontRequest& request);
  friend struct FontAccess;
  std::unique_ptr<FontState, FontStateDeleter> state_;
};

// The font for `request`; empty only when no usable font can be found at all.
Font LoadFont(const FontRequest& request);

// Whether LoadFont(request) would give a font, asked of fontconfig alone: unlike Pango, which
// starts a thread of its own to read fontconfig's configuration, this leaves the process with
// no thread it did not have, so that it may still fork workers safely.
bool CanLoadFont(const FontRequest& request);

// Plain: antialiasing off. Antialiased: glyphs and lines with grey-level antialiasing.
enum class TextMode { Plain, Antialiased };

// The logical extents of one line of text (no line breaks: every character is literal).
struct TextExtents {
  int width = 0, height = 0;  // whole pixels
  double exactWidth = 0;      // the unrounded advance width
  double baseline = 0;        // from the top of the line to its baseline
};
TextExtents MeasureText(const Font& font, const std::string& text, TextMode mode);

// Draws one line with the top-left corner of its logical rectangle at (x, y). Plain: the
// line's cell (logical rectangle) gets `background` and the glyph pixels get `color`, both
// written as they are, without blending. Antialiased: the glyphs are blended over the
// surface in `color` and `background` is not used. False for an empty surface or font.
bool DrawText(Surface& surface, const Font& font, const std::string& text, int x, int y, Rgba color,
              Rgba background, TextMode mode);
