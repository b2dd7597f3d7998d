#include "platform/child.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/descriptor.h"
#include "platform/ending_state.h"

using Clock = std::chrono::steady_clock;

namespace {

// Waits until the child has ended (not reaping it, so that its pid, which names its group,
// cannot be reused meanwhile) or the deadline has passed; true when it has ended.
bool AwaitEnd(int pid, Clock::time_point deadline) {
  // glibc's pidfd_open lacks C linkage in this release; the system call is the same.
  const UniqueFd handle(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)));
  for (;;) {
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
      if (errno == EINTR) continue;
      return true;  // nothing to wait for: reaping tells the rest
    }
    if (info.si_pid == pid) return true;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    if (handle.get() >= 0) {
      pollfd ended{handle.get(), POLLIN, 0};
      poll(&ended, 1, static_cast<int>(left.count()));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));  // kernels without pidfd
    }
  }
}

}  // namespace

ChildEnd EndChildGroup(int pid, Clock::time_point deadline) {
  ChildEnd end;
  end.killed = !AwaitEnd(pid, deadline);
  kill(-pid, SIGKILL);
  // Still unreaped, so the pid names no other process while the registration ends.
  ForgetChild(pid);
  while (waitpid(pid, &end.status, 0) < 0) {
    if (errno != EINTR) {
      end.status = -1;
      break;
    }
  }
  return end;
}

int StartWatchedChild(const std::function<int()>& start, ChildKind kind) {
  EndingState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  const int pid = start();
  if (pid > 0) state.children.push_back({pid, kind});
  return pid;
}

void ForgetChild(int pid) {
  EndingState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::erase_if(state.children, [pid](const WatchedChild& child) { return child.pid == pid; });
}

void RestoreSignalsInChild() {
  sigset_t none;
  sigemptyset(&none);
  pthread_sigmask(SIG_SETMASK, &none, nullptr);
}

void PrepareSpawnSignals(posix_spawnattr_t* attributes, short& flags) {
  // A program inherits the blocked mask across exec: it must be able to die of a signal.
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(attributes, &none);
  // SIGPIPE is ignored here for our own sake; the program gets its usual default.
  sigset_t standard;
  sigemptyset(&standard);
  sigaddset(&standard, SIGPIPE);
  posix_spawnattr_setsigdefault(attributes, &standard);
  flags |= POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
}
