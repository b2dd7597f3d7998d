// platform/child.h (private to platform/): starting and ending child processes so that the end
// of the run (platform/ending.h) ends them too, with no moment in which a child could be left
// behind.
#pragma once

#include <spawn.h>

#include <chrono>
#include <functional>

#include "platform/ending_state.h"  // ChildKind

// Starts a child with start(), which returns its pid (or -1), while no end can begin, and
// registers it in the same step. Returns what start() returned.
int StartWatchedChild(const std::function<int()>& start, ChildKind kind);

// Ends a child's registration. Call it before reaping the child: until then its pid cannot
// name another process.
void ForgetChild(int pid);

// In a forked child that will run code of this program, not exec: lets every signal through
// again, as the watch blocked the ending ones.
void RestoreSignalsInChild();

// Adds to the spawn attributes what gives the program an empty signal mask and the default
// SIGPIPE; ORs the flags that needs into flags.
void PrepareSpawnSignals(posix_spawnattr_t* attributes, short& flags);

struct ChildEnd {
  int status = -1;      // the wait status; -1 when the child could not be waited for
  bool killed = false;  // the deadline came first
};

// Waits for the child until the deadline, then kills its process group with SIGKILL; what the
// child leaves running in its group when it ends by itself is killed too. Always reaps the child
// and ends its registration. Nobody else may reap the caller's children.
ChildEnd EndChildGroup(int pid, std::chrono::steady_clock::time_point deadline);
