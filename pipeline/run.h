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
  std::string tempFolder;  // private folder (ending in "/") for intermediate files
  int32_t converterDeadlineMs = kConverterDeadlineMs;
  bool debug = false;      // -d: the decoders' accounts go to standard error too
  bool skipExisting = false;  // --skip-existing: an input whose output is up to date is passed over
};

// What a process that converts files of the run loads once, for all of them, after any fork
// (a font is a library's object with threads and locks behind it, not to be shared by forking).
struct RunResources {
  Font watermarkFont;  // the text watermark's font; empty without a text watermark
};
RunResources LoadRunResources(const Run& run);

// Whether the text watermark's font can be had (see CanLoadFont); checked before the run.
bool CanLoadRunFont(const TextWatermarkSettings& text);
