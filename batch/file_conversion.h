// batch/file_conversion.h (private to batch/): one file of the conversion phase: converted in
// this process or in a worker process, and settled when its turn comes.
#pragma once

#include <climits>
#include <cstdint>
#include <vector>

#include "batch/collect.h"
#include "batch/report.h"
#include "console/progress.h"
#include "naming/file_context.h"
#include "naming/output_names.h"
#include "pipeline/convert_file.h"
#include "platform/temporary_file.h"
#include "platform/worker_process.h"

// A file converted, waiting for its turn to be written.
struct Converted {
  FileContext file;  // as the conversion filled it in, with the numbers it used
  FileResult result;
};

// The context a file starts its conversion with: its entry and the numbers to use.
FileContext ContextFor(const InputEntry& entry, const FileNumbers& numbers);

// The id of the 'PICT' resource the entry is, or kNoResource (the ids run from -32768 to 32767).
inline constexpr int32_t kNoResource = INT32_MIN;
int32_t ResourceIdOf(const InputEntry& entry);

// How a file's turn ended.
enum class Settled { Written, Failed, Skipped };

// What the conversion phase came to; the files neither written nor skipped failed.
struct ConversionCounts {
  int32_t written = 0;
  int32_t skipped = 0;  // --skip-existing found their outputs up to date
  void Count(Settled settled) {
    written += settled == Settled::Written ? 1 : 0;
    skipped += settled == Settled::Skipped ? 1 : 0;
  }
};

// Marks each entry whose output is up to date (see IsOutputUpToDate) under the name the run
// will give it; only for a filename mask that names a file before it is converted
// (IsNameKnownBeforeConversion).
void FindUpToDateOutputs(const Run& run, std::vector<InputEntry>& entries);

// Makes the file's output subfolder when the run keeps subfolders.
void PrepareOutputFolder(const Run& run, const InputEntry& entry);

// Converts the file in this process: its output subfolder first, then its encoded output, in
// memory.
Converted ConvertHere(const Run& run, const RunResources& resources, const InputEntry& entry,
                      const FileNumbers& numbers);

// An entry marked up to date as it settles: not converted, skipped.
Converted SkippedFile(const InputEntry& entry);

// ConvertHere, or SkippedFile for an entry marked up to date.
Converted ConvertUnlessUpToDate(const Run& run, const RunResources& resources,
                                const InputEntry& entry, const FileNumbers& numbers);

// A worker's side of the phase: converts each file it is given and writes its output to the
// draft its task names (sending the bytes only when that fails). Returns when no more tasks come
// (true) or when a task cannot be read (false).
bool ServeTasks(const Run& run, const std::vector<InputEntry>& entries, WorkerChannel& channel);

// A file's end, in input order: its output written under its final name (from its draft when
// one is given), the debug lines on standard output, and on standard error the reason a file
// failed, or the warning of a damaged picture converted in part, or of a variant name (and in
// debug mode what the decoders said of a file that converted); then its file time, and its record
// in the report. The output's name is one names has not given yet (see naming/output_names.h); a
// file that gets a variant of its name says so on standard error. With --skip-existing a file
// whose output is up to date (marked before, or found now when only the picture tells its name)
// is not written; in debug mode a line on standard error says so.
Settled SettleFile(const Run& run, Converted& converted, ProgressDisplay& progress,
                   OutputNames& names, RunReport& report, TemporaryFile* draft = nullptr);
