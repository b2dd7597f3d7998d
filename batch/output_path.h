// batch/output_path.h: output paths, output subfolders, the naming counters and file times.
#pragma once

#include <string>

// The output folder (+ the relative subfolder when subfolders are kept) + the expanded mask.
std::string BuildOutputPath();

// The folder the current file's output goes into (output folder + kept subfolder).
std::string OutputFolderOfCurrentFile();

// Creates the missing levels of the current file's output subfolder; failures stay silent.
void EnsureOutputSubfolder();

// After a converted file: a fresh random number, the file counter one up.
void AdvanceNamingCounters();

// Sets the output file's modification time as --FILE-TIMESTAMP asks; failures stay silent.
void ApplyFileTimestamp(const std::string& sourcePath, const std::string& outputPath);
