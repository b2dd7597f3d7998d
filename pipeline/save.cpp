#include "pipeline/save.h"

#include <cassert>

#include "pipeline/writers.h"

std::optional<std::string> EncodePicture(FIBITMAP* picture, const SaveRequest& request,
                                         std::string& failure) {
  assert(request.format && "a save request names its format");
  if (!picture) {
    failure = "no picture to save";
    return {};
  }
  switch (request.format->writer) {
    case Writer::FreeImage:
      return EncodeWithFreeImageWriter(picture, request, failure);
    case Writer::Bmp:
      return EncodeBmp(picture, request, failure);
    case Writer::Devil:
      return EncodeWithDevil(picture, request, failure);
    case Writer::JxrEncoder:
      return EncodeJxrWithEncoder(picture, request.scratchFolder, failure);
  }
  return {};
}
