// pipeline/convert_file.h: the conversion of one file, from its input path to the saved output,
// in two halves: encoding (the work, which may run anywhere) and writing (which puts the file
// in place under its final name).
#pragma once

#include <cstdint>
#include <string>

#include "naming/file_context.h"
#include "pict/notes.h"
#include "pipeline/run.h"
#include "pipeline/save.h"

// Where the encoded output file of a file is.
enum class Encoded : int8_t {
  Nowhere,   // there is none: the file failed before its output was made
  InMemory,  // in FileResult::bytes
  InDraft,   // written to the draft its converter was given
};

// What the conversion of one file came to.
struct FileResult {
  bool loaded = false;  // a picture was loaded: the file has an output path
  Encoded encoded = Encoded::Nowhere;
  std::string bytes;     // the encoded output file while it is in memory
  std::string failure;   // why the file was not converted, when it was not
  std::string decoders;  // what each decoder tried said, for -d
  // Of a vector output that holds pixels for what it cannot draw as shapes: why, for one
  // warning line; empty otherwise.
  std::string warning;
  bool written = false;  // the output file is in place
  bool skipped = false;  // its output was up to date (--skip-existing): nothing was written
  // What the file's report tells besides: the decoder that read it ("our decoder", "convert",
  // "FreeImage's reader"; empty when none did), the picture's size as read, our decoder's notes
  // (a damaged picture drawn in part has notes.damage; the resolution is set for any decoder)
  // and how long the conversion took.
  std::string reader;
  int32_t pictureWidth = 0;
  int32_t pictureHeight = 0;
  pict::Notes notes;
  int64_t milliseconds = 0;
};

// Loads file.inputPath and takes it through every step of the run to the bytes of its output
// file, filling in the rest of file as it goes (the loaded and target depth, the output size).
// A picture our decoder found damaged is converted as the part drawn before the damage, or, with
// --STRICT, fails with the damage for its reason. Leaves nothing behind in the run's temporary
// folder.
FileResult EncodeFile(const Run& run, const RunResources& resources, FileContext& file);

// Builds file.outputPath (for a file that loaded, unless the caller chose it) from its context,
// numbers included, and writes the encoded bytes there, or puts draft there when the encoded file
// was written to it. Sets result.written, or result.failure.
void WriteFile(const Run& run, FileContext& file, FileResult& result,
               TemporaryFile* draft = nullptr);

// Makes the draft a file that converts elsewhere writes its encoded output to: a temporary file
// in the folder its output goes to, so that WriteFile only renames it. False when none can be
// made there (the output is then written from its bytes, and fails as such).
bool MakeDraft(const Run& run, const std::string& relativeSubfolder, TemporaryFile& draft);
