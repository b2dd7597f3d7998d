// console/progress.h: the one-line progress display of the conversion phase, on standard error,
// redrawn in place while the files are converted and erased before the summary.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/ending.h"

// The line for `done` of `total` files after elapsedSeconds, with the file in hand last, at
// most columns - 1 characters wide (the file's path cut from the left with "..." when it does
// not fit; nothing but the path is ever cut). The estimate of what is left needs one file done.
//   "12 of 5000 done, 0:42 elapsed, about 2:10 left: /in/d0/e1/f12.pct"
std::string FormatProgressLine(int64_t done, int64_t total, std::string_view file,
                               int64_t elapsedSeconds, int columns);

// Redraws the line at most four times a second from a thread of its own, which also keeps the
// elapsed time going while one file takes long. Does nothing at all when not shown. Safe to use
// from the thread that converts while the display draws. A run ended by a signal erases it.
class ProgressDisplay {
 public:
  // shown: standard error is a terminal and the run is not quiet.
  ProgressDisplay(bool shown, int64_t total);
  // Erases the line, so that what is printed next starts on a clean line.
  ~ProgressDisplay();
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  void StartFile(std::string_view path);
  void FinishFile();
  // Prints a line on standard output without mixing it into the progress line.
  void PrintLine(std::string_view text);
  // The same for a line on standard error.
  void PrintErrorLine(std::string_view text);
  // Runs work while the display has no thread (the line stays as it is meanwhile), so that
  // work can fork a process that holds nothing of that thread's.
  void WhileNotDrawing(const std::function<void()>& work);

 private:
  void Start();
  void Stop();
  void Run();
  void DrawLocked();
  void EraseLocked();

  // Timed, so that a run ended by a signal never waits long for it to erase the line.
  std::timed_mutex mutex_;
  std::condition_variable_any wake_;
  bool stopping_ = false;
  // Set when a signal ends the run: the line is not drawn again. Read without the lock, since the
  // end may not get it.
  std::atomic<bool> ended_ = false;
  bool drawn_ = false;
  int64_t done_ = 0;
  const int64_t total_;
  std::string file_;
  std::chrono::steady_clock::time_point start_;
  std::thread thread_;
  EndingAction erase_;  // a run ended by a signal leaves no progress line behind
};
