// platform/isolated.h: running work that may hang or crash (a decoder fed untrusted bytes) in a
// child process with a time limit, so that a failure there costs one result, not the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// How the child hands bytes back: writes all of size bytes; false when nobody reads any more.
using IsolatedWriter = std::function<bool(const void* data, size_t size)>;

// What the child may work with.
struct IsolatedLimits {
  int timeoutMilliseconds = 5000;       // one deadline for the whole run, writing included
  uint64_t memoryBytes = 4ULL << 30;    // address space the child may add to what it inherits
  size_t maxOutputBytes = size_t{1} << 30;  // more than this is treated as a failure
};

struct IsolatedResult {
  bool completed = false;  // the child ended by itself with status 0 within the time limit
  bool timedOut = false;   // the child was killed at the deadline
  int signal = 0;          // the signal that ended the child (a crash), when one did
  std::string output;      // every byte the child wrote (also when it did not complete)
};

// Runs work in a forked child process that has no core files, /dev/null on its standard
// streams and no descriptor of the caller's open. The child's exit status is 0 when work
// returns true and 1 when it returns false or throws; a crash, a time-out or too much output
// make completed false. The child is always reaped before this returns; nothing stays open.
// work runs in a copy of the caller's memory and must not rely on other threads of the
// caller. Safe to call from any thread, also from several at once; SIGCHLD must not be
// ignored, and nobody else may reap the caller's children (waitpid(-1)).
IsolatedResult RunIsolated(const std::function<bool(const IsolatedWriter& write)>& work,
                           const IsolatedLimits& limits = {});
