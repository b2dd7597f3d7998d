// tests/support/save_picture.h: a picture saved to a file as a run saves each output, for tests
// of the writers.
#pragma once

#include <string>

#include "pipeline/save.h"

// A save request with the file it goes to.
struct TestSaveRequest : SaveRequest {
  std::string outputPath;  // replaced when it exists
};

// EncodePicture, then WriteOutputFile at request.outputPath; true when the file was written.
bool SavePicture(FIBITMAP* picture, const TestSaveRequest& request);
