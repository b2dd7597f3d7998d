#include "batch/ledger.h"

FileNumbers FileLedger::NumbersAfter(size_t count) {
  // One draw per file written, in order, as one file after another would draw them.
  if (sequence_.empty()) sequence_.push_back(FirstFileNumbers());
  while (sequence_.size() <= count) sequence_.push_back(NextFileNumbers(sequence_.back()));
  return sequence_[count];
}

FileNumbers FileLedger::Guess(size_t index) {
  size_t written = written_;
  for (size_t i = next_; i < index; ++i) written += failed_[i] ? 0 : 1;
  return NumbersAfter(written);
}

void FileLedger::Settle(bool written) {
  if (written) ++written_;
  ++next_;
}
