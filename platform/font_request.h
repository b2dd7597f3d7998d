// platform/font_request.h: a font as the program asks for it, for the drawing of text
// (platform/drawing.h) and for the code that lays text out with Pango itself
// (platform/pango_font.h).
#pragma once

#include <string>

struct FontRequest {
  std::string family;    // substituted by fontconfig when not installed
  double pixelSize = 0;  // character height in pixels (a fraction for the PICT decoder's text)
  bool bold = false, italic = false, underline = false, strikeout = false;
};
