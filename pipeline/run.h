// pipeline/run.h: what every file of a run shares. The driver makes it once the settings are
// checked; from then on it is read-only, and the per-file work gets it as a parameter.
#pragma once

#include <cstdint>
#include <string>

#include "platform/drawing.h"
#include "settings/formats.h"
#include "settings/settings.h"

struct Run {
  ConversionSettings settings;           // every option, as the option pass left them
  std::string outputFolder;              // normalised, ending in "/"
  std::string extension;                 // --CONVERSION, one of the output extensions
  const OutputFormat* format = nullptr;  // its row
  int32_t targetBpp = 0;                 // the format's depth setting; 0 = chosen for each file
  int32_t saveFlags = 0;                 // FreeImage save flags of the output format
  std::string tempFolder;  // private folder (ending in "/") for intermediate files
  int32_t converterDeadlineMs = kConverterDeadlineMs;
  Font watermarkFont;      // the text watermark's font, loaded once
  bool debug = false;      // -d: the decoders' accounts go to standard error too
};

// The text watermark's font for a run (see LoadWatermarkFont); empty only when no usable font
// exists at all.
Font LoadRunFont(const TextWatermarkSettings& text);
