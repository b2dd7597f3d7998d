// settings/colour_text.h: the colour texts of the settings (frame sides, watermark text and box,
// the rotation's background) as colours, read once when an option sets them.
#pragma once

#include <string>
#include <string_view>

#include "platform/colour.h"

// RRGGBB with the given alpha, clamped to 0..255. The text must be six characters (not
// bytes); each pair reads as hexadecimal up to its first other character, so "1G" is 1 and "G1"
// is 0. A text of any other length gives black.
Rgba ParseColor(std::string_view text, int alpha);

// A colour setting: the text as it was given, which the debug echo shows, and the colour
// ParseColor reads from it when it is set, so that no file of the run reads it again.
class ColourText {
 public:
  ColourText(std::string text = "000000");  // implicit: a setting is given as its text
  ColourText(const char* text) : ColourText(std::string(text)) {}

  const std::string& text() const { return text_; }
  // The colour with alpha, clamped to 0..255.
  Rgba WithAlpha(int alpha) const;

 private:
  std::string text_;
  Rgba colour_;
};
