// naming/output_path.h: output paths, output subfolders and file times.
#pragma once

#include <string>
#include <string_view>

#include "naming/file_context.h"
#include "settings/settings.h"

// outputFolder (ending in "/"), then the file's relative subfolder when naming keeps
// subfolders: where its output goes, unless the filename mask names a folder of its own.
std::string OutputFolderFor(const std::string& relativeSubfolder, const std::string& outputFolder,
                            const NamingSettings& naming);

// OutputFolderFor the file, then the file name from naming's filename mask.
std::string BuildOutputPath(const FileContext& file, const std::string& outputFolder,
                            const NamingSettings& naming, std::string_view extension);

// True when outputPath is a file that is not empty and not older than inputPath, in whole
// seconds (an output given the input's own time counts as up to date).
bool IsOutputUpToDate(const std::string& inputPath, const std::string& outputPath);

// Creates the missing levels of relativeSubfolder ("a/b/", or empty) below outputFolder;
// failures stay silent.
void EnsureOutputSubfolder(const std::string& outputFolder, const std::string& relativeSubfolder);

// Sets the output file's modification time as naming's timestamp mode asks; failures stay
// silent.
void ApplyFileTimestamp(const std::string& sourcePath, const std::string& outputPath,
                        const NamingSettings& naming);
