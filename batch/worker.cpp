#include "batch/worker.h"

#include "console/progress.h"
#include "naming/file_context.h"
#include "naming/output_path.h"
#include "pipeline/convert_file.h"
#include "platform/files.h"

// What a file's end shows: the debug lines on standard output, and on standard error the reason
// a file failed (and in debug mode what the decoders said of a file that converted).
static void ReportFile(const Run& run, const FileContext& file, const FileResult& result,
                       ProgressDisplay& progress) {
  if (run.debug) {
    progress.PrintLine("Saving As: " + file.outputPath);
    progress.PrintLine(result.written ? "OK" : "Not OK");
  }
  const std::string prefix = ProgramName() + ": " + file.inputPath + ": ";
  if (!result.written)
    progress.PrintErrorLine(prefix + result.failure);
  else if (run.debug)
    progress.PrintErrorLine(prefix + result.decoders);
}

int32_t ConvertAll(const Run& run, const std::vector<InputEntry>& entries, bool showProgress) {
  ProgressDisplay progress(showProgress, static_cast<int64_t>(entries.size()));
  FileNumbers numbers = FirstFileNumbers();
  int32_t converted = 0;
  for (const InputEntry& entry : entries) {
    progress.StartFile(entry.path);
    FileContext file;
    file.inputPath = entry.path;
    file.relativeSubfolder = entry.relativeSubfolder;
    file.numbers = numbers;
    if (run.settings.naming.keepSubfolders)
      EnsureOutputSubfolder(run.outputFolder, file.relativeSubfolder);
    if (run.debug) progress.PrintLine("Processing: " + file.inputPath);
    const FileResult result = ConvertFile(run, file);
    progress.FinishFile();
    ReportFile(run, file, result, progress);
    if (!result.written) continue;
    ++converted;
    numbers = NextFileNumbers(numbers);
    ApplyFileTimestamp(file.inputPath, file.outputPath, run.settings.naming);
  }
  return converted;
}
