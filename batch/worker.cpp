#include "batch/worker.h"

#include "app/progress.h"
#include "batch/collect.h"
#include "batch/output_path.h"
#include "pipeline/core.h"
#include "settings/settings.h"

int32_t ConvertAll(bool showProgress) {
  const bool debug = gJob.inputGiven && gJob.debug == "DEBUG";
  ProgressDisplay progress(showProgress, static_cast<int64_t>(gInputFiles.entries().size()));
  int32_t converted = 0;
  for (const InputEntry& entry : gInputFiles.entries()) {
    progress.StartFile(entry.path);
    gJob.currentInputFile = entry.path;
    gJob.relativeSubfolder = entry.relativeSubfolder;
    // A file whose load fails never gets an output path; don't show the previous one.
    gJob.currentOutputFile.clear();
    if (gSettings.naming.keepSubfolders) EnsureOutputSubfolder();
    if (debug) progress.PrintLine("Processing: " + gJob.currentInputFile);
    const bool ok = ConvertCurrentFile();
    progress.FinishFile();
    if (debug) {
      progress.PrintLine("Saving As: " + gJob.currentOutputFile);
      progress.PrintLine(ok ? "OK" : "Not OK");
    }
    if (!ok) continue;
    ++converted;
    AdvanceNamingCounters();
    ApplyFileTimestamp(gJob.currentInputFile, gJob.currentOutputFile);
  }
  return converted;
}
