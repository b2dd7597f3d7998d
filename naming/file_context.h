// naming/file_context.h: what belongs to the file in hand. The worker makes one for each file,
// the conversion fills it in, and the steps that need a part of it get it as a parameter: the
// output name, the watermark's tokens and the save.
#pragma once

#include <cstdint>
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

struct FileContext {
  std::string inputPath;          // the file in hand
  std::string relativeSubfolder;  // its folder below the input folder, ending in "/", or empty
  FileNumbers numbers;
  std::string outputPath;   // once it is built; empty before, and for a file that does not load
  int32_t loadedBpp = 0;    // depth of the picture as loaded
  int32_t targetBpp = 0;    // depth it is saved with
  int32_t outputWidth = 0;  // size after resizing and the icon limit
  int32_t outputHeight = 0;
};
