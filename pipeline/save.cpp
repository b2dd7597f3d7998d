#include "pipeline/save.h"

#include <cassert>

#include "pipeline/writers.h"

bool SavePicture(FIBITMAP* picture, const SaveRequest& request) {
  assert(request.format && "a save request names its format");
  if (!picture) return false;
  switch (request.format->writer) {
    case Writer::FreeImage: return SaveWithFreeImage(picture, request);
    case Writer::Bmp: return SaveBmp(picture, request);
    case Writer::Devil: return SaveWithDevil(picture, request);
    case Writer::JxrEncoder: return SaveJxrWithEncoder(picture, request.outputPath);
  }
  return false;
}
