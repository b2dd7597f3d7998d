#include "batch/file_conversion.h"

#include <optional>
#include <string>

#include "batch/worker_messages.h"
#include "naming/output_names.h"
#include "naming/output_path.h"
#include "platform/files.h"

FileContext ContextFor(const InputEntry& entry, const FileNumbers& numbers) {
  FileContext file;
  file.inputPath = entry.path;
  file.relativeSubfolder = entry.relativeSubfolder;
  file.macPart = entry.macPart;
  file.numbers = numbers;
  return file;
}

void PrepareOutputFolder(const Run& run, const InputEntry& entry) {
  if (run.settings.naming.keepSubfolders)
    EnsureOutputSubfolder(run.outputFolder, entry.relativeSubfolder);
}

Converted ConvertHere(const Run& run, const RunResources& resources, const InputEntry& entry,
                      const FileNumbers& numbers) {
  Converted converted{ContextFor(entry, numbers), {}};
  PrepareOutputFolder(run, entry);
  converted.result = EncodeFile(run, resources, converted.file);
  return converted;
}

int32_t ResourceIdOf(const InputEntry& entry) {
  return entry.macPart && entry.macPart->isResource ? entry.macPart->resourceId : kNoResource;
}

bool ServeTasks(const Run& run, const std::vector<InputEntry>& entries, WorkerChannel& channel) {
  const RunResources resources = LoadRunResources(run);
  while (const std::optional<std::string> message = channel.NextTask()) {
    std::string unreadable;
    const std::optional<WorkerTask> task = DecodeTask(*message, unreadable);
    if (!task || task->index >= entries.size() ||
        task->resourceId != ResourceIdOf(entries[task->index]))
      return false;
    FileContext file = ContextFor(entries[task->index], task->numbers);
    FileResult result = EncodeFile(run, resources, file);
    // The output goes to its draft beside where it belongs, written here, at the same time as
    // the other workers write theirs; only when that fails do its bytes travel.
    std::string failed;
    if (result.encoded == Encoded::InMemory && !task->draft.empty() &&
        WriteFileBytes(task->draft, result.bytes, failed)) {
      result.bytes = std::string();
      result.encoded = Encoded::InDraft;
    }
    if (!channel.SendResult(EncodeResult(file, result), result.bytes)) return true;
  }
  return true;
}

// A report that cannot be written ends there, with one line to say so.
static void RecordInReport(RunReport& report, const ReportEntry& entry, ProgressDisplay& progress) {
  std::string unwritten;
  if (!report.Record(entry, unwritten)) progress.PrintErrorLine(ProgramName() + ": " + unwritten);
}

void FindUpToDateOutputs(const Run& run, std::vector<InputEntry>& entries) {
  // The names as the settling will give them: with such a mask every file keeps its name,
  // converted or not, so they can be given here in the same order.
  OutputNames names;
  for (InputEntry& entry : entries) {
    const FileContext file = ContextFor(entry, FirstFileNumbers());
    const std::string path =
        names.Choose(BuildOutputPath(file, run.outputFolder, run.settings.naming, run.extension))
            .path;
    names.Keep(path, entry.path);
    entry.upToDate = IsOutputUpToDate(entry.path, path);
  }
}

Converted SkippedFile(const InputEntry& entry) {
  Converted skipped{ContextFor(entry, {}), {}};
  skipped.result.skipped = true;
  return skipped;
}

Converted ConvertUnlessUpToDate(const Run& run, const RunResources& resources,
                                const InputEntry& entry, const FileNumbers& numbers) {
  return entry.upToDate ? SkippedFile(entry) : ConvertHere(run, resources, entry, numbers);
}

Settled SettleFile(const Run& run, Converted& converted, ProgressDisplay& progress,
                   OutputNames& names, RunReport& report, TemporaryFile* draft) {
  FileContext& file = converted.file;
  FileResult& result = converted.result;
  // A file that fails keeps its name too when the mask tells it without the picture or the
  // numbers: so whether a file converts never moves the names of the files after it, and a
  // resumed run names every file as the first run did.
  const bool knownBefore = IsNameKnownBeforeConversion(run.settings.naming.filenameMask);
  std::string asked;
  OutputNames::Given given;
  if (result.loaded || knownBefore) {
    asked = BuildOutputPath(file, run.outputFolder, run.settings.naming, run.extension);
    given = names.Choose(asked);
    if (result.loaded) file.outputPath = given.path;
  }
  const std::string prefix = ProgramName() + ": " + InputLabel(file) + ": ";
  ReportEntry entry;
  entry.input = file.inputPath;
  entry.resource = PartLabel(file);
  // A mask that needs the picture tells the name only once the file is converted; with any
  // other mask the up-to-date outputs were found before the conversions began.
  if (run.skipExisting && !knownBefore && result.loaded &&
      IsOutputUpToDate(file.inputPath, given.path))
    result.skipped = true;
  if (result.skipped) {
    names.Keep(given.path, file.inputPath);
    entry.status = InputStatus::Skipped;
    entry.reason = given.path + " is up to date";
    if (run.debug) progress.PrintErrorLine(prefix + "skipped: " + entry.reason);
    RecordInReport(report, entry, progress);
    return Settled::Skipped;
  }
  WriteFile(run, file, result, draft);
  if (result.written || (knownBefore && !given.path.empty()))
    names.Keep(given.path, file.inputPath);
  if (run.debug) {
    progress.PrintLine("Saving As: " + file.outputPath);
    progress.PrintLine(result.written ? "OK" : "Not OK");
  }
  entry.result = &result;
  // A warning is said even with -q, as a failure would be, and recorded with the file.
  auto warn = [&](std::string text) {
    progress.PrintErrorLine(prefix + text);
    entry.warnings.push_back(std::move(text));
  };
  if (!result.written) {
    entry.status = InputStatus::Failed;
    entry.reason = result.failure;
    progress.PrintErrorLine(prefix + result.failure);
  } else {
    entry.status = InputStatus::Converted;
    entry.outputs.push_back(file.outputPath);
    if (!given.earlierInput.empty())
      warn("written as " + given.path + ", since " + asked + " is already the name of " +
           given.earlierInput + " in this run");
    // Converted, but not all of it.
    if (result.notes.damage) warn(pict::DamageLine(*result.notes.damage));
    if (!result.warning.empty()) warn(result.warning);
    if (run.debug) progress.PrintErrorLine(prefix + result.decoders);
    ApplyFileTimestamp(file.inputPath, file.outputPath, run.settings.naming);
  }
  RecordInReport(report, entry, progress);
  return result.written ? Settled::Written : Settled::Failed;
}
