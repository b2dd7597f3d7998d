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
  Garbage,    // 4,096 bytes of noise: no picture for any decoder
  Text,       // a line of text: no picture, and FreeImage's own reader hangs on it
};

// Writes the picture to path; true on success.
bool WriteTestPicture(TestPicture picture, const std::string& path);

// The picture's name, for failure messages.
std::ostream& operator<<(std::ostream& out, TestPicture picture);
