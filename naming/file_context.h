// naming/file_context.h: what belongs to the file in hand. The worker makes one for each file,
// the conversion fills it in, and the steps that need a part of it get it as a parameter: the
// output name, the watermark's tokens and the save.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The numbers behind %rnd% and %n%; they change only after a file was converted.
struct FileNumbers {
  int32_t randomNumber = 1;  // 1..99999
  int64_t counter = 1;
  bool operator==(const FileNumbers&) const = default;
};

// The numbers of a run's first file: the counter at 1 and a fresh random number.
FileNumbers FirstFileNumbers();

// The numbers of the file after a converted one: the counter one up and a fresh random number.
FileNumbers NextFileNumbers(const FileNumbers& numbers);

// The part of a Macintosh file (in one of the wrappers macfile/ reads) that a picture of the
// run is: one of its 'PICT' resources, or its data fork when the wrapper says its type is 'PICT'.
struct MacPart {
  bool isResource = true;         // else the data fork
  int32_t resourceId = 0;         // of a resource
  std::string resourceName = {};  // of a resource, as UTF-8; empty when it has none
  // The path the output is named after: an AppleDouble sidecar's data fork, else the wrapper.
  std::string namedAfter = {};
};

struct FileContext {
  std::string inputPath;           // the file in hand
  std::string relativeSubfolder;   // its folder below the input folder, ending in "/", or empty
  std::optional<MacPart> macPart;  // the part of inputPath that is the picture; none: all of it
  FileNumbers numbers;
  std::string outputPath;   // once it is built; empty before, and for a file that does not load
  int32_t loadedBpp = 0;    // depth of the picture as loaded
  int32_t targetBpp = 0;    // depth it is saved with
  int32_t outputWidth = 0;  // size after resizing and the icon limit
  int32_t outputHeight = 0;
};

// The part of a Macintosh file the file in hand is ("PICT 10011", "data fork"); empty for a
// file that is the picture itself.
std::string PartLabel(const FileContext& file);

// The input as reason lines and the progress line name it: its path, then the part of a
// Macintosh file in brackets ("/in/Demo House.hqx (PICT 10011)", "/in/Picture.bin (data fork)").
std::string InputLabel(const FileContext& file);

// The path whose name the output takes (the file's own, or MacPart::namedAfter).
const std::string& NamedAfter(const FileContext& file);

// The value of %resource%: "PICT-" and the id, then a blank and the resource's name when it has
// one, made safe for a file name (no "/", "\" or control characters, at most 64 bytes, no
// leading or trailing blanks and dots); empty for a picture that is no resource.
std::string ResourceText(const FileContext& file);
