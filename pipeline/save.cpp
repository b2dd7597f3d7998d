#include "pipeline/save.h"

#include <algorithm>
#include <cassert>
#include <random>

#include "pipeline/writers.h"
#include "platform/clock.h"

std::optional<std::string> EncodePicture(FIBITMAP* picture, const SaveRequest& request,
                                         std::string& failure) {
  assert(request.format && "a save request names its format");
  if (!picture) {
    failure = "no picture to save";
    return {};
  }
  switch (request.format->writer) {
    case Writer::Devil:
      return EncodeWithDevil(picture, request, failure);
    case Writer::JxrEncoder:
      return EncodeJxrWithEncoder(picture, request.scratchFolder, failure);
    case Writer::FreeImage:
      break;
  }
  if (request.format->formatId == FIF_BMP && request.targetBpp == 8 &&
      request.colorTable == ColorTable::Exact)
    return EncodeExactColorTableBmp(picture, request.saveFlags, failure);
  return EncodeWithFreeImageWriter(picture, request, failure);
}

bool SavePicture(FIBITMAP* picture, const SaveRequest& request, std::string& failure) {
  const std::optional<std::string> bytes = EncodePicture(picture, request, failure);
  return bytes && WriteOutputFile(*bytes, request.outputPath, *request.format, failure);
}

bool SavePicture(FIBITMAP* picture, const SaveRequest& request) {
  std::string failure;
  return SavePicture(picture, request, failure);
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
