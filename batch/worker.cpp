#include "batch/worker.h"

#include <algorithm>

#include "batch/file_conversion.h"
#include "batch/scheduler.h"
#include "console/progress.h"

namespace {

int32_t ConvertOneAfterAnother(const Run& run, const std::vector<InputEntry>& entries,
                               ProgressDisplay& progress, RunReport& report) {
  const RunResources resources = LoadRunResources(run);
  FileNumbers numbers = FirstFileNumbers();
  int32_t converted = 0;
  for (const InputEntry& entry : entries) {
    const std::string label = InputLabel(ContextFor(entry, numbers));
    progress.StartFile(label);
    if (run.debug) progress.PrintLine("Processing: " + label);
    Converted file = ConvertHere(run, resources, entry, numbers);
    progress.FinishFile();
    if (!SettleFile(run, file, progress, report)) continue;
    ++converted;
    numbers = NextFileNumbers(numbers);
  }
  return converted;
}

}  // namespace

int32_t ConvertAll(const Run& run, const std::vector<InputEntry>& entries, int jobs,
                   bool showProgress, RunReport& report) {
  jobs = std::min(jobs, static_cast<int>(entries.size()));
  ProgressDisplay progress(showProgress, static_cast<int64_t>(entries.size()));
  if (jobs <= 1) return ConvertOneAfterAnother(run, entries, progress, report);
  return ConvertInWorkers(run, entries, jobs, progress, report);
}
