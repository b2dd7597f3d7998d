#include "batch/output_path.h"

#include "batch/filename_mask.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "settings/settings.h"

std::string OutputFolderOfCurrentFile() {
  std::string folder = gJob.output;
  if (gSettings.naming.keepSubfolders) folder += gJob.relativeSubfolder;
  return folder;
}

std::string BuildOutputPath() { return OutputFolderOfCurrentFile() + ExpandFilenameMask(); }

void EnsureOutputSubfolder() {
  const std::string& relative = gJob.relativeSubfolder;
  if (IsFolder(gJob.output + relative)) return;
  std::string path = gJob.output;
  size_t start = 0;
  for (size_t slash = relative.find('/'); slash != std::string::npos;
       slash = relative.find('/', start)) {
    path += relative.substr(start, slash - start + 1);
    start = slash + 1;
    if (!IsFolder(path)) MakeFolder(path);
  }
}

void AdvanceNamingCounters() {
  gJob.randomNumber = DrawRandomNumber();
  ++gJob.fileCounter;
}

void ApplyFileTimestamp(const std::string& sourcePath, const std::string& outputPath) {
  switch (gSettings.naming.timestamp) {
    case TimestampMode::Current:
      return;
    case TimestampMode::Original:
      // Whole seconds: the source's fraction of a second is not carried over.
      if (const auto time = ModificationTime(sourcePath)) SetModificationTime(outputPath, *time);
      return;
    case TimestampMode::Custom:
      SetModificationTime(outputPath, LocalToUtc(gSettings.naming.customTimestamp));
      return;
  }
}
