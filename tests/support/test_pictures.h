// tests/support/test_pictures.h: the PICT files the tests need, written at test time with the
// PICT writer, so that no test but the corpus tests needs anything beside the checkout.
#pragma once

#include <ostream>
#include <string>

enum class TestPicture {
  Gradient,   // 80 x 60 direct: red at the top fading to blue at the bottom, green 0; every
              // row one colour
  Odd,        // 251 x 17 direct: many colours, no two rows and no two columns alike
  Orange,     // 3 x 2 direct, all (255, 165, 0)
  Ramp,       // 100 x 80 grey levels: black at the top to white at the bottom, every row one
              // value (an indexed picture with a grey colour table)
  RedYellow,  // 320 x 200 indexed, 16 colours from red to yellow: red is 255 and blue 0
              // everywhere, so pure green never occurs
  ConverterOnly,  // 64 x 4 direct, orange, with the one-byte row counts ImageMagick's writer
                  // puts where QuickDraw reads two: ImageMagick reads it, our decoder refuses it
  ReaderOnly,  // 40 x 30 direct, red, in an empty picture frame: our decoder and ImageMagick
               // refuse it, FreeImage's reader takes the size of its pixels
  Garbage,    // 4,096 bytes of noise: no picture for any decoder
  Text,       // a line of text: no picture, and FreeImage's own reader hangs on it
};

// Writes the picture to path; true on success.
bool WriteTestPicture(TestPicture picture, const std::string& path);

// A ConverterOnly picture of another size, so that several can be told apart: width 63 to 66
// (the widths for which ImageMagick reads one-byte counts), any height.
bool WriteConverterOnlyPicture(const std::string& path, int width, int height);

// The picture's name, for failure messages.
std::ostream& operator<<(std::ostream& out, TestPicture picture);
