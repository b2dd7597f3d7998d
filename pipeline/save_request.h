// pipeline/save_request.h (private to pipeline/): what a writer is asked for besides the
// picture.
#pragma once

#include <string>

#include "settings/formats.h"
#include "settings/settings.h"

struct SaveRequest {
  const OutputFormat* format = nullptr;  // the row of the output format
  OutputFormatSettings output;           // the settings of the output formats
  int targetBpp = 0;                     // the depth the picture was brought to
  // A private folder for the intermediate files of DevIL and JxrEncApp, ending in "/"; empty:
  // the system's temporary folder.
  std::string scratchFolder;
};
