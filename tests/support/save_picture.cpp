#include "tests/support/save_picture.h"

bool SavePicture(FIBITMAP* picture, const TestSaveRequest& request) {
  std::string failure;
  const std::optional<std::string> bytes = EncodePicture(picture, request, failure);
  return bytes && WriteOutputFile(*bytes, request.outputPath, *request.format, failure);
}
