#include "batch/worker.h"

#include <algorithm>

#include "batch/file_conversion.h"
#include "batch/scheduler.h"
#include "console/progress.h"
#include "naming/output_names.h"

namespace {

ConversionCounts ConvertOneAfterAnother(const Run& run, const std::vector<InputEntry>& entries,
                                        ProgressDisplay& progress, RunReport& report) {
  const RunResources resources = LoadRunResources(run);
  FileNumbers numbers = FirstFileNumbers();
  OutputNames names;
  ConversionCounts counts;
  for (const InputEntry& entry : entries) {
    const std::string label = InputLabel(ContextFor(entry, numbers));
    progress.StartFile(label);
    if (run.debug) progress.PrintLine("Processing: " + label);
    Converted file = ConvertUnlessUpToDate(run, resources, entry, numbers);
    progress.FinishFile();
    const Settled settled = SettleFile(run, file, progress, names, report);
    counts.Count(settled);
    if (settled == Settled::Written) numbers = NextFileNumbers(numbers);
  }
  return counts;
}

}  // namespace

ConversionCounts ConvertAll(const Run& run, const std::vector<InputEntry>& entries, int jobs,
                            bool showProgress, RunReport& report) {
  jobs = std::min(jobs, static_cast<int>(entries.size()));
  ProgressDisplay progress(showProgress, static_cast<int64_t>(entries.size()));
  if (jobs <= 1) return ConvertOneAfterAnother(run, entries, progress, report);
  return ConvertInWorkers(run, entries, jobs, progress, report);
}
