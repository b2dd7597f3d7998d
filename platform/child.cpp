#include "platform/child.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>

#include "platform/descriptor.h"

using Clock = std::chrono::steady_clock;

namespace {

// The groups of the children alive now; 0 marks a free slot. Plain atomics, because the signal
// handler reads them.
std::array<std::atomic<int>, 16> gChildGroups{};

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void EndChildGroupsAndDie(int signal) {
  for (std::atomic<int>& group : gChildGroups)
    if (const int pid = group.load(); pid > 0) kill(-pid, SIGKILL);
  // The handler was installed with SA_RESETHAND: the signal now does what it would have done.
  raise(signal);
}

// Installs the handler for the ending signals this program does not ignore.
void ForwardEndingSignals() {
  for (int signal : kEndingSignals) {
    struct sigaction previous {};
    if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = EndChildGroupsAndDie;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
}

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

void WatchChildGroup(int pid) {
  static std::once_flag installed;
  std::call_once(installed, ForwardEndingSignals);
  for (std::atomic<int>& group : gChildGroups) {
    int free = 0;
    if (group.compare_exchange_strong(free, pid)) return;
  }
}

ChildEnd EndChildGroup(int pid, Clock::time_point deadline) {
  ChildEnd end;
  end.killed = !AwaitEnd(pid, deadline);
  kill(-pid, SIGKILL);
  while (waitpid(pid, &end.status, 0) < 0) {
    if (errno != EINTR) {
      end.status = -1;
      break;
    }
  }
  for (std::atomic<int>& group : gChildGroups) {
    int expected = pid;
    if (group.compare_exchange_strong(expected, 0)) break;
  }
  return end;
}
