#include "batch/file_conversion.h"

#include <optional>
#include <string>

#include "batch/worker_messages.h"
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

bool SettleFile(const Run& run, Converted& converted, ProgressDisplay& progress, RunReport& report,
                TemporaryFile* draft) {
  FileContext& file = converted.file;
  FileResult& result = converted.result;
  WriteFile(run, file, result, draft);
  if (run.debug) {
    progress.PrintLine("Saving As: " + file.outputPath);
    progress.PrintLine(result.written ? "OK" : "Not OK");
  }
  const std::string prefix = ProgramName() + ": " + InputLabel(file) + ": ";
  ReportEntry entry;
  entry.input = file.inputPath;
  entry.resource = PartLabel(file);
  entry.result = &result;
  if (!result.written) {
    entry.status = InputStatus::Failed;
    entry.reason = result.failure;
    progress.PrintErrorLine(prefix + result.failure);
  } else {
    entry.status = InputStatus::Converted;
    entry.outputs.push_back(file.outputPath);
    // Converted, but not all of it: said even with -q, as a failure would be.
    if (result.notes.damage) {
      entry.warnings.push_back(pict::DamageLine(*result.notes.damage));
      progress.PrintErrorLine(prefix + entry.warnings.back());
    }
    if (!result.warning.empty()) {
      entry.warnings.push_back(result.warning);
      progress.PrintErrorLine(prefix + result.warning);
    }
    if (run.debug) progress.PrintErrorLine(prefix + result.decoders);
  }
  if (result.written) ApplyFileTimestamp(file.inputPath, file.outputPath, run.settings.naming);
  std::string unwritten;
  if (!report.Record(entry, unwritten))
    progress.PrintErrorLine(ProgramName() + ": cannot write the report: " + unwritten +
                            "; it ends before " + file.inputPath);
  return result.written;
}
