// batch/ledger.h: the naming numbers of files converted out of order. A file's %n% and %rnd%
// depend on how many files before it were written; when several files convert at once, a file
// starts with numbers guessed on the assumption that every earlier file not yet known to have
// failed will be written, and its result is checked against the exact numbers when its turn to
// be written comes, in input order.
#pragma once

#include <cstddef>
#include <vector>

#include "naming/file_context.h"

class FileLedger {
 public:
  explicit FileLedger(size_t files) : failed_(files, false) {}

  // The numbers to convert the file at index with now (index at or after the next to write).
  FileNumbers Guess(size_t index);
  // The file at index gave no picture to write: it will use up no numbers.
  void MarkFailed(size_t index) { failed_[index] = true; }
  // The file whose turn it is to be written, in input order.
  size_t next() const { return next_; }
  bool IsDone() const { return next_ == failed_.size(); }
  // The exact numbers of the file whose turn it is.
  FileNumbers Exact() { return NumbersAfter(written_); }
  // The file whose turn it was is settled: written or not.
  void Settle(bool written);

 private:
  // The numbers of the file after `count` written files: the run's sequence, drawn as needed.
  FileNumbers NumbersAfter(size_t count);

  std::vector<bool> failed_;
  std::vector<FileNumbers> sequence_;
  size_t next_ = 0;
  size_t written_ = 0;
};
