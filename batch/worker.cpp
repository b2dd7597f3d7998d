#include "batch/worker.h"

#include "batch/collect.h"
#include "batch/output_path.h"
#include "platform/console.h"
#include "pipeline/core.h"
#include "settings/settings.h"

int32_t ConvertAll() {
  const bool debug = gJob.inputGiven && gJob.debug == "DEBUG";
  int32_t converted = 0;
  for (const InputEntry& entry : gInputFiles.entries()) {
    gJob.currentInputFile = entry.path;
    gJob.relativeSubfolder = entry.relativeSubfolder;
    // A file whose load fails never gets an output path; don't show the previous one.
    gJob.currentOutputFile.clear();
    if (gSettings.naming.keepSubfolders) EnsureOutputSubfolder();
    if (debug) PrintLine("Processing: " + gJob.currentInputFile);
    const bool ok = ConvertCurrentFile();
    if (debug) {
      PrintLine("Saving As: " + gJob.currentOutputFile);
      PrintLine(ok ? "OK" : "Not OK");
    }
    if (!ok) continue;
    ++converted;
    AdvanceNamingCounters();
    ApplyFileTimestamp(gJob.currentInputFile, gJob.currentOutputFile);
  }
  return converted;
}
