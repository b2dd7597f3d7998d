#include "naming/output_path.h"

#include <optional>

#include "naming/tokens.h"
#include "platform/clock.h"
#include "platform/files.h"

std::string OutputFolderFor(const std::string& relativeSubfolder, const std::string& outputFolder,
                            const NamingSettings& naming) {
  return naming.keepSubfolders ? outputFolder + relativeSubfolder : outputFolder;
}

std::string BuildOutputPath(const FileContext& file, const std::string& outputFolder,
                            const NamingSettings& naming, std::string_view extension) {
  return OutputFolderFor(file.relativeSubfolder, outputFolder, naming) +
         ExpandFilenameMask(naming.filenameMask, file, extension);
}

bool IsOutputUpToDate(const std::string& inputPath, const std::string& outputPath) {
  const std::optional<int64_t> size = FileSize(outputPath);
  if (!size || *size <= 0) return false;
  const std::optional<int64_t> input = ModificationTime(inputPath);
  const std::optional<int64_t> output = ModificationTime(outputPath);
  return input && output && *output >= *input;
}

void EnsureOutputSubfolder(const std::string& outputFolder, const std::string& relativeSubfolder) {
  if (IsFolder(outputFolder + relativeSubfolder)) return;
  std::string path = outputFolder;
  size_t start = 0;
  for (size_t slash = relativeSubfolder.find('/'); slash != std::string::npos;
       slash = relativeSubfolder.find('/', start)) {
    path += relativeSubfolder.substr(start, slash - start + 1);
    start = slash + 1;
    if (!IsFolder(path)) MakeFolder(path);
  }
}

void ApplyFileTimestamp(const std::string& sourcePath, const std::string& outputPath,
                        const NamingSettings& naming) {
  switch (naming.timestamp) {
    case TimestampMode::Current:
      return;
    case TimestampMode::Original:
      // Whole seconds: the source's fraction of a second is not carried over.
      if (const auto time = ModificationTime(sourcePath)) SetModificationTime(outputPath, *time);
      return;
    case TimestampMode::Custom:
      SetModificationTime(outputPath, LocalToUtc(naming.customTimestamp));
      return;
  }
}
