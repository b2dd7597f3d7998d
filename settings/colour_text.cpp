#include "settings/colour_text.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/text.h"

// One colour component from two characters.
static uint8_t ReadPair(char high, char low) {
  const int first = DigitValue(high, 16);
  if (first < 0) return 0;
  const int second = DigitValue(low, 16);
  return static_cast<uint8_t>(second < 0 ? first : first * 16 + second);
}

Rgba ParseColor(std::string_view text, int alpha) {
  // The length counts characters; one that is not ASCII is no hexadecimal digit.
  std::vector<char> characters;
  for (const char byte : text)
    if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80)
      characters.push_back(static_cast<unsigned char>(byte) < 0x80 ? byte : '?');
  Rgba color{0, 0, 0, static_cast<uint8_t>(std::clamp(alpha, 0, 255))};
  if (characters.size() != 6) return color;
  color.red = ReadPair(characters[0], characters[1]);
  color.green = ReadPair(characters[2], characters[3]);
  color.blue = ReadPair(characters[4], characters[5]);
  return color;
}

ColourText::ColourText(std::string text)
    : text_(std::move(text)), colour_(ParseColor(text_, 255)) {}

Rgba ColourText::WithAlpha(int alpha) const {
  Rgba colour = colour_;
  colour.alpha = static_cast<uint8_t>(std::clamp(alpha, 0, 255));
  return colour;
}
