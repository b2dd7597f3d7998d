// platform/child.h (private to platform/): child processes that lead process groups of their
// own, as RunProgram and RunIsolated start them, so that a deadline can end a child together with
// everything it started.
#pragma once

#include <chrono>

// Registers the group of a child just started, so that a signal that ends this program (SIGINT,
// SIGTERM, SIGHUP, SIGQUIT, unless ignored when the first child starts) ends the group too, as
// it would if the child shared this program's group. Holds 16 groups at a time, far more than
// one worker starts; a child beyond them is still ended by its deadline. Safe from any thread.
void WatchChildGroup(int pid);

struct ChildEnd {
  int status = -1;      // the wait status; -1 when the child could not be waited for
  bool killed = false;  // the deadline came first
};

// Waits for the child until the deadline, then kills its process group with SIGKILL; what the
// child leaves running in its group when it ends by itself is killed too. Always reaps the child
// and ends its registration. Nobody else may reap the caller's children.
ChildEnd EndChildGroup(int pid, std::chrono::steady_clock::time_point deadline);
