#include "batch/worker.h"

#include "batch/collect.h"
#include "console/progress.h"
#include "naming/file_context.h"
#include "naming/output_path.h"
#include "pipeline/convert_file.h"
#include "settings/settings.h"

int32_t ConvertAll(bool showProgress) {
  const bool debug = gJob.inputGiven && gJob.debug == "DEBUG";
  ProgressDisplay progress(showProgress, static_cast<int64_t>(gInputFiles.entries().size()));
  FileNumbers numbers = FirstFileNumbers();
  int32_t converted = 0;
  for (const InputEntry& entry : gInputFiles.entries()) {
    progress.StartFile(entry.path);
    FileContext file;
    file.inputPath = entry.path;
    file.relativeSubfolder = entry.relativeSubfolder;
    file.numbers = numbers;
    if (gSettings.naming.keepSubfolders) EnsureOutputSubfolder(gJob.output, file.relativeSubfolder);
    if (debug) progress.PrintLine("Processing: " + file.inputPath);
    const bool ok = ConvertFile(file);
    progress.FinishFile();
    // A file whose load fails never gets an output path: the line stays empty.
    if (debug) {
      progress.PrintLine("Saving As: " + file.outputPath);
      progress.PrintLine(ok ? "OK" : "Not OK");
    }
    if (!ok) continue;
    ++converted;
    numbers = NextFileNumbers(numbers);
    ApplyFileTimestamp(file.inputPath, file.outputPath, gSettings.naming);
  }
  return converted;
}
