#include "picture/rotated_size.h"

#include <cmath>

std::pair<int, int> RotatedSize(int width, int height, int degrees) {
  // FreeImage turns by whole quarters first, then by what is left (-45 to 45 degrees) in three
  // shears, which size the result so.
  int rest = degrees % 360;
  if (rest < 0) rest += 360;
  if (rest > 45 && rest <= 315) {
    const int quarters = (rest + 44) / 90;  // 46..135 one, 136..225 two, 226..315 three
    if (quarters % 2 == 1) std::swap(width, height);
    rest -= quarters * 90;
  }
  if (rest > 180) rest -= 360;
  if (rest == 0) return {width, height};
  const double radians = rest * M_PI / 180.0;
  const double sine = std::fabs(std::sin(radians)), cosine = std::cos(radians);
  return {static_cast<int>(width * cosine + height * sine + 0.5) + 1,
          static_cast<int>(width * sine + height * cosine + 0.5) + 1};
}
