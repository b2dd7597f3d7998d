#include "platform/isolated.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>

#include "platform/child.h"
#include "platform/descriptor.h"

using Clock = std::chrono::steady_clock;

static constexpr int kChildOutputFd = 3;

// Bytes of address space the process maps now, so that the child's limit is what it may add.
static uint64_t MappedBytes() {
  UniqueFd statm(open("/proc/self/statm", O_RDONLY | O_CLOEXEC));
  if (statm.get() < 0) return 0;
  char text[64] = {};
  const ssize_t n = read(statm.get(), text, sizeof text - 1);
  if (n <= 0) return 0;
  uint64_t pages = 0;
  for (ssize_t i = 0; i < n && text[i] >= '0' && text[i] <= '9'; ++i)
    pages = pages * 10 + static_cast<uint64_t>(text[i] - '0');
  return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

// Runs in the child only: never returns.
[[noreturn]] static void RunChild(int outputFd, uint64_t addressLimit,
                                  const std::function<bool(const IsolatedWriter&)>& work) {
  // A group of its own, as the parent also makes it, so that the deadline can end it whole.
  setpgid(0, 0);
  RestoreSignalsInChild();
  // A runaway allocation fails inside the child instead of exhausting the machine.
  const rlimit memory{addressLimit, addressLimit};
  setrlimit(RLIMIT_AS, &memory);
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);

  // Move the pipe out of the way first: the caller may have started with 0, 1 or 2 closed.
  const int output = fcntl(outputFd, F_DUPFD, 10);
  const int devNull = open("/dev/null", O_RDWR);
  if (output < 0 || devNull < 0) _exit(1);
  // glibc reports heap corruption on fd 2; nobody should see that from a decoder.
  for (int fd : {0, 1, 2}) dup2(devNull, fd);
  dup2(output, kChildOutputFd);
  // Descriptors inherited from other threads (another child's pipe, above all) would keep
  // their readers waiting for an end of file until this child is gone.
  if (close_range(kChildOutputFd + 1, UINT_MAX, 0) != 0) {
    for (int fd = kChildOutputFd + 1; fd < 4096; ++fd) close(fd);
  }

  bool ok = false;
  try {
    ok = work([](const void* data, size_t size) { return WriteAll(kChildOutputFd, data, size); });
  } catch (...) {
    ok = false;
  }
  // _exit: the child must not run the caller's atexit handlers or flush its stdio buffers.
  _exit(ok ? 0 : 1);
}

IsolatedResult RunIsolated(const std::function<bool(const IsolatedWriter& write)>& work,
                           const IsolatedLimits& limits) {
  IsolatedResult result;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(limits.timeoutMilliseconds);
  const uint64_t addressLimit = MappedBytes() + limits.memoryBytes;

  int ends[2];
  // Close-on-exec, so that programs other threads start meanwhile do not hold the pipe open.
  if (pipe2(ends, O_CLOEXEC) != 0) return result;
  UniqueFd readEnd(ends[0]);
  UniqueFd writeEnd(ends[1]);

  const pid_t pid = StartWatchedChild(
      [&] {
        const pid_t child = fork();
        if (child == 0) RunChild(writeEnd.get(), addressLimit, work);
        // Set on both sides, so that the group exists before either goes on.
        if (child > 0) setpgid(child, child);
        return child;
      },
      ChildKind::Group);
  if (pid < 0) return result;
  writeEnd.Reset();  // otherwise the end of file never comes

  bool ended = false;   // end of file: the child has closed its side
  bool tooMuch = false;
  char buffer[65536];
  while (!ended && !tooMuch) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd wait{readEnd.get(), POLLIN, 0};
    const int ready = poll(&wait, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) break;
    if (ready == 0) continue;
    const ssize_t n = read(readEnd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    if (n == 0) ended = true;
    result.output.append(buffer, static_cast<size_t>(n));
    if (result.output.size() > limits.maxOutputBytes) tooMuch = true;
  }
  readEnd.Reset();

  // A child that has not closed its side by now is stopped at once; one that has gets the
  // rest of the deadline to finish exiting.
  result.timedOut = !ended && !tooMuch && Clock::now() >= deadline;
  const ChildEnd end = EndChildGroup(pid, ended ? deadline : Clock::now());
  if (end.killed && ended) result.timedOut = true;
  if (end.status >= 0 && WIFSIGNALED(end.status)) result.signal = WTERMSIG(end.status);
  result.completed = ended && !end.killed && end.status >= 0 && WIFEXITED(end.status) &&
                     WEXITSTATUS(end.status) == 0;
  return result;
}
