#include "batch/scheduler.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "batch/file_conversion.h"
#include "batch/ledger.h"
#include "batch/worker_messages.h"
#include "naming/output_names.h"
#include "naming/tokens.h"
#include "platform/ending.h"
#include "platform/temporary_file.h"
#include "platform/worker_process.h"

namespace {

// One worker and the files given to it, in the order it converts them: the first is in hand,
// the next waits in its pipe, so that the worker never waits for the parent between files.
struct Slot {
  WorkerProcess process;
  std::deque<size_t> files;
};

constexpr size_t kFilesPerWorker = 2;

class ParallelConversion {
 public:
  ParallelConversion(const Run& run, const std::vector<InputEntry>& entries, int jobs,
                     ProgressDisplay& progress, RunReport& report)
      : run_(run),
        entries_(entries),
        jobs_(static_cast<size_t>(jobs)),
        progress_(progress),
        report_(report),
        ledger_(entries.size()),
        // At most this many files are started ahead of the one whose turn it is, which bounds
        // the results held here.
        window_(16 * static_cast<size_t>(jobs)),
        // Only a watermark that shows the numbers makes a guess that proved wrong cost a
        // conversion: the output name is made with the exact numbers anyway.
        numbered_(run.settings.watermark.kind == WatermarkKind::Text &&
                  TextUsesFileNumbers(run.settings.watermark.text.text)) {}

  ConversionCounts ConvertEverything() {
    StartWorkers(jobs_);
    while (!ledger_.IsDone()) {
      GiveOutWork();
      if (slots_.empty()) {
        ConvertHereWhenNoWorkerRuns();
      } else {
        CollectResults();
      }
      SettleInTurn();
    }
    return counts_;
  }

 private:
  // Starts workers until count run or one cannot be started. A worker is forked from a process
  // in which no thread runs but this one and the ending watch: the progress display's thread is
  // stopped for the forks. Once a file was converted here, whose libraries may have started
  // threads of their own, no worker is forked any more.
  void StartWorkers(size_t count) {
    if (resources_) return;
    progress_.WhileNotDrawing([&] {
      while (slots_.size() < count) {
        std::string message;
        std::optional<WorkerProcess> process = WorkerProcess::Start(
            [this](WorkerChannel& channel) { return ServeTasks(run_, entries_, channel); },
            message);
        if (!process) break;
        slots_.push_back({std::move(*process), {}});
      }
    });
  }

  void GiveOutWork() {
    PassOverUpToDateFiles();
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
          PassOverUpToDateFiles();
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
        slot.process.SendTask(
            EncodeTask({index, ResourceIdOf(entries_[index]), ledger_.Guess(index), draftPath}));
      }
    }
  }

  // Files whose outputs are up to date wait for their turn as they are: no worker, no draft.
  void PassOverUpToDateFiles() {
    while (nextToStart_ < entries_.size() && nextToStart_ < ledger_.next() + window_ &&
           entries_[nextToStart_].upToDate) {
      Keep(nextToStart_, SkippedFile(entries_[nextToStart_]));
      ++nextToStart_;
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
      std::string unreadable;
      if (std::optional<WorkerResult> message = slot.process.ReceiveResult()) {
        Converted converted{ContextFor(entries_[index], {}), {}};
        if (DecodeResult(message->fields, converted.file, converted.result, unreadable)) {
          if (converted.result.encoded == Encoded::InMemory)
            converted.result.bytes = std::move(message->bulk);
          Keep(index, std::move(converted));
          continue;
        }
      }
      // The worker is gone (a crash in a library, say), or out of step with this process: the
      // file fails, the others go on. A worker ended by Ctrl-C or SIGTERM means the run is
      // being ended: so it ends.
      const WorkerEnd end = slot.process.Stop();
      JoinEnding(end.signal);
      again_.insert(again_.end(), slot.files.begin(), slot.files.end());
      slot.files.clear();
      Converted lost{ContextFor(entries_[index], ledger_.Exact()), {}};
      lost.result.failure =
          !unreadable.empty()
              ? "the worker process converting it sent a result that cannot be read (" +
                    unreadable + ")"
              : "the worker process converting it ended " +
                    (end.signal != 0 ? "by signal " + std::to_string(end.signal) + " (" +
                                           strsignal(end.signal) + ")"
                                     : "with status " + std::to_string(end.exitStatus));
      Keep(index, std::move(lost));
    }
    std::erase_if(slots_, [](const Slot& slot) { return slot.process.pid() < 0; });
    // A worker lost is replaced, within reason: a library that crashes on every file must not
    // make this fork for ever.
    if (slots_.size() < jobs_ && !ledger_.IsDone() && restarts_ < kMaxRestarts) {
      const size_t before = slots_.size();
      StartWorkers(std::min(jobs_, before + kMaxRestarts - restarts_));
      restarts_ += std::max<size_t>(slots_.size() - before, 1);
    }
  }

  // Without any worker (none could be started), the file whose turn it is converts here, as
  // with one job.
  void ConvertHereWhenNoWorkerRuns() {
    const size_t index = ledger_.next();
    if (waiting_.contains(index)) return;
    std::erase(again_, index);
    if (!resources_) resources_ = LoadRunResources(run_);
    nextToStart_ = std::max(nextToStart_, index + 1);
    Keep(index, ConvertUnlessUpToDate(run_, *resources_, entries_[index], ledger_.Exact()));
  }

  void Keep(size_t index, Converted converted) {
    if (converted.result.encoded == Encoded::Nowhere) ledger_.MarkFailed(index);
    waiting_.insert_or_assign(index, std::move(converted));
  }

  void SettleInTurn() {
    while (!ledger_.IsDone() && waiting_.contains(ledger_.next())) {
      const size_t index = ledger_.next();
      Converted& converted = waiting_.at(index);
      const FileNumbers exact = ledger_.Exact();
      const bool encoded = converted.result.encoded != Encoded::Nowhere;
      if (numbered_ && encoded && !(converted.file.numbers == exact)) {
        // Drawn with numbers that an earlier failure made wrong: convert it again.
        waiting_.erase(index);
        again_.push_front(index);
        return;
      }
      converted.file.numbers = exact;
      progress_.StartFile(InputLabel(converted.file));
      if (run_.debug) progress_.PrintLine("Processing: " + InputLabel(converted.file));
      progress_.FinishFile();
      const auto draft = drafts_.find(index);
      const Settled settled = SettleFile(run_, converted, progress_, names_, report_,
                                         draft != drafts_.end() ? draft->second.get() : nullptr);
      if (draft != drafts_.end()) drafts_.erase(draft);  // placed, or removed with it
      counts_.Count(settled);
      ledger_.Settle(settled == Settled::Written);
      waiting_.erase(index);
    }
    if (!ledger_.IsDone())
      progress_.StartFile(InputLabel(ContextFor(entries_[ledger_.next()], {})));
  }

  static constexpr size_t kMaxRestarts = 64;

  const Run& run_;
  const std::vector<InputEntry>& entries_;
  const size_t jobs_;
  ProgressDisplay& progress_;
  RunReport& report_;
  FileLedger ledger_;
  OutputNames names_;  // given in input order, as settling goes
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
  size_t restarts_ = 0;
  ConversionCounts counts_;
};

}  // namespace

ConversionCounts ConvertInWorkers(const Run& run, const std::vector<InputEntry>& entries, int jobs,
                                  ProgressDisplay& progress, RunReport& report) {
  return ParallelConversion(run, entries, jobs, progress, report).ConvertEverything();
}
