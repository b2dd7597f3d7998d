// pipeline/convert_file.h: the conversion of one file, from its input path to the saved output,
// in two halves: encoding (the work, which may run anywhere) and writing (which puts the file
// in place under its final name).
#pragma once

#include <optional>
#include <string>

#include "naming/file_context.h"
#include "pipeline/run.h"

// What the conversion of one file came to.
struct FileResult {
  bool loaded = false;               // a picture was loaded: the file has an output path
  std::optional<std::string> bytes;  // the encoded output file, until it is written
  std::string failure;               // why the file was not converted, when it was not
  std::string decoders;              // what each decoder tried said, for -d
  bool written = false;              // the output file is in place
};

// Loads file.inputPath and takes it through every step of the run to the bytes of its output
// file, filling in the rest of file as it goes (the loaded and target depth, the output size).
// Leaves nothing behind in the run's temporary folder.
FileResult EncodeFile(const Run& run, const RunResources& resources, FileContext& file);

// Builds file.outputPath (for a file that loaded) from its context, numbers included, and
// writes the encoded bytes there. Sets result.written, or result.failure.
void WriteFile(const Run& run, FileContext& file, FileResult& result);
