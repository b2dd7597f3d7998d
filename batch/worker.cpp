#include "batch/worker.h"

#include <algorithm>

#include "batch/file_conversion.h"
#include "batch/scheduler.h"
#include "console/progress.h"
#include "naming/output_names.h"

namespace {

int32_t ConvertOneAfterAnother(const Run& run, const std::vector<InputEntry>& entries,
                               ProgressDisplay& progress) {
  const RunResources resources = LoadRunResources(run);
  FileNumbers numbers = FirstFileNumbers();
  OutputNames names;
  int32_t converted = 0;
  for (const InputEntry& entry : entries) {
    progress.StartFile(entry.path);
    if (run.debug) progress.PrintLine("Processing: " + entry.path);
    Converted file = ConvertHere(run, resources, entry, numbers);
    progress.FinishFile();
    if (!SettleFile(run, file, progress, names)) continue;
    ++converted;
    numbers = NextFileNumbers(numbers);
  }
  return converted;
}

}  // namespace

int32_t ConvertAll(const Run& run, const std::vector<InputEntry>& entries, int jobs,
                   bool showProgress) {
  jobs = std::min(jobs, static_cast<int>(entries.size()));
  ProgressDisplay progress(showProgress, static_cast<int64_t>(entries.size()));
  if (jobs <= 1) return ConvertOneAfterAnother(run, entries, progress);
  return ConvertInWorkers(run, entries, jobs, progress);
}
