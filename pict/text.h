// pict/text.h: QuickDraw text as ink. Maps QuickDraw font numbers and font names to installed
// families, converts the Mac's one-byte encodings to Unicode, and renders a string the way
// QuickDraw draws bitmap text (no antialiasing, QuickDraw's synthetic styles), returning the
// pixels it covers as a region plus how far the pen moves.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "pict/geometry.h"
#include "pict/region.h"
#include "vector/drawing.h"

namespace pict {

// The character set a font's bytes are in: Mac OS Roman, or one of the two symbol fonts whose
// glyphs sit at their own codes.
enum class TextEncoding { MacRoman, Symbol, Dingbats };

// QuickDraw's style bits (txFace).
enum TextFace : int {
  kFaceBold = 1,
  kFaceItalic = 2,
  kFaceUnderline = 4,
  kFaceOutline = 8,
  kFaceShadow = 16,
  kFaceCondense = 32,
  kFaceExtend = 64,
};

struct TextStyle {
  int fontNumber = 0;     // txFont: 0 the system font, 1 the application font, ...
  std::string fontName;   // the name the picture gives fontNumber (fontName opcode); may be empty
  double size = 12;       // txSize in canvas pixels (points scaled to the canvas); > 0
  int face = 0;           // TextFace bits; others are ignored
  double spaceExtra = 0;  // spExtra in canvas pixels, added to each space (byte 0x20)
  double charExtra = 0;   // chExtra in canvas pixels, added to each other character
  double ratioH = 1, ratioV = 1;  // TxRatio: numerator / denominator, horizontal and vertical
};

// Where the text goes besides its origin: turned by angle degrees clockwise about (centerX,
// centerY), in canvas pixels, as the rotation picture comments ask.
struct TextTurn {
  double angle = 0;
  double centerX = 0, centerY = 0;
};

struct TextInk {
  Region ink;          // the pixels the glyphs cover, in canvas coordinates
  double advance = 0;  // how far QuickDraw moves the pen: the width with all extras, unturned
  int ascent = 0;      // the font's ascent and descent, for modes that paint the text's cell
  int descent = 0;
  // The same text for a drawing: the run as vector/text_layout.h sets it, its placement (text
  // space to canvas pixels), and the underline's outline on the canvas when the face has one.
  vector::TextRun run;
  vector::Matrix placement;
  vector::Path underline;
};

// The installed family a style is drawn with, the encoding of its bytes, and the bold and
// italic a font name such as "B Helvetica Bold" implies on top of the face bits.
struct FontChoice {
  std::string_view family;
  TextEncoding encoding = TextEncoding::MacRoman;
  bool bold = false, italic = false;
};

// The font for a style: by its fontName when there is one, else by the QuickDraw font number;
// families and numbers nobody knows get a sans serif. Never fails.
FontChoice ChooseFont(const TextStyle& style);

// The font a style names, for a person: its fontName, else the Mac font its number stands for,
// else "font number N".
std::string FontNamed(const TextStyle& style);

// The Unicode character a byte stands for in an encoding; 0 for bytes that draw nothing
// (control characters, codes the encoding leaves empty).
char32_t ToUnicode(uint8_t byte, TextEncoding encoding);

// Renders text (bytes in the style's encoding, at most kMaxTextBytes of them) with the left end
// of its baseline at origin, turned by turn when its angle is not 0. Ink outside bounds is left
// out (bounds is usually the canvas or the clip's bounding box). Empty text gives no ink and
// an advance of 0. Refuses with a reason a size outside 0 < size <= kMaxTextPixelSize, extras
// beyond kMaxTextExtra, too long a text, or a machine without any usable font. Thread-safe:
// each thread keeps its own fonts.
std::optional<TextInk> RenderText(std::span<const uint8_t> text, Point origin,
                                  const TextStyle& style, const Rect& bounds, std::string& reason,
                                  const TextTurn& turn = {});

}  // namespace pict
