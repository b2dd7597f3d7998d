// batch/file_conversion.h (private to batch/): one file of the conversion phase: converted in
// this process or in a worker process, and settled when its turn comes.
#pragma once

#include <vector>

#include "batch/collect.h"
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

// Makes the file's output subfolder when the run keeps subfolders.
void PrepareOutputFolder(const Run& run, const InputEntry& entry);

// Converts the file in this process: its output subfolder first, then its encoded output, in
// memory.
Converted ConvertHere(const Run& run, const RunResources& resources, const InputEntry& entry,
                      const FileNumbers& numbers);

// A worker's side of the phase: converts each file it is given and writes its output to the
// draft its task names (sending the bytes only when that fails). Returns when no more tasks come
// (true) or when a task cannot be read (false).
bool ServeTasks(const Run& run, const std::vector<InputEntry>& entries, WorkerChannel& channel);

// A file's end, in input order: its output written under its final name (from its draft when
// one is given), the debug lines on standard output, and on standard error the reason a file
// failed (and in debug mode what the decoders said of a file that converted); then its file
// time. The output's name is one names has not given yet (see naming/output_names.h); a file
// that gets a variant of its name says so on standard error. True when it was written.
bool SettleFile(const Run& run, Converted& converted, ProgressDisplay& progress, OutputNames& names,
                TemporaryFile* draft = nullptr);
