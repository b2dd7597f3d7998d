// batch/phase.h: running one phase of a run (import or conversion) on a thread of its own.
#pragma once

#include <cstdint>
#include <mutex>
#include <thread>

// Runs work on a phase thread while the caller waits, and returns the count the thread
// published under the batch mutex.
template <typename Work>
int32_t RunPhase(Work work) {
  std::mutex batchMutex;
  int32_t batchCount = 0;
  std::thread phase([&] {
    const int32_t count = work();
    std::lock_guard<std::mutex> lock(batchMutex);
    batchCount = count;
  });
  phase.join();
  return batchCount;
}
