#include "batch/worker.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <optional>

#include "batch/ledger.h"
#include "console/progress.h"
#include "naming/file_context.h"
#include "naming/output_path.h"
#include "naming/tokens.h"
#include "pipeline/convert_file.h"
#include "platform/ending.h"
#include "platform/files.h"
#include "platform/worker_process.h"

namespace {

FileContext ContextFor(const InputEntry& entry, const FileNumbers& numbers) {
  FileContext file;
  file.inputPath = entry.path;
  file.relativeSubfolder = entry.relativeSubfolder;
  file.numbers = numbers;
  return file;
}

void PrepareOutputFolder(const Run& run, const InputEntry& entry) {
  if (run.settings.naming.keepSubfolders)
    EnsureOutputSubfolder(run.outputFolder, entry.relativeSubfolder);
}

// A file's end, in input order: its output written under its final name, the debug lines on
// standard output, and on standard error the reason a file failed (and in debug mode what the
// decoders said of a file that converted); then its file time. True when it was written.
bool SettleFile(const Run& run, FileContext& file, FileResult& result, ProgressDisplay& progress,
                TemporaryFile* draft = nullptr) {
  WriteFile(run, file, result, draft);
  if (run.debug) {
    progress.PrintLine("Saving As: " + file.outputPath);
    progress.PrintLine(result.written ? "OK" : "Not OK");
  }
  const std::string prefix = ProgramName() + ": " + file.inputPath + ": ";
  if (!result.written)
    progress.PrintErrorLine(prefix + result.failure);
  else if (run.debug)
    progress.PrintErrorLine(prefix + result.decoders);
  if (result.written) ApplyFileTimestamp(file.inputPath, file.outputPath, run.settings.naming);
  return result.written;
}

int32_t ConvertOneAfterAnother(const Run& run, const std::vector<InputEntry>& entries,
                               ProgressDisplay& progress) {
  const RunResources resources = LoadRunResources(run);
  FileNumbers numbers = FirstFileNumbers();
  int32_t converted = 0;
  for (const InputEntry& entry : entries) {
    progress.StartFile(entry.path);
    FileContext file = ContextFor(entry, numbers);
    PrepareOutputFolder(run, entry);
    if (run.debug) progress.PrintLine("Processing: " + file.inputPath);
    FileResult result = EncodeFile(run, resources, file);
    progress.FinishFile();
    if (!SettleFile(run, file, result, progress)) continue;
    ++converted;
    numbers = NextFileNumbers(numbers);
  }
  return converted;
}

// The messages between the parent and its workers: numbers and texts in a row.
class MessageWriter {
 public:
  MessageWriter& Number(int64_t value) {
    bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
    return *this;
  }
  MessageWriter& Text(const std::string& text) {
    Number(static_cast<int64_t>(text.size()));
    bytes_ += text;
    return *this;
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

class MessageReader {
 public:
  explicit MessageReader(const std::string& bytes) : bytes_(bytes) {}
  int64_t Number() {
    int64_t value = 0;
    if (at_ + sizeof value > bytes_.size()) return 0;
    std::memcpy(&value, bytes_.data() + at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  std::string Text() {
    const auto size = static_cast<size_t>(Number());
    if (size > bytes_.size() - at_) return {};
    std::string text = bytes_.substr(at_, size);
    at_ += size;
    return text;
  }

 private:
  const std::string& bytes_;
  size_t at_ = 0;
};

// A file converted by a worker, waiting for its turn to be written.
struct Converted {
  FileContext file;  // as the conversion filled it in, with the numbers it used
  FileResult result;
};

// A task: the file, the numbers to convert it with, and the draft to write its output to (none:
// the output's bytes come back with the result).
std::string TaskMessage(size_t index, const FileNumbers& numbers, const std::string& draft) {
  return MessageWriter()
      .Number(static_cast<int64_t>(index))
      .Number(numbers.randomNumber)
      .Number(numbers.counter)
      .Text(draft)
      .bytes();
}

// Where a worker's result says the encoded output is.
enum class Encoded : int64_t { Nowhere = 0, InBulk = 1, InDraft = 2 };

// The fields of a worker's result; the bytes of the output file travel as its bulk.
std::string ResultFields(const FileContext& file, const FileResult& result) {
  MessageWriter message;
  message.Number(file.numbers.randomNumber);
  message.Number(file.numbers.counter).Number(file.loadedBpp).Number(file.targetBpp);
  message.Number(file.outputWidth).Number(file.outputHeight).Number(result.loaded);
  const Encoded encoded = result.inDraft ? Encoded::InDraft
                          : result.bytes ? Encoded::InBulk
                                         : Encoded::Nowhere;
  message.Text(result.failure).Text(result.decoders).Number(static_cast<int64_t>(encoded));
  return message.bytes();
}

// The worker's side: converts each file it is given and writes its output to the draft the task
// names.
void Serve(const Run& run, const std::vector<InputEntry>& entries, WorkerChannel& channel) {
  const RunResources resources = LoadRunResources(run);
  while (const std::optional<std::string> task = channel.NextTask()) {
    MessageReader reader(*task);
    const auto index = static_cast<size_t>(reader.Number());
    FileNumbers numbers;
    numbers.randomNumber = static_cast<int32_t>(reader.Number());
    numbers.counter = reader.Number();
    const std::string draft = reader.Text();
    if (index >= entries.size()) return;
    FileContext file = ContextFor(entries[index], numbers);
    FileResult result = EncodeFile(run, resources, file);
    // The output goes to its draft beside where it belongs, written here, at the same time as
    // the other workers write theirs; only when that fails do its bytes travel.
    std::string message;
    if (result.bytes && !draft.empty() && WriteFileBytes(draft, *result.bytes, message)) {
      result.bytes.reset();
      result.inDraft = true;
    }
    if (!channel.SendResult(ResultFields(file, result), result.bytes.value_or(std::string())))
      return;
  }
}

// The parent's reading of a worker's result for the file of entry (a worker answers each task
// before it takes the next).
Converted ReadResult(WorkerResult message, const InputEntry& entry) {
  MessageReader reader(message.fields);
  FileNumbers numbers;
  numbers.randomNumber = static_cast<int32_t>(reader.Number());
  numbers.counter = reader.Number();
  Converted converted{ContextFor(entry, numbers), {}};
  converted.file.loadedBpp = static_cast<int32_t>(reader.Number());
  converted.file.targetBpp = static_cast<int32_t>(reader.Number());
  converted.file.outputWidth = static_cast<int32_t>(reader.Number());
  converted.file.outputHeight = static_cast<int32_t>(reader.Number());
  converted.result.loaded = reader.Number() != 0;
  converted.result.failure = reader.Text();
  converted.result.decoders = reader.Text();
  const auto encoded = static_cast<Encoded>(reader.Number());
  if (encoded == Encoded::InBulk) converted.result.bytes = std::move(message.bulk);
  converted.result.inDraft = encoded == Encoded::InDraft;
  return converted;
}

// One worker and the files given to it, in the order it converts them: the first is in hand,
// the next waits in its pipe, so that the worker never waits for the parent between files.
struct Slot {
  WorkerProcess process;
  std::deque<size_t> files;
};

constexpr size_t kFilesPerWorker = 2;

class ParallelConversion {
 public:
  ParallelConversion(const Run& run, const std::vector<InputEntry>& entries, int jobs)
      : run_(run),
        entries_(entries),
        jobs_(static_cast<size_t>(jobs)),
        ledger_(entries.size()),
        // At most this many files are started ahead of the one whose turn it is, which bounds
        // the results held here.
        window_(16 * static_cast<size_t>(jobs)),
        // Only a watermark that shows the numbers makes a guess that proved wrong cost a
        // conversion: the output name is made with the exact numbers anyway.
        numbered_(run.settings.watermark.kind == WatermarkKind::Text &&
                  TextUsesFileNumbers(run.settings.watermark.text.text)) {
    for (int i = 0; i < jobs; ++i) StartWorker();
  }

  int32_t ConvertEverything(ProgressDisplay& progress) {
    progress_ = &progress;
    while (!ledger_.IsDone()) {
      GiveOutWork();
      if (slots_.empty()) {
        ConvertHereWhenNoWorkerRuns();
      } else {
        CollectResults();
      }
      SettleInTurn();
    }
    return converted_;
  }

 private:
  void StartWorker() {
    std::string error;
    std::optional<WorkerProcess> process = WorkerProcess::Start(
        [this](WorkerChannel& channel) { Serve(run_, entries_, channel); }, error);
    if (process) slots_.push_back({std::move(*process), {}});
  }

  void GiveOutWork() {
    for (size_t round = 0; round < kFilesPerWorker; ++round) {
      for (Slot& slot : slots_) {
        if (slot.files.size() > round) continue;
        size_t index;
        if (!again_.empty()) {
          // Files to start (again) come first: the one whose turn it is, whose numbers are
          // exact now, or files a lost worker never began.
          index = again_.front();
          again_.pop_front();
        } else if (nextToStart_ < entries_.size() && nextToStart_ < ledger_.next() + window_) {
          index = nextToStart_++;
          PrepareOutputFolder(run_, entries_[index]);
          auto draft = std::make_unique<TemporaryFile>();
          if (MakeDraft(run_, entries_[index].relativeSubfolder, *draft))
            drafts_.emplace(index, std::move(draft));
        } else {
          return;
        }
        slot.files.push_back(index);
        // A worker that cannot take it has ended: its end is collected with the results.
        const auto draft = drafts_.find(index);
        const std::string draftPath = draft != drafts_.end() ? draft->second->path() : "";
        slot.process.SendTask(TaskMessage(index, ledger_.Guess(index), draftPath));
      }
    }
  }

  void CollectResults() {
    std::vector<int> descriptors;
    std::vector<Slot*> busy;
    for (Slot& slot : slots_) {
      if (slot.files.empty()) continue;
      descriptors.push_back(slot.process.resultDescriptor());
      busy.push_back(&slot);
    }
    if (busy.empty()) return;
    const std::vector<bool> readable = WaitForReadable(descriptors);
    for (size_t i = 0; i < busy.size(); ++i) {
      if (!readable[i]) continue;
      Slot& slot = *busy[i];
      const size_t index = slot.files.front();
      slot.files.pop_front();
      if (std::optional<WorkerResult> message = slot.process.ReceiveResult()) {
        Keep(index, ReadResult(std::move(*message), entries_[index]));
        continue;
      }
      // The worker is gone (a crash in a library, say): the file fails, the others go on. A
      // worker ended by Ctrl-C or SIGTERM means the run is being ended: so it ends.
      const WorkerEnd end = slot.process.Stop();
      JoinEnding(end.signal);
      again_.insert(again_.end(), slot.files.begin(), slot.files.end());
      slot.files.clear();
      Converted lost{ContextFor(entries_[index], ledger_.Exact()), {}};
      lost.result.failure = "the worker process converting it ended " +
                            (end.signal != 0 ? "by signal " + std::to_string(end.signal) + " (" +
                                                   strsignal(end.signal) + ")"
                                             : "with status " + std::to_string(end.exitStatus));
      Keep(index, std::move(lost));
    }
    std::erase_if(slots_, [](const Slot& slot) { return slot.process.pid() < 0; });
    // A worker lost is replaced, within reason: a library that crashes on every file must not
    // make this fork for ever.
    while (slots_.size() < jobs_ && !ledger_.IsDone() && restarts_ < kMaxRestarts) {
      ++restarts_;
      StartWorker();
      if (slots_.empty()) break;
    }
  }

  // Without any worker (none could be started), the file whose turn it is converts here.
  void ConvertHereWhenNoWorkerRuns() {
    const size_t index = ledger_.next();
    if (waiting_.contains(index)) return;
    std::erase(again_, index);
    Converted converted{ContextFor(entries_[index], ledger_.Exact()), {}};
    PrepareOutputFolder(run_, entries_[index]);
    if (!resources_) resources_ = LoadRunResources(run_);
    converted.result = EncodeFile(run_, *resources_, converted.file);
    nextToStart_ = std::max(nextToStart_, index + 1);
    Keep(index, std::move(converted));
  }

  void Keep(size_t index, Converted converted) {
    if (!converted.result.bytes && !converted.result.inDraft) ledger_.MarkFailed(index);
    waiting_.insert_or_assign(index, std::move(converted));
  }

  void SettleInTurn() {
    while (!ledger_.IsDone() && waiting_.contains(ledger_.next())) {
      const size_t index = ledger_.next();
      Converted& converted = waiting_.at(index);
      const FileNumbers exact = ledger_.Exact();
      const bool encoded = converted.result.bytes || converted.result.inDraft;
      if (numbered_ && encoded && !(converted.file.numbers == exact)) {
        // Drawn with numbers that an earlier failure made wrong: convert it again.
        waiting_.erase(index);
        again_.push_front(index);
        return;
      }
      converted.file.numbers = exact;
      progress_->StartFile(converted.file.inputPath);
      if (run_.debug) progress_->PrintLine("Processing: " + converted.file.inputPath);
      progress_->FinishFile();
      const auto draft = drafts_.find(index);
      const bool written = SettleFile(run_, converted.file, converted.result, *progress_,
                                      draft != drafts_.end() ? draft->second.get() : nullptr);
      if (draft != drafts_.end()) drafts_.erase(draft);  // placed, or removed with it
      converted_ += written ? 1 : 0;
      ledger_.Settle(written);
      waiting_.erase(index);
    }
    if (!ledger_.IsDone()) progress_->StartFile(entries_[ledger_.next()].path);
  }

  static constexpr int kMaxRestarts = 64;

  const Run& run_;
  const std::vector<InputEntry>& entries_;
  const size_t jobs_;
  ProgressDisplay* progress_ = nullptr;
  FileLedger ledger_;
  // Only the files in hand, so that nothing here grows with the number of files: the results
  // waiting for their turn, and the temporary files in the output folders that they write their
  // outputs to.
  std::map<size_t, Converted> waiting_;
  std::map<size_t, std::unique_ptr<TemporaryFile>> drafts_;
  std::deque<size_t> again_;
  std::optional<RunResources> resources_;  // only when no worker runs and files convert here
  std::vector<Slot> slots_;
  size_t nextToStart_ = 0;
  const size_t window_;
  const bool numbered_;
  int restarts_ = 0;
  int32_t converted_ = 0;
};

}  // namespace

int32_t ConvertAll(const Run& run, const std::vector<InputEntry>& entries, int jobs,
                   bool showProgress) {
  jobs = std::min(jobs, static_cast<int>(entries.size()));
  if (jobs <= 1) {
    ProgressDisplay progress(showProgress, static_cast<int64_t>(entries.size()));
    return ConvertOneAfterAnother(run, entries, progress);
  }
  // The workers start before the progress display's thread does.
  ParallelConversion parallel(run, entries, jobs);
  ProgressDisplay progress(showProgress, static_cast<int64_t>(entries.size()));
  return parallel.ConvertEverything(progress);
}
