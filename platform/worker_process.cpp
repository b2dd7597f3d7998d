#include "platform/worker_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/child.h"
#include "platform/descriptor.h"
#include "platform/ending.h"

namespace {

// Where a worker finds its pipes, above its standard streams.
constexpr int kTaskFd = 3;
constexpr int kResultFd = 4;

// A message is its length (8 bytes, this machine's order: both ends are this program) and its
// bytes; a result is two messages.
bool WriteMessage(int fd, const std::string& message) {
  const uint64_t size = message.size();
  return WriteAll(fd, &size, sizeof size) && WriteAll(fd, message.data(), message.size());
}

std::optional<std::string> ReadMessage(int fd) {
  uint64_t size = 0;
  if (!ReadAll(fd, &size, sizeof size)) return std::nullopt;
  std::string message(size, '\0');
  if (!ReadAll(fd, message.data(), message.size())) return std::nullopt;
  return message;
}

[[noreturn]] void RunWorker(int parent, int tasks, int results,
                            const std::function<bool(WorkerChannel&)>& serve) {
  // Its own watch, before anything else: the signals are still blocked from the parent.
  StartEndingWatch();
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(1);  // the parent ended before the line above
  // The pipes at fixed places, and nothing else of the parent's: another worker's pipe held
  // open here would keep the parent from seeing that worker's end.
  const int taskCopy = fcntl(tasks, F_DUPFD, 10);
  const int resultCopy = fcntl(results, F_DUPFD, 10);
  if (taskCopy < 0 || resultCopy < 0 || dup2(taskCopy, kTaskFd) < 0 ||
      dup2(resultCopy, kResultFd) < 0)
    _exit(1);
  if (close_range(kResultFd + 1, UINT_MAX, 0) != 0)
    for (int fd = kResultFd + 1; fd < 4096; ++fd) close(fd);
  WorkerChannel channel(kTaskFd, kResultFd);
  const bool served = serve(channel);
  // _exit: the parent's objects copied into this process are not this process's to finish.
  _exit(served ? 0 : 1);
}

}  // namespace

std::optional<std::string> WorkerChannel::NextTask() { return ReadMessage(tasks_); }

bool WorkerChannel::SendResult(const std::string& fields, const std::string& bulk) {
  return WriteMessage(results_, fields) && WriteMessage(results_, bulk);
}

std::optional<WorkerProcess> WorkerProcess::Start(const std::function<bool(WorkerChannel&)>& serve,
                                                  std::string& message) {
  int tasks[2], results[2];
  if (pipe2(tasks, O_CLOEXEC) != 0) {
    message = std::strerror(errno);
    return std::nullopt;
  }
  UniqueFd taskRead(tasks[0]), taskWrite(tasks[1]);
  if (pipe2(results, O_CLOEXEC) != 0) {
    message = std::strerror(errno);
    return std::nullopt;
  }
  UniqueFd resultRead(results[0]), resultWrite(results[1]);
  const int parent = getpid();
  const int pid = StartWatchedChild(
      [&] {
        const pid_t child = fork();
        if (child == 0) RunWorker(parent, taskRead.get(), resultWrite.get(), serve);
        return child;
      },
      ChildKind::Worker);
  if (pid < 0) {
    message = std::strerror(errno);
    return std::nullopt;
  }
  return WorkerProcess(pid, taskWrite.Release(), resultRead.Release());
}

WorkerProcess::WorkerProcess(WorkerProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      tasks_(std::exchange(other.tasks_, -1)),
      results_(std::exchange(other.results_, -1)) {}

WorkerProcess& WorkerProcess::operator=(WorkerProcess&& other) noexcept {
  if (this != &other) {
    Stop();
    pid_ = std::exchange(other.pid_, -1);
    tasks_ = std::exchange(other.tasks_, -1);
    results_ = std::exchange(other.results_, -1);
  }
  return *this;
}

WorkerProcess::~WorkerProcess() { Stop(); }

bool WorkerProcess::SendTask(const std::string& message) {
  return tasks_ >= 0 && WriteMessage(tasks_, message);
}

std::optional<WorkerResult> WorkerProcess::ReceiveResult() {
  if (results_ < 0) return std::nullopt;
  std::optional<std::string> fields = ReadMessage(results_);
  std::optional<std::string> bulk = fields ? ReadMessage(results_) : std::nullopt;
  if (!bulk) return std::nullopt;
  return WorkerResult{std::move(*fields), std::move(*bulk)};
}

WorkerEnd WorkerProcess::Stop() {
  WorkerEnd end;
  if (pid_ < 0) return end;
  // The end of its task pipe is the worker's sign to finish.
  if (tasks_ >= 0) close(tasks_);
  if (results_ >= 0) close(results_);
  tasks_ = results_ = -1;
  int status = 0;
  // Still unreaped, so the pid names no other process while the registration ends.
  siginfo_t info{};
  while (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
  }
  ForgetChild(pid_);
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) end.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
  pid_ = -1;
  return end;
}

std::vector<bool> WaitForReadable(const std::vector<int>& descriptors) {
  std::vector<pollfd> waits;
  for (const int fd : descriptors) waits.push_back({fd, POLLIN, 0});
  while (poll(waits.data(), waits.size(), -1) < 0 && errno == EINTR) {
  }
  std::vector<bool> readable;
  for (const pollfd& wait : waits) readable.push_back(wait.revents != 0);
  return readable;
}

int UsableProcessorCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  const int count = CPU_COUNT(&set);
  return count > 0 ? count : 1;
}
