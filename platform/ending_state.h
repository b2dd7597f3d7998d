// platform/ending_state.h (private to platform/): what the end of a run undoes, under one lock:
// the actions registered (platform/ending.h) and the children started (platform/child.h).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

// How the end of the run ends a child.
enum class ChildKind {
  Group,   // leads a process group of its own: the whole group is killed at once
  Worker,  // a worker process of this program, in its group: asked to end (SIGTERM) so that it
           // ends its own children and removes its own files, and killed if it has not soon
};

struct WatchedChild {
  int pid;
  ChildKind kind;
};

// The mutex is taken for good by the watching thread when the end begins.
struct EndingState {
  std::mutex mutex;
  uint64_t nextId = 1;
  std::vector<std::pair<uint64_t, std::function<void()>>> actions;
  std::vector<WatchedChild> children;
};

// The process's record. Without StartEndingWatch (the tests' own processes) the first user
// makes it.
EndingState& State();

// Gives the process a fresh, empty record: in a forked worker the parent's is a copy that the
// fork may have caught locked, and nothing in it is the worker's to undo.
void StartFreshState();
