#include "pipeline/save.h"

#include <algorithm>
#include <cassert>
#include <random>

#include "pipeline/writers.h"
#include "platform/clock.h"

bool SavePicture(FIBITMAP* picture, const SaveRequest& request) {
  assert(request.format && "a save request names its format");
  if (!picture) return false;
  switch (request.format->writer) {
    case Writer::Devil:
      return SaveWithDevil(picture, request);
    case Writer::JxrEncoder:
      return SaveJxrWithEncoder(picture, request.outputPath);
    case Writer::FreeImage:
      break;
  }
  if (request.format->formatId == FIF_BMP && request.targetBpp == 8 &&
      request.colorTable == ColorTable::Exact)
    return SaveExactColorTableBmp(picture, request.outputPath, request.saveFlags);
  return SaveWithFreeImage(picture, request);
}

int HighestUsedIndex(FIBITMAP* picture) {
  if (!picture || FreeImage_GetImageType(picture) != FIT_BITMAP || FreeImage_GetBPP(picture) != 8)
    return 0;
  // Only the first width bytes of a row are pixels; the padding to the row stride never counts.
  const unsigned width = FreeImage_GetWidth(picture);
  BYTE highest = 0;
  for (unsigned y = 0; y < FreeImage_GetHeight(picture); ++y) {
    const BYTE* row = FreeImage_GetScanLine(picture, y);
    for (unsigned x = 0; x < width; ++x) highest = std::max(highest, row[x]);
  }
  return highest;
}

std::string UniqueLetterName(std::string_view prefix, std::string_view suffix) {
  static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, kLetters.size() - 1);
  std::string name(prefix);
  for (const char digit : std::to_string(LocalNowSeconds()))
    if (digit >= '0' && digit <= '9') name += kLetters[static_cast<size_t>(digit - '0')];
  for (int i = 0; i < 5; ++i) name += kLetters[pick(generator)];
  name += suffix;
  return name;
}
